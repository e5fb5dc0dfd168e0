// The report parameter form over the closing position screen: its layout,
// its checks and the parameters it hands to the report designer.

#include "report/tests/report_fixture.h"

#include "host/busy_indicator.h"
#include "platform/client_data_set.h"
#include "platform/field.h"
#include "testing/net/test_packet.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace report::testing;
using host::testing::Answer;
using host::testing::TestPacket;
using screen::testing::focusName;

namespace {

const QString ReportTitle = QStringLiteral("Posição do Fechamento Diário do Plano de Vôo");
const QString CancelledTitle = QStringLiteral("Serviços cancelados do dia");

TestPacket companhiaPacket(const QList<QStringList> &rows)
{
    TestPacket packet;
    packet.fixedText("IDMARCADO", 1).text("CDCIA", 4).text("SGCIA", 5).text("NMCIA", 50);
    for (const QStringList &row : rows)
        packet.row({QStringLiteral("N"), row.at(0), row.at(1), row.at(2)});
    return packet;
}

QVariantList situations(const RecordingRunner &runner)
{
    QVariantList values;
    for (int i = 1; i <= 5; ++i)
        values.append(runner.value(QStringLiteral("SIT%1").arg(i)));
    return values;
}

QVariantList codes(std::initializer_list<int> list)
{
    QVariantList values;
    for (int code : list)
        values.append(qint64(code));
    return values;
}

} // namespace

class ReportFormTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void opensOnTheScreensDateWithEverythingChosen();
    void situationsFollowTheTicks();
    void noSituationIsRefused();
    void airlineListIsPickedAndKept();
    void dateChangeForgetsTheList();
    void emptyDateComesFirst();
    void onlyDeclaredParametersAreFilled();
    void failedAirlineSearchKeepsWhatWasThere();
    void missingReportFileIsNamed();
    void invalidDateIsReportedByTheDateEdit();

private:
    std::unique_ptr<ReportFixture> m_fixture;
    Cli_ate25402::TfrmRelPosFecDiaPV *m_form = nullptr;
};

void ReportFormTest::init()
{
    m_fixture = std::make_unique<ReportFixture>();
    m_form = m_fixture->form();
    QVERIFY(m_form);
}

void ReportFormTest::cleanup()
{
    m_form = nullptr;
    m_fixture.reset();
}

// Catches a component missing, misnamed or out of place, a message table
// out of order, and a form that does not start from the screen's date with
// all airlines and every situation.
void ReportFormTest::opensOnTheScreensDateWithEverythingChosen()
{
    QCOMPARE(m_form->windowTitle(), ReportTitle);
    QCOMPARE(m_form->lblCodTela->text(), QStringLiteral("ATE25402"));
    QCOMPARE(m_form->lblCodRel->text(), QStringLiteral("Ate254"));
    QCOMPARE(m_form->helpContext(), 10125402);
    QCOMPARE(m_form->size(), QSize(355, 178));
    QCOMPARE(m_form->cbbReportNames->itemText(0), ReportTitle);
    QCOMPARE(m_form->cbbReportNames->itemText(1), CancelledTitle);
    const QStringList lines = m_form->msgPadrao->lines();
    QStringList keys;
    for (const QString &line : lines)
        keys.append(line.section(u'|', 0, 0));
    QCOMPARE(keys, (QStringList{"Arq_Rel_Err", "NovoCaption", "NovoPrompt", "DtPV_Vaz", "Cia_Vaz",
                                "Sit_Vaz", "CIA_NC", "Companhia"}));

    QCOMPARE(m_form->depVoo->parentWidget(), m_form->grbDadosRel);
    QCOMPARE(m_form->depVoo->geometry(), QRect(98, 51, 100, 21));
    QCOMPARE(m_form->grbCia->geometry(), QRect(4, 77, 194, 69));
    QCOMPARE(m_form->btpCia->geometry(), QRect(101, 40, 21, 21));
    QCOMPARE(m_form->GroupBox1->geometry(), QRect(201, 45, 149, 101));
    QCOMPARE(m_form->ckbFaturado->geometry().topLeft(), QPoint(6, 79));
    QCOMPARE(m_form->ckbCancelCob->text(), QStringLiteral("Canc. c/ Cobrança"));
    QCOMPARE(m_form->depVoo->NomeSemana().at(6), QStringLiteral("Sábado"));
    QVERIFY(m_form->grbCia->font().bold());
    QVERIFY(!m_form->rbtTCia->font().bold());

    QCOMPARE(m_form->depVoo->GetDate().date(), screen::testing::today());
    QVERIFY(m_form->rbtTCia->isChecked());
    QVERIFY(!m_form->btpCia->isEnabled());
    QVERIFY(m_form->listaRel().isEmpty());
    QList<int> tags;
    for (const Cli_ate25402::TCheckBox *box :
         {m_form->ckbPendente, m_form->ckbAtendido, m_form->ckbCancelado, m_form->ckbCancelCob,
          m_form->ckbFaturado}) {
        QVERIFY(box->isChecked());
        tags.append(box->Tag);
    }
    QCOMPARE(tags, (QList<int>{1, 2, 3, 4, 5}));
    QCOMPARE(m_form->cdsCompanhia->fields().size(), size_t(4));
    QVERIFY(!m_form->cdsCompanhia->fieldByName(QStringLiteral("CDCIA")).isVisible());
    QCOMPARE(m_form->cdsCompanhia->fieldByName(QStringLiteral("NMCIA")).displayLabel(),
             QStringLiteral("Nome"));
    m_form->grab().save(QStringLiteral(REPORT_PNG_DIR "/ate25402.png"));
}

