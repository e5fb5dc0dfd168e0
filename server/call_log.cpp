#include "call_log.h"

#include <ctime>

namespace appserver {
namespace {

std::string timestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char buffer[40];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(buffer + n, sizeof buffer - n, ".%03dZ", static_cast<int>(ms));
    return buffer;
}

void appendQuoted(std::string &line, std::string_view text)
{
    line += '"';
    for (char c : text) {
        if (c == '"' || c == '\\')
            line += '\\';
        line += (static_cast<unsigned char>(c) < 0x20) ? ' ' : c;
    }
    line += '"';
}

}  // namespace

std::string CallLog::formatCall(const CallRecord &record)
{
    std::string line = "call ";
    line += record.module.empty() ? std::string_view("?") : record.module;
    line += '.';
    line += record.method.empty() ? std::string_view("?") : record.method;
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " %.3fms rows=%u ",
                  std::chrono::duration<double, std::milli>(record.duration).count(), record.rows);
    line += numbers;
    switch (record.outcome) {
        case CallRecord::Outcome::Ok:
            line += "ok";
            break;
        case CallRecord::Outcome::Failure:
            line += "failure ";
            appendQuoted(line, record.message);
            break;
        case CallRecord::Outcome::Unauthenticated:
            line += "unauthenticated";
            break;
    }
    if (!record.detail.empty()) {
        line += " detail=";
        appendQuoted(line, record.detail);
    }
    if (!record.peer.empty()) {
        line += " peer=";
        line += record.peer;
    }
    return line;
}

void CallLog::call(const CallRecord &record)
{
    write(formatCall(record));
}

void CallLog::info(std::string_view text)
{
    write(std::string(text));
}

void CallLog::write(const std::string &line)
{
    const std::string full = timestamp() + ' ' + line + '\n';
    std::lock_guard lock(m_mutex);
    std::fwrite(full.data(), 1, full.size(), m_stream);
    std::fflush(m_stream);
}

}  // namespace appserver
