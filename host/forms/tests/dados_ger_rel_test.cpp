#include "host/forms/create_form.h"
#include "host/forms/frm_dados_ger_rel.h"
#include "host/functions.h"
#include "host/host_context.h"
#include "host/local_database.h"
#include "host/report/report_definition.h"
#include "host/report/report_printing.h"
#include "host/report/report_runner.h"
#include "platform/abort.h"
#include "testing/host/fake_dialogs.h"
#include "testing/host/modal_driver.h"
#include "testing/host_report/recording_runner.h"

#include <QFile>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

using host::CloseAction;
using host::TfrmDadosGerRel;
using host::TParams;
using host::testing::FakeDialogs;
using host::testing::ModalDriver;
using host::testing::RecordingRunner;
using host::testing::showActive;

namespace {

const char *const reportFile = R"(# Relatórios de teste
[report] Posição por companhia
[query]
SELECT CDCIA, NRVOO, QTPAX FROM VOOS
 WHERE CDFILIAL = :CDFILIAL AND QTPAX >= :QTMIN
 ORDER BY NRVOO
[columns]
CDCIA | Companhia | 10
NRVOO | Vôo       | 10 | right
QTPAX | Passageiros | 8 | right

[report] Resumo
[query]
SELECT COUNT(*) AS TOTAL FROM VOOS WHERE CDFILIAL = :CDFILIAL
[columns]
TOTAL | Total
)";

// A report parameter form as a module derives one: its codes, a message
// of its own, and the query parameter handler.
class TestReport : public TfrmDadosGerRel
{
public:
    explicit TestReport(QStringList *trace, const QString &code = QStringLiteral("Ate254"))
        : m_trace(trace)
    {
        setObjectName(QStringLiteral("frmRelTeste"));
        setWindowTitle(QStringLiteral("Relatório de teste"));
        setClientSize(355, 178);
        lblCodRel->setText(code);
        lblCodTela->setText(QStringLiteral("ATE25402"));
        msgPadrao->addLine(QStringLiteral("DtPV_Vaz|Data do Plano de Vôo deve ser informada."));
        rpddPadrao->setBeforeGetQueryParams([this](TParams &params, bool &proceed) {
            rpddPadraoBeforeGetQueryParams(params, proceed);
        });
    }

    void FormCreate(QObject *sender) override
    {
        TfrmDadosGerRel::FormCreate(sender);
        note(QStringLiteral("FormCreate %1").arg(cbbReportNames->count()));
    }
    void FormClose(QObject *sender, CloseAction &action) override
    {
        TfrmDadosGerRel::FormClose(sender, action);
        note(QStringLiteral("FormClose"));
    }

    void rpddPadraoBeforeGetQueryParams(TParams &params, bool &proceed)
    {
        askedFor = params.names();
        for (int i = 0; i < params.count(); ++i)
            askedWithValues |= !params.at(i).isNull();
        if (refuse)
            host::MensErro(msgPadrao->Msg(QStringLiteral("DtPV_Vaz")), true);
        if (skip)
            proceed = false;
        if (host::ExistParam(params, QStringLiteral("CDFILIAL")))
            params.paramByName(QStringLiteral("CDFILIAL")).setAsString(branch);
        if (host::ExistParam(params, QStringLiteral("QTMIN")))
            params.paramByName(QStringLiteral("QTMIN")).setAsInteger(100);
    }

    QStringList askedFor;
    bool askedWithValues = false;
    bool refuse = false;
    bool skip = false;
    QString branch = QStringLiteral("GRU");

private:
    void note(const QString &what)
    {
        if (m_trace)
            m_trace->append(what);
    }

    QStringList *m_trace;
};

struct PreviewRecord
{
    int shown = 0;
    QString title;
    QString text;
    QString headingTitle; // printed at the top of every page
};

void recordPreviews(TestReport &form, PreviewRecord &record)
{
    form.rpddPadrao->setPreview([&record](QTextDocument &document, const QString &title) {
        ++record.shown;
        record.title = title;
        record.text = document.toPlainText();
        record.headingTitle = host::pageHeading(document).title;
    });
}

