#pragma once

// The demo day's first flights, read through a connection, for the tests
// that watch what a connection holds against the real server.

#include "host/net/net_connection.h"

#include <QDateTime>
#include <QString>
#include <QTest>

#include <cstdint>
#include <vector>

namespace host::testing {

inline int columnOf(const platform::DataPacket &packet, const char *name)
{
    for (int i = 0; i < packet.fields.size(); ++i) {
        if (packet.fields[i].name == QLatin1String(name))
            return i;
    }
    return -1;
}

struct DemoFlight
{
    QString airline, branch, number, leg;
    QDateTime when;
    std::int64_t msecs = 0;

    std::vector<ServerArg> arguments() const { return {airline, branch, number, leg, when}; }
};

// The arguments of GetPlanoVoo for branch GRU's demo day, every airline.
inline std::vector<ServerArg> demoDay()
{
    return {QString(), QStringLiteral("T"), QDateTime(QDate(2026, 12, 11), QTime(0, 0)),
            QStringLiteral("GRU")};
}

// The first `count` flights of the demo day; fewer when the day fails or
// holds fewer, `failure` then says why.
inline std::vector<DemoFlight> firstDemoFlights(TNetConnection &connection, int count,
                                                QString *failure)
{
    const ServerReply day = connection.appServer().invoke(QStringLiteral("GetPlanoVoo"), demoDay());
    if (!day.ok() || day.packet.rowCount < count) {
        *failure = day.ok() ? QStringLiteral("the demo day has too few flights") : day.message;
        return {};
    }
    std::vector<DemoFlight> flights;
    const platform::PacketColumn &when = day.packet.columns[columnOf(day.packet, "DTHRPLAVOOPV")];
    for (int row = 0; row < count; ++row) {
        const auto text = [&](const char *name) {
            return day.packet.columns[columnOf(day.packet, name)].text(row);
        };
        flights.push_back({text("CDCIA"), text("CDFILIAL"), text("NRVOO"), text("CDTRECHO"),
                           when.dateTime(row), when.integer(row)});
    }
    return flights;
}

// A connection to the server on `port` that follows its changes, once
// the feed is live; false when it did not become live in time.
inline bool connectLive(TNetConnection &connection, int port)
{
    connection.setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
    connection.SetHost(QStringLiteral("127.0.0.1"));
    connection.setPort(port);
    connection.connect();
    return QTest::qWaitFor([&] { return connection.feedStatus().state == FeedStatus::State::Live; },
                           20000);
}

} // namespace host::testing
