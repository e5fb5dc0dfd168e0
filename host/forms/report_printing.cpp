#include "host/forms/report_printing.h"

#include "platform/abort.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <memory>

namespace host {
namespace {

const char *const TitleProperty = "ateReportTitle";
const char *const LinesProperty = "ateReportHeading";
const char *const IssuedProperty = "ateReportIssued";

// The heading laid out for the device, as wide as its page.
std::unique_ptr<QTextDocument> headingDocument(const ReportPageHeading &heading,
                                               QPagedPaintDevice &device, qreal width)
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

void printReport(const QTextDocument &source, QPagedPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw platform::Error(QCoreApplication::translate(
            "ReportDesigner", "Não foi possível iniciar a impressão do relatório."));

    const qreal width = device.width();
    const qreal height = device.height();
    const std::unique_ptr<QTextDocument> heading =
        headingDocument(pageHeading(source), device, width);
    const qreal headingHeight = heading->size().height();

    QFont footFont;
    footFont.setPointSizeF(8);
    const QFontMetricsF footMetrics(footFont, &device);
    const qreal footHeight = footMetrics.height() * 2;

    // The content laid out anew for the device, in pages of the room left.
    std::unique_ptr<QTextDocument> body(source.clone());
    body->documentLayout()->setPaintDevice(&device);
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
        body->drawContents(&painter, QRectF(0, page * bodyHeight, width, bodyHeight));
        painter.restore();
        painter.setFont(footFont);
        painter.drawText(QRectF(0, height - footHeight, width, footHeight),
                         Qt::AlignRight | Qt::AlignBottom,
                         QCoreApplication::translate("ReportDesigner", "Página %1 de %2")
                             .arg(page + 1)
                             .arg(pages));
    }
    painter.end();
}

void exportReportPdf(const QTextDocument &document, const QString &path)
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
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(pageHeading(document).title);
    writer.setCreator(QStringLiteral("ate-host"));
    printReport(document, writer);
}

} // namespace host
