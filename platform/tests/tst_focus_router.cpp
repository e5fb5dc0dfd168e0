#include "platform/focus_router.h"
#include "platform/spin_edit.h"
#include "platform/tests/modal_closer.h"
#include "platform/tests/test_support.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace platform;
using namespace platform::testing;

class FocusRouterTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void exitsInnermostFirstEntersOutermostFirst();
    void refusedExitKeepsFocusAndEatsTheClick();
    void refusedExitWithoutFocusMoveGoesBack();
    void modalBoxInExitRaisesNoStorm();
    void leavingTheFormIsNoMove();

private:
    void logOn(QWidget *widget, bool enter, bool exit);
    void clickOn(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5)); }
    void activate()
    {
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    std::unique_ptr<QWidget> m_form;
    QFrame *m_panel = nullptr;
    QLineEdit *m_code = nullptr;
    QLineEdit *m_date = nullptr;
    SpinEdit *m_period = nullptr;
    QLineEdit *m_outside = nullptr;
    QPushButton *m_button = nullptr;
    FocusRouter *m_router = nullptr;
    QStringList m_log;
};

void FocusRouterTest::init()
{
    m_form = std::make_unique<QWidget>();
    m_form->setObjectName(QStringLiteral("frmPosFecDiaPlaVoo"));
    m_form->resize(400, 200);
    m_panel = new QFrame(m_form.get());
    m_panel->setObjectName(QStringLiteral("panFiltro"));
    m_panel->setGeometry(0, 0, 400, 60);
    m_code = new QLineEdit(m_panel);
    m_code->setObjectName(QStringLiteral("medCdFilial"));
    m_code->setGeometry(5, 5, 60, 20);
    m_date = new QLineEdit(m_panel);
    m_date->setObjectName(QStringLiteral("depVoo"));
    m_date->setGeometry(70, 5, 90, 20);
    m_period = new SpinEdit(m_panel);
    m_period->setObjectName(QStringLiteral("speAtualiza"));
    m_period->setGeometry(170, 5, 60, 20);
    m_outside = new QLineEdit(m_form.get());
    m_outside->setObjectName(QStringLiteral("dbgPlanoVoo"));
    m_outside->setGeometry(5, 80, 100, 20);
    m_button = new QPushButton(QStringLiteral("Ok"), m_form.get());
    m_button->setObjectName(QStringLiteral("btnFora"));
    m_button->setGeometry(5, 110, 60, 25);

    m_router = new FocusRouter(m_form.get());
    m_log.clear();
    logOn(m_panel, true, true);
    logOn(m_code, false, true);
    logOn(m_date, false, true);
    logOn(m_period, false, true);
    logOn(m_outside, true, false);

    m_form->show();
    activate();
    m_outside->setFocus();
    QTRY_VERIFY(m_outside->hasFocus());
    m_log.clear();
}

void FocusRouterTest::cleanup()
{
    m_form.reset();
}

void FocusRouterTest::logOn(QWidget *widget, bool enter, bool exit)
{
    if (enter)
        m_router->setOnEnter(widget, [this, widget] { m_log << widget->objectName() + u'+'; });
    if (exit)
        m_router->setOnExit(widget, [this, widget] { m_log << widget->objectName() + u'-'; });
}

// Leaving a panel from one of its edits must run the edit's exit before the
// panel's; entering runs the panel's enter before the control's.
void FocusRouterTest::exitsInnermostFirstEntersOutermostFirst()
{
    clickOn(m_code);
    QCOMPARE(m_log, QStringList{QStringLiteral("panFiltro+")});
    QTest::keyClick(m_code, Qt::Key_Tab);
    QTest::keyClick(m_date, Qt::Key_Tab);
    QVERIFY(m_period->hasFocus());
    QCOMPARE(m_log, (QStringList{"panFiltro+", "medCdFilial-", "depVoo-"}));
    m_log.clear();
    QTest::keyClick(m_period, Qt::Key_Tab);
    QVERIFY(m_outside->hasFocus());
    QCOMPARE(m_log, (QStringList{"speAtualiza-", "panFiltro-", "dbgPlanoVoo+"}));
    m_log.clear();
    clickOn(m_date);
    clickOn(m_outside);
    QCOMPARE(m_log, (QStringList{"panFiltro+", "depVoo-", "panFiltro-", "dbgPlanoVoo+"}));
}

