// The screen's keys: F12 to the date from anywhere, Alt with Page Up or
// Page Down between the three grids, and what each key leaves to the grid.

#include "testing/screen/open_screen_test.h"

#include "platform/client_data_set.h"

#include <QTest>

using namespace screen::testing;

class KeysTest : public OpenScreenTest
{
    Q_OBJECT

private slots:
    void altPageDownCyclesForward_data();
    void altPageDownCyclesForward();
    void altPageUpCyclesBackward_data();
    void altPageUpCyclesBackward();
    void pageKeysWithoutAltStayInTheGrid();
    void f12GoesToTheDateAndSuspendsTheScreen_data();
    void f12GoesToTheDateAndSuspendsTheScreen();

private:
    QAbstractItemView *grid(const QString &name) const
    {
        return m_form->findChild<QAbstractItemView *>(name);
    }
    // A forecast long enough to page through.
    void serveManyFlights();
};

void KeysTest::serveManyFlights()
{
    DemoDay day = m_fixture->day;
    const Flight base = day.flights.at(0);
    for (int i = 0; i < 60; ++i) {
        Flight flight = base;
        flight.nrvoo = QString::number(2000 + i);
        day.flights.append(flight);
    }
    m_fixture->serve(day);
    QVERIFY(pressIn(m_form->dbgPlanoVoo, Qt::Key_F5));
}

void KeysTest::altPageDownCyclesForward_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("fromMoves"); // the grid left behind pages too
    QTest::newRow("flights") << "dbgPlanoVoo"
                             << "dbgPrevisaoPax" << false;
    QTest::newRow("forecast") << "dbgPrevisaoPax"
                              << "dbgServPlano" << true;
    QTest::newRow("services") << "dbgServPlano"
                              << "dbgPlanoVoo" << true;
}

// Catches Alt+Page Down that leaves the focus, goes the wrong way, or pages
// the flight grid (the one case the key is consumed).
void KeysTest::altPageDownCyclesForward()
{
    serveManyFlights();
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, fromMoves);
    QAbstractItemView *source = grid(from);
    clickCell(source, 0, 1);
    const int before = source->currentIndex().row();
    QTest::keyClick(source, Qt::Key_PageDown, Qt::AltModifier);
    QCOMPARE(focusName(), to);
    if (source->model()->rowCount() > 1 && from == QLatin1String("dbgPlanoVoo"))
        QCOMPARE(source->currentIndex().row(), before);
    if (fromMoves && source->model()->rowCount() > 1)
        QVERIFY(source->currentIndex().row() > before);
}

void KeysTest::altPageUpCyclesBackward_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("flights") << "dbgPlanoVoo"
                             << "dbgServPlano";
    QTest::newRow("forecast") << "dbgPrevisaoPax"
                              << "dbgPlanoVoo";
    QTest::newRow("services") << "dbgServPlano"
                              << "dbgPrevisaoPax";
}

// Catches Alt+Page Up that goes the wrong way, or that is consumed in the
// flight grid (which must also move up a page).
void KeysTest::altPageUpCyclesBackward()
{
    serveManyFlights();
    QFETCH(QString, from);
    QFETCH(QString, to);
    QAbstractItemView *source = grid(from);
    clickCell(source, source->model()->rowCount() - 1, 1);
    const int before = source->currentIndex().row();
    QTest::keyClick(source, Qt::Key_PageUp, Qt::AltModifier);
    QCOMPARE(focusName(), to);
    if (from == QLatin1String("dbgPlanoVoo"))
        QVERIFY(m_form->cdsPlanoVoo->recNo() < before);
}

// Catches page keys without Alt that move the focus between grids.
void KeysTest::pageKeysWithoutAltStayInTheGrid()
{
    serveManyFlights();
    clickCell(m_form->dbgPlanoVoo, 0, 1);
    QTest::keyClick(m_form->dbgPlanoVoo, Qt::Key_PageDown);
    QCOMPARE(focusName(), QStringLiteral("dbgPlanoVoo"));
    QVERIFY(m_form->cdsPlanoVoo->recNo() > 0);
    QTest::keyClick(m_form->dbgPlanoVoo, Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(focusName(), QStringLiteral("dbgPlanoVoo"));
}

void KeysTest::f12GoesToTheDateAndSuspendsTheScreen_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("flights") << "dbgPlanoVoo" << int(Qt::NoModifier);
    QTest::newRow("services, Shift") << "dbgServPlano" << int(Qt::ShiftModifier);
    QTest::newRow("forecast, Ctrl+Alt")
        << "dbgPrevisaoPax" << int(Qt::ControlModifier | Qt::AltModifier);
    QTest::newRow("period") << "speAtualiza" << int(Qt::NoModifier);
}

// Catches F12 that needs a particular control or no modifier, and an entry
// into the date that does not suspend the screen as the panel's entry does.
void KeysTest::f12GoesToTheDateAndSuspendsTheScreen()
{
    QFETCH(QString, from);
    QFETCH(int, modifiers);
    auto *control = m_form->findChild<QWidget *>(from);
    clickInto(control);
    QTest::keyClick(control, Qt::Key_F12, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(focusName(), QStringLiteral("depVoo"));
    QVERIFY(!m_form->cdsPlanoVoo->isActive());
    QVERIFY(!m_form->cdsServPlano->isActive());
    QVERIFY(!m_form->timAtualizacaoPv->isActive());
    QVERIFY(!m_form->mnuFiltrar->isEnabled());
}

QTEST_MAIN(KeysTest)
#include "keys_test.moc"
