#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace logging {

// An append-only text file that never grows past a size: when the next line
// would take it over the limit it is renamed to "<name>.1" (older ones move
// on to ".2" and so on, the oldest dropped) and a fresh one is begun. So the
// logs of a program that runs for months take at most (kept + 1) × maxBytes.
// The host's message log and the server's log both write through it.
//
// Written with the C library: a Qt warning raised while writing would come
// back into the message handler that called write(), and the server has no
// Qt at all.
class RotatingLogFile
{
public:
    RotatingLogFile(std::string path, std::uint64_t maxBytes, int keptFiles);
    ~RotatingLogFile();
    RotatingLogFile(const RotatingLogFile &) = delete;
    RotatingLogFile &operator=(const RotatingLogFile &) = delete;

    // Creates the folder and opens the file for appending; false (and
    // errorString()) when it cannot.
    bool open();
    // Open, and still open after the last rotation: a file that could not
    // be begun anew is closed, and the caller logs elsewhere.
    bool isOpen() const { return m_file != nullptr; }
    const std::string &errorString() const { return m_error; }

    // Appends one line (a newline is added) and flushes it, so a crash loses
    // nothing already logged. A line longer than the limit is cut to it.
    void write(std::string_view line);

    const std::string &path() const { return m_path; }
    std::uint64_t maxBytes() const { return m_maxBytes; }

private:
    void rotate();

    std::string m_path;
    std::uint64_t m_maxBytes;
    int m_keptFiles;
    std::FILE *m_file = nullptr;
    std::uint64_t m_size = 0;
    std::string m_error;
};

} // namespace logging
