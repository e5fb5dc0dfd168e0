// What the two owner-drawn grids show: texts, colours, alignment and number
// formats of real painted cells, the selected and focused cell.

#include "screen/tests/paint_recorder.h"
#include "testing/screen/screen_fixture.h"

#include "platform/grid_column.h"
#include "screen/status_colors.h"

#include <QDir>
#include <QLocale>
#include <QTest>

using namespace screen::testing;
using Cli_ate25400::TfrmPosFecDiaPlaVoo;
namespace Color = Cli_ate25400::StatusColor;

namespace {

// Flights in every situation, the odd codes included; the third has no
// forecast, so moving there keeps the first flight's services on display.
DemoDay statusDay()
{
    DemoDay day = demoDay();
    const QDateTime when = day.flights.first().when;
    const auto flight = [&](const char *number, const char *situation, const char *breakdown,
                            const QString &departure) {
        return Flight{"JJ", "TAM", "09", number, situation, breakdown, departure, "GRU", when};
    };
    const Flight gol = day.flights.at(0);
    Flight american = day.flights.at(1);
    american.situation = QStringLiteral("2");
    Flight cancelled = day.flights.at(2);
    cancelled.situation = QStringLiteral("3");
    cancelled.breakdown = QString();
    day.flights = {gol,
                   american,
                   cancelled,
                   flight("3001", "4", "9", QStringLiteral("0000")),
                   flight("3002", "5", "1", QStringLiteral("2359")),
                   flight("3003", "", "2", QStringLiteral("1200")),
                   flight("3004", "7", "1", QStringLiteral("1300")),
                   flight("3005", "X", "1", QStringLiteral("1400"))};
    return day;
}

QRect cellRect(const QAbstractItemView *grid, int row, int column)
{
    const QRect rect = grid->visualRect(grid->model()->index(row, column));
    return rect.translated(grid->viewport()->mapTo(grid, QPoint(0, 0)));
}

struct Cell
{
    QString text;
    QColor color;
    qreal x = 0; // where the text starts, from the cell's left edge
};

Cell cellOf(const PaintRecorder &recorder, const QAbstractItemView *grid, int row, int column)
{
    const QRect rect = cellRect(grid, row, column);
    const auto text = recorder.lastTextIn(rect);
    if (!text)
        return {};
    return {text->text, text->color, text->position.x() - rect.left()};
}

} // namespace

class StatusDisplayTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<ScreenFixture>();
        m_fixture->serve(statusDay());
        m_form = m_fixture->open();
        QVERIFY(m_form);
        QVERIFY(m_fixture->dialogs->messages().isEmpty());
        // The user maximises the screen and drags the splitter down so
        // that every flight and service shows.
        m_form->setFormWindowState(Qt::WindowMaximized);
        m_form->splServ->setSizes({200, m_form->splServ->height() - 200});
        QVERIFY(m_form->dbgServPlano->viewport()->height()
                > m_form->dbgServPlano->rowViewportPosition(4)
                      + m_form->dbgServPlano->rowHeight(4));
        QVERIFY(m_form->dbgPlanoVoo->viewport()->height()
                > m_form->dbgPlanoVoo->rowViewportPosition(7) + m_form->dbgPlanoVoo->rowHeight(7));
    }
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        m_form = nullptr;
        m_fixture.reset();
    }

    void flightPlansShowSituationTextsAndRowColours();
    void flightPlanTimesAndBreakdownTexts();
    void selectedCellIsHighlightedAndFocusFramedAfterItsText();
    void servicesShowSituationTextsAndRowColours();
    void quantitiesAndPricesAreFormattedFlushRight();
    void pricesFollowTheLocalesDecimalSeparator();
    void refreshedRowsRepaintWithTheirNewSituations();
    void demoScreenRendersToPng();

private:
    std::unique_ptr<ScreenFixture> m_fixture;
    TfrmPosFecDiaPlaVoo *m_form = nullptr;
};

