#pragma once

#include "glyphs.h"

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

} // namespace host
