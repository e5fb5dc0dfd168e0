#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

namespace appserver {

// What one call did, for its single log line.
struct CallRecord
{
    std::string_view module;
    std::string_view method;
    std::string_view peer;
    std::chrono::nanoseconds duration{};
    std::uint32_t rows = 0;
    enum class Outcome { Ok, Failure, Unauthenticated } outcome = Outcome::Ok;
    std::string_view message;  // the user's message on failure
    std::string_view detail;   // what only the log may see
};

// Timestamped lines to a stream (standard error by default), one write per
// line so lines from several threads never interleave.
class CallLog
{
public:
    explicit CallLog(std::FILE *stream = stderr) : m_stream(stream) {}

    void call(const CallRecord &record);
    void info(std::string_view text);

    static std::string formatCall(const CallRecord &record);

private:
    void write(const std::string &line);

    std::FILE *m_stream;
    std::mutex m_mutex;
};

}  // namespace appserver
