#include "server/transport/grpc_accept_failure.h"

#include <grpc/support/log.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace appserver {
namespace {

std::mutex g_watchesMutex;
std::vector<const std::function<void()> *> g_watches;
std::once_flag g_logHooked;

void readLogLine(gpr_log_func_args *args)
{
    if (args->message && std::strstr(args->message, "Failed accept4")) {
        std::lock_guard lock(g_watchesMutex);
        for (const std::function<void()> *failed : g_watches)
            (*failed)();
    }
    // gRPC's own line, as its default logger would print it.
    const char *file = args->file ? std::strrchr(args->file, '/') : nullptr;
    std::fprintf(stderr, "%s %s:%d] %s\n", gpr_log_severity_string(args->severity),
                 file ? file + 1 : (args->file ? args->file : "?"), args->line,
                 args->message ? args->message : "");
}

} // namespace

AcceptFailureWatch::AcceptFailureWatch(std::function<void()> failed)
    : m_failed(std::move(failed))
{
    std::call_once(g_logHooked, [] { gpr_set_log_function(readLogLine); });
    std::lock_guard lock(g_watchesMutex);
    g_watches.push_back(&m_failed);
}

AcceptFailureWatch::~AcceptFailureWatch()
{
    std::lock_guard lock(g_watchesMutex);
    std::erase(g_watches, &m_failed);
}

} // namespace appserver
