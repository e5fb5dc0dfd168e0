#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace host {

// One column of a report: the query column it prints, its title, its share
// of the page width, its alignment and how its value is written (see
// "Formats" below; empty: the column's text as the query gives it).
struct ReportColumn
{
    QString field;
    QString title;
    int width = 10;
    Qt::Alignment alignment = Qt::AlignLeft;
    QString format;
};

// Rows that follow each other with the same values in the key columns make
// one group: a line above its rows, and below them a line of totals of some
// columns; the totals of all groups end the report.
struct ReportGroup
{
    QStringList key;
    QString header;     // a format
    QStringList totals; // columns of the report
    QString footer;     // label of a group's totals
    QString grandTotal; // label of the report's totals

    bool isEmpty() const { return key.isEmpty(); }
};

// One report: a title, heading lines printed under it on every page, a
// query with named parameters (":NAME"), an optional grouping and the
// columns to print.
struct ReportDefinition
{
    QString title;
    QStringList heading; // formats
    QString query;
    ReportGroup group;
    QList<ReportColumn> columns;

    // The query's parameters, in order of first appearance.
    QStringList parameterNames() const;
};

// The texts a report shows (its title, heading lines, group lines and
// column titles) in the user's language, from the translations of the
// "Relatorios" context; the query and the formats' fields stay. A report is
// still found by the title its file gives it.
QString shownReportText(const QString &text);
ReportDefinition shownReport(const ReportDefinition &report);

// Report files. Every report code (the report form's lblCodRel) has one file
// "<code>.rel" in the report folder (the name's case does not matter),
// UTF-8, holding one or more reports:
//
//   # Lines starting with '#' are comments (not inside a query).
//   [report] Posição do Fechamento Diário do Plano de Vôo
//   [query]
//   SELECT CDCIA, NRVOO, QTTOTPAXAT FROM PREVISAOPAX
//    WHERE CDFILIAL = :CDFILIAL AND DTHRPLAVOOPV >= :DTHRPLAVOOPV
//   [columns]
//   CDCIA      | Companhia | 10 | left
//   NRVOO      | Vôo       | 10
//   QTTOTPAXAT | Qtde Pax  |  8 | right | #,##0
//
// "[report]" starts a report and carries its title. The lines after
// "[query]" up to the next section line are the query, kept as written. A
// column line is the query column's name, then optionally the title
// (default: the name), the relative width (default 10), the alignment
// (left, right or center; default left) and the format, split by "|".
// Every report needs a title, a query and at least one column.
//
// Optional sections:
//
//   [heading]
//   Filial: {:CDFILIAL} - {NMFILIAL}
//   [group]
//   key    | CDCIA, NRVOO
//   header | Vôo {NRVOO} da {SGCIA}
//   totals | QTTOTPAXAT
//   footer | Total do vôo
//   grand  | Total geral
//
// "[heading]" lines are printed under the title at the top of every page.
// "[group]" groups the rows by the key columns (the query orders them so):
// each group starts with its header line and ends with the totals of the
// "totals" columns, labelled "footer"; the report ends with the totals of
// all groups, labelled "grand". Only "key" is required.
//
// Formats. A column's format without braces is a number format for the
// column's own value: "0" or "0.00" (that many decimals), with "," for
// thousands separators ("#,##0.00"); numbers are written as the user reads
// them (1.234,50 in Brazil). Anything else is a text where "{FIELD}" stands for a column
// of the row, "{FIELD:0.00}" for that column as a number, and (in heading
// lines) "{:PARAM}" for a query parameter's value; heading lines take
// columns from the first row. A cell whose number is null stays empty.

// Reads the reports of a text; `origin` names it in error messages. Throws
// platform::Error naming the line at fault.
QList<ReportDefinition> parseReports(const QString &text, const QString &origin);
QString reportsText(const QList<ReportDefinition> &reports);

// The file of a report code in a folder, found without regard to case;
// empty when there is none.
QString findReportFile(const QString &folder, const QString &code);

// Throw platform::Error with the reason.
QList<ReportDefinition> readReportFile(const QString &path);
void writeReportFile(const QString &path, const QList<ReportDefinition> &reports);

} // namespace host
