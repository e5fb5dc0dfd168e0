#include "logging/rotating_log_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace logging {

RotatingLogFile::RotatingLogFile(std::string path, std::uint64_t maxBytes, int keptFiles)
    : m_path(std::move(path))
    , m_maxBytes(std::max<std::uint64_t>(maxBytes, 256))
    , m_keptFiles(std::max(keptFiles, 0))
{
}

RotatingLogFile::~RotatingLogFile()
{
    if (m_file)
        std::fclose(m_file);
}

bool RotatingLogFile::open()
{
    if (m_file)
        return true;
    const std::filesystem::path folder = std::filesystem::absolute(m_path).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        m_error = "cannot create the folder " + folder.string();
        return false;
    }
    m_file = std::fopen(m_path.c_str(), "ab");
    if (!m_file) {
        m_error = "cannot open " + m_path + ": " + std::strerror(errno);
        return false;
    }
    std::fseek(m_file, 0, SEEK_END);
    m_size = static_cast<std::uint64_t>(std::max<long>(0, std::ftell(m_file)));
    return true;
}

void RotatingLogFile::write(std::string_view text)
{
    if (!m_file)
        return;
    std::string line(text.substr(0, m_maxBytes - 1));
    line += '\n';
    if (m_size > 0 && m_size + line.size() > m_maxBytes) {
        rotate();
        if (!m_file)
            return;
    }
    const std::size_t written = std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
    m_size += written;
}

void RotatingLogFile::rotate()
{
    std::fclose(m_file);
    m_file = nullptr;
    const auto numbered = [this](int n) { return m_path + '.' + std::to_string(n); };
    if (m_keptFiles == 0) {
        std::remove(m_path.c_str());
    } else {
        std::remove(numbered(m_keptFiles).c_str());
        for (int n = m_keptFiles - 1; n >= 1; --n)
            std::rename(numbered(n).c_str(), numbered(n + 1).c_str());
        std::rename(m_path.c_str(), numbered(1).c_str());
    }
    m_size = 0;
    // Truncating: should the rename have failed, the file still stays small.
    m_file = std::fopen(m_path.c_str(), "wb");
    if (!m_file)
        m_error = "cannot begin " + m_path + " anew: " + std::strerror(errno);
}

} // namespace logging