// Catches a situation sent with the wrong code, a Tag that does not follow
// an untick and a tick again (or a change made by code), and branch, date
// or all-airlines marker not handed over.
void ReportFormTest::situationsFollowTheTicks()
{
    m_fixture->print();
    QCOMPARE(m_fixture->screen.dialogs->texts(), QStringList());
    const RecordingRunner &runner = *m_fixture->runner;
    QCOMPARE(runner.runs, 1);
    QCOMPARE(runner.title, ReportTitle);
    QCOMPARE(runner.value(QStringLiteral("CDFILIAL")), QVariant(QStringLiteral("GRU")));
    QCOMPARE(runner.value(QStringLiteral("DTHRPLAVOOPV")).toDateTime().date(),
             screen::testing::today());
    QCOMPARE(runner.value(QStringLiteral("CDCIA")), QVariant(QStringLiteral("T")));
    QCOMPARE(situations(runner), codes({1, 2, 3, 4, 5}));

    tick(m_form->ckbPendente);
    tick(m_form->ckbFaturado);
    m_fixture->print();
    QCOMPARE(situations(runner), codes({0, 2, 3, 4, 0}));

    tick(m_form->ckbPendente);
    QTest::keyClick(m_form->ckbAtendido, Qt::Key_Space);
    m_form->ckbFaturado->setChecked(true);
    m_fixture->print();
    QCOMPARE(situations(runner), codes({1, 0, 3, 4, 5}));
    QCOMPARE(runner.runs, 3);
}

// Catches a report printed with no situation, and the message or the focus
// elsewhere than on "Pendente".
void ReportFormTest::noSituationIsRefused()
{
    for (Cli_ate25402::TCheckBox *box :
         {m_form->ckbPendente, m_form->ckbAtendido, m_form->ckbCancelado, m_form->ckbCancelCob,
          m_form->ckbFaturado})
        tick(box);
    m_fixture->print();
    const auto &messages = m_fixture->screen.dialogs->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().text, QStringLiteral("Situação deve ser informada."));
    QCOMPARE(messages.first().focus, QStringLiteral("ckbPendente"));
    QCOMPARE(m_fixture->runner->runs, 0);
}

