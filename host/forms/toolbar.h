#pragma once

#include "host/glyphs.h"

#include <QString>

class QAction;
class QKeySequence;
class QMenu;
class QWidget;

namespace host {

class TButtonFlat;

// Toolbar buttons are 21 × 21 and placed by their Left and Top on the panel,
// as the forms were designed, so that a derived form can move one with
// move() or add its own between them.
constexpr int ToolButtonSize = 21;
constexpr int ToolButtonTop = 4;

TButtonFlat *addToolButton(QWidget *panel, const QString &objectName, Glyph glyph,
                           const QString &hint, int left, int top = ToolButtonTop);

// A menu item with its objectName; derived forms append theirs with it.
QAction *addMenuItem(QMenu *menu, const QString &objectName, const QString &text);
QAction *addMenuItem(QMenu *menu, const QString &objectName, const QString &text,
                     const QKeySequence &shortcut);
QAction *addMenuSeparator(QMenu *menu, const QString &objectName);

// A shortcut written as the form designer stores it: a virtual key code
// (letters, digits, F1 to F12) plus 0x2000 for Shift, 0x4000 for Ctrl and
// 0x8000 for Alt; 16460 is Ctrl+L. Not a Qt key code: QKeySequence(16460)
// would be a Unicode character. An unknown key gives an empty sequence.
QKeySequence shortcutFromValue(int value);

} // namespace host
