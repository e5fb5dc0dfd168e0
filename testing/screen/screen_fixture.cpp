#include "testing/screen/screen_fixture.h"

#include "host/application.h"
#include "host/forms/form_layout_memory.h"
#include "host/host_context.h"
#include "host/local_database.h"
#include "host/net/net_connection.h"
#include "platform/abort.h"
#include "platform/screen.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <stdexcept>

using host::testing::Answer;
using host::testing::RecordedCall;

namespace screen::testing {
namespace {

QDateTime civil(QDate date, QTime time = QTime(0, 0))
{
    return QDateTime(date, time, Qt::UTC);
}

QVariant textOrNull(const QString &text)
{
    return text.isNull() ? QVariant() : QVariant(text);
}

void createLocalDatabase(const QString &path)
{
    const QString name = QStringLiteral("screen_fixture_setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            throw std::runtime_error(db.lastError().text().toStdString());
        QSqlQuery query(db);
        const QStringList statements = {
            "CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) PRIMARY KEY, NMFILIAL VARCHAR(30), "
            "IDCNTRRESC CHAR(1))",
            "INSERT INTO FILIAL VALUES ('CGH', 'Congonhas', 'N')",
            "INSERT INTO FILIAL VALUES ('GIG', 'Galeão', NULL)",
            "INSERT INTO FILIAL VALUES ('GRU', 'Guarulhos', 'N')",
            "INSERT INTO FILIAL VALUES ('REC', 'Recife', 'S')",
        };
        for (const QString &statement : statements) {
            if (!query.exec(statement))
                throw std::runtime_error(query.lastError().text().toStdString());
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

QDate today()
{
    return QDate::currentDate();
}

QString wireDate(const QDateTime &dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy-MM-dd hh:mm"));
}

TestPacket planoVooPacket(const QList<Flight> &flights)
{
    TestPacket packet;
    packet.text("CDCIA", 4)
        .text("SGCIA", 5)
        .text("CDTRECHO", 4)
        .text("NRVOO", 5)
        .text("IDSITABASPV", 1)
        .text("IDBREAKGERA", 1)
        .text("CDBASEORI", 4)
        .text("CDBASEDES", 4)
        .text("HRDECOLVOO", 4)
        .text("SGBASEO", 5)
        .text("SGBASED", 5)
        .dateTime("DTHRPLAVOOPV")
        .text("CDFILIAL", 4);
    for (const Flight &f : flights) {
        packet.row({f.cdcia, f.sgcia, f.trecho, f.nrvoo, f.situation, f.breakdown, "GRU", "GIG",
                    textOrNull(f.departure), "GRU", "GIG", f.when, f.filial});
    }
    return packet;
}

TestPacket prevPaxPacket(const QList<CabinClass> &classes)
{
    TestPacket packet;
    packet.text("CDCIA", 4)
        .text("NRVOO", 5)
        .text("CDTRECHO", 4)
        .text("CDCLASSE", 4)
        .text("SGCLASSE", 5)
        .number("QTTOTPAXAT")
        .number("QTPAXSBY")
        .dateTime("DTHRPLAVOOPV")
        .text("CDFILIAL", 4);
    for (const CabinClass &c : classes) {
        packet.row({c.cdcia, c.nrvoo, c.trecho, c.cdclasse, c.sgclasse, c.pax, c.standBy, c.when,
                    c.filial});
    }
    return packet;
}

TestPacket servPlanoPacket(const Flight &flight, const QList<Service> &services)
{
    TestPacket packet;
    packet.text("CDCIA", 4)
        .text("NRVOO", 5)
        .text("CDTRECHO", 4)
        .text("CDSERVICO", 10)
        .number("NRDELIVERY")
        .text("CDAGRDECO", 4)
        .text("CDAGRDEDE", 4)
        .text("IDSITSERSP", 1)
        .text("IDSEREXTSP", 1)
        .text("IDSTKDTSP", 1)
        .text("CDUSRRESPSP", 10)
        .number("QTANTAPRODSP")
        .number("QTSESOLICSP")
        .number("QTSESBYPRSP")
        .number("QTSESBYUTSP")
        .number("QTCORTSERVSP")
        .number("QTATUAPRODSP")
        .number("QTSERFATSP")
        .number("VRPRUDOLSESP")
        .number("VRPRURESESP")
        .dateTime("DTHRFEPRODSP")
        .dateTime("DTHRINCSESP")
        .dateTime("DTHRTRASESP")
        .dateTime("DTHRCANCSESP")
        .number("QTSERVFIXSP")
        .number("VRPESOSESP")
        .text("NRLANCTONF", 10)
        .text("CDFILIAL", 4)
        .text("IDTIPSCBOSP", 1)
        .number("VRLOADSESP")
        .number("QTREALPROD")
        .number("NRITEMPLANSP")
        .number("NRPROPAXSP")
        .text("TXOBSUSRSP", 1)
        .text("IDNACCIA", 1)
        .text("DSSERVICO", 50)
        .dateTime("DTHRPLAVOOPV");
    int item = 0;
    for (const Service &s : services) {
        ++item;
        packet.row({flight.cdcia,
                    flight.nrvoo,
                    flight.trecho,
                    QStringLiteral("SRV%1").arg(item),
                    1.0,
                    QVariant(),
                    QVariant(),
                    s.situation,
                    "N",
                    "N",
                    "OPER",
                    QVariant(),
                    s.requested,
                    s.standBy,
                    QVariant(),
                    s.cut,
                    QVariant(),
                    s.invoiced,
                    s.priceDollars,
                    s.priceReais,
                    QVariant(),
                    QVariant(),
                    QVariant(),
                    QVariant(),
                    s.fixed,
                    QVariant(),
                    textOrNull(s.invoiceEntry),
                    flight.filial,
                    "1",
                    QVariant(),
                    QVariant(),
                    double(item),
                    QVariant(),
                    QVariant(),
                    s.nationality,
                    s.description,
                    flight.when});
    }
    return packet;
}

TestPacket ciaPacket(const QList<Flight> &flights)
{
    TestPacket packet;
    packet.fixedText("IDMARCADO", 1).text("CDCIA", 4).text("SGCIA", 5).text("NMCIA", 50);
    QStringList seen;
    for (const Flight &f : flights) {
        if (seen.contains(f.cdcia))
            continue;
        seen.append(f.cdcia);
        packet.row({"N", f.cdcia, f.sgcia, f.sgcia + QStringLiteral(" Linhas Aéreas")});
    }
    return packet;
}

DemoDay demoDay()
{
    const QDate date = today();
    DemoDay day;
    const Flight gol{"G3", "GOL", "01", "1234", "1", "1", "0930", "GRU", civil(date, QTime(9, 30))};
    const Flight american{
        "AA", "AAL", "02", "0950", "4", "2", "1405", "GRU", civil(date, QTime(14, 5))};
    const Flight tap{
        "TP", "TAP", "03", "0087", "5", "", QString(), "GRU", civil(date, QTime(22, 0))};
    day.flights = {gol, american, tap};
    const auto cabin = [](const Flight &f, const char *code, const char *abbreviation, double pax,
                          double standBy) {
        return CabinClass{f.cdcia, f.nrvoo, f.trecho, code, abbreviation, pax, standBy, f.when};
    };
    day.classes[gol.nrvoo] = {cabin(gol, "Y", "ECO", 150, 4), cabin(gol, "C", "EXEC", 12, 0)};
    day.classes[american.nrvoo] = {cabin(american, "Y", "COACH", 180, 7)};
    day.services[gol.nrvoo] = {
        {"Refeição quente", "1", QString(), "1", 4.0, 1234.5, 150.0, 0.0, 2.0, 12.5, 2.4},
        {"Bebidas", "2", QString(), "1", 0.0, 162.0, 162.0, 0.0, 0.0, 3.1, 0.6},
        {"Kit lanche", "3", "NF123", "1", 0.0, 12.0, 0.0, 12.0, 0.0, 8.0, 1.5},
        {"Café", "1", "NF77", "1", 0.0, 20.0, 20.0, 0.0, 0.0, 1.2, 0.25},
        {"Gelo", "5", QString(), "1", QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
         QVariant(), QVariant()},
    };
    day.services[american.nrvoo] = {
        {"Hot meal", "2", QString(), "2", 7.0, 180.0, 180.0, 0.0, 0.0, 48.0, 9.75},
    };
    return day;
}

QString keysCall(const QString &method, const Flight &flight)
{
    return QStringLiteral("%1(\"%2\", \"%3\", \"%4\", \"%5\", %6)")
        .arg(method, flight.cdcia, flight.filial, flight.nrvoo, flight.trecho,
             wireDate(flight.when));
}

ScreenFixture::ScreenFixture()
    : area(new QMdiArea)
    , dialogs(std::make_unique<host::testing::FakeDialogs>())
{
    window.setObjectName(QStringLiteral("frmPrincipal"));
    area->setObjectName(QStringLiteral("mdiArea"));
    window.setCentralWidget(area);
    window.resize(1040, 600);
    host::setMainWindow(&window);
    platform::setScreenSizeOverride(QSize(1280, 1024));

    const QString localPath = dir.filePath(QStringLiteral("local.db"));
    createLocalDatabase(localPath);
    host::DatabaseSettings database;
    database.driver = host::DatabaseSettings::Driver::Sqlite;
    database.sqlitePath = localPath;

    server.start();
    host::Context &context = host::context();
    context.setBranchCode(QStringLiteral("GRU"));
    context.setBranchName(QStringLiteral("Guarulhos"));
    context.setModuleBoundToBranch(false);
    context.setServerHost(server.host());
    context.setServerPort(server.port());
    context.setDatabase(database);
    host::ConnectionOptions options;
    options.deadlineMs = 3000;
    host::TNetConnection::setDefaultOptions(options);

    // Layouts go to this fixture's folder, never to the user's settings.
    host::setLayoutSettingsFile(dir.filePath(QStringLiteral("layout.ini")));

    day = demoDay();
    serve(day);
    Cli_ate25400::initialization();
    Cli_ate25400::boPrimVez = false;
    host::testing::showActive(&window);
}

ScreenFixture::~ScreenFixture()
{
    if (Cli_ate25400::frmPosFecDiaPlaVoo) {
        if (QMdiSubWindow *sub = Cli_ate25400::frmPosFecDiaPlaVoo->subWindow())
            delete sub;
        else
            delete Cli_ate25400::frmPosFecDiaPlaVoo;
    }
    Cli_ate25400::finalization();
    Cli_ate25400::initialization();
    host::closeLocalDatabase();
    host::setLayoutSettingsFile(QString());
    host::setMainWindow(nullptr);
    platform::setScreenSizeOverride(QSize());
}

void ScreenFixture::serve(const DemoDay &served)
{
    day = served;
    // Every flight for "T"; otherwise the flights of the listed airlines.
    server.setHandler(QStringLiteral("GetPlanoVoo"), [served](const RecordedCall &call) {
        if (call.values().value(1).toString() == QLatin1String("T"))
            return Answer::packet(planoVooPacket(served.flights));
        const QStringList listed = call.values().value(0).toString().split(QLatin1Char(','));
        QList<Flight> flights;
        for (const Flight &f : served.flights) {
            if (listed.contains(f.cdcia))
                flights.append(f);
        }
        return Answer::packet(planoVooPacket(flights));
    });
    server.setHandler(QStringLiteral("GetCia"), [served](const RecordedCall &) {
        return Answer::packet(ciaPacket(served.flights));
    });
    server.setHandler(QStringLiteral("GetPrevPax"), [served](const RecordedCall &call) {
        return Answer::packet(
            prevPaxPacket(served.classes.value(call.values().value(2).toString())));
    });
    server.setHandler(QStringLiteral("GetServPlano"), [served](const RecordedCall &call) {
        const QString number = call.values().value(2).toString();
        Flight flight;
        for (const Flight &f : served.flights) {
            if (f.nrvoo == number)
                flight = f;
        }
        return Answer::packet(servPlanoPacket(flight, served.services.value(number)));
    });
}

Cli_ate25400::TfrmPosFecDiaPlaVoo *ScreenFixture::open()
{
    platform::guarded([] { Cli_ate25400::IniProc(); });
    Cli_ate25400::TfrmPosFecDiaPlaVoo *form = Cli_ate25400::frmPosFecDiaPlaVoo;
    if (form && form->subWindow())
        (void)QTest::qWaitFor([&] { return area->activeSubWindow() == form->subWindow(); }, 5000);
    QCoreApplication::processEvents();
    return form;
}

bool ScreenFixture::closeScreen()
{
    QPointer<Cli_ate25400::TfrmPosFecDiaPlaVoo> form = Cli_ate25400::frmPosFecDiaPlaVoo;
    if (!form)
        return false;
    QTest::mouseClick(form->sbtFechar, Qt::LeftButton);
    return QTest::qWaitFor([&] { return form.isNull(); }, 5000);
}

void clickCell(QAbstractItemView *grid, int row, int column)
{
    const QModelIndex index = grid->model()->index(row, column);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

void clickInto(QWidget *widget)
{
    if (auto *view = qobject_cast<QAbstractItemView *>(widget)) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          QPoint(4, view->viewport()->height() - 4));
        return;
    }
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

bool pressIn(QWidget *widget, Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    if (QApplication::focusWidget() != widget)
        widget->setFocus(Qt::OtherFocusReason);
    if (!QTest::qWaitFor([widget] { return QApplication::focusWidget() == widget; }, 5000))
        return false;
    QTest::keyClick(widget, key, modifiers);
    return true;
}

QString focusName()
{
    const QWidget *focus = QApplication::focusWidget();
    return focus ? focus->objectName() : QString();
}

} // namespace screen::testing
