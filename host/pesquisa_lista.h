#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class DataSource;
}

namespace host {

// Lets the user mark rows of the data source's record set and gives back
// the key codes of the marked rows.
//
// caption: the picker's title, "|", the text shown instead of the picker
// when the record set has no rows (as an error; nothing is aborted).
// list: in, the codes that start marked; out, the marked codes. The format
// is fixed, because the application server parses it: the trimmed codes
// joined by "," with no blanks and no quotes, in row order ("AD,G3,JJ");
// empty when nothing is marked.
// allMarked: every row starts marked instead of those in the list.
// Returns true when the user confirmed; on cancel, and when there are no
// rows, the list is left unchanged. Throws platform::Error when the record
// set has no field keyField.
bool PesquisaLista(platform::DataSource *dataSource, const QString &keyField,
                   const QString &caption, bool allMarked, QString &list);

// The codes of a list in that format, and the list of codes.
QStringList splitCodeList(const QString &list);
QString joinCodeList(const QStringList &codes);

} // namespace host
