#include "platform/client_data_set.h"
#include "platform/float_format.h"
#include "platform/tests/test_support.h"

#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace platform;
using namespace platform::testing;

class RecordSetTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void loadPacketRefusesMissingOrMistypedField_data();
    void loadPacketRefusesMissingOrMistypedField();
    void loadPacketRefusesMalformedColumns();
    void loadPacketTruncatesLongStrings();
    void afterScrollCounts();
    void reloadTellsOnlyTheRowsThatChanged();
    void afterScrollFailureReachesMoverAfterTheMove();
    void locateCaseInsensitiveWholeValues();
    void locateAccentedAndNullKeys();
    void locateFailsWithoutMoving();
    void emptyAndClosedSetsReadEmpty();
    void getTextReadsThePaintedRow();
    void displayAndEditFormats();
    void floatFormatPatterns_data();
    void floatFormatPatterns();

private:
    std::unique_ptr<ClientDataSet> m_set;
    int m_scrolls = 0;
    QList<int> m_scrolledRows;
};

void RecordSetTest::init()
{
    m_set = std::make_unique<ClientDataSet>();
    declareFlightFields(*m_set);
    m_scrolls = 0;
    m_scrolledRows.clear();
    m_set->setAfterScroll([this](ClientDataSet &set) {
        ++m_scrolls;
        m_scrolledRows << set.recNo();
    });
}

void RecordSetTest::loadPacketRefusesMissingOrMistypedField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("type"); // -1: field left out of the packet
    QTest::newRow("missing") << "NRVOO" << -1;
    QTest::newRow("string as float") << "NRVOO" << int(FieldType::Float);
    QTest::newRow("date-time as string") << "DTHRVOO" << int(FieldType::String);
    QTest::newRow("float as date-time") << "QTPAX" << int(FieldType::DateTime);
}

// A packet lacking a field, or carrying it with another type, must be refused
// with the field's name, keeping the rows and the cursor the set had.
void RecordSetTest::loadPacketRefusesMissingOrMistypedField()
{
    QFETCH(QString, field);
    QFETCH(int, type);
    m_set->loadPacket(flightPacket(4));
    m_set->setRecNo(2);
    m_scrolls = 0;

    DataPacket bad = flightPacket(7);
    const int at = int(std::find_if(bad.fields.begin(), bad.fields.end(),
                                    [&](const PacketField &f) { return f.name == field; })
                       - bad.fields.begin());
    if (type < 0)
        bad.fields[at].name = QStringLiteral("OTHER");
    else
        bad.fields[at].type = FieldType(type);
    try {
        m_set->loadPacket(bad);
        QFAIL("the packet was accepted");
    } catch (const Error &e) {
        QVERIFY2(e.message().contains(field), qPrintable(e.message()));
    }
    QCOMPARE(m_set->recordCount(), 4);
    QCOMPARE(m_set->recNo(), 2);
    QCOMPARE(m_set->fieldByName("NRVOO").asString(), QStringLiteral("1002"));
    QCOMPARE(m_scrolls, 0);
}

// A column shorter than the row count, or holding a value of another type,
// must not be read out of bounds or mistyped.
void RecordSetTest::loadPacketRefusesMalformedColumns()
{
    DataPacket shortColumn = flightPacket(3);
    shortColumn.columns[1] =
        makeColumn(FieldType::String, {QStringLiteral("1000"), QStringLiteral("1001")});
    QVERIFY_THROWS_EXCEPTION(Error, m_set->loadPacket(shortColumn));

    DataPacket wrongValue = flightPacket(3);
    wrongValue.columns[3] = makeColumn(FieldType::Float, {0.0, QStringLiteral("many"), 3.0});
    QVERIFY_THROWS_EXCEPTION(Error, m_set->loadPacket(wrongValue));
    QVERIFY(!m_set->isActive());

    // Extra packet fields and a float field fed with integers are fine.
    DataPacket wider = flightPacket(2);
    wider.fields[3].type = FieldType::Integer;
    wider.columns[3] = makeColumn(FieldType::Integer, {QVariant(qint64(7)), QVariant()});
    wider.fields << PacketField{QStringLiteral("EXTRA"), FieldType::String, 2};
    wider.columns.push_back(
        makeColumn(FieldType::String, {QStringLiteral("x"), QStringLiteral("y")}));
    m_set->loadPacket(std::move(wider));
    QCOMPARE(m_set->fieldByName("QTPAX").asFloat(), 7.0);
}

