#pragma once

// A colleague's write reaching the screen: the benchmarks wait for it
// before they time what the screen shows next.

#include "host/net/net_connection.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTest>

#include <optional>

namespace bench {

// Until the connection hears of a change from the server's feed: the
// milliseconds that took, 0 at once when it follows no changes, nullopt
// when nothing came within the timeout.
inline std::optional<double> awaitNotice(host::TNetConnection &connection, int timeoutMs = 5000)
{
    if (connection.feedStatus().state == host::FeedStatus::State::Off)
        return 0.0;
    QElapsedTimer clock;
    clock.start();
    bool heard = false;
    const QMetaObject::Connection listening = QObject::connect(
        &connection, &host::TNetConnection::feedChanged, [&heard] { heard = true; });
    const bool came = QTest::qWaitFor([&] { return heard; }, timeoutMs);
    QObject::disconnect(listening);
    if (!came)
        return std::nullopt;
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace bench
