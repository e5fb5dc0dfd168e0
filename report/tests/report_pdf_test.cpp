// The closing position report itself: printed through the form and the
// report designer from a small company database on SQLite and PostgreSQL,
// written to PDF and read back as text.

#include "report/tests/company_database.h"
#include "report/tests/report_fixture.h"

#include "host/report/report_designer.h"
#include "testing/net/test_packet.h"

#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace report::testing;
using host::testing::Answer;
using host::testing::TestPacket;

namespace {

// One day (10/05/2024) of branch GRU: three flights, and around them what
// must stay out of the report: a flight of another branch and one of the
// next day. Quantities: stand-by, requested, invoiced, cut, fixed.
const QStringList Fixture = {
    "INSERT INTO FILIAL VALUES ('GRU', 'Guarulhos', 'N')",
    "INSERT INTO FILIAL VALUES ('CGH', 'Congonhas', 'N')",
    "INSERT INTO COMPANHIA VALUES ('G3', 'GOL', 'Gol Linhas Aéreas', '1')",
    "INSERT INTO COMPANHIA VALUES ('AA', 'AAL', 'American Airlines', '2')",
    "INSERT INTO COMPANHIA VALUES ('TP', 'TAP', 'TAP Air Portugal', '2')",
    "INSERT INTO SERVICO VALUES ('REF', 'Refeição quente')",
    "INSERT INTO SERVICO VALUES ('BEB', 'Bebidas')",
    "INSERT INTO SERVICO VALUES ('KIT', 'Kit lanche')",
    "INSERT INTO SERVICO VALUES ('GEL', 'Gelo (kg)')",
    "INSERT INTO PLANOVOO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDSITABASPV, HRDECOLVOO)"
    " VALUES ('AA', 'GRU', '0950', '02', '2024-05-10 14:05:00', '4', '1405')",
    "INSERT INTO PLANOVOO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDSITABASPV, HRDECOLVOO)"
    " VALUES ('G3', 'GRU', '1234', '01', '2024-05-10 09:30:00', '2', '0930')",
    "INSERT INTO PLANOVOO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDSITABASPV, HRDECOLVOO)"
    " VALUES ('TP', 'GRU', '0087', '03', '2024-05-10 22:00:00', '5', '2200')",
    "INSERT INTO PLANOVOO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDSITABASPV, HRDECOLVOO)"
    " VALUES ('G3', 'CGH', '5555', '01', '2024-05-10 10:00:00', '1', '1000')",
    "INSERT INTO PLANOVOO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDSITABASPV, HRDECOLVOO)"
    " VALUES ('G3', 'GRU', '1234', '01', '2024-05-11 09:30:00', '1', '0930')",
};

QString service(const char *flight, int item, const char *code, const char *situation,
                const char *quantities, const char *prices, const char *invoiceEntry = "NULL")
{
    return QStringLiteral("INSERT INTO SERVPLANO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, "
                          "NRITEMPLANSP, CDSERVICO, IDSITSERSP, QTSESBYPRSP, QTSESOLICSP, "
                          "QTSERFATSP, QTCORTSERVSP, QTSERVFIXSP, VRPRURESESP, VRPRUDOLSESP, "
                          "NRLANCTONF) VALUES (%1, %2, '%3', '%4', %5, %6, %7)")
        .arg(QLatin1String(flight))
        .arg(item)
        .arg(QLatin1String(code), QLatin1String(situation), QLatin1String(quantities),
             QLatin1String(prices), QLatin1String(invoiceEntry));
}

QStringList services()
{
    const char *gol = "'G3', 'GRU', '1234', '01', '2024-05-10 09:30:00'";
    const char *american = "'AA', 'GRU', '0950', '02', '2024-05-10 14:05:00'";
    const char *tap = "'TP', 'GRU', '0087', '03', '2024-05-10 22:00:00'";
    return {
        service(gol, 1, "REF", "1", "4, 150, NULL, 0, 2", "12.5, 2.4"),
        service(gol, 2, "BEB", "2", "0, 162, 162, 0, 0", "3.1, 0.6"),
        service(gol, 3, "KIT", "3", "0, 12, 0, 12, 0", "8, 1.5"),
        // Invoiced with an invoice entry: "Cc" on the screen, so on paper.
        service(gol, 4, "GEL", "5", "1, 20, 20, 0, 0", "1234.2, 250", "'NF123'"),
        service(american, 1, "REF", "2", "7, 180, 180, 0, 0", "250, 48"),
        service(american, 2, "KIT", "4", "0, 10, 0, 10, 1", "30, 5.5"),
        service(tap, 1, "BEB", "3", "0, 30, 0, 30, 0", "11, 2"),
        service("'G3', 'CGH', '5555', '01', '2024-05-10 10:00:00'", 1, "REF", "1", "0, 99, 0, 0, 0",
                "1, 1"),
        service("'G3', 'GRU', '1234', '01', '2024-05-11 09:30:00'", 1, "KIT", "3",
                "0, 77, 0, 77, 0", "1, 1"),
    };
}

TestPacket companhiaPacket()
{
    TestPacket packet;
    packet.fixedText("IDMARCADO", 1).text("CDCIA", 4).text("SGCIA", 5).text("NMCIA", 50);
    packet.row({"N", "AA", "AAL", "American Airlines"});
    packet.row({"N", "G3", "GOL", "Gol Linhas Aéreas"});
    packet.row({"N", "TP", "TAP", "TAP Air Portugal"});
    return packet;
}

// The lines that carry the report's content, blanks collapsed: headings,
// flights, services, totals, the count and the page number. Column titles
// (their wrapping is the layout's) and the date of issue are left out.
QStringList contentLines(const QString &text)
{
    static const QRegularExpression kept(QStringLiteral(
        "^(Filial:|Data do plano|Posição|Serviços|GOL |AAL |TAP |(Pe|At|Ca|Cc|Ft) |Kit |"
        "Total|\\d+ registros?|Página)"));
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        const QString simple = line.simplified();
        if (kept.match(simple).hasMatch())
            lines.append(simple);
    }
    return lines;
}

} // namespace

class ReportPdfTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void closingPositionForAListAndSomeSituations_data();
    void closingPositionForAListAndSomeSituations();
    void cancelledServicesOfTheDay_data();
    void cancelledServicesOfTheDay();

private:
    // The form over the fixture's day, its report printed to PDF; the
    // PDF's text, empty (after a failed check) when it could not be made.
    QString printToPdf(ReportFixture &fixture);

    QString m_pdftotext;
    QTemporaryDir m_dir;
};

void ReportPdfTest::initTestCase()
{
    m_pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    QVERIFY2(!m_pdftotext.isEmpty(), "pdftotext (poppler-utils) is needed");
    QVERIFY(m_dir.isValid());
    // The amounts as a Brazilian desk reads them; an English desk's are
    // read back end to end.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
}

static void addDrivers()
{
    QTest::addColumn<QString>("driver");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

#define OPEN_COMPANY_DATABASE(db) \
    QFETCH(QString, driver); \
    QString whyNot; \
    std::unique_ptr<CompanyDatabase> db = CompanyDatabase::create(driver, &whyNot); \
    if (!db && driver == QLatin1String("postgresql") && whyNot.startsWith("ATE_TEST_PG")) \
        QSKIP("ATE_TEST_PG is not set"); \
    QVERIFY2(db, qPrintable(whyNot)); \
    QCOMPARE(db->run(Fixture + services()), QString())

QString ReportPdfTest::printToPdf(ReportFixture &fixture)
{
    const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
    QFile::remove(pdf);
    // The host's own runner, on its database, and its own output.
    fixture.form()->rpddPadrao->setRunner(nullptr);
    fixture.form()->rpddPadrao->setPreview(nullptr);
    host::setReportPdfOutput(pdf);
    fixture.print();
    host::setReportPdfOutput({});
    [&] { QCOMPARE(fixture.screen.dialogs->texts().join(u'\n'), QString()); }();
    QProcess text;
    text.start(m_pdftotext, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!text.waitForFinished(30000) || text.exitCode() != 0)
        return {};
    return QString::fromUtf8(text.readAllStandardOutput());
}

void ReportPdfTest::closingPositionForAListAndSomeSituations_data()
{
    addDrivers();
}

// Catches flights of another airline, branch or day in the report, a
// situation left unticked that still prints (or a ticked one missing),
// services under the wrong flight, totals that do not add up, prices in the
// wrong currency, a service's situation printed otherwise than the screen
// shows it, and accents lost on the way to the PDF.
void ReportPdfTest::closingPositionForAListAndSomeSituations()
{
    OPEN_COMPANY_DATABASE(db);
    ReportFixture fixture;
    db->use();
    Cli_ate25402::TfrmRelPosFecDiaPV *form = fixture.form();
    fixture.screen.server.setDefault(QStringLiteral("GetCompanhia"),
                                     Answer::packet(companhiaPacket()));
    fixture.screen.dialogs->pickCodes({QStringLiteral("AA"), QStringLiteral("G3")});
    fixture.typeDate(QStringLiteral("10052024"));
    QTest::mouseClick(form->rbtLCia, Qt::LeftButton);
    QTest::mouseClick(form->btpCia, Qt::LeftButton);
    QCOMPARE(form->listaRel(), QStringLiteral("AA,G3"));
    tick(form->ckbAtendido);

    const QString text = printToPdf(fixture);
    QVERIFY(!text.isEmpty());
    QCOMPARE(contentLines(text), (QStringList{
                                     "Posição do Fechamento Diário do Plano de Vôo",
                                     "Filial: GRU - Guarulhos Data do plano de vôo: 10/05/2024",
                                     "GOL 1234 Trecho 01 ETD 09:30 Situação do vôo: At",
                                     "Pe Refeição quente 4,00 150,00 0,00 2,00 R$ 12,50",
                                     "Ca Kit lanche 0,00 12,00 0,00 12,00 0,00 R$ 8,00",
                                     "Cc Gelo (kg) 1,00 20,00 20,00 0,00 0,00 R$ 1.234,20",
                                     "Total do vôo 5,00 182,00 20,00 12,00 2,00",
                                     "AAL 0950 Trecho 02 ETD 14:05 Situação do vôo: Cc",
                                     // Cancelled with charge but no invoice entry:
                                     // no situation, as on the screen.
                                     "Kit lanche 0,00 10,00 0,00 10,00 1,00 US$ 5,50",
                                     "Total do vôo 0,00 10,00 0,00 10,00 1,00",
                                     "Total geral 5,00 192,00 20,00 22,00 3,00",
                                     "4 registros",
                                     "Página 1 de 1",
                                 }));
}

void ReportPdfTest::cancelledServicesOfTheDay_data()
{
    addDrivers();
}

// Catches the smaller report failing on the parameters it lacks, or
// printing another situation, another day, or losing another branch's
// cancelled service (it takes no branch).
void ReportPdfTest::cancelledServicesOfTheDay()
{
    OPEN_COMPANY_DATABASE(db);
    QVERIFY(db->run({service("'G3', 'CGH', '5555', '01', '2024-05-10 10:00:00'", 2, "GEL", "3",
                             "0, 5, 0, 5, 0", "1, 1")})
                .isEmpty());
    ReportFixture fixture;
    db->use();
    fixture.typeDate(QStringLiteral("10052024"));
    fixture.chooseReport(QStringLiteral("Serviços cancelados do dia"));

    const QString text = printToPdf(fixture);
    QVERIFY(!text.isEmpty());
    QStringList rows;
    for (const QString &line : text.split(u'\n')) {
        const QString simple = line.simplified();
        if (simple.startsWith(QLatin1String("GRU ")) || simple.startsWith(QLatin1String("CGH "))
            || simple.contains(QLatin1String("registro"))
            || simple.startsWith(QLatin1String("Data")))
            rows.append(simple);
    }
    QCOMPARE(rows,
             (QStringList{"Data do plano de vôo: 10/05/2024", "CGH GOL 5555 01 Gelo (kg) 5,00",
                          "GRU GOL 1234 01 Kit lanche 12,00", "GRU TAP 0087 03 Bebidas 30,00",
                          "3 registros"}));
}

QTEST_MAIN(ReportPdfTest)
#include "report_pdf_test.moc"