// A string field holds at most its size in characters: accented letters
// count as one each, and the values around a cut one stay whole.
void RecordSetTest::loadPacketTruncatesLongStrings()
{
    DataPacket packet = flightPacket(4);
    packet.columns[0] =
        makeColumn(FieldType::String, {QStringLiteral("ABCDEFG"), QStringLiteral("AÇÃO"),
                                       QStringLiteral("ÇÃOXY"), QVariant()});
    m_set->loadPacket(packet);
    const Field &airline = m_set->fieldByName("CDCIA");
    QCOMPARE(airline.asStringAt(0), QStringLiteral("ABCD"));
    QCOMPARE(airline.asStringAt(1), QStringLiteral("AÇÃO"));
    QCOMPARE(airline.asStringAt(2), QStringLiteral("ÇÃOX"));
    QVERIFY(airline.isNullAt(3));
    QCOMPARE(m_set->fieldByName("NRVOO").asStringAt(2), QStringLiteral("1002"));

    // The set shares the packet's values until it cuts them: the packet (a
    // reply the connection keeps for the next refresh) stays whole, and so
    // do copies of it.
    QCOMPARE(packet.columns[0].text(0), QStringLiteral("ABCDEFG"));
    DataPacket copy = packet;
    copy.columns[0].append(QStringLiteral("XYZ"));
    QCOMPARE(packet.columns[0].size(), 4);
    QCOMPARE(copy.columns[0].text(4), QStringLiteral("XYZ"));
    QCOMPARE(copy.columns[0].text(2), QStringLiteral("ÇÃOXY"));
}

// After-scroll must fire once per change of the current row and never for
// an empty load or a move that stays on the same row.
void RecordSetTest::afterScrollCounts()
{
    m_set->loadPacket(flightPacket(5));
    QCOMPARE(m_scrolls, 1);
    QCOMPARE(m_set->recNo(), 0);
    QVERIFY(m_set->bof());

    m_set->loadPacket(flightPacket(5)); // new rows, same row number: still a scroll
    QCOMPARE(m_scrolls, 2);

    m_set->first();
    m_set->setRecNo(0);
    m_set->prior();
    QCOMPARE(m_scrolls, 2);
    QVERIFY(m_set->bof());

    m_set->next();
    m_set->moveBy(2);
    QCOMPARE(m_set->moveBy(10), 1);
    QVERIFY(m_set->eof());
    m_set->next();
    m_set->last();
    QCOMPARE(m_scrolledRows, (QList<int>{0, 0, 1, 3, 4}));

    m_set->loadPacket(flightPacket(0));
    QCOMPARE(m_scrolls, 5);
    QVERIFY(m_set->isActive());
    QCOMPARE(m_set->recNo(), -1);
    QVERIFY(m_set->bof() && m_set->eof());
    m_set->next();
    m_set->last();
    QCOMPARE(m_scrolls, 5);
    QVERIFY_THROWS_EXCEPTION(Error, m_set->setRecNo(0));
}

