// The report's document: its tables as report_definition.h describes them.

#include "host/report/report_runner.h"

#include "host/report/report_definition.h"
#include "host/report/report_format.h"
#include "host/report/report_printing.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/field.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <vector>

namespace host {
namespace {

constexpr qreal BodyPointSize = 8.5;
const QColor HeaderBackground(0xE4, 0xE4, 0xE4);
const QColor GroupBackground(0xF2, 0xF2, 0xF2);

QTextCharFormat charFormat(bool bold)
{
    QTextCharFormat format;
    format.setFontPointSize(BodyPointSize);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return format;
}

class DocumentBuilder
{
public:
    DocumentBuilder(const ReportDefinition &report, const platform::ClientDataSet &rows,
                    const TParams *params)
        : m_report(report)
        , m_rows(rows)
        , m_formatter(rows, params, report.title)
        , m_rowCount(rows.isActive() ? rows.recordCount() : 0)
    {
        for (const ReportColumn &column : report.columns) {
            m_fields.push_back(fieldOrThrow(column.field));
            m_totalWidth += column.width;
            m_totalled.push_back(report.group.totals.contains(column.field, Qt::CaseInsensitive));
        }
        for (const QString &name : report.group.key)
            m_keyFields.push_back(fieldOrThrow(name));
    }

    std::unique_ptr<QTextDocument> build()
    {
        auto document = std::make_unique<QTextDocument>();
        document->setDocumentMargin(0);
        ReportPageHeading heading;
        heading.title = m_report.title;
        for (const QString &line : m_report.heading)
            heading.lines.append(m_formatter.format(line, {}, m_rowCount > 0 ? 0 : -1));
        heading.issued = QCoreApplication::translate("ReportDesigner", "Emitido em %1")
                             .arg(QLocale(QLocale::Portuguese, QLocale::Brazil)
                                      .toString(QDateTime::currentDateTime(),
                                                QStringLiteral("dd/MM/yyyy HH:mm")));
        setPageHeading(*document, heading);

        QTextCursor cursor(document.get());
        if (m_report.group.isEmpty())
            addTable(cursor, 0, m_rowCount, {});
        else
            addGroups(cursor);

        cursor.movePosition(QTextCursor::End);
        QTextBlockFormat spaced;
        spaced.setTopMargin(6);
        cursor.insertBlock(spaced);
        cursor.insertText(
            m_rowCount == 1
                ? QCoreApplication::translate("ReportDesigner", "1 registro")
                : QCoreApplication::translate("ReportDesigner", "%1 registros").arg(m_rowCount),
            charFormat(false));
        return document;
    }

private:
    const platform::Field *fieldOrThrow(const QString &name) const
    {
        const platform::Field *field = m_rows.findField(name);
        if (!field) {
            throw platform::Error(
                QCoreApplication::translate(
                    "ReportDesigner",
                    "A coluna \"%1\" do relatório \"%2\" não está no resultado da consulta.")
                    .arg(name, m_report.title));
        }
        return field;
    }

    bool sameGroup(int a, int b) const
    {
        for (const platform::Field *field : m_keyFields) {
            if (field->valueAt(a) != field->valueAt(b))
                return false;
        }
        return true;
    }

    void addGroups(QTextCursor &cursor)
    {
        std::vector<double> grand(m_fields.size(), 0.0);
        for (int first = 0; first < m_rowCount;) {
            int end = first + 1;
            while (end < m_rowCount && sameGroup(first, end))
                ++end;
            const std::vector<double> totals =
                addTable(cursor, first, end, m_formatter.format(m_report.group.header, {}, first));
            for (size_t c = 0; c < grand.size(); ++c)
                grand[c] += totals[c];
            first = end;
        }
        if (!m_report.group.totals.isEmpty())
            addTotalsTable(cursor, grand);
    }

    QTextTableFormat tableFormat(int headerRows) const
    {
        QTextTableFormat format;
        format.setHeaderRowCount(headerRows);
        format.setCellPadding(1.5);
        format.setCellSpacing(0);
        format.setBorder(0);
        format.setTopMargin(headerRows > 1 ? 8 : 0);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
        QList<QTextLength> widths;
        for (const ReportColumn &column : m_report.columns)
            widths.append(
                QTextLength(QTextLength::PercentageLength, 100.0 * column.width / m_totalWidth));
        format.setColumnWidthConstraints(widths);
        return format;
    }

