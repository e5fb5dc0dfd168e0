#pragma once

#include <functional>

namespace appserver {

// gRPC 1.51 gives up its own listener for good when accept fails for a
// reason other than "try again" (too many open files, above all), and says
// so only in its log, with "Failed accept4". This is the one place that
// reads gRPC's log for it: while a watch lives, it is called on such a
// line. Every line is still printed as gRPC's default logger prints it.
// Only the TLS listener is gRPC's own; plain TCP connections are accepted
// by AcceptLoop, which never gives up.
class AcceptFailureWatch
{
public:
    // `failed` runs on the thread that logged the line: it must be quick.
    explicit AcceptFailureWatch(std::function<void()> failed);
    ~AcceptFailureWatch();
    AcceptFailureWatch(const AcceptFailureWatch &) = delete;
    AcceptFailureWatch &operator=(const AcceptFailureWatch &) = delete;

private:
    std::function<void()> m_failed;
};

} // namespace appserver