// Catches the airline search called without the form's date, a picked
// list not handed over unchanged, "Todas" not overriding it, and a list
// lost by switching between "Todas" and "Lista".
void ReportFormTest::airlineListIsPickedAndKept()
{
    host::testing::ScriptedServer &server = m_fixture->screen.server;
    server.setDefault(QStringLiteral("GetCompanhia"),
                      Answer::packet(companhiaPacket({{"AA", "AAL", "American Airlines"},
                                                      {"G3", "GOL", "Gol Linhas Aéreas"},
                                                      {"TP", "TAP", "TAP Air Portugal"}})));
    m_fixture->screen.dialogs->pickCodes({QStringLiteral("G3"), QStringLiteral("TP")});

    QTest::mouseClick(m_form->rbtLCia, Qt::LeftButton);
    QVERIFY(m_form->btpCia->isEnabled());
    QTest::mouseClick(m_form->btpCia, Qt::LeftButton);
    QCOMPARE(server.callStrings(),
             QStringList{QStringLiteral("GetCompanhia(%1)")
                             .arg(screen::testing::wireDate(
                                 QDateTime(screen::testing::today(), QTime(0, 0), Qt::UTC)))});
    const auto &pickers = m_fixture->screen.dialogs->pickers();
    QCOMPARE(pickers.size(), 1);
    QCOMPARE(pickers.first().title, QStringLiteral("Companhia"));
    QCOMPARE(pickers.first().keyField, QStringLiteral("CDCIA"));
    QCOMPARE(pickers.first().rowCount, 3);
    QCOMPARE(m_form->listaRel(), QStringLiteral("G3,TP"));
    QVERIFY(!host::busyIndicatorVisible());

    m_fixture->print();
    QCOMPARE(m_fixture->runner->value(QStringLiteral("CDCIA")), QVariant(QStringLiteral("G3,TP")));

    QTest::mouseClick(m_form->rbtTCia, Qt::LeftButton);
    QVERIFY(!m_form->btpCia->isEnabled());
    m_fixture->print();
    QCOMPARE(m_fixture->runner->value(QStringLiteral("CDCIA")), QVariant(QStringLiteral("T")));

    QTest::mouseClick(m_form->rbtLCia, Qt::LeftButton);
    m_fixture->print();
    QCOMPARE(m_fixture->runner->value(QStringLiteral("CDCIA")), QVariant(QStringLiteral("G3,TP")));
    QCOMPARE(m_fixture->screen.dialogs->texts(), QStringList());
}

// Catches a list of another day's airlines kept after the date changed,
// and a "Lista" without a list that still prints.
void ReportFormTest::dateChangeForgetsTheList()
{
    m_fixture->screen.server.setDefault(
        QStringLiteral("GetCompanhia"),
        Answer::packet(companhiaPacket({{"G3", "GOL", "Gol Linhas Aéreas"}})));
    m_fixture->screen.dialogs->pickCodes({QStringLiteral("G3")});
    QTest::mouseClick(m_form->rbtLCia, Qt::LeftButton);
    QTest::mouseClick(m_form->btpCia, Qt::LeftButton);
    QCOMPARE(m_form->listaRel(), QStringLiteral("G3"));

    m_fixture->typeDate(QStringLiteral("02012025"));
    QVERIFY(m_form->rbtTCia->isChecked());
    QVERIFY(!m_form->btpCia->isEnabled());
    QVERIFY(m_form->listaRel().isEmpty());

    QTest::mouseClick(m_form->rbtLCia, Qt::LeftButton);
    m_fixture->print();
    const auto &messages = m_fixture->screen.dialogs->messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().text, QStringLiteral("Companhia deve ser informada."));
    QCOMPARE(messages.first().focus, QStringLiteral("rbtLCia"));
    QCOMPARE(m_fixture->runner->runs, 0);
}

// Catches the other checks made before the date's, and an airline search
// that calls the server without a date.
void ReportFormTest::emptyDateComesFirst()
{
    m_fixture->typeDate(QString());
    QTest::mouseClick(m_form->rbtLCia, Qt::LeftButton);
    tick(m_form->ckbPendente);
    for (Cli_ate25402::TCheckBox *box :
         {m_form->ckbAtendido, m_form->ckbCancelado, m_form->ckbCancelCob, m_form->ckbFaturado})
        tick(box);

    m_fixture->print();
    QTest::mouseClick(m_form->btpCia, Qt::LeftButton);
    const auto &messages = m_fixture->screen.dialogs->messages();
    QCOMPARE(messages.size(), 2);
    for (const auto &message : messages) {
        QCOMPARE(message.text, QStringLiteral("Data do Plano de Vôo deve ser informada."));
        QCOMPARE(message.focus, QStringLiteral("depVoo"));
    }
    QCOMPARE(m_fixture->runner->runs, 0);
    QCOMPARE(m_fixture->screen.server.callCount(), 0);
    QVERIFY(m_fixture->screen.dialogs->pickers().isEmpty());
}

