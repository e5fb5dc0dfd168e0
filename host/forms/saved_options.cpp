#include "host/forms/saved_options.h"

#include "platform/abort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

namespace host {
namespace {

QString &folderSetting()
{
    static QString folder;
    return folder;
}

// A value the INI reader took for a list: a file written before the
// options went through QSettings kept "AD,G3" unquoted.
QString asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
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
    // QSettings writes the whole file anew, through a temporary file:
    // never half-written.
    QSettings file(path, QSettings::IniFormat);
    file.clear();
    for (const QString &line : options.lines()) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            file.setValue(line.left(equals), line.mid(equals + 1));
    }
    file.sync();
    if (file.status() != QSettings::NoError)
        fail(QCoreApplication::translate("SavedOptions", "o arquivo não pôde ser gravado."));
}

std::optional<TOptionList> loadOptions(const QString &formName)
{
    const QString path = optionsFilePath(formName);
    if (!QFileInfo::exists(path))
        return std::nullopt;
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        throw platform::Error(
            QCoreApplication::translate("SavedOptions",
                                        "Não foi possível ler as opções de \"%1\": %2")
                .arg(QDir::toNativeSeparators(path),
                     file.status() == QSettings::FormatError
                         ? QCoreApplication::translate("SavedOptions", "o arquivo está danificado.")
                         : QCoreApplication::translate("SavedOptions",
                                                       "o arquivo não pôde ser lido.")));
    }
    QStringList lines;
    for (const QString &name : file.allKeys())
        lines.append(name + u'=' + asText(file.value(name)));
    TOptionList options;
    options.setLines(lines);
    return options;
}

} // namespace host
