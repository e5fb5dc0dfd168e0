#include "host/forms/toolbar.h"

#include "host/button_flat.h"

#include <QAction>
#include <QKeyCombination>
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

QKeySequence shortcutFromValue(int value)
{
    const int virtualKey = value & 0xFF;
    int key = 0;
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        key = virtualKey; // the same codes in Qt
    else if (virtualKey >= 0x70 && virtualKey <= 0x7B)
        key = Qt::Key_F1 + (virtualKey - 0x70);
    if (key == 0)
        return {};
    Qt::KeyboardModifiers modifiers;
    if (value & 0x2000)
        modifiers |= Qt::ShiftModifier;
    if (value & 0x4000)
        modifiers |= Qt::ControlModifier;
    if (value & 0x8000)
        modifiers |= Qt::AltModifier;
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(key)));
}

} // namespace host
