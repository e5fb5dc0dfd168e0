#include "host/application.h"
#include "host/button_flat.h"
#include "host/dialogs.h"
#include "host/forms/create_form.h"
#include "host/forms/frm_padrao_simples.h"
#include "host/forms/toolbar.h"
#include "platform/abort.h"
#include "platform/db_text.h"
#include "testing/host/fake_dialogs.h"
#include "testing/host/modal_driver.h"

#include <QAction>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>

#include <optional>

using host::CloseAction;
using host::TfrmPadraoSimples;
using host::testing::FakeDialogs;
using host::testing::showActive;

namespace {

// An edit that notes every key it is given.
class RecordingEdit : public QLineEdit
{
public:
    using QLineEdit::QLineEdit;
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        keys.append(event->key());
        QLineEdit::keyPressEvent(event);
    }
};

// A screen as a module derives one: its own edit, a menu item of its own,
// and handlers that call the base ones as the host's rule says.
class TestScreen : public TfrmPadraoSimples
{
public:
    explicit TestScreen(QStringList *trace)
        : m_trace(trace)
    {
        setObjectName(QStringLiteral("frmTeste"));
        setWindowTitle(QStringLiteral("Tela de teste"));
        setBounds(10, 20, 420, 300);
        edtCodigo = new RecordingEdit(clientArea());
        edtCodigo->setObjectName(QStringLiteral("edtCodigo"));
        clientLayout()->addWidget(edtCodigo);
        clientLayout()->addStretch(1);
        setActiveControl(edtCodigo);
        host::addMenuSeparator(mnuManutencao, QStringLiteral("N1"));
        mnuFiltrar = host::addMenuItem(mnuManutencao, QStringLiteral("mnuFiltrar"),
                                       QStringLiteral("Filtrar"), host::shortcutFromValue(16460));
        connect(mnuFiltrar, &QAction::triggered, this, [this] { note(QStringLiteral("filtrar")); });
        note(QStringLiteral("constructor"));
    }

    void FormCreate(QObject *sender) override
    {
        TfrmPadraoSimples::FormCreate(sender);
        note(QStringLiteral("FormCreate"));
        if (failCreate)
            throw platform::Error(QStringLiteral("Falha ao criar."));
    }
    void FormShow(QObject *) override { note(QStringLiteral("FormShow")); }
    void FormActivate(QObject *) override { note(QStringLiteral("FormActivate")); }
    void FormKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift) override
    {
        TfrmPadraoSimples::FormKeyDown(sender, key, shift);
        note(QStringLiteral("FormKeyDown %1").arg(key));
        if (key == Qt::Key_X)
            key = 0;
    }
    void sbtVerificarClick(QObject *sender) override
    {
        TfrmPadraoSimples::sbtVerificarClick(sender);
        note(QStringLiteral("verify"));
    }
    // The screen's own last step is the base, which settles the action.
    void FormClose(QObject *sender, CloseAction &action) override
    {
        note(QStringLiteral("FormClose"));
        action = CloseAction::None;
        TfrmPadraoSimples::FormClose(sender, action);
        if (actionAfterBase)
            action = *actionAfterBase;
    }

    RecordingEdit *edtCodigo;
    QAction *mnuFiltrar;
    static inline bool failCreate = false;
    std::optional<CloseAction> actionAfterBase;

private:
    void note(const QString &what)
    {
        if (m_trace)
            m_trace->append(what);
    }

    QStringList *m_trace;
};

// A main window with an MDI area, made the host's application object.
struct MdiHost
{
    QMainWindow window;
    QMdiArea *area = new QMdiArea;

    MdiHost()
    {
        window.setObjectName(QStringLiteral("frmPrincipal"));
        area->setObjectName(QStringLiteral("mdiArea"));
        window.setCentralWidget(area);
        window.resize(900, 640);
        host::setMainWindow(&window);
    }
    ~MdiHost() { host::setMainWindow(nullptr); }
};

int countOf(const QStringList &trace, const QString &what)
{
    return int(trace.count(what));
}

} // namespace

