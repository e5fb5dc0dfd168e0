#pragma once

#include "host/net/server_arg.h"
#include "host/net/server_reply.h"

#include <QString>

#include <vector>

namespace host {

class TNetConnection;

// The application-server object of a connection: calls the remote data
// module's methods by name. Owned by its connection.
class AppServer
{
public:
    AppServer(const AppServer &) = delete;
    AppServer &operator=(const AppServer &) = delete;

    // Runs the method on the server and waits for its reply, at most the
    // connection's deadline. Connects first when the connection is closed.
    // Every problem on the way comes back as a failed reply with a message
    // for the user (or is thrown as platform::Error when the connection
    // throws exceptions). By-reference arguments receive what the server
    // wrote back only when the reply is ok.
    ServerReply invoke(const QString &method, const std::vector<ServerArg> &arguments = {});

private:
    friend class TNetConnection;
    explicit AppServer(TNetConnection &connection)
        : m_connection(connection)
    {
    }

    TNetConnection &m_connection;
};

} // namespace host