// An exit handler that refuses (and puts the focus on its control) must keep
// the focus there, stop the panel's exit, and keep the click that tried to
// leave from reaching the button.
void FocusRouterTest::refusedExitKeepsFocusAndEatsTheClick()
{
    ErrorRecorder errors;
    clickOn(m_code);
    m_log.clear();
    m_router->setOnExit(m_code, [this] {
        m_log << QStringLiteral("medCdFilial-");
        m_code->setFocus();
        throw Error(QStringLiteral("Filial não cadastrada."));
    });
    QSignalSpy clicked(m_button, &QPushButton::clicked);
    clickOn(m_button);
    QVERIFY(m_code->hasFocus());
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(m_log, QStringList{QStringLiteral("medCdFilial-")});
    QCOMPARE(errors.messages, QStringList{QStringLiteral("Filial não cadastrada.")});

    // Once the handler accepts, the same click leaves the panel and clicks.
    logOn(m_code, false, true);
    m_log.clear();
    clickOn(m_button);
    QVERIFY(m_button->hasFocus());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(m_log, (QStringList{"medCdFilial-", "panFiltro-"}));
}

// A refusing handler that does not move the focus sends it back to the
// control being left; one that moves it inside the panel leaves it there, and
// the panel is not entered again.
void FocusRouterTest::refusedExitWithoutFocusMoveGoesBack()
{
    clickOn(m_period);
    m_log.clear();
    m_router->setOnExit(m_panel, [this] {
        m_log << QStringLiteral("panFiltro-");
        abortSilently();
    });
    QTest::keyClick(m_period, Qt::Key_Tab);
    QVERIFY(m_period->hasFocus());
    QCOMPARE(m_log, (QStringList{"speAtualiza-", "panFiltro-"}));

    m_router->setOnExit(m_panel, [this] {
        m_log << QStringLiteral("panFiltro-");
        m_date->setFocus();
        abortSilently();
    });
    m_log.clear();
    clickOn(m_outside);
    QVERIFY(m_date->hasFocus());
    QCOMPARE(m_log, (QStringList{"speAtualiza-", "panFiltro-"}));
    m_log.clear();
    QTest::keyClick(m_date, Qt::Key_Tab);
    QCOMPARE(m_log, QStringList{"depVoo-"});
}

// A handler that shows a real modal box (its own event loop, the window
// losing and regaining activation) must run once, with no re-entrant events,
// and leave the focus on the control it chose.
void FocusRouterTest::modalBoxInExitRaisesNoStorm()
{
    clickOn(m_code);
    m_log.clear();
    m_router->setOnExit(m_panel, [this] {
        m_log << QStringLiteral("panFiltro-");
        m_date->setFocus();
        QDialog box(m_form.get());
        box.setWindowTitle(QStringLiteral("Data do plano de vôo deve ser informada."));
        box.exec();
        abortSilently();
    });
    ModalCloser closer;
    clickOn(m_outside);
    QCOMPARE(closer.titles,
             QStringList{QStringLiteral("Data do plano de vôo deve ser informada.")});
    activate();
    QTRY_COMPARE(QApplication::focusWidget(), m_date);
    QCOMPARE(m_log, (QStringList{"medCdFilial-", "panFiltro-"}));
}

// Focus going to another window and coming back to the same control is no
// move: no exit, no enter.
void FocusRouterTest::leavingTheFormIsNoMove()
{
    clickOn(m_code);
    m_log.clear();
    QWidget other;
    auto *edit = new QLineEdit(&other);
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    activate();
    QTRY_COMPARE(QApplication::focusWidget(), m_code);
    QVERIFY(m_log.isEmpty());
}

QTEST_MAIN(FocusRouterTest)
#include "tst_focus_router.moc"
