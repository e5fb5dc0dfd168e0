#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/db_grid.h"
#include "platform/key_preview.h"
#include "platform/mdi_activation.h"
#include "platform/screen.h"
#include "platform/spin_edit.h"
#include "platform/tests/modal_closer.h"
#include "platform/tests/test_support.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

using namespace platform;
using namespace platform::testing;

class FormSupportTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void spinEditStaysEmptyAndAppliesBounds();
    void spinEditArrowsNeverEmptyIt();
    void keyPreviewSeesKeysBeforeTheGrid();
    void keyPreviewConsumesAKeySetToZero();
    void keyGoesOnToTheControlThatHadTheFocus();
    void screenCursorAndSize();
    void mdiActivationOnlyOnSwitch();

private:
    void showForm()
    {
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    std::unique_ptr<QWidget> m_form;
    SpinEdit *m_spin = nullptr;
    QLineEdit *m_date = nullptr;
    DBGrid *m_grid = nullptr;
    ClientDataSet *m_set = nullptr;
    QStringList m_log;
};

void FormSupportTest::init()
{
    m_form = std::make_unique<QWidget>();
    m_form->resize(400, 300);
    m_spin = new SpinEdit(m_form.get());
    m_spin->setObjectName(QStringLiteral("speAtualiza"));
    m_spin->setGeometry(5, 5, 80, 22);
    m_spin->setRange(30, 999);
    m_spin->setMaxLength(3);
    m_spin->setValue(120);
    m_date = new QLineEdit(m_form.get());
    m_date->setObjectName(QStringLiteral("depVoo"));
    m_date->setGeometry(100, 5, 100, 22);
    m_set = new ClientDataSet(m_form.get());
    declareFlightFields(*m_set);
    m_grid = new DBGrid(m_form.get());
    m_grid->setObjectName(QStringLiteral("dbgPlanoVoo"));
    m_grid->setGeometry(0, 40, 400, 200);
    m_grid->setDataSource(new DataSource(m_set, m_form.get()));
    m_grid->addColumn(QStringLiteral("NRVOO"));
    m_set->loadPacket(flightPacket(100));
    m_set->setAfterScroll(
        [this](ClientDataSet &set) { m_log << QStringLiteral("scroll %1").arg(set.recNo()); });
    m_log.clear();
}

void FormSupportTest::cleanup()
{
    m_form.reset();
    setScreenCursor(ScreenCursor::Default);
    setScreenSizeOverride({});
}

