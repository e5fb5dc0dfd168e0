#pragma once

#include <QPageLayout>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QPrintPreviewDialog;
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

// The page a report is printed on unless the user picks another: A4,
// portrait, with its margins.
QPageLayout reportPageLayout();

// Prints a report's document on the device's pages (a printer, the print
// preview's, a PDF writer): the page heading at the top of every page, the
// document's content below it and "Página n de m" at the foot. Gives the
// number of pages; on the same page layout every device gets the same.
int printReport(const QTextDocument &document, QPagedPaintDevice &device);

// The preview of a report before it opens: its printer on the report's
// page, the window most of the screen, the page fit to its width.
void prepareReportPreview(QPrintPreviewDialog &preview);

// Writes the report to a PDF file on the report's page. Gives the number of
// pages. Throws platform::Error when the file cannot be written.
int exportReportPdf(const QTextDocument &document, const QString &path);

} // namespace host
