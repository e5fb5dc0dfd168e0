#pragma once

#include <QString>

namespace host {

// True when a text holds nothing a user typed: only blanks, or only the
// blanks and separators of an unfilled mask ("  /  /    ", "__/__/____",
// "//", "  :  "). Mask placeholders counted as blank: space, '_'; separators:
// '/', ':', '.', '-'.
bool EmptyString(const QString &text);

// Shows the text as an error through the dialog service; with abort set it
// then ends the running operation with the silent abort.
void MensErro(const QString &text, bool abort);

// Brings a code to the form the tables store it in: trimmed, upper case,
// at most `width` characters (codes are stored trimmed, not blank-padded,
// so "gru" and " GRU" both become "GRU"). An empty code stays empty.
QString Ajusta(const QString &text, int width);

} // namespace host
