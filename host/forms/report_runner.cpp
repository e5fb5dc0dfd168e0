#include "report_runner.h"

#include "abort.h"
#include "adoib_query.h"
#include "client_data_set.h"
#include "report_definition.h"

#include <QDateTime>
#include <QLocale>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <vector>

namespace host {

ReportRunner::~ReportRunner() = default;

std::unique_ptr<QTextDocument> LocalDatabaseReportRunner::run(const ReportDefinition &report,
                                                              const TParams &params)
{
    TADOIBQuery query;
    if (!m_connectionName.isEmpty())
        query.setConnectionName(m_connectionName);
    query.setSQL(report.query.split(u'\n'));
    for (int i = 0; i < params.count(); ++i) {
        const TParam &param = params.at(i);
        if (TParam *target = query.Params().findParam(param.name())) {
            target->setDataType(param.dataType());
            target->setValue(param.value());
        }
    }
    query.Open();
    return buildReportDocument(report, *query.Query());
}

std::unique_ptr<QTextDocument> buildReportDocument(const ReportDefinition &report,
                                                   const platform::ClientDataSet &rows)
{
    std::vector<const platform::Field *> fields;
    int totalWidth = 0;
    for (const ReportColumn &column : report.columns) {
        const platform::Field *field = rows.findField(column.field);
        if (!field) {
            throw platform::Error(
                QStringLiteral("A coluna \"%1\" do relatório \"%2\" não está no resultado da consulta.")
                    .arg(column.field, report.title));
        }
        fields.push_back(field);
        totalWidth += column.width;
    }

    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(24);
    QTextCursor cursor(document.get());

    QTextCharFormat titleFormat;
    titleFormat.setFontWeight(QFont::Bold);
    titleFormat.setFontPointSize(13);
    cursor.insertText(report.title, titleFormat);
    QTextBlockFormat plain;
    cursor.insertBlock(plain);
    QTextCharFormat small;
    small.setFontPointSize(8);
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    cursor.insertText(QStringLiteral("Emitido em %1")
                          .arg(brazil.toString(QDateTime::currentDateTime(),
                                               QStringLiteral("dd/MM/yyyy HH:mm"))),
                      small);
    cursor.insertBlock(plain);

    const int rowCount = rows.isActive() ? rows.recordCount() : 0;
    QTextTableFormat tableFormat;
    tableFormat.setHeaderRowCount(1);
    tableFormat.setCellPadding(2);
    tableFormat.setCellSpacing(0);
    tableFormat.setBorder(0.5);
    tableFormat.setBorderCollapse(true);
    tableFormat.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> widths;
    for (const ReportColumn &column : report.columns)
        widths.append(QTextLength(QTextLength::PercentageLength, 100.0 * column.width / totalWidth));
    tableFormat.setColumnWidthConstraints(widths);
    QTextTable *table = cursor.insertTable(rowCount + 1, int(report.columns.size()), tableFormat);

    QTextCharFormat headerFormat;
    headerFormat.setFontWeight(QFont::Bold);
    headerFormat.setFontPointSize(9);
    QTextCharFormat cellFormat;
    cellFormat.setFontPointSize(9);
    const auto fill = [&](int row, int column, const QString &text, const QTextCharFormat &format) {
        QTextTableCell cell = table->cellAt(row, column);
        QTextCursor cellCursor = cell.firstCursorPosition();
        QTextBlockFormat block;
        block.setAlignment(report.columns.at(column).alignment);
        cellCursor.setBlockFormat(block);
        cellCursor.insertText(text, format);
    };
    for (int c = 0; c < report.columns.size(); ++c)
        fill(0, c, report.columns.at(c).title, headerFormat);
    for (int r = 0; r < rowCount; ++r) {
        for (int c = 0; c < report.columns.size(); ++c)
            fill(r + 1, c, fields[c]->textAt(r), cellFormat);
    }

    cursor.movePosition(QTextCursor::End);
    cursor.insertBlock(plain);
    cursor.insertText(rowCount == 1 ? QStringLiteral("1 registro")
                                    : QStringLiteral("%1 registros").arg(rowCount),
                      small);
    return document;
}

} // namespace host
