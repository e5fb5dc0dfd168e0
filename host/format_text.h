#pragma once

#include <QString>
#include <QStringList>

namespace host {

// Fills the "%s" and "%d" markers of a message text, in order, with the
// given values, as the message tables write them ("... código '%s' ...").
// "%%" gives a percent sign; markers without a value stay as they are.
// A value is never read as a pattern, so a "%s" inside a value stays.
QString formatText(const QString &pattern, const QStringList &values);

} // namespace host