// A report form whose runner and preview only take notes.
struct RecordedReport
{
    explicit RecordedReport(const QString &code = QStringLiteral("Ate254"))
        : form(host::createForm<TestReport>(nullptr, code))
    {
        form->rpddPadrao->setRunner(runner);
        recordPreviews(*form, preview);
    }
    RecordedReport(const RecordedReport &) = delete;
    RecordedReport &operator=(const RecordedReport &) = delete;

    std::unique_ptr<TestReport> form;
    std::shared_ptr<RecordingRunner> runner = std::make_shared<RecordingRunner>();
    PreviewRecord preview;
};

} // namespace

class DadosGerRelTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void reportFilesParse();
    void malformedReportFilesNameTheLine_data();
    void malformedReportFilesNameTheLine();
    void formListsTheReportsAndIsFreedOnClose();
    void printingAsksForTheQueryParameters();
    void anAbortInTheParameterHandlerStopsQuietly();
    void aMissingReportFileIsReported();
    void defaultRunnerBindsTheParameters();
    void previewShowsTheReport();
    void newReportCopiesTheChosenOne();

private:
    void writeReports(const QString &name, const QByteArray &content);

    QTemporaryDir m_dir;
};

void DadosGerRelTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    host::setDefaultReportFolder(m_dir.path());
    // The name's case differs from the report code's on purpose.
    writeReports(QStringLiteral("ATE254.REL"), reportFile);
}

void DadosGerRelTest::cleanupTestCase()
{
    host::closeLocalDatabase();
    host::setDefaultReportFolder({});
}

