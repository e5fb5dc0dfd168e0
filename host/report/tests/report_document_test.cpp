// Report files with heading, groups and formats, the document they make,
// and its pages as printed to PDF.

#include "host/params.h"
#include "host/report/report_definition.h"
#include "host/report/report_printing.h"
#include "host/report/report_runner.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/field.h"

#include <QAction>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

namespace {

const char *const GroupedReport = R"([report] Serviços por vôo
[heading]
Filial: {:CDFILIAL}   Dia: {:DATA}   Base: {NMBASE}
[query]
SELECT NRVOO, NMBASE, DSSERVICO, QTSOL, VRPRECO, SGMOEDA FROM X
 WHERE CDFILIAL = :CDFILIAL AND DIA = :DATA
[group]
key    | NRVOO
header | Vôo {NRVOO}
totals | QTSOL
footer | Total do vôo
grand  | Total geral
[columns]
DSSERVICO | Serviço  | 30
QTSOL     | Qtde     | 10 | right | #,##0.00
VRPRECO   | Preço    | 10 | right | {SGMOEDA}{VRPRECO:0.00}
)";

// A record set as a query leaves it.
std::unique_ptr<platform::ClientDataSet> rows(const QList<QVariantList> &values)
{
    platform::DataPacket packet;
    packet.fields = {{QStringLiteral("NRVOO"), platform::FieldType::String, 5},
                     {QStringLiteral("NMBASE"), platform::FieldType::String, 20},
                     {QStringLiteral("DSSERVICO"), platform::FieldType::String, 30},
                     {QStringLiteral("QTSOL"), platform::FieldType::Float, 0},
                     {QStringLiteral("VRPRECO"), platform::FieldType::Float, 0},
                     {QStringLiteral("SGMOEDA"), platform::FieldType::String, 4}};
    for (const QVariantList &row : values)
        packet.appendRow(row);
    auto set = std::make_unique<platform::ClientDataSet>();
    for (const platform::PacketField &field : packet.fields)
        set->addField(field.name, field.type, field.size);
    set->loadPacket(packet);
    return set;
}

host::TParams params();

// The grouped report of that many services, so many to a flight.
std::unique_ptr<QTextDocument> servicesReport(int services, int perFlight)
{
    const host::ReportDefinition report =
        host::parseReports(QString::fromUtf8(GroupedReport), QStringLiteral("teste")).first();
    QList<QVariantList> values;
    for (int i = 0; i < services; ++i)
        values.append({QStringLiteral("%1").arg(1000 + i / perFlight), "Guarulhos",
                       QStringLiteral("Serviço %1").arg(i), 1.0, 2.0, "R$ "});
    const auto set = rows(values);
    const host::TParams filled = params();
    return host::buildReportDocument(report, *set, &filled);
}

host::TParams params()
{
    host::TParams list;
    list.addParam(QStringLiteral("CDFILIAL")).setAsString(QStringLiteral("GRU"));
    list.addParam(QStringLiteral("DATA")).setAsDate(QDate(2024, 5, 10));
    return list;
}

QStringList lines(const QString &text)
{
    QStringList result;
    for (const QString &line : text.split(u'\n')) {
        if (!line.simplified().isEmpty())
            result.append(line.simplified());
    }
    return result;
}

} // namespace

class ReportDocumentTest : public QObject
{
    Q_OBJECT

private slots:
    void groupedReportsParseAndWriteBack();
    void malformedGroupsNameTheLine_data();
    void malformedGroupsNameTheLine();
    void groupsCarryTheirRowsAndTotals();
    void everyPageHasTheHeadingAndItsNumber();
    void previewShowsThePagesThePdfHas();
};

// Catches a heading, group or format dropped on reading or on writing
// back (a new report copied from this one would lose them).
void ReportDocumentTest::groupedReportsParseAndWriteBack()
{
    const auto check = [](const host::ReportDefinition &report) {
        QCOMPARE(report.heading,
                 QStringList{"Filial: {:CDFILIAL}   Dia: {:DATA}   Base: {NMBASE}"});
        QCOMPARE(report.group.key, QStringList{"NRVOO"});
        QCOMPARE(report.group.header, QStringLiteral("Vôo {NRVOO}"));
        QCOMPARE(report.group.totals, QStringList{"QTSOL"});
        QCOMPARE(report.group.footer, QStringLiteral("Total do vôo"));
        QCOMPARE(report.group.grandTotal, QStringLiteral("Total geral"));
        QCOMPARE(report.columns.at(2).format, QStringLiteral("{SGMOEDA}{VRPRECO:0.00}"));
        QCOMPARE(report.parameterNames(), (QStringList{"CDFILIAL", "DATA"}));
    };
    const QList<host::ReportDefinition> reports =
        host::parseReports(QString::fromUtf8(GroupedReport), QStringLiteral("teste"));
    QCOMPARE(reports.size(), 1);
    check(reports.first());
    const QList<host::ReportDefinition> again =
        host::parseReports(host::reportsText(reports), QStringLiteral("teste"));
    QCOMPARE(again.size(), 1);
    check(again.first());
}

void ReportDocumentTest::malformedGroupsNameTheLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reason");
    const QString start = QStringLiteral("[report] A\n[query]\nSELECT X FROM T\n[group]\n");
    QTest::newRow("no bar") << start + "key NRVOO\n[columns]\nX\n"
                            << "sem \"|\"";
    QTest::newRow("unknown item") << start + "chave | X\n[columns]\nX\n"
                                  << "\"chave\" desconhecido";
    QTest::newRow("no key") << start + "totals | X\n[columns]\nX\n"
                            << "não tem \"key\"";
    QTest::newRow("total not a column") << start + "key | X\ntotals | Y\n[columns]\nX\n"
                                        << "\"Y\" não é uma coluna";
}

