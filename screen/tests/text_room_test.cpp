// Every text the screen shows fits its room at the designed sizes, in
// Portuguese and in English: the titles of the grids, the labels, the
// flights' breakdown state and the weekday inside the date.

#include "testing/screen/open_screen_test.h"

#include "host/date_edit_plus.h"

#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTranslator>

using namespace screen::testing;

namespace {

struct Overflow
{
    QStringList found;
    void check(const QString &where, const QString &text, int needed, int room)
    {
        if (needed > room)
            found.append(
                QStringLiteral("%1 \"%2\": %3 > %4").arg(where, text).arg(needed).arg(room));
    }
};

} // namespace

class TextRoomTest : public QObject
{
    Q_OBJECT

private slots:
    void textsFitTheirRoom_data();
    void textsFitTheirRoom();
};

void TextRoomTest::textsFitTheirRoom_data()
{
    QTest::addColumn<QString>("translation");
    QTest::newRow("Português") << QString();
    QTest::newRow("English") << QStringLiteral(ATE_PLUGIN_DIR "/PKG_ATE25400_en.qm");
}

// Catches a column title, a label, a state or a weekday cut short or
// elided ("Base Orig", "Not gene", "Thurs...") in either language.
void TextRoomTest::textsFitTheirRoom()
{
    QFETCH(QString, translation);
    QTranslator translator;
    if (!translation.isEmpty()) {
        QVERIFY2(translator.load(translation), qPrintable(translation));
        QCoreApplication::installTranslator(&translator);
    }
    ScreenFixture fixture;
    auto *form = fixture.open();
    QVERIFY(form);
    Overflow overflow;

    for (platform::DBGrid *grid : {form->dbgPlanoVoo, form->dbgPrevisaoPax, form->dbgServPlano}) {
        QHeaderView *header = grid->horizontalHeader();
        const int margins =
            2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        const QFontMetrics titleMetrics(header->font());
        for (int c = 0; c < grid->columnCount(); ++c) {
            const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
            overflow.check(grid->objectName() + QStringLiteral(" title"), title,
                           titleMetrics.horizontalAdvance(title) + margins, header->sectionSize(c));
        }
    }

    // The breakdown state, a text of the system's own, in every row.
    platform::DBGrid *flights = form->dbgPlanoVoo;
    const QFontMetrics cellMetrics(flights->font());
    const int breakdown = flights->columnCount() - 1;
    QCOMPARE(flights->column(breakdown).fieldName(), QStringLiteral("IDBREAKGERA"));
    QSet<QString> states;
    for (int row = 0; row < flights->rowCount(); ++row)
        states.insert(flights->cellText(row, breakdown));
    QVERIFY(states.size() >= 2);
    for (const QString &state : std::as_const(states))
        overflow.check(QStringLiteral("breakdown"), state, cellMetrics.horizontalAdvance(state) + 4,
                       flights->columnWidth(breakdown));

    for (QLabel *label : form->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(form) || label->text().isEmpty() || label->wordWrap())
            continue;
        overflow.check(label->objectName(), label->text(),
                       label->fontMetrics().horizontalAdvance(label->text()),
                       label->contentsRect().width());
    }

    host::TDateEditPlus *date = form->depVoo;
    const QFontMetrics weekdayMetrics(date->weekdayFont());
    for (const QString &name : date->NomeSemana())
        overflow.check(QStringLiteral("depVoo"), name, weekdayMetrics.horizontalAdvance(name),
                       date->weekdayRoom());

    if (!translation.isEmpty())
        QCoreApplication::removeTranslator(&translator);
    QVERIFY2(overflow.found.isEmpty(), qPrintable(overflow.found.join(u'\n')));
}

QTEST_MAIN(TextRoomTest)
#include "text_room_test.moc"
