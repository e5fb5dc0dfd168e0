#include "server/transport/call_log.h"

#include <algorithm>
#include <ctime>
#include <filesystem>

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

CallLog::~CallLog() = default;

std::string CallLog::openFile(const std::string &path, std::uint64_t maxBytes)
{
    // The operator names the folder: a mistyped one is an error, not a
    // folder made for it.
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::absolute(path, error).parent_path();
    auto file = std::make_unique<logging::RotatingLogFile>(path, maxBytes, 1);
    if (!std::filesystem::is_directory(folder, error) || !file->open())
        return "Não foi possível abrir o arquivo de log " + path + ".";
    std::lock_guard lock(m_mutex);
    m_file = std::move(file);
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
    const std::string full = timestamp() + ' ' + line;
    std::lock_guard lock(m_mutex);
    if (m_file) {
        m_file->write(full);
        if (m_file->isOpen())
            return;
        // Nowhere else to say it: the log goes on to standard error.
        m_file.reset();
        m_stream = stderr;
    }
    const std::string withEnd = full + '\n';
    std::fwrite(withEnd.data(), 1, withEnd.size(), m_stream);
    std::fflush(m_stream);
}

} // namespace appserver
