#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace host {

// An append-only text file that never grows past a size: when the next line
// would take it over the limit it is renamed to "<name>.1" (older ones move
// on to ".2" and so on, the oldest dropped) and a fresh one is begun. So the
// logs of a host that runs for months take at most (kept + 1) × maxBytes.
//
// Written with the C library, not QFile: a Qt warning raised while writing
// would come back into the message handler that called write().
class RotatingLogFile
{
public:
    RotatingLogFile(QString path, qint64 maxBytes, int keptFiles);
    ~RotatingLogFile();
    RotatingLogFile(const RotatingLogFile &) = delete;
    RotatingLogFile &operator=(const RotatingLogFile &) = delete;

    // Creates the folder and opens the file for appending; false (and
    // errorString()) when it cannot.
    bool open();
    bool isOpen() const { return m_file != nullptr; }
    QString errorString() const { return m_error; }

    // Appends one line (a newline is added) and flushes it, so a crash loses
    // nothing already logged. A line longer than the limit is cut to it.
    void write(QByteArray line);

    QString path() const { return m_path; }
    qint64 maxBytes() const { return m_maxBytes; }

private:
    void rotate();

    QString m_path;
    qint64 m_maxBytes;
    int m_keptFiles;
    std::FILE *m_file = nullptr;
    qint64 m_size = 0;
    QString m_error;
};

} // namespace host