class PadraoSimplesTest : public QObject
{
    Q_OBJECT

private slots:
    void creationReachesTheDerivedForm();
    void failedCreationLeavesNothingBehind();
    void closeActionDecides_data();
    void closeActionDecides();
    void windowOfItsOwnIsFreedOnClose();
    void windowStateAppliesToTheSubWindow();
    void activationIgnoresAMessageBoxOverTheForm();
    void keyPreviewSeesKeysBeforeTheFocusedControl();
    void menuShortcutsStayInTheirForm();
    void helpShowsTheFormsReference();
};

// Catches a FormCreate run from the base constructor (where the derived
// override cannot be reached) and a form not placed in the MDI area.
void PadraoSimplesTest::creationReachesTheDerivedForm()
{
    MdiHost mdi;
    QVERIFY(showActive(&mdi.window));
    QStringList trace;
    auto *form = host::createForm<TestScreen>(&trace);
    QCOMPARE(trace, (QStringList{"constructor", "FormCreate"}));
    QVERIFY(form->subWindow());
    QCOMPARE(mdi.area->subWindowList(), QList<QMdiSubWindow *>{form->subWindow()});
    QCOMPARE(form->subWindow()->windowTitle(), QStringLiteral("Tela de teste"));
    QCOMPARE(form->bounds(), QRect(10, 20, 420, 300));
    for (const char *name : {"panMenu", "sbtConfirmar", "sbtCancelar", "sbtIncluir", "sbtAlterar",
                             "sbtExcluir", "sbtProcurar", "sbtOrdenar", "sbtImprimir", "sbtAjuda",
                             "sbtFechar", "lblCodTela", "dbtNome", "mnuMenu"}) {
        QVERIFY2(form->findChild<QWidget *>(QLatin1String(name)), name);
    }
    for (const char *name :
         {"mnuIncluir", "mnuAlterar", "mnuExcluir", "mnuProcurar", "mnuCancelar", "mnuConfirmar",
          "mnuConfigImpressora", "mnuVerificar", "mnuImprimir", "mnuFechar"}) {
        QVERIFY2(form->findChild<QAction *>(QLatin1String(name)), name);
    }
    QVERIFY(form->findChild<QObject *>(QStringLiteral("msgMensagensPadroes")));
    QVERIFY(form->findChild<QObject *>(QStringLiteral("dtsPadrao")));
    QVERIFY(form->dbtNome->isHidden());

    form->showForm();
    QTRY_COMPARE(countOf(trace, "FormActivate"), 1);
    QCOMPARE(trace.mid(2, 2), (QStringList{"FormShow", "FormActivate"}));
    QCOMPARE(QApplication::focusWidget(), form->edtCodigo);
}

// Catches a FormCreate failure that leaves an empty sub-window in the area
// or is swallowed instead of reaching the creator.
void PadraoSimplesTest::failedCreationLeavesNothingBehind()
{
    MdiHost mdi;
    QStringList trace;
    TestScreen::failCreate = true;
    bool failed = false;
    try {
        host::createForm<TestScreen>(&trace);
    } catch (const platform::Error &error) {
        failed = error.message() == QStringLiteral("Falha ao criar.");
    }
    TestScreen::failCreate = false;
    QVERIFY(failed);
    QVERIFY(mdi.area->subWindowList().isEmpty());
    QVERIFY(mdi.area->findChildren<TestScreen *>().isEmpty());
}

void PadraoSimplesTest::closeActionDecides_data()
{
    QTest::addColumn<std::optional<CloseAction>>("override");
    QTest::addColumn<bool>("closeThroughTheForm");
    QTest::newRow("base decides: free") << std::optional<CloseAction>() << false;
    QTest::newRow("hide") << std::optional<CloseAction>(CloseAction::Hide) << false;
    QTest::newRow("none") << std::optional<CloseAction>(CloseAction::None) << false;
    QTest::newRow("free, QWidget::close on the form")
        << std::optional<CloseAction>(CloseAction::Free) << true;
}

