#pragma once

#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QTextDocument;

namespace host {

// What the top of every page of a report shows: the title, the heading
// lines and the date of issue. It travels with the report's document.
struct ReportPageHeading
{
    QString title;
    QStringList lines;
    QString issued;
};

void setPageHeading(QTextDocument &document, const ReportPageHeading &heading);
ReportPageHeading pageHeading(const QTextDocument &document);

// Prints a report's document on the device's pages (a printer, the print
// preview's, a PDF writer): the page heading at the top of every page, the
// document's content below it and "Página n de m" at the foot.
void printReport(const QTextDocument &document, QPagedPaintDevice &device);

// Writes the report to a PDF file (A4, portrait). Throws platform::Error
// when the file cannot be written.
void exportReportPdf(const QTextDocument &document, const QString &path);

} // namespace host
