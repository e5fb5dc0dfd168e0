#include "host/report/report_definition.h"

#include "host/adoib_query.h"
#include "platform/abort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace host {
namespace {

enum class Section { None, Heading, Query, Group, Columns };

const QString ReportTag = QStringLiteral("[report]");
const QString HeadingTag = QStringLiteral("[heading]");
const QString QueryTag = QStringLiteral("[query]");
const QString GroupTag = QStringLiteral("[group]");
const QString ColumnsTag = QStringLiteral("[columns]");

// The sections a report's lines may start, besides "[report]".
const QList<QPair<QString, Section>> &sectionTags()
{
    static const QList<QPair<QString, Section>> tags = {{HeadingTag, Section::Heading},
                                                        {QueryTag, Section::Query},
                                                        {GroupTag, Section::Group},
                                                        {ColumnsTag, Section::Columns}};
    return tags;
}

[[noreturn]] void invalid(const QString &origin, int line, const QString &reason)
{
    throw platform::Error(
        QCoreApplication::translate("ReportDefinition",
                                    "Definição de relatório inválida (%1, linha %2): %3")
            .arg(origin)
            .arg(line)
            .arg(reason));
}

bool startsWithTag(const QString &trimmed, const QString &tag)
{
    return trimmed.startsWith(tag, Qt::CaseInsensitive);
}

ReportColumn parseColumn(const QString &text, const QString &origin, int line)
{
    const QStringList parts = text.split(u'|');
    if (parts.size() > 5)
        invalid(
            origin, line,
            QCoreApplication::translate("ReportDefinition", "coluna com mais de cinco partes."));
    ReportColumn column;
    column.field = parts.at(0).trimmed();
    if (column.field.isEmpty())
        invalid(origin, line, QCoreApplication::translate("ReportDefinition", "coluna sem nome."));
    column.title = parts.size() > 1 ? parts.at(1).trimmed() : QString();
    if (column.title.isEmpty())
        column.title = column.field;
    if (parts.size() > 2 && !parts.at(2).trimmed().isEmpty()) {
        bool ok = false;
        column.width = parts.at(2).trimmed().toInt(&ok);
        if (!ok || column.width <= 0)
            invalid(origin, line,
                    QCoreApplication::translate("ReportDefinition", "largura \"%1\" inválida.")
                        .arg(parts.at(2).trimmed()));
    }
    if (parts.size() > 3) {
        const QString alignment = parts.at(3).trimmed().toLower();
        if (alignment == QLatin1String("right"))
            column.alignment = Qt::AlignRight;
        else if (alignment == QLatin1String("center"))
            column.alignment = Qt::AlignHCenter;
        else if (alignment.isEmpty() || alignment == QLatin1String("left"))
            column.alignment = Qt::AlignLeft;
        else
            invalid(origin, line,
                    QCoreApplication::translate("ReportDefinition", "alinhamento \"%1\" inválido.")
                        .arg(alignment));
    }
    if (parts.size() > 4)
        column.format = parts.at(4).trimmed();
    return column;
}

QStringList nameList(const QString &text)
{
    QStringList names;
    for (const QString &name : text.split(u','))
        names.append(name.trimmed());
    names.removeAll(QString());
    return names;
}

void parseGroupLine(ReportGroup &group, const QString &text, const QString &origin, int line)
{
    const qsizetype bar = text.indexOf(u'|');
    if (bar < 0)
        invalid(origin, line,
                QCoreApplication::translate("ReportDefinition", "linha de grupo sem \"|\"."));
    const QString item = text.left(bar).trimmed().toLower();
    const QString value = text.mid(bar + 1).trimmed();
    if (item == QLatin1String("key"))
        group.key = nameList(value);
    else if (item == QLatin1String("header"))
        group.header = value;
    else if (item == QLatin1String("totals"))
        group.totals = nameList(value);
    else if (item == QLatin1String("footer"))
        group.footer = value;
    else if (item == QLatin1String("grand"))
        group.grandTotal = value;
    else
        invalid(
            origin, line,
            QCoreApplication::translate("ReportDefinition", "item de grupo \"%1\" desconhecido.")
                .arg(item));
}

void checkComplete(const ReportDefinition &report, const QString &origin, int line)
{
    if (report.query.trimmed().isEmpty())
        invalid(
            origin, line,
            QCoreApplication::translate("ReportDefinition", "o relatório \"%1\" não tem consulta.")
                .arg(report.title));
    if (report.columns.isEmpty())
        invalid(
            origin, line,
            QCoreApplication::translate("ReportDefinition", "o relatório \"%1\" não tem colunas.")
                .arg(report.title));
    const ReportGroup &group = report.group;
    if (group.isEmpty() && (!group.header.isEmpty() || !group.totals.isEmpty()))
        invalid(origin, line,
                QCoreApplication::translate("ReportDefinition",
                                            "o grupo do relatório \"%1\" não tem \"key\".")
                    .arg(report.title));
    for (const QString &total : group.totals) {
        const bool isColumn = std::any_of(
            report.columns.begin(), report.columns.end(), [&](const ReportColumn &column) {
                return column.field.compare(total, Qt::CaseInsensitive) == 0;
            });
        if (!isColumn)
            invalid(origin, line,
                    QCoreApplication::translate("ReportDefinition",
                                                "o total \"%1\" não é uma coluna do relatório.")
                        .arg(total));
    }
}

QString alignmentName(Qt::Alignment alignment)
{
    if (alignment & Qt::AlignRight)
        return QStringLiteral("right");
    if (alignment & Qt::AlignHCenter)
        return QStringLiteral("center");
    return QStringLiteral("left");
}

} // namespace