// Catches a close that ignores FormClose's action (a freed form left behind,
// a kept one closed), that runs FormClose twice, and an empty sub-window
// left by closing the form widget itself.
void PadraoSimplesTest::closeActionDecides()
{
    QFETCH(std::optional<CloseAction>, override);
    QFETCH(bool, closeThroughTheForm);
    MdiHost mdi;
    QVERIFY(showActive(&mdi.window));
    QStringList trace;
    QPointer<TestScreen> form = host::createForm<TestScreen>(&trace);
    form->actionAfterBase = override;
    form->showForm();
    QTRY_VERIFY(form->subWindow()->isVisible());
    QPointer<QMdiSubWindow> window = form->subWindow();

    if (closeThroughTheForm)
        form->close();
    else
        QTest::mouseClick(form->sbtFechar, Qt::LeftButton);
    QCOMPARE(countOf(trace, "FormClose"), 1);

    const CloseAction action = override.value_or(CloseAction::Free);
    if (action == CloseAction::Free) {
        QTRY_VERIFY(form.isNull());
        QVERIFY(window.isNull());
        QVERIFY(mdi.area->subWindowList().isEmpty());
        return;
    }
    QCoreApplication::processEvents();
    QVERIFY(!form.isNull());
    QCOMPARE(window->isVisible(), action == CloseAction::None);
    if (action == CloseAction::Hide) {
        form->showForm();
        QTRY_VERIFY(window->isVisible());
        QVERIFY(form->isVisible());
    }
    delete window;
}

// Catches a form without an MDI area that is only hidden when its close
// action says free.
void PadraoSimplesTest::windowOfItsOwnIsFreedOnClose()
{
    QStringList trace;
    QPointer<TestScreen> form = host::createForm<TestScreen>(&trace);
    QVERIFY(!form->subWindow());
    QVERIFY(form->isWindow());
    QVERIFY(showActive(form));
    QCOMPARE(countOf(trace, "FormActivate"), 1);
    QTest::mouseClick(form->sbtFechar, Qt::LeftButton);
    QCOMPARE(countOf(trace, "FormClose"), 1);
    QTRY_VERIFY(form.isNull());
}

// Catches a window state applied to the form widget instead of its
// sub-window, and a normal state that does not give back the bounds.
void PadraoSimplesTest::windowStateAppliesToTheSubWindow()
{
    MdiHost mdi;
    QVERIFY(showActive(&mdi.window));
    auto *form = host::createForm<TestScreen>(nullptr);
    form->setFormWindowState(Qt::WindowMaximized);
    form->showForm();
    QTRY_VERIFY(form->subWindow()->isVisible());
    QVERIFY(form->subWindow()->isMaximized());
    QCOMPARE(form->formWindowState(), Qt::WindowMaximized);
    QCOMPARE(form->subWindow()->size(), mdi.area->viewport()->size());

    form->setFormWindowState(Qt::WindowNoState);
    QVERIFY(!form->subWindow()->isMaximized());
    QCOMPARE(form->formWindowState(), Qt::WindowNoState);
    QCOMPARE(form->bounds(), QRect(10, 20, 420, 300));

    form->setFormWindowState(Qt::WindowMaximized);
    QVERIFY(form->subWindow()->isMaximized());
    delete form->subWindow();
}

// Catches FormActivate fired again when a message box closes over the
// screen, and not fired when the user comes back from another screen.
void PadraoSimplesTest::activationIgnoresAMessageBoxOverTheForm()
{
    MdiHost mdi;
    QVERIFY(showActive(&mdi.window));
    QStringList first;
    auto *form = host::createForm<TestScreen>(&first);
    form->showForm();
    QTRY_COMPARE(countOf(first, "FormActivate"), 1);

    host::testing::ModalDriver driver(QStringLiteral("msgInformacao"),
                                      [](QWidget *box) { static_cast<QDialog *>(box)->accept(); });
    host::dialogs().information(QStringLiteral("Mensagem sobre a tela."));
    QVERIFY2(driver.failure().isEmpty(), qPrintable(driver.failure()));
    QVERIFY(driver.acted());
    mdi.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&mdi.window));
    QCOMPARE(mdi.area->activeSubWindow(), form->subWindow());
    QCOMPARE(countOf(first, "FormActivate"), 1);

    QStringList second;
    auto *other = host::createForm<TestScreen>(&second);
    other->showForm();
    QTRY_COMPARE(countOf(second, "FormActivate"), 1);
    mdi.area->setActiveSubWindow(form->subWindow());
    QTRY_COMPARE(countOf(first, "FormActivate"), 2);
    delete other->subWindow();
    delete form->subWindow();
}

