#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace host {

// A list of saved options: "name=value" lines, looked up by name without
// regard to case.
class TOptionList
{
public:
    QStringList lines() const { return m_lines; }
    void setLines(const QStringList &lines) { m_lines = lines; }
    int count() const { return int(m_lines.size()); }
    void clear() { m_lines.clear(); }

    // The value after the first "=" of the line with that name; empty when
    // there is none.
    QString value(const QString &name) const;
    // Replaces the line with that name, or appends one. An empty value
    // removes the line, as reading it gives the same empty text.
    void setValue(const QString &name, const QString &value);

private:
    int indexOf(const QString &name) const;

    QStringList m_lines;
};

// The folder where forms keep their saved options, one file per form:
// "<folder>/<form name>.opc", in QSettings' INI format, one "name=value" line
// per option (files of the older plain "name=value" lines read the same).
// By default
// "opcoes" under the application's configuration folder; a test or the
// host sets another (an empty path restores the default).
QString optionsFolder();
void setOptionsFolder(const QString &path);

// The file of a form: its name kept to letters, digits, "_" and "-".
QString optionsFilePath(const QString &formName);

// Writes the list, replacing the form's file at once (never half-written).
// Throws platform::Error with the reason when it cannot.
void saveOptions(const QString &formName, const TOptionList &options);

// The form's saved list; nullopt when it never saved one. Throws
// platform::Error when the file is there but cannot be read.
std::optional<TOptionList> loadOptions(const QString &formName);

} // namespace host
