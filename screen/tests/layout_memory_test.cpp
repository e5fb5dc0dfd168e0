// The layout a supervisor arranges (column widths, splitters, the window's
// place) found again at the next opening of the screen.

#include "testing/screen/open_screen_test.h"

#include "host/forms/form_layout_memory.h"

#include <QFile>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTest>

using namespace screen::testing;

class LayoutMemoryTest : public OpenScreenTest
{
    Q_OBJECT

private slots:
    void widthsSplittersAndPlaceComeBack();
    void layoutFromALargerScreenStaysInside();
    void designedLayoutCanBeRestored();
    void damagedFileGivesTheDesignedLayout();

private:
    bool reopen()
    {
        if (!m_fixture->closeScreen())
            return false;
        m_form = m_fixture->open();
        return m_form != nullptr;
    }
};

// Catches widths, splitters or the window's place lost when the screen is
// closed and opened again.
void LayoutMemoryTest::widthsSplittersAndPlaceComeBack()
{
    m_form->subWindow()->setGeometry(20, 10, 900, 560);
    QTRY_COMPARE(m_form->subWindow()->size(), QSize(900, 560));
    QCoreApplication::processEvents();
    QHeaderView *header = m_form->dbgServPlano->horizontalHeader();
    header->resizeSection(1, 320);
    const int both = m_form->splServ->sizes().value(0) + m_form->splServ->sizes().value(1);
    m_form->splServ->setSizes({150, both - 150});
    const QList<int> splitter = m_form->splServ->sizes();
    QCOMPARE(splitter.value(0), 150);
    QVERIFY(reopen());
    QCOMPARE(m_form->dbgServPlano->columnWidth(1), 320);
    QCOMPARE(m_form->dbgServPlano->column(1).width(), 320);
    QCOMPARE(m_form->splServ->sizes(), splitter);
    QCOMPARE(m_form->subWindow()->geometry(), QRect(20, 10, 900, 560));
}

// Catches a window placed out of reach by a layout saved on a larger screen.
void LayoutMemoryTest::layoutFromALargerScreenStaysInside()
{
    QVERIFY(m_fixture->closeScreen());
    {
        QSettings settings(host::layoutSettingsFile(), QSettings::IniFormat);
        settings.setValue(QStringLiteral("ATE25400/geometry"), QRect(1200, 700, 1920, 1080));
    }
    m_fixture->window.resize(640, 480);
    m_form = m_fixture->open();
    QVERIFY(m_form);
    const QRect area = m_fixture->area->viewport()->rect();
    QVERIFY2(area.contains(m_form->subWindow()->geometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(m_form->subWindow()->x())
                            .arg(m_form->subWindow()->y())
                            .arg(m_form->subWindow()->width())
                            .arg(m_form->subWindow()->height())));
}

// Catches a menu item that does not bring the designed widths back, or a
// restored layout that comes back again at the next opening.
void LayoutMemoryTest::designedLayoutCanBeRestored()
{
    const int designed = m_form->dbgPlanoVoo->columnWidth(2);
    m_form->dbgPlanoVoo->horizontalHeader()->resizeSection(2, designed + 80);
    QVERIFY(reopen());
    QCOMPARE(m_form->dbgPlanoVoo->columnWidth(2), designed + 80);
    m_form->mnuRestaurarLayout->trigger();
    QCOMPARE(m_form->dbgPlanoVoo->columnWidth(2), designed);
    m_fixture->window.activateWindow();
    QVERIFY(reopen());
    QCOMPARE(m_form->dbgPlanoVoo->columnWidth(2), designed);
}

// Catches a damaged settings file that stops the screen or bends its layout.
void LayoutMemoryTest::damagedFileGivesTheDesignedLayout()
{
    const int designed = m_form->dbgServPlano->columnWidth(1);
    QVERIFY(m_fixture->closeScreen());
    QFile file(host::layoutSettingsFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(
        "[ATE25400]\ncolumns\\dbgServPlano=a,b,\xff\xfe\ngeometry=@Rect(x y)\n\x01\x02[[[\n");
    file.close();
    m_form = m_fixture->open();
    QVERIFY(m_form);
    QCOMPARE(m_form->dbgServPlano->columnWidth(1), designed);
    QVERIFY(m_fixture->dialogs->texts().isEmpty());
}

QTEST_MAIN(LayoutMemoryTest)
#include "layout_memory_test.moc"