QStringList ReportDefinition::parameterNames() const
{
    return sqlParameterNames(query);
}

QList<ReportDefinition> parseReports(const QString &text, const QString &origin)
{
    QList<ReportDefinition> reports;
    Section section = Section::None;
    QStringList queryLines;
    int reportLine = 0;
    const auto finishQuery = [&] {
        if (!reports.isEmpty() && !queryLines.isEmpty()) {
            // Blank lines before the next tag belong to the layout of the
            // file, not to the query.
            while (!queryLines.isEmpty() && queryLines.last().trimmed().isEmpty())
                queryLines.removeLast();
            reports.last().query = queryLines.join(u'\n');
        }
        queryLines.clear();
    };

    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const int number = i + 1;
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();

        if (startsWithTag(trimmed, ReportTag)) {
            finishQuery();
            if (!reports.isEmpty())
                checkComplete(reports.last(), origin, reportLine);
            ReportDefinition report;
            report.title = trimmed.mid(ReportTag.size()).trimmed();
            if (report.title.isEmpty())
                invalid(origin, number,
                        QCoreApplication::translate("ReportDefinition", "relatório sem título."));
            reports.append(report);
            reportLine = number;
            section = Section::None;
            continue;
        }
        const auto tag =
            std::find_if(sectionTags().begin(), sectionTags().end(),
                         [&](const auto &entry) { return startsWithTag(trimmed, entry.first); });
        if (tag != sectionTags().end()) {
            if (reports.isEmpty())
                invalid(origin, number,
                        QCoreApplication::translate("ReportDefinition",
                                                    "seção antes de \"[report]\"."));
            finishQuery();
            section = tag->second;
            continue;
        }
        if (section == Section::Query) {
            if (!queryLines.isEmpty() || !trimmed.isEmpty())
                queryLines.append(line);
            continue;
        }
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (section == Section::Columns) {
            reports.last().columns.append(parseColumn(trimmed, origin, number));
            continue;
        }
        if (section == Section::Heading) {
            reports.last().heading.append(trimmed);
            continue;
        }
        if (section == Section::Group) {
            parseGroupLine(reports.last().group, trimmed, origin, number);
            continue;
        }
        invalid(origin, number,
                QCoreApplication::translate("ReportDefinition", "texto fora de uma seção."));
    }
    finishQuery();
    if (!reports.isEmpty())
        checkComplete(reports.last(), origin, reportLine);
    return reports;
}

QString reportsText(const QList<ReportDefinition> &reports)
{
    QString text;
    for (const ReportDefinition &report : reports) {
        if (!text.isEmpty())
            text += u'\n';
        text += ReportTag + u' ' + report.title + u'\n';
        if (!report.heading.isEmpty())
            text += HeadingTag + u'\n' + report.heading.join(u'\n') + u'\n';
        text += QueryTag + u'\n' + report.query + u'\n';
        const ReportGroup &group = report.group;
        if (!group.isEmpty()) {
            text += GroupTag + u'\n';
            const auto item = [&text](const char *name, const QString &value) {
                if (!value.isEmpty())
                    text += QLatin1String(name) + QStringLiteral(" | ") + value + u'\n';
            };
            item("key", group.key.join(QStringLiteral(", ")));
            item("header", group.header);
            item("totals", group.totals.join(QStringLiteral(", ")));
            item("footer", group.footer);
            item("grand", group.grandTotal);
        }
        text += ColumnsTag + u'\n';
        for (const ReportColumn &column : report.columns) {
            text += QStringLiteral("%1 | %2 | %3 | %4")
                        .arg(column.field, column.title)
                        .arg(column.width)
                        .arg(alignmentName(column.alignment));
            if (!column.format.isEmpty())
                text += QStringLiteral(" | ") + column.format;
            text += u'\n';
        }
    }
    return text;
}

QString findReportFile(const QString &folder, const QString &code)
{
    if (code.isEmpty())
        return {};
    const QString wanted = code + QStringLiteral(".rel");
    const QDir dir(folder);
    const QStringList files = dir.entryList(QDir::Files);
    for (const QString &name : files) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir.filePath(name);
    }
    return {};
}

QList<ReportDefinition> readReportFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw platform::Error(
            QCoreApplication::translate("ReportDefinition",
                                        "Não foi possível ler o arquivo de relatórios \"%1\": %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    return parseReports(QString::fromUtf8(file.readAll()), QFileInfo(path).fileName());
}

void writeReportFile(const QString &path, const QList<ReportDefinition> &reports)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw platform::Error(
            QCoreApplication::translate(
                "ReportDefinition", "Não foi possível gravar o arquivo de relatórios \"%1\": %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    file.write(reportsText(reports).toUtf8());
    if (!file.commit()) {
        throw platform::Error(
            QCoreApplication::translate(
                "ReportDefinition", "Não foi possível gravar o arquivo de relatórios \"%1\": %2")
                .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}

QString shownReportText(const QString &text)
{
    if (text.isEmpty())
        return text;
    return QCoreApplication::translate("Relatorios", text.toUtf8().constData());
}

ReportDefinition shownReport(const ReportDefinition &report)
{
    ReportDefinition shown = report;
    shown.title = shownReportText(report.title);
    for (QString &line : shown.heading)
        line = shownReportText(line);
    shown.group.header = shownReportText(report.group.header);
    shown.group.footer = shownReportText(report.group.footer);
    shown.group.grandTotal = shownReportText(report.group.grandTotal);
    for (ReportColumn &column : shown.columns)
        column.title = shownReportText(column.title);
    return shown;
}

} // namespace host
