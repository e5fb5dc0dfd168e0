#include "host/button_flat.h"
#include "host/dialogs.h"
#include "host/forms/create_form.h"
#include "host/forms/frm_filtro_padrao.h"
#include "host/forms/saved_options.h"
#include "host/functions.h"
#include "platform/abort.h"
#include "testing/host/fake_dialogs.h"
#include "testing/host/modal_driver.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QPointer>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using host::CloseAction;
using host::TfrmFiltroPadrao;
using host::testing::FakeDialogs;
using host::testing::ModalDriver;
using host::testing::showActive;

namespace {

// A filter dialog as a module derives one: a choice in the filter's group
// box and a working list kept in the saved options under "stLista".
class TestFilter : public TfrmFiltroPadrao
{
public:
    explicit TestFilter(QStringList *trace, const QString &name = QStringLiteral("frmFiltroTeste"))
        : m_trace(trace)
    {
        setObjectName(name);
        setWindowTitle(QStringLiteral("Filtro de teste"));
        setClientSize(180, 147);
        lblCodTela->setText(QStringLiteral("Ate25401"));
        rbtTodas = new QRadioButton(QStringLiteral("Todas"), grbFiltroPadrao);
        rbtTodas->setObjectName(QStringLiteral("rbtTodas"));
        rbtTodas->setGeometry(6, 24, 88, 17);
        rbtTodas->setChecked(true);
    }

    void FormShow(QObject *) override { note(QStringLiteral("FormShow")); }
    void FormActivate(QObject *sender) override
    {
        TfrmFiltroPadrao::FormActivate(sender);
        note(QStringLiteral("FormActivate"));
    }
    void FormClose(QObject *sender, CloseAction &action) override
    {
        TfrmFiltroPadrao::FormClose(sender, action);
        note(QStringLiteral("FormClose"));
        if (actionAfterBase)
            action = *actionAfterBase;
    }
    void btfSaveOpcClick(QObject *sender) override
    {
        savedOptions().setValue(QStringLiteral("stLista"), stLista);
        TfrmFiltroPadrao::btfSaveOpcClick(sender);
    }
    void btfLoadOpcClick(QObject *sender) override
    {
        TfrmFiltroPadrao::btfLoadOpcClick(sender);
        stLista = savedOptions().value(QStringLiteral("stLista"));
    }

    QRadioButton *rbtTodas;
    QString stLista;
    std::optional<CloseAction> actionAfterBase;

private:
    void note(const QString &what)
    {
        if (m_trace)
            m_trace->append(what);
    }

    QStringList *m_trace;
};

} // namespace

class FiltroPadraoTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void savedOptionsRoundTrip();
    void optionsSavedByAnEarlierVersionStillLoad();
    void loadingWithoutSavedOptionsKeepsTheList();
    void savingToAnUnwritableFolderIsReported();
    void closeActionDecides();
    void activationIgnoresAMessageBoxOverTheDialog();

private:
    QTemporaryDir m_options;
};

void FiltroPadraoTest::initTestCase()
{
    QVERIFY(m_options.isValid());
    host::setOptionsFolder(m_options.filePath(QStringLiteral("opcoes")));
}

// Catches options that do not come back in a new instance of the form, and
// a list with a line break or backslash that comes back changed.
void FiltroPadraoTest::savedOptionsRoundTrip()
{
    FakeDialogs fake;
    const QString list = QStringLiteral("AD,G3\nJJ\\X=1");
    {
        std::unique_ptr<TestFilter> form(host::createForm<TestFilter>(nullptr));
        QVERIFY(showActive(form.get()));
        form->stLista = list;
        form->savedOptions().setValue(QStringLiteral("outra"), QStringLiteral("valor"));
        QTest::mouseClick(form->btfSaveOpc, Qt::LeftButton);
        QCOMPARE(fake.texts(), QStringList{QStringLiteral("Opções gravadas.")});
    }
    QVERIFY(QFile::exists(m_options.filePath(QStringLiteral("opcoes/frmFiltroTeste.opc"))));

    std::unique_ptr<TestFilter> form(host::createForm<TestFilter>(nullptr));
    QVERIFY(showActive(form.get()));
    QTest::mouseClick(form->btfLoadOpc, Qt::LeftButton);
    QCOMPARE(form->stLista, list);
    QCOMPARE(form->savedOptions().value(QStringLiteral("OUTRA")), QStringLiteral("valor"));
    QCOMPARE(form->savedOptions().count(), 2);

    // An emptied list removes its line and reads back empty.
    form->stLista.clear();
    QTest::mouseClick(form->btfSaveOpc, Qt::LeftButton);
    form->stLista = QStringLiteral("GG");
    QTest::mouseClick(form->btfLoadOpc, Qt::LeftButton);
    QCOMPARE(form->stLista, QString());
    QCOMPARE(form->savedOptions().lines(), QStringList{QStringLiteral("outra=valor")});
}

