#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace host {

// What a screen reader sees of a flat toolbar button: a push button named
// by its hint whose press returns at once. The click runs from the event
// loop afterwards, so a command that opens a modal form does not keep the
// assistive tool waiting until the form is closed.
QAccessibleInterface *accessibleFlatButton(const QString &className, QObject *object);

} // namespace host
