#include "host/forms/saved_options.h"

#include "platform/abort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace host {
namespace {

QString &folderSetting()
{
    static QString folder;
    return folder;
}

QString escaped(const QString &value)
{
    QString text = value;
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'\n', QStringLiteral("\\n"));
    text.replace(u'\r', QStringLiteral("\\r"));
    return text;
}

QString unescaped(const QString &text)
{
    QString value;
    value.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 >= text.size()) {
            value += c;
            continue;
        }
        const QChar next = text.at(++i);
        value += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
    }
    return value;
}

} // namespace

int TOptionList::indexOf(const QString &name) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString &line = m_lines.at(i);
        const int equals = line.indexOf(u'=');
        if (equals >= 0 && QStringView(line).left(equals).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TOptionList::value(const QString &name) const
{
    const int index = indexOf(name);
    if (index < 0)
        return {};
    const QString &line = m_lines.at(index);
    return line.mid(line.indexOf(u'=') + 1);
}

void TOptionList::setValue(const QString &name, const QString &value)
{
    const int index = indexOf(name);
    if (value.isEmpty()) {
        if (index >= 0)
            m_lines.removeAt(index);
        return;
    }
    const QString line = name + u'=' + value;
    if (index >= 0)
        m_lines[index] = line;
    else
        m_lines.append(line);
}

QString optionsFolder()
{
    if (!folderSetting().isEmpty())
        return folderSetting();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)
           + QStringLiteral("/opcoes");
}

void setOptionsFolder(const QString &path)
{
    folderSetting() = path;
}

QString optionsFilePath(const QString &formName)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_-]"));
    QString name = formName;
    name.replace(unsafe, QStringLiteral("_"));
    if (name.isEmpty())
        name = QStringLiteral("form");
    return QDir(optionsFolder()).filePath(name + QStringLiteral(".opc"));
}

void saveOptions(const QString &formName, const TOptionList &options)
{
    const QString path = optionsFilePath(formName);
    const auto fail = [&](const QString &reason) {
        throw platform::Error(QCoreApplication::translate(
                                  "SavedOptions", "Não foi possível gravar as opções em \"%1\": %2")
                                  .arg(QDir::toNativeSeparators(path), reason));
    };
    if (!QDir().mkpath(optionsFolder()))
        fail(QCoreApplication::translate("SavedOptions", "a pasta não pôde ser criada."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        fail(file.errorString());
    QByteArray content;
    for (const QString &line : options.lines())
        content += escaped(line).toUtf8() + '\n';
    file.write(content);
    if (!file.commit())
        fail(file.errorString());
}

std::optional<TOptionList> loadOptions(const QString &formName)
{
    const QString path = optionsFilePath(formName);
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw platform::Error(QCoreApplication::translate(
                                  "SavedOptions", "Não foi possível ler as opções de \"%1\": %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    }
    QStringList lines;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (!line.isEmpty())
            lines.append(unescaped(line));
    }
    TOptionList options;
    options.setLines(lines);
    return options;
}

} // namespace host