// Catches parameters filled that the chosen report's query does not have
// (the designer would refuse them) or declared ones left empty.
void ReportFormTest::onlyDeclaredParametersAreFilled()
{
    m_fixture->chooseReport(CancelledTitle);
    m_fixture->print();
    const RecordingRunner &runner = *m_fixture->runner;
    QCOMPARE(runner.title, CancelledTitle);
    QCOMPARE(runner.names, (QStringList{"DTHRPLAVOOPV", "SIT3"}));
    QCOMPARE(runner.value(QStringLiteral("DTHRPLAVOOPV")).toDateTime().date(),
             screen::testing::today());
    QCOMPARE(runner.value(QStringLiteral("SIT3")), QVariant(qint64(3)));
}

// Catches a failed airline search that empties the airlines or the list
// already picked, or leaves the busy indicator up.
void ReportFormTest::failedAirlineSearchKeepsWhatWasThere()
{
    host::testing::ScriptedServer &server = m_fixture->screen.server;
    server.enqueue(QStringLiteral("GetCompanhia"),
                   Answer::packet(companhiaPacket(
                       {{"AA", "AAL", "American Airlines"}, {"G3", "GOL", "Gol Linhas Aéreas"}})));
    server.enqueue(QStringLiteral("GetCompanhia"),
                   Answer::failure(QStringLiteral("Companhias indisponíveis.")));
    m_fixture->screen.dialogs->pickCodes({QStringLiteral("AA")});
    QTest::mouseClick(m_form->rbtLCia, Qt::LeftButton);
    QTest::mouseClick(m_form->btpCia, Qt::LeftButton);
    QCOMPARE(m_form->listaRel(), QStringLiteral("AA"));

    QTest::mouseClick(m_form->btpCia, Qt::LeftButton);
    QCOMPARE(m_fixture->screen.dialogs->texts(),
             QStringList{QStringLiteral("Companhias indisponíveis.")});
    QCOMPARE(m_form->listaRel(), QStringLiteral("AA"));
    QCOMPARE(m_form->cdsCompanhia->recordCount(), 2);
    QCOMPARE(m_form->cdsCompanhia->fieldByName(QStringLiteral("CDCIA")).textAt(1),
             QStringLiteral("G3"));
    QCOMPARE(m_fixture->screen.dialogs->pickers().size(), 1);
    QVERIFY(!host::busyIndicatorVisible());
}

// Catches a report folder without the code's file that fails silently or
// without saying which code and folder.
void ReportFormTest::missingReportFileIsNamed()
{
    QTemporaryDir empty;
    m_form->rpddPadrao->setReportFolder(empty.path());
    m_fixture->print();
    QCOMPARE(m_fixture->screen.dialogs->texts(),
             QStringList{QStringLiteral("O arquivo contendo a definição do relatório de código "
                                        "'Ate254' não foi encontrado no diretório '%1'.")
                             .arg(QDir::toNativeSeparators(empty.path()))});
    QCOMPARE(m_fixture->runner->runs, 0);
}

// Catches an impossible date accepted on leaving the field or by the
// report, and the focus let go from it.
void ReportFormTest::invalidDateIsReportedByTheDateEdit()
{
    m_fixture->typeDate(QStringLiteral("31022024"));
    QTest::keyClick(m_form->depVoo, Qt::Key_Tab);
    const auto &messages = m_fixture->screen.dialogs->messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().text.contains(QStringLiteral("31/02/2024")),
             qPrintable(messages.first().text));
    QCOMPARE(screen::testing::focusName(), QStringLiteral("depVoo"));

    m_fixture->print();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages.last().text, messages.first().text);
    QCOMPARE(m_fixture->runner->runs, 0);
}

QTEST_MAIN(ReportFormTest)
#include "report_form_test.moc"