// Catches a group that cannot work accepted, to fail later on paper.
void ReportDocumentTest::malformedGroupsNameTheLine()
{
    QFETCH(QString, text);
    QFETCH(QString, reason);
    QString message;
    try {
        host::parseReports(text, QStringLiteral("ate254.rel"));
    } catch (const platform::Error &error) {
        message = error.message();
    }
    QVERIFY2(message.contains(reason), qPrintable(message));
}

// Catches rows under the wrong group, totals that do not add up (a null
// counted, a group's total carried into the next), numbers not in
// Brazilian style, a price shown with no value, and a heading without its
// parameters or first row.
void ReportDocumentTest::groupsCarryTheirRowsAndTotals()
{
    const host::ReportDefinition report =
        host::parseReports(QString::fromUtf8(GroupedReport), QStringLiteral("teste")).first();
    const auto set = rows({{"1234", "Guarulhos", "Refeição", 1500.5, 12.5, "R$ "},
                           {"1234", "Guarulhos", "Bebidas", QVariant(), QVariant(), "R$ "},
                           {"0950", "Guarulhos", "Kit", 10.0, 5.0, "US$ "}});
    const host::TParams filled = params();
    std::unique_ptr<QTextDocument> document;
    try {
        document = host::buildReportDocument(report, *set, &filled);
    } catch (const platform::Error &error) {
        QFAIL(qPrintable(error.message()));
    }

    const host::ReportPageHeading heading = host::pageHeading(*document);
    QCOMPARE(heading.title, QStringLiteral("Serviços por vôo"));
    QCOMPARE(heading.lines, QStringList{"Filial: GRU   Dia: 10/05/2024   Base: Guarulhos"});
    QVERIFY(heading.issued.startsWith(QStringLiteral("Emitido em ")));
    QCOMPARE(lines(document->toPlainText()),
             (QStringList{"Vôo 1234", "Serviço",    "Qtde",         "Preço",        "Refeição",
                          "1.500,50", "R$ 12,50",   "Bebidas",      "Total do vôo", "1.500,50",
                          "Vôo 0950", "Serviço",    "Qtde",         "Preço",        "Kit",
                          "10,00",    "US$ 5,00",   "Total do vôo", "10,00",        "Total geral",
                          "1.510,50", "3 registros"}));

    // A query that gives no rows: the heading's columns stay empty.
    const auto none = rows({});
    const std::unique_ptr<QTextDocument> empty = host::buildReportDocument(report, *none, &filled);
    QCOMPARE(host::pageHeading(*empty).lines,
             QStringList{"Filial: GRU   Dia: 10/05/2024   Base: "});
    QVERIFY(empty->toPlainText().contains(QStringLiteral("0 registros")));
}

// Catches a heading printed on the first page only, pages without their
// number or count, and a report cut short at a page break.
void ReportDocumentTest::everyPageHasTheHeadingAndItsNumber()
{
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QVERIFY2(!pdftotext.isEmpty(), "pdftotext (poppler-utils) is needed");
    const std::unique_ptr<QTextDocument> document = servicesReport(150, 50);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    host::exportReportPdf(*document, pdf);
    QProcess text;
    text.start(pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(30000));
    const QStringList pages =
        QString::fromUtf8(text.readAllStandardOutput()).split(u'\f', Qt::SkipEmptyParts);
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    int services = 0;
    for (int i = 0; i < pages.size(); ++i) {
        const QStringList page = lines(pages.at(i));
        QVERIFY2(page.contains(QStringLiteral("Serviços por vôo")), qPrintable(page.join(u'\n')));
        QVERIFY(page.contains(QStringLiteral("Filial: GRU Dia: 10/05/2024 Base: Guarulhos")));
        QCOMPARE(page.last(), QStringLiteral("Página %1 de %2").arg(i + 1).arg(pages.size()));
        for (const QString &line : page)
            services += line.startsWith(u"Serviço ") && line.endsWith(u"R$ 2,00") ? 1 : 0;
    }
    QCOMPARE(services, 150);

    QCOMPARE(QFileInfo::exists(QStringLiteral("/nonexistent/report.pdf")), false);
    QVERIFY_THROWS_EXCEPTION(
        platform::Error,
        host::exportReportPdf(*document, QStringLiteral("/nonexistent/report.pdf")));
}

// Catches a preview that breaks the pages elsewhere than the PDF export of
// the same report (another page, another resolution), and one that opens
// as a strip of toolbar with the page at a few percent.
void ReportDocumentTest::previewShowsThePagesThePdfHas()
{
    const std::unique_ptr<QTextDocument> document = servicesReport(400, 7);

    QTemporaryDir dir;
    const int pdfPages = host::exportReportPdf(*document, dir.filePath(QStringLiteral("r.pdf")));
    QVERIFY(pdfPages > 5);

    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&document](QPrinter *target) { host::printReport(*document, *target); });
    host::prepareReportPreview(preview);
    auto *pages = preview.findChild<QPrintPreviewWidget *>();
    QVERIFY(pages);
    pages->updatePreview();
    QCOMPARE(pages->pageCount(), pdfPages);

    QCOMPARE(pages->zoomMode(), QPrintPreviewWidget::FitToWidth);
    QVERIFY(preview.findChild<QAction *>(QStringLiteral("fitWidthAction"))->isChecked());
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    QVERIFY2(preview.width() * 3 >= screen.width() * 2
                 && preview.height() * 3 >= screen.height() * 2,
             qPrintable(QStringLiteral("%1 x %2").arg(preview.width()).arg(preview.height())));
}

QTEST_MAIN(ReportDocumentTest)
#include "report_document_test.moc"