void DadosGerRelTest::writeReports(const QString &name, const QByteArray &content)
{
    QFile file(m_dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// Catches a query cut short or joined with the next section, parameters
// missed, defaults not applied, and a written file that reads back changed.
void DadosGerRelTest::reportFilesParse()
{
    const QList<host::ReportDefinition> reports =
        host::parseReports(QString::fromUtf8(reportFile), QStringLiteral("teste"));
    QCOMPARE(reports.size(), 2);
    const host::ReportDefinition &first = reports.at(0);
    QCOMPARE(first.title, QStringLiteral("Posição por companhia"));
    QCOMPARE(first.query, QStringLiteral("SELECT CDCIA, NRVOO, QTPAX FROM VOOS\n"
                                         " WHERE CDFILIAL = :CDFILIAL AND QTPAX >= :QTMIN\n"
                                         " ORDER BY NRVOO"));
    QCOMPARE(first.parameterNames(), (QStringList{"CDFILIAL", "QTMIN"}));
    QCOMPARE(first.columns.size(), 3);
    QCOMPARE(first.columns.at(1).title, QStringLiteral("Vôo"));
    QCOMPARE(first.columns.at(1).alignment, Qt::AlignRight);
    QCOMPARE(first.columns.at(2).width, 8);
    const host::ReportColumn &total = reports.at(1).columns.at(0);
    QCOMPARE(total.width, 10);
    QCOMPARE(total.alignment, Qt::AlignLeft);

    const QList<host::ReportDefinition> again =
        host::parseReports(host::reportsText(reports), QStringLiteral("teste"));
    QCOMPARE(again.size(), 2);
    QCOMPARE(again.at(0).query, first.query);
    QCOMPARE(again.at(0).columns.at(1).title, QStringLiteral("Vôo"));
    QCOMPARE(again.at(0).columns.at(1).alignment, Qt::AlignRight);
    QCOMPARE(again.at(1).title, QStringLiteral("Resumo"));
}

void DadosGerRelTest::malformedReportFilesNameTheLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("where");
    QTest::newRow("bad width") << "[report] A\n[query]\nSELECT 1\n[columns]\nX | X | larga\n"
                               << "linha 5";
    QTest::newRow("bad alignment") << "[report] A\n[query]\nSELECT 1\n[columns]\nX | X | 5 | meio\n"
                                   << "linha 5";
    QTest::newRow("text outside") << "SELECT 1\n"
                                  << "linha 1";
    QTest::newRow("section first") << "\n[query]\nSELECT 1\n"
                                   << "linha 2";
    QTest::newRow("no title") << "[report]\n"
                              << "linha 1";
    QTest::newRow("no columns") << "[report] A\n[query]\nSELECT 1\n[report] B\n"
                                << "linha 1";
    QTest::newRow("no query") << "[report] A\n[columns]\nX\n"
                              << "linha 1";
}

// Catches a malformed report file accepted (and printed wrongly later) or
// rejected without saying where.
void DadosGerRelTest::malformedReportFilesNameTheLine()
{
    QFETCH(QString, text);
    QFETCH(QString, where);
    QString message;
    try {
        host::parseReports(text, QStringLiteral("ate254.rel"));
    } catch (const platform::Error &error) {
        message = error.message();
    }
    QVERIFY2(message.startsWith(QStringLiteral("Definição de relatório inválida (ate254.rel, ")),
             qPrintable(message));
    QVERIFY2(message.contains(where), qPrintable(message));
}

// Catches a base FormCreate that runs after the derived one (the list not
// there yet), base messages missing or after the form's own, and a form
// that is kept (not freed) after closing.
void DadosGerRelTest::formListsTheReportsAndIsFreedOnClose()
{
    QStringList trace;
    QPointer<TestReport> form = host::createForm<TestReport>(&trace);
    QCOMPARE(trace, QStringList{QStringLiteral("FormCreate 2")});
    QCOMPARE(form->cbbReportNames->itemText(0), QStringLiteral("Posição por companhia"));
    QCOMPARE(form->cbbReportNames->itemText(1), QStringLiteral("Resumo"));
    QCOMPARE(form->cbbReportNames->currentIndex(), 0);
    QCOMPARE(form->msgPadrao->lines().size(), 4);
    QVERIFY(form->msgPadrao->lines().at(0).startsWith(QStringLiteral("Arq_Rel_Err|")));
    QCOMPARE(form->msgPadrao->Msg(QStringLiteral("novocaption")),
             QStringLiteral("Título do relatório"));
    QCOMPARE(form->msgPadrao->Msg(QStringLiteral("NovoPrompt")),
             QStringLiteral("Informe o título do relatório:"));
    for (const char *name : {"grbDadosRel", "panRelat", "cbbReportNames", "panMenu", "lblCodRel",
                             "lblCodTela", "sbtImprimir", "ppmEditReport"}) {
        QVERIFY2(form->findChild<QWidget *>(QLatin1String(name)), name);
    }
    for (const char *name : {"msgPadrao", "msgMensagens", "rpddPadrao"})
        QVERIFY2(form->findChild<QObject *>(QLatin1String(name)), name);

    ModalDriver close(QStringLiteral("frmRelTeste"), [](QWidget *dialog) {
        QTest::mouseClick(dialog->findChild<QWidget *>(QStringLiteral("sbtFechar")),
                          Qt::LeftButton);
    });
    form->exec();
    QVERIFY2(close.failure().isEmpty(), qPrintable(close.failure()));
    QCOMPARE(trace.last(), QStringLiteral("FormClose"));
    // Still there for the creator's last steps after exec(), then gone.
    QVERIFY(!form.isNull());
    QTRY_VERIFY(form.isNull());
}

// Catches a print that does not raise BeforeGetQueryParams with the
// query's parameters, or does not hand the filled values to the runner.
void DadosGerRelTest::printingAsksForTheQueryParameters()
{
    FakeDialogs fake;
    RecordedReport report;
    TestReport *form = report.form.get();
    const auto &runner = report.runner;
    const PreviewRecord &preview = report.preview;
    QVERIFY(showActive(form));

    QTest::mouseClick(form->sbtImprimir, Qt::LeftButton);
    QCOMPARE(form->askedFor, (QStringList{"CDFILIAL", "QTMIN"}));
    QVERIFY(!form->askedWithValues);
    QCOMPARE(runner->runs, 1);
    QCOMPARE(runner->title, QStringLiteral("Posição por companhia"));
    QCOMPARE(runner->names, (QStringList{"CDFILIAL", "QTMIN"}));
    QCOMPARE(runner->values, (QVariantList{QStringLiteral("GRU"), qint64(100)}));
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.title, QStringLiteral("Posição por companhia"));
    QCOMPARE(preview.text, QStringLiteral("documento"));
    QVERIFY(fake.messages().isEmpty());

    form->cbbReportNames->setCurrentIndex(1);
    QTest::mouseClick(form->sbtImprimir, Qt::LeftButton);
    QCOMPARE(form->askedFor, QStringList{QStringLiteral("CDFILIAL")});
    QCOMPARE(runner->title, QStringLiteral("Resumo"));
}