// A failing after-scroll must reach whoever moved the row, with the cursor
// already moved (the screen relies on it).
// A reload of the same shape must name exactly the rows whose values differ
// (a missed one would show stale data, an extra one repaints for nothing),
// read the new values, and still start again from the first row.
void RecordSetTest::reloadTellsOnlyTheRowsThatChanged()
{
    const auto rows = [](double pax4, const QVariant &situation7, const QString &flight9) {
        QList<QVariantList> values;
        for (int i = 0; i < 12; ++i)
            values << QVariantList{QStringLiteral("CI"), QString::number(1000 + i),
                                   QStringLiteral("1"), i * 1.0,
                                   civilDateTime(QDate(2024, 3, 1), QTime(i, 0))};
        values[4][3] = pax4;
        values[7][2] = situation7;
        values[9][1] = flight9;
        return makePacket(flightFields(), values);
    };
    m_set->loadPacket(rows(0.0, QVariant(), QStringLiteral("1009")));
    m_set->setRecNo(6);
    const quint64 generation = m_set->generation();
    QSignalSpy resets(m_set.get(), &ClientDataSet::reset);
    QSignalSpy changed(m_set.get(), &ClientDataSet::rowsChanged);
    QSignalSpy moved(m_set.get(), &ClientDataSet::currentRowChanged);
    m_scrolls = 0;

    // A null stays a null whatever the packet stores under it.
    m_set->loadPacket(rows(0.0, QVariant(), QStringLiteral("1009")));
    QCOMPARE(resets.size(), 0);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(m_set->generation(), generation);
    QCOMPARE(m_set->recNo(), 0);
    QCOMPARE(moved.size(), 1);
    QCOMPARE(m_scrolls, 1);

    // -0.0 equals 0.0 but is another value; a null that gets a value, a
    // longer text.
    m_set->loadPacket(rows(0.0, QStringLiteral("2"), QStringLiteral("10090")));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.takeFirst(), (QVariantList{7, 9}));
    QVERIFY(m_set->generation() != generation);
    m_set->setRecNo(7);
    QCOMPARE(m_set->fieldByName("IDSIT").asString(), QStringLiteral("2"));
    m_set->setRecNo(9);
    QCOMPARE(m_set->fieldByName("NRVOO").asString(), QStringLiteral("10090"));

    m_set->loadPacket(rows(-0.0, QStringLiteral("2"), QStringLiteral("10090")));
    QCOMPARE(changed.takeFirst(), (QVariantList{4, 4}));
    m_set->loadPacket(rows(std::numeric_limits<double>::quiet_NaN(), QStringLiteral("2"),
                           QStringLiteral("10090")));
    QCOMPARE(changed.takeFirst(), (QVariantList{4, 4}));
    // NaN is not equal to itself; the same NaN again is no change.
    m_set->loadPacket(rows(std::numeric_limits<double>::quiet_NaN(), QStringLiteral("2"),
                           QStringLiteral("10090")));
    QCOMPARE(changed.size(), 0);
    QCOMPARE(resets.size(), 0);

    // Another row count replaces the rows.
    m_set->loadPacket(flightPacket(11));
    QCOMPARE(resets.size(), 1);
    QCOMPARE(changed.size(), 0);
}

void RecordSetTest::afterScrollFailureReachesMoverAfterTheMove()
{
    m_set->loadPacket(flightPacket(3));
    m_set->setAfterScroll([](ClientDataSet &) { throw Error(QStringLiteral("recusado")); });
    QVERIFY_THROWS_EXCEPTION(Error, m_set->next());
    QCOMPARE(m_set->recNo(), 1);
    m_set->setAfterScroll([](ClientDataSet &) { abortSilently(); });
    bool aborted = false;
    try {
        m_set->loadPacket(flightPacket(4));
    } catch (const Abort &) {
        aborted = true;
    }
    QVERIFY(aborted);
    QCOMPARE(m_set->recordCount(), 4);
    QCOMPARE(m_set->recNo(), 0);
}

// Locate must ignore letter case, need whole values on every key field and
// raise one after-scroll for the row it lands on.
void RecordSetTest::locateCaseInsensitiveWholeValues()
{
    m_set->loadPacket(flightPacket(10));
    m_scrolls = 0;
    const auto ci = LocateOptions(LocateOption::CaseInsensitive);

    QVERIFY(m_set->locate(QStringLiteral("CDCIA;NRVOO"),
                          {QStringLiteral("ci1"), QStringLiteral("1004")}, ci));
    QCOMPARE(m_set->recNo(), 4);
    QCOMPARE(m_scrolls, 1);

    QVERIFY(!m_set->locate(QStringLiteral("CDCIA;NRVOO"),
                           {QStringLiteral("ci1"), QStringLiteral("100")}, ci));
    QVERIFY(!m_set->locate(QStringLiteral("CDCIA;NRVOO"),
                           {QStringLiteral("ci1"), QStringLiteral("1007")}));
    QVERIFY(m_set->locate(QStringLiteral("cdcia ; nrvoo"),
                          {QStringLiteral("CI1"), QStringLiteral("1007")}));
    QCOMPARE(m_set->recNo(), 7);
    QVERIFY(
        m_set->locate(QStringLiteral("NRVOO"), {QStringLiteral("100")}, LocateOption::PartialKey));
    QCOMPARE(m_set->recNo(), 0);
    QVERIFY(m_set->locate(QStringLiteral("QTPAX;DTHRVOO"),
                          {3.0, civilDateTime(QDate(2024, 3, 1), QTime(2, 0))}));
    QCOMPARE(m_set->recNo(), 2);
    QCOMPARE(m_scrolls, 4);

    // Already there: no move, no event.
    QVERIFY(m_set->locate(QStringLiteral("NRVOO"), {QStringLiteral("1002")}, ci));
    QCOMPARE(m_scrolls, 4);
}

