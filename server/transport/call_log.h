#pragma once

#include "logging/rotating_log_file.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace appserver {

// What one call did, for its single log line.
struct CallRecord
{
    std::string module;
    std::string method;
    std::string peer;
    std::chrono::nanoseconds duration{};
    std::uint32_t rows = 0;
    std::size_t replyBytes = 0;
    // Cancelled and DeadlineExceeded: the reply was ready but the client had
    // gone or given up, so it never got it.
    enum class Outcome {
        Ok,
        Failure,
        Unauthenticated,
        Cancelled,
        DeadlineExceeded
    } outcome = Outcome::Ok;
    std::string message; // the user's message on failure
    std::string detail;  // what only the log may see
    bool silent = false; // counted elsewhere, not worth a line of its own

    bool failed() const { return outcome != Outcome::Ok; }
};

// Which calls get a line: none, those that did not end well, or all.
enum class CallLogLevel { Off, Errors, All };

// Timestamped lines to a stream (standard error by default) or to a file of
// bounded size, one write per line so lines from several threads never
// interleave. A file that reaches its size is renamed to "<file>.1"
// (replacing the previous one) and started anew, so the log never takes
// more than twice the size.
class CallLog
{
public:
    explicit CallLog(std::FILE *stream = stderr, CallLogLevel level = CallLogLevel::All)
        : m_stream(stream)
        , m_level(level)
    {
    }
    ~CallLog();
    CallLog(const CallLog &) = delete;
    CallLog &operator=(const CallLog &) = delete;

    // Empty on success, otherwise why the file cannot be written.
    std::string openFile(const std::string &path, std::uint64_t maxBytes);
    void setLevel(CallLogLevel level) { m_level = level; }

    void call(const CallRecord &record);
    void info(std::string_view text);

    static std::string formatCall(const CallRecord &record);

private:
    void write(const std::string &line);

    std::FILE *m_stream;
    CallLogLevel m_level;
    std::unique_ptr<logging::RotatingLogFile> m_file; // null: m_stream
    std::mutex m_mutex;
};

} // namespace appserver