// Catches a report that runs after the parameter handler aborted (or said
// not to go on), and an abort that is shown as a failure.
void DadosGerRelTest::anAbortInTheParameterHandlerStopsQuietly()
{
    FakeDialogs fake;
    RecordedReport report;
    TestReport *form = report.form.get();
    const auto &runner = report.runner;
    const PreviewRecord &preview = report.preview;
    QVERIFY(showActive(form));

    form->refuse = true;
    QTest::mouseClick(form->sbtImprimir, Qt::LeftButton);
    QCOMPARE(fake.texts(), QStringList{QStringLiteral("Data do Plano de Vôo deve ser informada.")});
    QCOMPARE(runner->runs, 0);
    QCOMPARE(preview.shown, 0);

    fake.clear();
    form->refuse = false;
    form->skip = true;
    QTest::mouseClick(form->sbtImprimir, Qt::LeftButton);
    QVERIFY(fake.messages().isEmpty());
    QCOMPARE(runner->runs, 0);
    QCOMPARE(preview.shown, 0);
    QVERIFY(form->isVisible());
}

// Catches a missing report file that fails without the form's message, or
// a broken one that keeps the form from opening.
void DadosGerRelTest::aMissingReportFileIsReported()
{
    FakeDialogs fake;
    RecordedReport report(QStringLiteral("Ate999"));
    TestReport *form = report.form.get();
    QCOMPARE(form->cbbReportNames->count(), 0);
    QVERIFY(fake.messages().isEmpty());
    QVERIFY(showActive(form));
    QTest::mouseClick(form->sbtImprimir, Qt::LeftButton);
    QCOMPARE(fake.texts(),
             QStringList{QStringLiteral("O arquivo contendo a definição do relatório de código "
                                        "'Ate999' não foi encontrado no diretório '%1'.")
                             .arg(QDir::toNativeSeparators(m_dir.path()))});
    QVERIFY(form->askedFor.isEmpty());
    QCOMPARE(report.runner->runs, 0);

    fake.clear();
    writeReports(QStringLiteral("ate998.rel"), "[report] Sem consulta\n");
    std::unique_ptr<TestReport> broken(
        host::createForm<TestReport>(nullptr, QStringLiteral("Ate998")));
    QCOMPARE(broken->cbbReportNames->count(), 0);
    QCOMPARE(fake.messages().size(), 1);
    QVERIFY(fake.texts().first().startsWith(QStringLiteral("Definição de relatório inválida")));
}

// Catches parameters spliced into the query (a quote breaks it) or not
// bound at all, and a document that lacks the rows.
void DadosGerRelTest::defaultRunnerBindsTheParameters()
{
    host::DatabaseSettings settings;
    settings.sqlitePath = m_dir.filePath(QStringLiteral("local.db"));
    host::context().setDatabase(settings);
    {
        QSqlQuery sql(host::localDatabase());
        QVERIFY(sql.exec(QStringLiteral(
            "CREATE TABLE VOOS (CDFILIAL TEXT, CDCIA TEXT, NRVOO TEXT, QTPAX INTEGER)")));
        QVERIFY(
            sql.exec(QStringLiteral("INSERT INTO VOOS VALUES "
                                    "('GR''U', 'G3', '01234', 150), ('GR''U', 'JJ', '03300', 80),"
                                    "('GR''U', 'AD', '04100', 120), ('CGH', 'G3', '09999', 300)")));
    }

    FakeDialogs fake;
    std::unique_ptr<TestReport> form(host::createForm<TestReport>(nullptr));
    form->branch = QStringLiteral("GR'U");
    PreviewRecord preview;
    recordPreviews(*form, preview);
    QVERIFY(showActive(form.get()));
    QTest::mouseClick(form->sbtImprimir, Qt::LeftButton);
    QVERIFY2(fake.messages().isEmpty(), qPrintable(fake.texts().join(u'\n')));
    QCOMPARE(preview.shown, 1);
    QCOMPARE(preview.headingTitle, QStringLiteral("Posição por companhia"));
    QVERIFY(preview.text.contains(QStringLiteral("Companhia")));
    QVERIFY(preview.text.contains(QStringLiteral("01234")));
    QVERIFY(preview.text.contains(QStringLiteral("04100")));
    QVERIFY(!preview.text.contains(QStringLiteral("03300"))); // below QTMIN
    QVERIFY(!preview.text.contains(QStringLiteral("09999"))); // another branch
    QVERIFY(preview.text.contains(QStringLiteral("2 registros")));
    QVERIFY(preview.text.indexOf(QStringLiteral("01234"))
            < preview.text.indexOf(QStringLiteral("04100")));

    // A column the query does not return is named, and nothing is shown.
    host::ReportDefinition wrong;
    wrong.title = QStringLiteral("Errado");
    wrong.query = QStringLiteral("SELECT CDCIA FROM VOOS");
    wrong.columns.append({QStringLiteral("NMCIA"), QStringLiteral("Nome"), 10, Qt::AlignLeft, {}});
    QString message;
    try {
        host::LocalDatabaseReportRunner().run(wrong, TParams());
    } catch (const platform::Error &error) {
        message = error.message();
    }
    QCOMPARE(message, QStringLiteral("A coluna \"NMCIA\" do relatório \"Errado\" não está no "
                                     "resultado da consulta."));
}