// Catches wrong situation texts or colours, a colour lost on part of the
// row, and an odd code (empty, out of range, not a number) that paints a
// colour or stops the painting of its row.
void StatusDisplayTest::flightPlansShowSituationTextsAndRowColours()
{
    const QColor plain = m_form->dbgPlanoVoo->palette().color(QPalette::Text);
    const PaintRecorder painted(m_form->dbgPlanoVoo);
    const auto at = [&](int row, int column) {
        return cellOf(painted, m_form->dbgPlanoVoo, row, column);
    };
    const QList<QPair<QString, QColor>> expected = {
        {"Pe", Color::Blue},   {"At", Color::Green}, {"Ca", Color::Red}, {"Cc", Color::Aqua},
        {"Ft", Color::Maroon}, {"", plain},          {"", plain},        {"", plain}};
    for (int row = 1; row < expected.size(); ++row) {
        const QByteArray where = "row " + QByteArray::number(row);
        QVERIFY2(at(row, 0).text == expected[row].first, where);
        // The flight number, further along the row, in the row's colour.
        QVERIFY2(at(row, 3).text == m_fixture->day.flights[row].nrvoo, where);
        QVERIFY2(at(row, 3).color == expected[row].second, where);
        QVERIFY2(at(row, 5).color == expected[row].second, where);
    }
}

// Catches times shown without the colon or with a colon when there is no
// time, and breakdown codes other than 1 and 2 shown as text.
void StatusDisplayTest::flightPlanTimesAndBreakdownTexts()
{
    const PaintRecorder painted(m_form->dbgPlanoVoo);
    const auto text = [&](int row, int column) {
        return cellOf(painted, m_form->dbgPlanoVoo, row, column).text;
    };
    QCOMPARE(text(0, 1), QStringLiteral("09:30"));
    QCOMPARE(text(1, 1), QStringLiteral("14:05"));
    QCOMPARE(text(2, 1), QString());
    QCOMPARE(text(3, 1), QStringLiteral("00:00"));
    QCOMPARE(text(0, 6), QStringLiteral("Não gerado"));
    QCOMPARE(text(1, 6), QStringLiteral("Gerado"));
    QCOMPARE(text(2, 6), QString());
    QCOMPARE(text(3, 6), QString());
    QCOMPARE(cellOf(painted, m_form->dbgPlanoVoo, 1, 1).x, 2.0);
}

// Catches a selected cell painted in its status colour or without the
// highlight, the rest of its row losing the status colour, and a focus
// frame drawn before (under) the text.
void StatusDisplayTest::selectedCellIsHighlightedAndFocusFramedAfterItsText()
{
    clickCell(m_form->dbgPlanoVoo, 1, 2);
    QCOMPARE(focusName(), QStringLiteral("dbgPlanoVoo"));
    const PaintRecorder painted(m_form->dbgPlanoVoo);
    const Cell selected = cellOf(painted, m_form->dbgPlanoVoo, 1, 2);
    QCOMPARE(selected.text, QStringLiteral("AAL"));
    QCOMPARE(selected.color, Cli_ate25400::captionText(m_form->dbgPlanoVoo));
    QCOMPARE(cellOf(painted, m_form->dbgPlanoVoo, 1, 3).color, Color::Green);

    const QList<PaintRecorder::Step> steps = painted.stepsIn(cellRect(m_form->dbgPlanoVoo, 1, 2));
    int lastText = -1;
    int lastHighlight = -1;
    for (int i = 0; i < steps.size(); ++i) {
        if (steps[i].kind == PaintRecorder::Step::Text)
            lastText = i;
        if (steps[i].kind == PaintRecorder::Step::Fill
            && steps[i].color == Cli_ate25400::highlight(m_form->dbgPlanoVoo))
            lastHighlight = i;
    }
    QVERIFY(lastHighlight >= 0 && lastHighlight < lastText);
    QVERIFY2(lastText < steps.size() - 1, "no focus frame after the text");

    // What a person sees, once the focus is in another grid: the highlight
    // behind the selected cell, the information background behind the others.
    clickInto(m_form->dbgPrevisaoPax);
    QCOMPARE(focusName(), QStringLiteral("dbgPrevisaoPax"));
    const QImage image = m_form->dbgPlanoVoo->grab().toImage();
    const QRect selectedRect = cellRect(m_form->dbgPlanoVoo, 1, 2);
    const QRect plainRect = cellRect(m_form->dbgPlanoVoo, 2, 2);
    QCOMPARE(image.pixelColor(selectedRect.right() - 3, selectedRect.center().y()),
             Cli_ate25400::highlight(m_form->dbgPlanoVoo));
    QCOMPARE(image.pixelColor(plainRect.right() - 1, plainRect.bottom() - 1),
             Cli_ate25400::infoBackground(m_form->dbgPlanoVoo));
}

