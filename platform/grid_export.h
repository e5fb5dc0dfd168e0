#pragma once

#include <QChar>
#include <QList>
#include <QModelIndex>
#include <QString>

namespace platform {

class DBGrid;

// The grid as the user reads it, for the clipboard and for spreadsheets:
// column titles, then the cells' texts as they are painted (DBGrid::
// cellText), nulls as empty cells. Only the record set is read.

// The cells as tab-separated lines, the titles of their columns first: the
// rectangle of rows and columns that holds them, in grid order. A single
// cell stands for its whole row. Tabs and line breaks inside a text become
// spaces, so that every cell stays in its place.
QString gridClipboardText(const DBGrid &grid, const QModelIndexList &cells);

// The whole grid as CSV: fields split by `separator`, quoted when they hold
// it, a quote or a line break; lines ended by CRLF.
QString gridCsv(const DBGrid &grid, QChar separator);

// The separator a spreadsheet expects in the user's locale: ";" where the
// decimal separator is a comma, "," elsewhere.
QChar localeListSeparator();

// Writes UTF-8 with a byte-order mark (so spreadsheets read the accents),
// all at once: the file is either replaced whole or left as it was. Throws
// platform::Error with the reason when it cannot.
void writeTextFileAtomically(const QString &path, const QString &text);

} // namespace platform
