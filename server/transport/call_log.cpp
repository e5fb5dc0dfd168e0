#include "server/transport/call_log.h"

#include <algorithm>
#include <ctime>

namespace appserver {
namespace {

std::string timestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count()
        % 1000;
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

} // namespace

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
    case CallRecord::Outcome::Cancelled:
        line += "cancelled by the client";
        break;
    case CallRecord::Outcome::DeadlineExceeded:
        line += "deadline exceeded, the client did not get the reply";
        break;
    }
    if (record.replyBytes >= (1u << 20)) {
        std::snprintf(numbers, sizeof numbers, " bytes=%zu", record.replyBytes);
        line += numbers;
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

CallLog::~CallLog()
{
    if (m_ownsStream)
        std::fclose(m_stream);
}

std::string CallLog::openFile(const std::string &path, std::uint64_t maxBytes)
{
    std::FILE *file = std::fopen(path.c_str(), "a");
    if (!file)
        return "Não foi possível abrir o arquivo de log " + path + ".";
    std::lock_guard lock(m_mutex);
    if (m_ownsStream)
        std::fclose(m_stream);
    m_stream = file;
    m_ownsStream = true;
    m_path = path;
    m_maxBytes = maxBytes;
    std::fseek(file, 0, SEEK_END);
    m_written = static_cast<std::uint64_t>(std::max<long>(0, std::ftell(file)));
    return {};
}

void CallLog::call(const CallRecord &record)
{
    if (record.silent || m_level == CallLogLevel::Off
        || (m_level == CallLogLevel::Errors && !record.failed()))
        return;
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
    if (m_maxBytes > 0 && m_written + full.size() > m_maxBytes && m_written > 0) {
        std::fclose(m_stream);
        std::rename(m_path.c_str(), (m_path + ".1").c_str());
        m_stream = std::fopen(m_path.c_str(), "w");
        m_written = 0;
        if (!m_stream) {
            // Nowhere else to say it: the log goes on to standard error.
            m_stream = stderr;
            m_ownsStream = false;
            m_maxBytes = 0;
        }
    }
    std::fwrite(full.data(), 1, full.size(), m_stream);
    std::fflush(m_stream);
    m_written += full.size();
}

} // namespace appserver
