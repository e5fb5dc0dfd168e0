#include "platform/grid_export.h"

#include "platform/abort.h"
#include "platform/db_grid.h"
#include "platform/grid_model.h"

#include <QCoreApplication>
#include <QLocale>
#include <QSaveFile>

#include <algorithm>
#include <set>

namespace platform {
namespace {

QString flattened(QString text)
{
    for (QChar &c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return text;
}

QString csvField(const QString &text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

template<typename Cell>
QString table(const DBGrid &grid, const std::vector<int> &rows, const std::vector<int> &columns,
              const QString &split, const QString &lineEnd, Cell &&cell)
{
    QString text;
    QStringList fields;
    for (int column : columns)
        fields.append(cell(grid.column(column).title()));
    text += fields.join(split) + lineEnd;
    for (int row : rows) {
        fields.clear();
        for (int column : columns)
            fields.append(cell(grid.cellText(row, column)));
        text += fields.join(split) + lineEnd;
    }
    return text;
}

std::vector<int> range(int count)
{
    std::vector<int> all(static_cast<std::size_t>(std::max(0, count)));
    for (int i = 0; i < count; ++i)
        all[static_cast<std::size_t>(i)] = i;
    return all;
}

} // namespace

QString gridClipboardText(const DBGrid &grid, const QModelIndexList &cells)
{
    std::set<int> rows, columns;
    for (const QModelIndex &cell : cells) {
        if (cell.isValid() && cell.row() < grid.rowCount()) {
            rows.insert(cell.row());
            columns.insert(cell.column());
        }
    }
    if (rows.empty())
        return {};
    std::vector<int> columnList(columns.begin(), columns.end());
    if (rows.size() == 1 && columns.size() == 1)
        columnList = range(grid.columnCount());
    return table(grid, std::vector<int>(rows.begin(), rows.end()), columnList, QStringLiteral("\t"),
                 QStringLiteral("\n"), flattened);
}

QString gridCsv(const DBGrid &grid, QChar separator)
{
    return table(grid, range(grid.rowCount()), range(grid.columnCount()), QString(separator),
                 QStringLiteral("\r\n"),
                 [separator](const QString &text) { return csvField(text, separator); });
}

QChar localeListSeparator()
{
    return QLocale().decimalPoint() == QLatin1String(",") ? QLatin1Char(';') : QLatin1Char(',');
}

void writeTextFileAtomically(const QString &path, const QString &text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw Error(
            QCoreApplication::translate("DbGrid", "Não foi possível gravar o arquivo \"%1\": %2.")
                .arg(path, file.errorString()));
    }
    const QByteArray bytes = QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        throw Error(
            QCoreApplication::translate("DbGrid", "Não foi possível gravar o arquivo \"%1\": %2.")
                .arg(path, file.errorString()));
    }
}

} // namespace platform
