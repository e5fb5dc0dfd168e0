#pragma once

#include "screen/frm_pos_fec_dia_pla_voo.h"
#include "testing/host/fake_dialogs.h"
#include "testing/net/scripted_server.h"

#include <QDate>
#include <QHash>
#include <QMainWindow>
#include <QMdiArea>
#include <QPointer>
#include <QTemporaryDir>

#include <memory>

namespace screen::testing {

using host::testing::TestPacket;

// The flight-plan date every test works on: the date edit's own start.
QDate today();
// "yyyy-MM-dd hh:mm" as the recording server prints a date-time.
QString wireDate(const QDateTime &dateTime);

// Rows of the three record sets, in their declared field order.
struct Flight
{
    QString cdcia, sgcia, trecho, nrvoo, situation, breakdown, departure;
    QString filial = QStringLiteral("GRU");
    QDateTime when;
};
struct CabinClass
{
    QString cdcia, nrvoo, trecho, cdclasse, sgclasse;
    QVariant pax, standBy;
    QDateTime when;
    QString filial = QStringLiteral("GRU");
};
struct Service
{
    QString description, situation, invoiceEntry, nationality;
    QVariant standBy, requested, invoiced, cut, fixed, priceReais, priceDollars;
};

TestPacket planoVooPacket(const QList<Flight> &flights);
TestPacket prevPaxPacket(const QList<CabinClass> &classes);
TestPacket servPlanoPacket(const Flight &flight, const QList<Service> &services);
// The airlines of the flights, each once, in flight order; as GetCia answers.
TestPacket ciaPacket(const QList<Flight> &flights);

// A demo day for branch GRU: three flights; the first two with classes and
// services (the first airline Brazilian, the second foreign), the third
// without a forecast.
struct DemoDay
{
    QList<Flight> flights;
    QHash<QString, QList<CabinClass>> classes; // by flight number
    QHash<QString, QList<Service>> services;   // by flight number
};
DemoDay demoDay();

// "GetPrevPax(\"G3\", \"GRU\", \"1234\", \"01\", 2024-05-01 09:30)" for a flight.
QString keysCall(const QString &method, const Flight &flight);

// The host around the screen: an active MDI main window, the host context,
// a local database with four branches (REC rescinded), the recording dialog
// service and a scripted application server answering a demo day.
class ScreenFixture
{
public:
    ScreenFixture();
    ~ScreenFixture();

    // Answers GetPlanoVoo (the listed airlines' flights when the flag is not
    // "T"), GetPrevPax, GetServPlano and GetCia from this day.
    void serve(const DemoDay &day);

    // IniProc, then waits for the screen's first activation to end.
    Cli_ate25400::TfrmPosFecDiaPlaVoo *open();
    // Closes the screen as the user does and waits until it is gone.
    bool closeScreen();

    QMainWindow window;
    QMdiArea *area;
    host::testing::ScriptedServer server;
    std::unique_ptr<host::testing::FakeDialogs> dialogs;
    QTemporaryDir dir;
    DemoDay day;
};

// Clicks a cell of a grid as the user does.
void clickCell(QAbstractItemView *grid, int row, int column);
// Clicks a widget (an edit, a grid) to move the focus there.
void clickInto(QWidget *widget);
// Presses a key in a control as the user does once it has the focus: the
// form previews keys only for its focused control. False when the focus
// never got there.
bool pressIn(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The objectName of the focused widget.
QString focusName();

} // namespace screen::testing