// Catches a key handler that sees keys only after the focused control (or
// not at all), a consumed key that still reaches the control, and F5 that
// runs the verify command while its menu item is disabled.
void PadraoSimplesTest::keyPreviewSeesKeysBeforeTheFocusedControl()
{
    MdiHost mdi;
    QVERIFY(showActive(&mdi.window));
    QStringList trace;
    auto *form = host::createForm<TestScreen>(&trace);
    form->showForm();
    QTRY_COMPARE(QApplication::focusWidget(), form->edtCodigo);
    RecordingEdit *edit = form->edtCodigo;

    QTest::keyClick(edit, Qt::Key_A);
    QCOMPARE(trace.last(), QStringLiteral("FormKeyDown %1").arg(int(Qt::Key_A)));
    QCOMPARE(edit->keys, QList<int>{Qt::Key_A});
    QCOMPARE(edit->text(), QStringLiteral("a"));

    QTest::keyClick(edit, Qt::Key_X);
    QCOMPARE(trace.last(), QStringLiteral("FormKeyDown %1").arg(int(Qt::Key_X)));
    QCOMPARE(edit->keys, QList<int>{Qt::Key_A});
    QCOMPARE(edit->text(), QStringLiteral("a"));

    QTest::keyClick(edit, Qt::Key_F5);
    QCOMPARE(countOf(trace, "verify"), 1);
    QCOMPARE(trace.last(), QStringLiteral("FormKeyDown 0"));
    QCOMPARE(edit->keys, QList<int>{Qt::Key_A});

    form->mnuVerificar->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_F5);
    QCOMPARE(countOf(trace, "verify"), 1);
    QCOMPARE(edit->keys, (QList<int>{Qt::Key_A, Qt::Key_F5}));

    form->mnuVerificar->setEnabled(true);
    form->mnuVerificar->trigger();
    QCOMPARE(countOf(trace, "verify"), 2);
    delete form->subWindow();
}

// Catches a menu shortcut that does not fire while the focus is in the
// form's controls, fires in another MDI child, or fires while disabled.
void PadraoSimplesTest::menuShortcutsStayInTheirForm()
{
    MdiHost mdi;
    QVERIFY(showActive(&mdi.window));
    QStringList first;
    QStringList second;
    auto *form = host::createForm<TestScreen>(&first);
    auto *other = host::createForm<TestScreen>(&second);
    form->showForm();
    other->showForm();
    mdi.area->setActiveSubWindow(form->subWindow());
    QTRY_COMPARE(QApplication::focusWidget(), form->edtCodigo);

    QTest::keyClick(form->edtCodigo, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(countOf(first, "filtrar"), 1);
    QCOMPARE(countOf(second, "filtrar"), 0);

    form->mnuFiltrar->setEnabled(false);
    QTest::keyClick(form->edtCodigo, Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(countOf(first, "filtrar"), 1);
    QCOMPARE(countOf(second, "filtrar"), 0);
    delete other->subWindow();
    delete form->subWindow();
}

// Catches a help button that shows nothing, or not the form's own help
// file and context.
void PadraoSimplesTest::helpShowsTheFormsReference()
{
    FakeDialogs fake;
    QPointer<TestScreen> form = host::createForm<TestScreen>(nullptr);
    QVERIFY(showActive(form));
    QTest::mouseClick(form->sbtAjuda, Qt::LeftButton);
    QCOMPARE(fake.texts(), QStringList{QStringLiteral("Não há ajuda disponível para esta tela.")});

    fake.clear();
    form->setHelpFile(QStringLiteral("Atehelp.hlp"));
    form->setHelpContext(10125400);
    QTest::mouseClick(form->sbtAjuda, Qt::LeftButton);
    QCOMPARE(fake.texts(), QStringList{QStringLiteral(
                               "Ajuda desta tela: arquivo \"Atehelp.hlp\", tópico 10125400.")});
    QCOMPARE(fake.messages().first().kind, host::MessageKind::Information);
    delete form;
}

QTEST_MAIN(PadraoSimplesTest)
#include "padrao_simples_test.moc"