    void fill(QTextTable *table, int row, int column, const QString &text, bool bold,
              Qt::Alignment alignment, bool unbroken = false) const
    {
        QTextTableCell cell = table->cellAt(row, column);
        QTextCursor cellCursor = cell.firstCursorPosition();
        QTextBlockFormat block;
        block.setAlignment(alignment);
        // A number split over two lines misreads; its column widens instead.
        block.setNonBreakableLines(unbroken);
        cellCursor.setBlockFormat(block);
        cellCursor.insertText(text, charFormat(bold));
    }

    void shade(QTextTable *table, int row, const QColor &color) const
    {
        for (int c = 0; c < table->columns(); ++c) {
            QTextTableCell cell = table->cellAt(row, c);
            QTextTableCellFormat format = cell.format().toTableCellFormat();
            format.setBackground(color);
            cell.setFormat(format);
        }
    }

    // The rows [first, end) in a table of their own; with a group header,
    // that line first and the group's totals last. Gives the totals.
    std::vector<double> addTable(QTextCursor &cursor, int first, int end,
                                 const QString &groupHeader)
    {
        const bool grouped = !m_report.group.isEmpty();
        const bool withTotals = grouped && !m_report.group.totals.isEmpty();
        const int headerRows = grouped ? 2 : 1;
        const int columns = int(m_report.columns.size());
        cursor.movePosition(QTextCursor::End);
        QTextTable *table = cursor.insertTable(headerRows + (end - first) + (withTotals ? 1 : 0),
                                               columns, tableFormat(headerRows));
        int row = 0;
        if (grouped) {
            table->mergeCells(0, 0, 1, columns);
            fill(table, 0, 0, groupHeader, true, Qt::AlignLeft);
            shade(table, 0, GroupBackground);
            row = 1;
        }
        for (int c = 0; c < columns; ++c) {
            const ReportColumn &column = m_report.columns.at(c);
            fill(table, row, c, column.title, true, column.alignment);
        }
        shade(table, row, HeaderBackground);
        ++row;

        std::vector<double> totals(m_fields.size(), 0.0);
        for (int r = first; r < end; ++r, ++row) {
            for (int c = 0; c < columns; ++c) {
                const ReportColumn &column = m_report.columns.at(c);
                fill(table, row, c, m_formatter.format(column.format, column.field, r), false,
                     column.alignment, !column.format.isEmpty());
                if (m_totalled[c] && !m_fields[c]->isNullAt(r))
                    totals[c] += m_fields[c]->asFloatAt(r);
            }
        }
        if (withTotals)
            fillTotals(table, row, m_report.group.footer, totals);
        return totals;
    }

    void fillTotals(QTextTable *table, int row, const QString &label,
                    const std::vector<double> &totals) const
    {
        // The label takes the room of the columns before the first total.
        const int firstTotal =
            int(std::find(m_totalled.begin(), m_totalled.end(), true) - m_totalled.begin());
        if (firstTotal > 1)
            table->mergeCells(row, 0, 1, firstTotal);
        for (int c = 0; c < int(m_report.columns.size()); ++c) {
            const ReportColumn &column = m_report.columns.at(c);
            if (m_totalled[c])
                fill(table, row, c, m_formatter.formatTotal(column.format, totals[c]), true,
                     column.alignment, true);
            else if (c == 0)
                fill(table, row, c, label, true, Qt::AlignLeft);
        }
        shade(table, row, GroupBackground);
    }

    void addTotalsTable(QTextCursor &cursor, const std::vector<double> &grand)
    {
        cursor.movePosition(QTextCursor::End);
        QTextTableFormat format = tableFormat(0);
        format.setTopMargin(10);
        QTextTable *table = cursor.insertTable(1, int(m_report.columns.size()), format);
        fillTotals(table, 0, m_report.group.grandTotal, grand);
    }

    const ReportDefinition &m_report;
    const platform::ClientDataSet &m_rows;
    ReportFormatter m_formatter;
    const int m_rowCount;
    std::vector<const platform::Field *> m_fields;
    std::vector<const platform::Field *> m_keyFields;
    std::vector<bool> m_totalled;
    int m_totalWidth = 0;
};

} // namespace

std::unique_ptr<QTextDocument> buildReportDocument(const ReportDefinition &report,
                                                   const platform::ClientDataSet &rows,
                                                   const TParams *params)
{
    return DocumentBuilder(report, rows, params).build();
}

} // namespace host