// Catches the invoice entry ignored or winning over a cancellation, and
// codes 4 and 5 shown or coloured in the service grid.
void StatusDisplayTest::servicesShowSituationTextsAndRowColours()
{
    const QColor plain = m_form->dbgServPlano->palette().color(QPalette::Text);
    const PaintRecorder painted(m_form->dbgServPlano);
    const auto at = [&](int row, int column) {
        return cellOf(painted, m_form->dbgServPlano, row, column);
    };
    QCOMPARE(at(1, 0).text, QStringLiteral("At"));
    QCOMPARE(at(1, 1).color, Color::Green);
    QCOMPARE(at(2, 0).text, QStringLiteral("Ca"));
    QCOMPARE(at(2, 1).color, Color::Red);
    QCOMPARE(at(3, 0).text, QStringLiteral("Cc"));
    QCOMPARE(at(3, 1).color, Color::Maroon);
    QCOMPARE(at(4, 0).text, QString());
    QCOMPARE(at(4, 1).text, QStringLiteral("Gelo"));
    QCOMPARE(at(4, 1).color, plain);
    QCOMPARE(at(0, 1).color, Color::Blue);
}

// Catches amounts not rounded to two places, grouped, left-aligned, or shown
// as zero when null, and a price column told by its position rather than
// by the field it shows.
void StatusDisplayTest::quantitiesAndPricesAreFormattedFlushRight()
{
    const QFontMetrics metrics(m_form->dbgServPlano->font());
    const auto endsAtTheRight = [&](const Cell &cell, int column) {
        return qAbs(cell.x + metrics.horizontalAdvance(cell.text)
                    - (m_form->dbgServPlano->column(column).width() - 2))
               < 0.5;
    };
    {
        const PaintRecorder painted(m_form->dbgServPlano);
        const Cell requested = cellOf(painted, m_form->dbgServPlano, 0, 3);
        QCOMPARE(requested.text, QStringLiteral("1234.50"));
        QVERIFY(endsAtTheRight(requested, 3));
        QCOMPARE(cellOf(painted, m_form->dbgServPlano, 0, 2).text, QStringLiteral("4.00"));
        QCOMPARE(cellOf(painted, m_form->dbgServPlano, 4, 3).text, QString());
        // From the first load on, a Brazilian airline's services in reais,
        // never the nationality code.
        const Cell price = cellOf(painted, m_form->dbgServPlano, 0, 7);
        QCOMPARE(price.text, QStringLiteral("R$ 12.50"));
        QVERIFY(endsAtTheRight(price, 7));
        QCOMPARE(cellOf(painted, m_form->dbgServPlano, 4, 7).text, QString());
    }
    // A foreign airline's services, in dollars as soon as they are shown.
    clickCell(m_form->dbgPlanoVoo, 1, 0);
    QCOMPARE(m_form->cdsServPlano->fieldByName("NRVOO").asString(), QStringLiteral("0950"));
    {
        const PaintRecorder dollars(m_form->dbgServPlano);
        QCOMPARE(cellOf(dollars, m_form->dbgServPlano, 0, 7).text, QStringLiteral("US$ 9.75"));
    }
    // A flight without forecast keeps the services, and their currency.
    clickCell(m_form->dbgPlanoVoo, 2, 0);
    const PaintRecorder kept(m_form->dbgServPlano);
    QCOMPARE(cellOf(kept, m_form->dbgServPlano, 0, 7).text, QStringLiteral("US$ 9.75"));
    // Back to the Brazilian airline: reais again.
    clickCell(m_form->dbgPlanoVoo, 0, 0);
    const PaintRecorder reais(m_form->dbgServPlano);
    QCOMPARE(cellOf(reais, m_form->dbgServPlano, 0, 7).text, QStringLiteral("R$ 12.50"));
}

