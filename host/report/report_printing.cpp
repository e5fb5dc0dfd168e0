#include "host/report/report_printing.h"

#include "platform/abort.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>
#include <memory>

namespace host {
namespace {

const char *const TitleProperty = "ateReportTitle";
const char *const LinesProperty = "ateReportHeading";
const char *const IssuedProperty = "ateReportIssued";

// Every report is laid out at this resolution, whatever the device's, and
// drawn scaled to it: the preview, the printer and the PDF so break the
// pages in the same places.
constexpr int LayoutDpi = 300;

// The heading laid out for the device, as wide as its page.
std::unique_ptr<QTextDocument> headingDocument(const ReportPageHeading &heading,
                                               QPaintDevice &device, qreal width)
{
    auto document = std::make_unique<QTextDocument>();
    document->documentLayout()->setPaintDevice(&device);
    document->setDocumentMargin(0);
    QTextCursor cursor(document.get());

    QTextCharFormat title;
    title.setFontPointSize(12);
    title.setFontWeight(QFont::Bold);
    QTextCharFormat small;
    small.setFontPointSize(8);
    QTextCharFormat plain;
    plain.setFontPointSize(9);

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    cursor.setBlockFormat(right);
    cursor.insertText(heading.issued, small);
    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    cursor.insertBlock(left);
    cursor.insertText(heading.title, title);
    for (const QString &line : heading.lines) {
        cursor.insertBlock(left);
        cursor.insertText(line, plain);
    }
    QTextBlockFormat gap;
    gap.setBottomMargin(6);
    cursor.insertBlock(gap);
    document->setTextWidth(width);
    return document;
}

} // namespace

void setPageHeading(QTextDocument &document, const ReportPageHeading &heading)
{
    document.setMetaInformation(QTextDocument::DocumentTitle, heading.title);
    document.setProperty(TitleProperty, heading.title);
    document.setProperty(LinesProperty, heading.lines);
    document.setProperty(IssuedProperty, heading.issued);
}

ReportPageHeading pageHeading(const QTextDocument &document)
{
    ReportPageHeading heading;
    heading.title = document.property(TitleProperty).toString();
    heading.lines = document.property(LinesProperty).toStringList();
    heading.issued = document.property(IssuedProperty).toString();
    return heading;
}

QPageLayout reportPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 12, 15, 12),
                       QPageLayout::Millimeter);
}

int printReport(const QTextDocument &source, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw platform::Error(QCoreApplication::translate(
            "ReportDesigner", "Não foi possível iniciar a impressão do relatório."));

    // The device's printable room in layout units.
    QBuffer sink;
    QPdfWriter layoutDevice(&sink);
    layoutDevice.setResolution(LayoutDpi);
    const qreal scale = qreal(device.logicalDpiX()) / LayoutDpi;
    const qreal width = device.width() / scale;
    const qreal height = device.height() * qreal(LayoutDpi) / device.logicalDpiY();
    painter.scale(scale, qreal(device.logicalDpiY()) / LayoutDpi);

    const std::unique_ptr<QTextDocument> heading =
        headingDocument(pageHeading(source), layoutDevice, width);
    const qreal headingHeight = heading->size().height();

    QFont footFont;
    footFont.setPointSizeF(8);
    const QFontMetricsF footMetrics(footFont, &layoutDevice);
    const qreal footHeight = footMetrics.height() * 2;

    // The content laid out anew, in pages of the room left.
    std::unique_ptr<QTextDocument> body(source.clone());
    body->documentLayout()->setPaintDevice(&layoutDevice);
    QTextFrameFormat frame = body->rootFrame()->frameFormat();
    frame.setMargin(0);
    body->rootFrame()->setFrameFormat(frame);
    const qreal bodyHeight = height - headingHeight - footHeight;
    body->setPageSize(QSizeF(width, bodyHeight));
    const int pages = body->pageCount();

    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        heading->drawContents(&painter);
        painter.save();
        painter.translate(0, headingHeight - page * bodyHeight);
        // A hair inside the page: a line that starts right at its foot
        // belongs to the next page, and is not written clipped here too
        // (unseen on paper, but found twice by a PDF's search and copy).
        body->drawContents(&painter, QRectF(0, page * bodyHeight + 0.5, width, bodyHeight - 1.0));
        painter.restore();
        painter.setFont(QFont(footFont, &layoutDevice));
        painter.drawText(QRectF(0, height - footHeight, width, footHeight),
                         Qt::AlignRight | Qt::AlignBottom,
                         QCoreApplication::translate("ReportDesigner", "Página %1 de %2")
                             .arg(page + 1)
                             .arg(pages));
    }
    painter.end();
    return pages;
}

void prepareReportPreview(QPrintPreviewDialog &preview)
{
    preview.printer()->setPageLayout(reportPageLayout());
    // Two thirds of the screen at least, whatever the toolbar's texts ask.
    const QScreen *screen = preview.parentWidget() ? preview.parentWidget()->screen()
                                                   : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect room = screen->availableGeometry();
        preview.resize(std::max(preview.width(), room.width() * 3 / 4),
                       std::max(preview.height(), room.height() * 9 / 10));
    }
    // The dialog's own command, so that its toolbar shows the choice.
    if (QAction *fitWidth = preview.findChild<QAction *>(QStringLiteral("fitWidthAction")))
        fitWidth->trigger();
}

int exportReportPdf(const QTextDocument &document, const QString &path)
{
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            throw platform::Error(QCoreApplication::translate(
                                      "ReportDesigner", "Não foi possível gravar o PDF \"%1\": %2")
                                      .arg(QDir::toNativeSeparators(path), probe.errorString()));
        }
    }
    QPdfWriter writer(path);
    writer.setPageLayout(reportPageLayout());
    writer.setResolution(LayoutDpi);
    writer.setTitle(pageHeading(document).title);
    writer.setCreator(QStringLiteral("ate-host"));
    return printReport(document, writer);
}

} // namespace host
