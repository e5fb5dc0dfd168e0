#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace host {

// One column of a report: the query column it prints, its title, its share
// of the page width and its alignment.
struct ReportColumn
{
    QString field;
    QString title;
    int width = 10;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// One report: a title, a query with named parameters (":NAME") and the
// columns to print.
struct ReportDefinition
{
    QString title;
    QString query;
    QList<ReportColumn> columns;

    // The query's parameters, in order of first appearance.
    QStringList parameterNames() const;
};

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
//   QTTOTPAXAT | Qtde Pax  |  8 | right
//
// "[report]" starts a report and carries its title. The lines after
// "[query]" up to the next "[report]", "[query]" or "[columns]" line are the
// query, kept as written. A column line is the query column's name, then
// optionally the title (default: the name), the relative width (default
// 10) and the alignment (left, right or center; default left), split by
// "|". Every report needs a title, a query and at least one column.

// Reads the reports of a text; `origin` names it in error messages. Throws
// platform::Error naming the line at fault.
QList<ReportDefinition> parseReports(const QString &text, const QString &origin);
QString reportsText(const QList<ReportDefinition> &reports);

// The file of a report code in a folder, found without regard to case;
// empty when there is none.
QString findReportFile(const QString &folder, const QString &code);
// The path a new file of that code gets.
QString newReportFilePath(const QString &folder, const QString &code);

// Throw platform::Error with the reason.
QList<ReportDefinition> readReportFile(const QString &path);
void writeReportFile(const QString &path, const QList<ReportDefinition> &reports);

} // namespace host