// Accented keys must match as the texts read, letter case aside only when
// asked; an empty key finds a null text, a null key only a null value.
void RecordSetTest::locateAccentedAndNullKeys()
{
    m_set->loadPacket(
        makePacket(flightFields(), {{QStringLiteral("GOL"), QStringLiteral("1"), {}, 1.0},
                                    {QStringLiteral("AÇÃO"), QStringLiteral("2"), {}, QVariant()},
                                    {QVariant(), QStringLiteral("3"), {}, 2.0},
                                    {QStringLiteral("AÇB"), QStringLiteral("4"), {}, 3.0}}));
    const auto ci = LocateOptions(LocateOption::CaseInsensitive);
    QVERIFY(!m_set->locate(QStringLiteral("CDCIA"), {QStringLiteral("açÃo")}));
    QVERIFY(m_set->locate(QStringLiteral("CDCIA"), {QStringLiteral("açÃo")}, ci));
    QCOMPARE(m_set->recNo(), 1);
    QVERIFY(m_set->locate(QStringLiteral("CDCIA"), {QStringLiteral("aç")},
                          ci | LocateOption::PartialKey));
    QCOMPARE(m_set->recNo(), 1);
    QVERIFY(m_set->locate(QStringLiteral("CDCIA"), {QStringLiteral("gol")}, ci));
    QCOMPARE(m_set->recNo(), 0);
    QVERIFY(m_set->locate(QStringLiteral("CDCIA"), {QString(QLatin1String(""))}));
    QCOMPARE(m_set->recNo(), 2);
    QVERIFY(m_set->locate(QStringLiteral("QTPAX"), {QVariant()}));
    QCOMPARE(m_set->recNo(), 1);
    QVERIFY(m_set->locate(QStringLiteral("QTPAX;NRVOO"), {2.0, QStringLiteral("3")}));
    QCOMPARE(m_set->recNo(), 2);
}

// A failed locate leaves the cursor; a bad request is an error, not a miss.
void RecordSetTest::locateFailsWithoutMoving()
{
    QVERIFY(!m_set->locate(QStringLiteral("CDCIA"), {QStringLiteral("CI0")}));
    m_set->loadPacket(flightPacket(5));
    m_set->setRecNo(3);
    QVERIFY(!m_set->locate(QStringLiteral("CDCIA;NRVOO"), {QString(), QString()}));
    QCOMPARE(m_set->recNo(), 3);
    QVERIFY_THROWS_EXCEPTION(Error, m_set->locate(QStringLiteral("NOPE"), {1}));
    QVERIFY_THROWS_EXCEPTION(Error, m_set->locate(QStringLiteral("CDCIA;NRVOO"), {1}));
}

// Fields of an empty or closed set are read by the screen as keys: they must
// be "", 0, the zero date-time and null, never a failure.
void RecordSetTest::emptyAndClosedSetsReadEmpty()
{
    const auto checkEmpty = [this] {
        QCOMPARE(m_set->fieldByName("CDCIA").asString(), QString());
        QCOMPARE(m_set->fieldByName("CDCIA").text(), QString());
        QCOMPARE(m_set->fieldByName("QTPAX").asFloat(), 0.0);
        QCOMPARE(m_set->fieldByName("DTHRVOO").asDateTime(), zeroDateTime());
        QVERIFY(m_set->fieldByName("DTHRVOO").isNull());
        QVERIFY(!m_set->fieldByName("NRVOO").value().isValid());
    };
    checkEmpty();
    m_set->loadPacket(flightPacket(0));
    checkEmpty();
    m_set->loadPacket(flightPacket(3));
    m_set->close();
    QVERIFY(!m_set->isActive());
    QCOMPARE(m_set->recordCount(), 0);
    checkEmpty();
    QVERIFY_THROWS_EXCEPTION(Error, m_set->fieldByName("MISSING"));
}

