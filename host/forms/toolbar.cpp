#include "toolbar.h"

#include "button_flat.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace host {

TButtonFlat *addToolButton(QWidget *panel, const QString &objectName, Glyph glyph,
                           const QString &hint, int left, int top)
{
    auto *button = new TButtonFlat(panel);
    button->setObjectName(objectName);
    button->setGlyph(glyph);
    button->setHint(hint);
    button->setGeometry(left, top, ToolButtonSize, ToolButtonSize);
    return button;
}

QAction *addMenuItem(QMenu *menu, const QString &objectName, const QString &text)
{
    QAction *action = menu->addAction(text);
    action->setObjectName(objectName);
    return action;
}

QAction *addMenuItem(QMenu *menu, const QString &objectName, const QString &text,
                     const QKeySequence &shortcut)
{
    QAction *action = addMenuItem(menu, objectName, text);
    action->setShortcut(shortcut);
    return action;
}

QAction *addMenuSeparator(QMenu *menu, const QString &objectName)
{
    QAction *separator = menu->addSeparator();
    separator->setObjectName(objectName);
    return separator;
}

} // namespace host