// Catches a user's saved lists lost with the file format: a file of plain
// "name=value" lines, a list's commas unquoted and a line break written as
// "\n", reads as it was saved.
void FiltroPadraoTest::optionsSavedByAnEarlierVersionStillLoad()
{
    QFile old(host::optionsFilePath(QStringLiteral("frmGravadoAntes")));
    QVERIFY(QDir().mkpath(host::optionsFolder()));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("stLista=AD,G3,JJ\nOutra=linha\\nquebrada\n");
    old.close();
    const std::optional<host::TOptionList> loaded =
        host::loadOptions(QStringLiteral("frmGravadoAntes"));
    QVERIFY(loaded);
    QCOMPARE(loaded->value(QStringLiteral("stLista")), QStringLiteral("AD,G3,JJ"));
    QCOMPARE(loaded->value(QStringLiteral("outra")), QStringLiteral("linha\nquebrada"));
}

// Catches a load that finds nothing saved and still empties the user's
// working list, instead of saying so.
void FiltroPadraoTest::loadingWithoutSavedOptionsKeepsTheList()
{
    FakeDialogs fake;
    std::unique_ptr<TestFilter> form(
        host::createForm<TestFilter>(nullptr, QStringLiteral("frmNuncaGravou")));
    QVERIFY(showActive(form.get()));
    form->stLista = QStringLiteral("AD,G3");
    QTest::mouseClick(form->btfLoadOpc, Qt::LeftButton);
    QCOMPARE(fake.texts(), QStringList{QStringLiteral("Não há opções gravadas para esta tela.")});
    QCOMPARE(fake.messages().first().kind, host::MessageKind::Error);
    QCOMPARE(form->stLista, QStringLiteral("AD,G3"));
}

// Catches a save that fails without telling the user, or that escapes the
// click as an exception.
void FiltroPadraoTest::savingToAnUnwritableFolderIsReported()
{
    FakeDialogs fake;
    QFile blocker(m_options.filePath(QStringLiteral("arquivo")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    host::setOptionsFolder(blocker.fileName() + QStringLiteral("/opcoes"));
    std::unique_ptr<TestFilter> form(host::createForm<TestFilter>(nullptr));
    QVERIFY(showActive(form.get()));
    form->stLista = QStringLiteral("AD");
    QTest::mouseClick(form->btfSaveOpc, Qt::LeftButton);
    host::setOptionsFolder(m_options.filePath(QStringLiteral("opcoes")));
    QCOMPARE(fake.messages().size(), 1);
    QCOMPARE(fake.messages().first().kind, host::MessageKind::Error);
    QVERIFY2(fake.texts().first().startsWith(QStringLiteral("Não foi possível gravar as opções")),
             qPrintable(fake.texts().first()));
}

// Catches a dialog closed although FormClose said None, a hidden dialog
// that cannot be shown again, and a freed one left alive.
void FiltroPadraoTest::closeActionDecides()
{
    QStringList trace;
    QPointer<TestFilter> form = host::createForm<TestFilter>(&trace);

    // Shown modally, confirmed with the confirm button: hidden, kept.
    ModalDriver confirm(QStringLiteral("frmFiltroTeste"), [](QWidget *dialog) {
        QTest::mouseClick(dialog->findChild<QWidget *>(QStringLiteral("sbtConfirma")),
                          Qt::LeftButton);
    });
    QCOMPARE(form->exec(), int(QDialog::Accepted));
    QVERIFY2(confirm.failure().isEmpty(), qPrintable(confirm.failure()));
    QCOMPARE(trace.count(QStringLiteral("FormClose")), 1);
    QVERIFY(!form.isNull());
    QVERIFY(form->isHidden());

    // Shown again: Escape with None keeps it open.
    form->actionAfterBase = CloseAction::None;
    QVERIFY(showActive(form));
    QCOMPARE(trace.count(QStringLiteral("FormShow")), 2);
    QTest::keyClick(form->rbtTodas, Qt::Key_Escape);
    QCOMPARE(trace.count(QStringLiteral("FormClose")), 2);
    QVERIFY(form->isVisible());

    // The close button with Free: gone once the event loop runs.
    form->actionAfterBase = CloseAction::Free;
    QTest::mouseClick(form->sbtFecha, Qt::LeftButton);
    QCOMPARE(trace.count(QStringLiteral("FormClose")), 3);
    QTRY_VERIFY(form.isNull());
}

// Catches FormActivate fired again when a message box over the dialog
// closes, and a base activation that does not start in the filter.
void FiltroPadraoTest::activationIgnoresAMessageBoxOverTheDialog()
{
    QStringList trace;
    std::unique_ptr<TestFilter> form(host::createForm<TestFilter>(&trace));
    QVERIFY(showActive(form.get()));
    QTRY_COMPARE(trace.count(QStringLiteral("FormActivate")), 1);
    QCOMPARE(QApplication::focusWidget(), form->rbtTodas);

    ModalDriver driver(QStringLiteral("msgErro"),
                       [](QWidget *box) { static_cast<QDialog *>(box)->accept(); });
    host::dialogs().error(QStringLiteral("Erro sobre o filtro."));
    QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    QVERIFY(driver.acted());
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QCOMPARE(trace.count(QStringLiteral("FormActivate")), 1);

    // Hidden and shown again, it is a new activation. (The host's main
    // window takes over meanwhile; offscreen would keep the hidden window
    // as the focus window otherwise.)
    form->hide();
    QWidget mainWindow;
    QVERIFY(showActive(&mainWindow));
    QVERIFY(showActive(form.get()));
    QTRY_COMPARE(trace.count(QStringLiteral("FormActivate")), 2);
}

QTEST_MAIN(FiltroPadraoTest)
#include "filtro_padrao_test.moc"