// Catches a print preview that does not open offscreen (or warns there),
// or is not given the report to paint.
void DadosGerRelTest::previewShowsTheReport()
{
    std::unique_ptr<TestReport> form(host::createForm<TestReport>(nullptr));
    form->rpddPadrao->setRunner(std::make_shared<RecordingRunner>());
    QVERIFY(showActive(form.get()));
    QString title;
    bool canExport = false;
    ModalDriver driver(QStringLiteral("dlgVisualizarRelatorio"), [&](QWidget *dialog) {
        title = dialog->windowTitle();
        canExport = dialog->findChild<QAction *>(QStringLiteral("actExportarPdf")) != nullptr;
        static_cast<QDialog *>(dialog)->reject();
    });
    QTest::mouseClick(form->sbtImprimir, Qt::LeftButton);
    QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    QCOMPARE(title, QStringLiteral("Posição por companhia"));
    QVERIFY(canExport);
}

// Catches a new report that is not written to the code's file or not
// offered in the list, a duplicate title accepted, and a cancelled prompt
// that still adds one.
void DadosGerRelTest::newReportCopiesTheChosenOne()
{
    writeReports(QStringLiteral("ate700.rel"),
                 "[report] Base\n[query]\nSELECT 1 AS UM\n[columns]\nUM | Um\n");
    FakeDialogs fake;
    std::unique_ptr<TestReport> form(
        host::createForm<TestReport>(nullptr, QStringLiteral("Ate700")));
    QStringList prompts;
    std::optional<QString> answer = QStringLiteral("  Cópia   da base ");
    form->rpddPadrao->setTitlePrompt([&](const QString &caption, const QString &prompt) {
        prompts << caption << prompt;
        return answer;
    });
    QVERIFY(showActive(form.get()));

    form->mnuNovoRelatorio->trigger();
    QCOMPARE(prompts, (QStringList{"Título do relatório", "Informe o título do relatório:"}));
    QCOMPARE(form->cbbReportNames->count(), 2);
    QCOMPARE(form->cbbReportNames->currentText(), QStringLiteral("Cópia da base"));
    const QList<host::ReportDefinition> saved =
        host::readReportFile(m_dir.filePath(QStringLiteral("ate700.rel")));
    QCOMPARE(saved.size(), 2);
    QCOMPARE(saved.at(1).query, QStringLiteral("SELECT 1 AS UM"));

    form->mnuNovoRelatorio->trigger();
    QCOMPARE(fake.texts(),
             QStringList{QStringLiteral("Já existe um relatório com o título \"Cópia da base\".")});
    answer = std::nullopt;
    form->mnuNovoRelatorio->trigger();
    QCOMPARE(host::readReportFile(m_dir.filePath(QStringLiteral("ate700.rel"))).size(), 2);
    QCOMPARE(form->cbbReportNames->count(), 2);
}

QTEST_MAIN(DadosGerRelTest)
#include "dados_ger_rel_test.moc"
