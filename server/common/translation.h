#pragma once

#include <initializer_list>
#include <string>

namespace appserver {

// The command lines' texts in the user's language (LC_MESSAGES), from the
// message catalogue "ate25400-server" in <prefix>/share/locale beside the
// program's folder. Portuguese is what the sources are written in; a
// language without a catalogue gets them as written. Numbers and times are
// not touched: only the messages' category follows the user.
void initTranslation();

// Marks a text kept for a later tr() as one to translate.
constexpr const char *N_(const char *text)
{
    return text;
}

// The text in the user's language.
const char *tr(const char *text);

// The text in the user's language with "%1".."%9" replaced by the
// arguments, in order.
std::string tr(const char *text, std::initializer_list<std::string> arguments);

} // namespace appserver
