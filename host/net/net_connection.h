#pragma once

#include "host/net/app_server.h"
#include "host/net/endpoints.h"
#include "host/net/held_replies.h"

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace host {

class ServerChannel;

// How a connection reaches the server besides host and port.
struct ConnectionOptions
{
    // Every call and every connect waits at most this long. The calls run
    // on the GUI thread: this bounds how long a dead or hung server can
    // freeze the screen.
    int deadlineMs = 5000;
    // How long one attempt to open the transport may take before it counts
    // as failed (a slow link needs a few round trips for TCP and TLS).
    int connectAttemptTimeoutMs = 2000;
    bool tls = false;
    // PEM root certificates that sign the server's certificate; empty takes
    // the system's roots.
    QByteArray tlsRootCertificates;
    // Sent as "authorization: Bearer <token>" with every call when not empty.
    // Only over TLS or to this machine: a token never crosses the network in
    // clear text.
    QString bearerToken;
    // Follows the server's change feed and answers a repeated call from
    // the reply held while the feed vouches for it; off, every call goes
    // to the server.
    bool followChanges = true;
};

// What the calls of a connection have told about its server, for a status
// display; kept by the calls themselves, so reading it costs no call.
struct CallHealth
{
    QDateTime lastCall; // when the last call ended; null before the first
    bool lastCallOk = false;
    QDateTime lastSuccess;  // the last call that got its data
    QDateTime failingSince; // the first failure since then; null while calls succeed
    QString lastFailure;    // its message for the user
};

// The connection to the application server: one long-lived channel to
// host:port, opened by connect() and used by every call of appServer().
// After a transport failure the channel reconnects with a short backoff;
// a call that finds it disconnected starts a connection attempt at once
// and waits for it briefly, and a call the transport lost is sent once
// more, so the first call after a server restart goes through.
class TNetConnection : public QObject
{
    Q_OBJECT

public:
    explicit TNetConnection(QObject *parent = nullptr);
    ~TNetConnection() override;

    // What new connections start with; the host sets it from its
    // configuration before any module runs.
    static void setDefaultOptions(const ConnectionOptions &options);
    static ConnectionOptions defaultOptions();

    // The remote data module the calls are addressed to.
    void setServerName(const QString &name) { m_serverName = name; }
    QString serverName() const { return m_serverName; }
    // On: a failed call throws platform::Error instead of returning a
    // failed reply.
    void setThrowException(bool on) { m_throwException = on; }
    bool throwException() const { return m_throwException; }

    void setPort(int port) { m_port = port; }
    int port() const { return m_port; }
    // One server, or several separated by commas, each with its own
    // ":port" or the connection's port ("srv1, srv2:50052"): calls then go
    // round the servers and a dead one is skipped.
    void SetHost(const QString &host) { m_host = host; }
    QString host() const { return m_host; }
    // "host:port" (", "-separated for several) as the messages show it.
    QString serverAddress() const;

    using Endpoint = host::Endpoint;
    std::vector<Endpoint> endpoints() const;

    // Runs each time just before connecting; sets host and port.
    void setBeforeConnect(std::function<void(TNetConnection &)> handler)
    {
        m_beforeConnect = std::move(handler);
    }

    void setOptions(const ConnectionOptions &options) { m_options = options; }
    const ConnectionOptions &options() const { return m_options; }
    void setDeadline(int msecs) { m_options.deadlineMs = msecs; }
    int deadline() const { return m_options.deadlineMs; }
    void setTlsEnabled(bool on) { m_options.tls = on; }
    // Reads the PEM file now; throws platform::Error when it cannot.
    void setTlsRootCertificateFile(const QString &path);
    void setBearerToken(const QString &token) { m_options.bearerToken = token; }

    // Runs BeforeConnect, opens the channel and waits until the server
    // answers, at most the deadline. Throws platform::Error naming the
    // server's address when it cannot. Does nothing when connected.
    void connect();
    void disconnect();
    bool isConnected() const;

    AppServer &appServer() { return m_appServer; }

    const CallHealth &health() const { return m_health; }
    // Calls sent to the server so far (not those answered from what the
    // connection held).
    int serverCallCount() const { return m_serverCalls; }

    // Whether the server's change feed vouches for what the connection
    // holds (Live), does not for now (Waiting), or the server has none or
    // the connection is closed (Off).
    FeedStatus feedStatus() const;

    // Calls the screen is likely to make next, the most likely first: read
    // in the background and held, while the server's change feed vouches
    // for them, so that the call itself waits for nothing. Replaces the
    // last list; reads nothing until the feed vouches for its replies, and
    // nothing at all from a server without one.
    void prefetch(const std::vector<std::pair<QString, std::vector<ServerArg>>> &calls);
    // Everything asked for is held, or nothing will be read: no list, or a
    // server without the feed.
    bool prefetchSettled() const;
    // Bytes the background reads received on this channel.
    std::uint64_t prefetchedBytes() const;

signals:
    // After every call, whatever its outcome.
    void callFinished();
    // The feed said something changed, or went in or out of step.
    void feedChanged();

private:
    friend class AppServer;

    void openChannel();
    ServerReply call(const QString &method, const std::vector<ServerArg> &arguments);
    ServerReply callConnected(const QString &method, const std::vector<ServerArg> &arguments);
    void noteOutcome(const ServerReply &reply);

    QString m_serverName;
    bool m_throwException = false;
    QString m_host;
    int m_port = 0;
    std::function<void(TNetConnection &)> m_beforeConnect;
    ConnectionOptions m_options;
    std::unique_ptr<ServerChannel> m_channel;
    AppServer m_appServer{*this};
    CallHealth m_health;
    int m_serverCalls = 0;
};

} // namespace host