// Catches a fixed "." where the user's locale writes a decimal comma.
void StatusDisplayTest::pricesFollowTheLocalesDecimalSeparator()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    clickCell(m_form->dbgPlanoVoo, 2, 0);
    const PaintRecorder painted(m_form->dbgServPlano);
    QCOMPARE(cellOf(painted, m_form->dbgServPlano, 0, 7).text, QStringLiteral("R$ 12,50"));
    QCOMPARE(cellOf(painted, m_form->dbgServPlano, 0, 3).text, QStringLiteral("1234,50"));
}

// Catches texts and colours kept from the rows painted before a refresh
// (the painters keep what they worked out per row until the rows change),
// in the grids and in what is copied, and amounts kept in the old locale.
void StatusDisplayTest::refreshedRowsRepaintWithTheirNewSituations()
{
    {
        const PaintRecorder flights(m_form->dbgPlanoVoo);
        QCOMPARE(cellOf(flights, m_form->dbgPlanoVoo, 1, 0).text, QStringLiteral("At"));
        QCOMPARE(cellOf(flights, m_form->dbgPlanoVoo, 1, 3).color, Color::Green);
        const PaintRecorder services(m_form->dbgServPlano);
        QCOMPARE(cellOf(services, m_form->dbgServPlano, 1, 0).text, QStringLiteral("At"));
        QCOMPARE(cellOf(services, m_form->dbgServPlano, 0, 3).text, QStringLiteral("1234.50"));
    }
    DemoDay day = m_fixture->day;
    day.flights[1].situation = QStringLiteral("3");
    day.flights[1].departure = QStringLiteral("0615");
    QList<Service> &services = day.services[day.flights[0].nrvoo];
    services[1].situation = QStringLiteral("3");
    services[0].requested = 99.0;
    m_fixture->serve(day);
    QMetaObject::invokeMethod(m_form->timAtualizacaoPv, "timeout");
    QVERIFY(m_fixture->dialogs->messages().isEmpty());

    const PaintRecorder flights(m_form->dbgPlanoVoo);
    QCOMPARE(cellOf(flights, m_form->dbgPlanoVoo, 1, 0).text, QStringLiteral("Ca"));
    QCOMPARE(cellOf(flights, m_form->dbgPlanoVoo, 1, 3).color, Color::Red);
    QCOMPARE(cellOf(flights, m_form->dbgPlanoVoo, 1, 1).text, QStringLiteral("06:15"));
    QCOMPARE(m_form->dbgPlanoVoo->cellText(1, 0), QStringLiteral("Ca"));
    const PaintRecorder painted(m_form->dbgServPlano);
    QCOMPARE(cellOf(painted, m_form->dbgServPlano, 1, 0).text, QStringLiteral("Ca"));
    QCOMPARE(cellOf(painted, m_form->dbgServPlano, 1, 1).color, Color::Red);
    QCOMPARE(cellOf(painted, m_form->dbgServPlano, 0, 3).text, QStringLiteral("99.00"));
    QCOMPARE(m_form->dbgServPlano->cellText(0, 3), QStringLiteral("99.00"));

    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    const PaintRecorder comma(m_form->dbgServPlano);
    QCOMPARE(cellOf(comma, m_form->dbgServPlano, 0, 3).text, QStringLiteral("99,00"));
}

// Not a check: the picture of the whole screen with a demo day, to look at.
void StatusDisplayTest::demoScreenRendersToPng()
{
    clickCell(m_form->dbgPlanoVoo, 2, 0);
    clickCell(m_form->dbgPlanoVoo, 0, 3);
    QVERIFY(QDir().mkpath(QStringLiteral(SCREEN_PNG_DIR)));
    QVERIFY(
        m_fixture->window.grab().save(QStringLiteral(SCREEN_PNG_DIR "/ate25400_maximised.png")));
    m_form->setFormWindowState(Qt::WindowNoState);
    QVERIFY(m_fixture->window.grab().save(QStringLiteral(SCREEN_PNG_DIR "/ate25400_screen.png")));
}

QTEST_MAIN(StatusDisplayTest)
#include "status_display_test.moc"