// A text handler run for a painted row must read that row, also through the
// other fields of the set, and get the text empty.
void RecordSetTest::getTextReadsThePaintedRow()
{
    Field &situation = m_set->fieldByName("IDSIT");
    QList<bool> displayFlags;
    situation.setOnGetText([&](Field &field, QString &text, bool displayText) {
        QVERIFY(text.isEmpty());
        displayFlags << displayText;
        text = field.asString() + u'/' + field.dataSet().fieldByName("NRVOO").asString();
    });
    m_set->loadPacket(flightPacket(4));
    m_set->setRecNo(1);
    QCOMPARE(situation.textAt(3), QStringLiteral("4/1003"));
    QCOMPARE(situation.text(), QStringLiteral("2/1001"));
    QCOMPARE(situation.displayTextAt(0), QStringLiteral("1/1000"));
    QCOMPARE(displayFlags, (QList<bool>{false, false, true}));
    QCOMPARE(situation.textAt(9), QStringLiteral("/")); // no such row: empty values
}

// Float fields format with the display format, the edit text with the edit
// format when one is set; date-times show the date and a non-zero time.
void RecordSetTest::displayAndEditFormats()
{
    Field &pax = m_set->fieldByName("QTPAX");
    pax.setDisplayFormat(QStringLiteral("##0.00"));
    m_set->loadPacket(flightPacket(3));
    m_set->last();
    // In the user's decimal separator ("3,00" in Brazil).
    const QLocale locale;
    QCOMPARE(pax.displayText(), locale.toString(3.0, 'f', 2));
    QCOMPARE(pax.text(), locale.toString(3.0, 'f', 2));
    pax.setEditFormat(QStringLiteral("0.0"));
    QCOMPARE(pax.text(), locale.toString(3.0, 'f', 1));
    QCOMPARE(pax.asString(), QStringLiteral("3"));
    QCOMPARE(m_set->fieldByName("DTHRVOO").text(), QStringLiteral("01/03/2024 02:00:00"));
    QCOMPARE(m_set->fieldByName("DTHRVOO").textAt(0), QStringLiteral("01/03/2024"));
    QVERIFY(pax.alignment() & Qt::AlignRight);
}

void RecordSetTest::floatFormatPatterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("quantity") << "###0.00" << 1234.5 << "C"
                              << "1234.50";
    QTest::newRow("reais") << "R$ ###0.00" << 12.5 << "C"
                           << "R$ 12.50";
    QTest::newRow("dollars, comma") << "US$ ###0.00" << 7.0 << "pt_BR"
                                    << "US$ 7,00";
    QTest::newRow("half up") << "##0.00" << 0.125 << "C"
                             << "0.13";
    QTest::newRow("2.675") << "0.00" << 2.675 << "C"
                           << "2.68";
    QTest::newRow("carry") << "0.00" << 9.999 << "C"
                           << "10.00";
    QTest::newRow("small") << "###0.00" << 0.004 << "C"
                           << "0.00";
    QTest::newRow("negative") << "R$ ###0.00" << -3.456 << "C"
                              << "-R$ 3.46";
    QTest::newRow("negative to zero") << "0.00" << -0.001 << "C"
                                      << "0.00";
    QTest::newRow("grouping") << "#,##0.00" << 1234567.891 << "pt_BR"
                              << "1.234.567,89";
    QTest::newRow("optional decimals") << "0.##" << 2.5 << "C"
                                       << "2.5";
    QTest::newRow("sections") << "0.0;(0.0);'nada'" << -2.0 << "C"
                              << "(2.0)";
    QTest::newRow("zero section") << "0.0;(0.0);'nada'" << 0.0 << "C"
                                  << "nada";
    QTest::newRow("large") << "0" << 12345678901234.0 << "C"
                           << "12345678901234";
    QTest::newRow("general") << "" << 0.1 << "C"
                             << "0.1";
}

// Quantities and prices on screen go through these patterns.
void RecordSetTest::floatFormatPatterns()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QCOMPARE(formatFloat(pattern, value, QLocale(locale)), expected);
}

QTEST_GUILESS_MAIN(RecordSetTest)
#include "tst_record_set.moc"