// An emptied period must stay empty when the focus leaves (the panel reports
// it); a number out of range is brought into 30..999 on leaving.
void FormSupportTest::spinEditStaysEmptyAndAppliesBounds()
{
    showForm();
    QSignalSpy changes(m_spin, &QSpinBox::valueChanged);
    m_spin->setFocus();
    QTest::keyClick(m_spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_spin, Qt::Key_Backspace);
    QVERIFY(m_spin->isEmptyText());
    QCOMPARE(changes.count(), 1);
    QTest::keyClick(m_spin, Qt::Key_Tab);
    QVERIFY(m_date->hasFocus());
    QVERIFY(m_spin->isEmptyText());
    QCOMPARE(m_spin->text(), QString());
    QCOMPARE(m_spin->value(), 30);

    m_spin->setFocus();
    QTest::keyClicks(m_spin, QStringLiteral("5"));
    QTest::keyClick(m_spin, Qt::Key_Tab);
    QCOMPARE(m_spin->text(), QStringLiteral("30"));
    QCOMPARE(changes.last().at(0).toInt(), 30);

    m_spin->setFocus();
    QTest::keyClick(m_spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(m_spin, QStringLiteral("45"));
    QCOMPARE(changes.last().at(0).toInt(), 45);
    QTest::keyClick(m_spin, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(m_spin, QStringLiteral("1234"));
    QTest::keyClick(m_spin, Qt::Key_Tab);
    QCOMPARE(m_spin->value(), 123);
    QVERIFY(!m_spin->isEmptyText());
}

// Stepping from an empty text starts at the lower bound, and stepping down
// from it never empties the field.
void FormSupportTest::spinEditArrowsNeverEmptyIt()
{
    showForm();
    m_spin->clear();
    QVERIFY(m_spin->isEmptyText());
    m_spin->setFocus();
    QTest::keyClick(m_spin, Qt::Key_Down);
    QCOMPARE(m_spin->text(), QStringLiteral("30"));
    QTest::keyClick(m_spin, Qt::Key_Down);
    QCOMPARE(m_spin->text(), QStringLiteral("30"));
    QTest::keyClick(m_spin, Qt::Key_Up);
    QCOMPARE(m_spin->value(), 31);
    m_spin->setValue(5000);
    QCOMPARE(m_spin->value(), 999);
}

// The form's key handler must see a key before the focused grid acts on it,
// once, even when the grid ignores the key and it climbs to the form.
void FormSupportTest::keyPreviewSeesKeysBeforeTheGrid()
{
    new KeyPreview(m_form.get(), [this](int &key, Qt::KeyboardModifiers) {
        m_log << QStringLiteral("key %1").arg(key, 0, 16);
    });
    showForm();
    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_PageDown);
    QCOMPARE(m_log.size(), 2);
    QCOMPARE(m_log.first(), QStringLiteral("key %1").arg(Qt::Key_PageDown, 0, 16));
    QVERIFY(m_log.last().startsWith(QStringLiteral("scroll ")));
    m_log.clear();
    QTest::keyClick(m_grid, Qt::Key_F5);
    QCOMPARE(m_log, QStringList{QStringLiteral("key %1").arg(Qt::Key_F5, 0, 16)});

    // Keys of another window are not the form's.
    QLineEdit elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    elsewhere.setFocus();
    m_log.clear();
    QTest::keyClick(&elsewhere, Qt::Key_X);
    QVERIFY(m_log.isEmpty());
}

// A key the handler sets to 0 must not reach the grid.
void FormSupportTest::keyPreviewConsumesAKeySetToZero()
{
    new KeyPreview(m_form.get(), [](int &key, Qt::KeyboardModifiers modifiers) {
        if (key == Qt::Key_PageDown && modifiers.testFlag(Qt::AltModifier))
            key = 0;
    });
    showForm();
    m_grid->setFocus();
    QTest::keyClick(m_grid, Qt::Key_PageDown, Qt::AltModifier);
    QCOMPARE(m_set->recNo(), 0);
    QVERIFY(m_log.isEmpty());
    QTest::keyClick(m_grid, Qt::Key_PageDown);
    QVERIFY(m_set->recNo() > 0);
}

// A key the handler lets through goes to the control that had the focus when
// it was pressed, even though the handler moved the focus.
void FormSupportTest::keyGoesOnToTheControlThatHadTheFocus()
{
    new KeyPreview(m_form.get(), [this](int &key, Qt::KeyboardModifiers modifiers) {
        if (key == Qt::Key_PageUp && modifiers.testFlag(Qt::AltModifier))
            m_date->setFocus();
    });
    showForm();
    m_set->setRecNo(50);
    m_grid->setFocus();
    QTRY_VERIFY(m_grid->hasFocus());
    QTest::keyClick(m_grid, Qt::Key_PageUp, Qt::AltModifier);
    QVERIFY(m_date->hasFocus());
    QVERIFY(m_set->recNo() < 50);
}

// The creator sets the hourglass and the default cursor back; tests pose as
// a 640 x 480 screen.
void FormSupportTest::screenCursorAndSize()
{
    setScreenCursor(ScreenCursor::HourGlass);
    setScreenCursor(ScreenCursor::HourGlass);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QCOMPARE(screenCursor(), -11);
    // An error shown meanwhile is shown under the normal cursor.
    bool busyDuringDisplay = true;
    setErrorDisplay([&](const QString &) { busyDuringDisplay = QApplication::overrideCursor(); });
    guarded([] { throw Error(QStringLiteral("Falha.")); });
    setErrorDisplay({});
    QVERIFY(!busyDuringDisplay);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    setScreenCursor(ScreenCursor::Default);
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(screenCursor(), 0);

    setScreenSizeOverride(QSize(640, 480));
    QCOMPARE(screenSize(), QSize(640, 480));
    setScreenSizeOverride({});
    QCOMPARE(screenSize(), QGuiApplication::primaryScreen()->size());
}

// A form's activation must run when its sub-window is opened or switched to,
// and not when a modal dialog closes over it.
void FormSupportTest::mdiActivationOnlyOnSwitch()
{
    QMdiArea area;
    area.resize(600, 400);
    int activations = 0;
    auto *screen = new QMdiSubWindow;
    screen->setWidget(new QLineEdit);
    area.addSubWindow(screen);
    new MdiActivation(&area, screen, [&] { ++activations; });
    area.show();
    area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&area));
    screen->show();
    QTRY_COMPARE(area.activeSubWindow(), screen);
    QCOMPARE(activations, 1);

    QMdiSubWindow *other = area.addSubWindow(new QLineEdit);
    other->show();
    QTRY_COMPARE(area.activeSubWindow(), other);
    QTest::mouseClick(screen->widget(), Qt::LeftButton, {}, QPoint(3, 3));
    QTRY_COMPARE(area.activeSubWindow(), screen);
    QCOMPARE(activations, 2);

    ModalCloser closer;
    QDialog box(&area);
    box.setWindowTitle(QStringLiteral("Filial deve ser informada."));
    box.exec();
    QCOMPARE(closer.titles.size(), 1);
    QLineEdit otherWindow;
    otherWindow.show();
    otherWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&otherWindow));
    area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&area));
    QTRY_COMPARE(area.activeSubWindow(), screen);
    // What the area emits around its window's deactivation.
    emit area.subWindowActivated(nullptr);
    emit area.subWindowActivated(screen);
    QCOMPARE(activations, 2);
}

QTEST_MAIN(FormSupportTest)
#include "tst_form_support.moc"
