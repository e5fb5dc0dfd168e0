#include "host/date_edit_plus.h"
#include "host/functions.h"
#include "platform/abort.h"
#include "platform/data_packet.h"
#include "testing/host/fake_dialogs.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

using host::testing::FakeDialogs;

class DateEditPlusTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsAtToday();
    void typedValidDate();
    void typedInvalidDateIsRefusedWithAMessage();
    void emptiedFromTheKeyboard();
    void setDateAndSaveTime();

private:
    void retype(const QString &digits);

    QWidget *m_form = nullptr;
    host::TDateEditPlus *m_edit = nullptr;
    int m_changes = 0;
};

void DateEditPlusTest::init()
{
    m_form = new QWidget;
    auto *layout = new QVBoxLayout(m_form);
    m_edit = new host::TDateEditPlus(m_form);
    m_edit->setObjectName(QStringLiteral("depVoo"));
    auto *other = new QLineEdit(m_form);
    other->setObjectName(QStringLiteral("edtOutro"));
    layout->addWidget(m_edit);
    layout->addWidget(other);
    m_changes = 0;
    m_edit->setOnChange([this](QObject *sender) {
        QCOMPARE(sender, m_edit);
        ++m_changes;
    });
    QVERIFY(host::testing::showActive(m_form));
}

void DateEditPlusTest::cleanup()
{
    delete m_form;
    m_form = nullptr;
}

// Types over the whole text as a user would: select all, then the digits.
void DateEditPlusTest::retype(const QString &digits)
{
    m_edit->setFocus();
    QTest::keyClick(m_edit, Qt::Key_A, Qt::ControlModifier);
    if (digits.isEmpty())
        QTest::keyClick(m_edit, Qt::Key_Backspace);
    else
        QTest::keyClicks(m_edit, digits);
}

// Catches a daily screen that opens with no date, or one in the wrong
// format, weekday or colour.
void DateEditPlusTest::startsAtToday()
{
    const QDate today = QDate::currentDate();
    QCOMPARE(m_edit->text(), today.toString(QStringLiteral("dd/MM/yyyy")));
    QCOMPARE(m_edit->GetDate(), platform::civilDateTime(today));
    QCOMPARE(m_edit->weekdayText(), m_edit->NomeSemana().at(today.dayOfWeek() % 7));
    QCOMPARE(m_edit->textColor(), QColor(Qt::blue));
}

// Catches a typed date read wrongly, a weekday off by one (the names start
// on Sunday) and a valid date not drawn in the valid-date colour.
void DateEditPlusTest::typedValidDate()
{
    m_edit->setValidDateColor(QColor(0, 0, 200));
    retype(QStringLiteral("29022024"));
    QCOMPARE(m_edit->text(), QStringLiteral("29/02/2024"));
    QCOMPARE(m_edit->GetDate(), platform::civilDateTime(QDate(2024, 2, 29)));
    QCOMPARE(m_edit->GetDate().time(), QTime(0, 0));
    QCOMPARE(m_edit->weekdayText(), QStringLiteral("Quinta"));
    QCOMPARE(m_edit->textColor(), QColor(0, 0, 200));
    QVERIFY(m_changes > 0);

    retype(QStringLiteral("03032024"));
    QCOMPARE(m_edit->weekdayText(), QStringLiteral("Domingo"));
    m_edit->setNomeSemana({QStringLiteral("Dom"), QStringLiteral("Seg"), QStringLiteral("Ter"),
                           QStringLiteral("Qua"), QStringLiteral("Qui"), QStringLiteral("Sex"),
                           QStringLiteral("Sáb")});
    QCOMPARE(m_edit->weekdayText(), QStringLiteral("Dom"));
    // Painting the name inside the control works at the screen's width.
    m_edit->resize(100, 21);
    QVERIFY(!m_edit->grab().isNull());
}

// Catches 31/02/2024 passing as a date (or as 02/03/2024), a report that
// is not the clear Portuguese one, and an invalid date still shown as valid.
void DateEditPlusTest::typedInvalidDateIsRefusedWithAMessage()
{
    FakeDialogs fake;
    retype(QStringLiteral("31022024"));
    QCOMPARE(m_edit->text(), QStringLiteral("31/02/2024"));
    QVERIFY(!m_edit->hasValidDate());
    QVERIFY(!m_edit->isEmptyDate());
    QCOMPARE(m_edit->weekdayText(), QString());
    QVERIFY(m_edit->textColor() != QColor(Qt::blue));

    QVERIFY(!platform::guarded([this] { m_edit->CheckValidDate(); }));
    QCOMPARE(fake.texts(), QStringList{QStringLiteral("31/02/2024 não é uma data válida.")});
    QCOMPARE(fake.messages().first().kind, host::MessageKind::Error);
    QVERIFY_THROWS_EXCEPTION(platform::Error, m_edit->GetDate());

    // Half a date is no date either.
    retype(QStringLiteral("1203"));
    QVERIFY_THROWS_EXCEPTION(platform::Error, m_edit->CheckValidDate());
}

// Catches an edit that cannot be emptied from the keyboard, or whose empty
// text does not count as empty.
void DateEditPlusTest::emptiedFromTheKeyboard()
{
    retype(QString());
    QVERIFY(m_edit->isEmptyDate());
    QVERIFY(host::EmptyString(m_edit->text()));
    QCOMPARE(m_edit->GetDate(), platform::zeroDateTime());
    m_edit->CheckValidDate(); // an empty date is not an invalid one
    QCOMPARE(m_edit->weekdayText(), QString());

    // It stays empty when the focus leaves.
    QTest::keyClick(m_edit, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("edtOutro"));
    QVERIFY(m_edit->isEmptyDate());
}

// Catches a zero date shown as 30/12/1899 and a time kept or dropped
// against the SaveTime setting.
void DateEditPlusTest::setDateAndSaveTime()
{
    const QDateTime withTime = platform::civilDateTime(QDate(2024, 3, 10), QTime(14, 30));
    m_edit->SetDate(withTime);
    QCOMPARE(m_edit->text(), QStringLiteral("10/03/2024"));
    QCOMPARE(m_edit->GetDate(), platform::civilDateTime(QDate(2024, 3, 10)));
    m_edit->setSaveTime(true);
    QCOMPARE(m_edit->GetDate(), withTime);

    m_changes = 0;
    m_edit->SetDate(platform::zeroDateTime());
    QVERIFY(m_edit->isEmptyDate());
    QCOMPARE(m_changes, 1);
    m_edit->SetDate(QDate(2024, 12, 25));
    QCOMPARE(m_edit->weekdayText(), QStringLiteral("Quarta"));
}

QTEST_MAIN(DateEditPlusTest)
#include "date_edit_plus_test.moc"
