#include "host/rotating_log_file.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace host {

RotatingLogFile::RotatingLogFile(QString path, qint64 maxBytes, int keptFiles)
    : m_path(std::move(path))
    , m_maxBytes(std::max<qint64>(maxBytes, 256))
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
    const QFileInfo info(m_path);
    if (!QDir().mkpath(info.absolutePath())) {
        m_error = QStringLiteral("cannot create the folder %1").arg(info.absolutePath());
        return false;
    }
    m_file = std::fopen(QFile::encodeName(m_path).constData(), "ab");
    if (!m_file) {
        m_error = QStringLiteral("cannot open %1: %2")
                      .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    std::fseek(m_file, 0, SEEK_END);
    m_size = std::ftell(m_file);
    return true;
}

void RotatingLogFile::write(QByteArray line)
{
    if (!m_file)
        return;
    line.append('\n');
    if (line.size() > m_maxBytes) {
        line.truncate(m_maxBytes - 1);
        line.append('\n');
    }
    if (m_size > 0 && m_size + line.size() > m_maxBytes) {
        rotate();
        if (!m_file)
            return;
    }
    const std::size_t written = std::fwrite(line.constData(), 1, line.size(), m_file);
    std::fflush(m_file);
    m_size += qint64(written);
}

void RotatingLogFile::rotate()
{
    std::fclose(m_file);
    m_file = nullptr;
    const auto numbered = [this](int n) {
        return QFile::encodeName(m_path + QLatin1Char('.') + QString::number(n));
    };
    if (m_keptFiles == 0) {
        std::remove(QFile::encodeName(m_path).constData());
    } else {
        std::remove(numbered(m_keptFiles).constData());
        for (int n = m_keptFiles - 1; n >= 1; --n)
            std::rename(numbered(n).constData(), numbered(n + 1).constData());
        std::rename(QFile::encodeName(m_path).constData(), numbered(1).constData());
    }
    m_size = 0;
    // Truncating: should the rename have failed, the file still stays small.
    m_file = std::fopen(QFile::encodeName(m_path).constData(), "wb");
}

} // namespace host
