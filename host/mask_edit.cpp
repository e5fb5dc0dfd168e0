#include "host/mask_edit.h"

#include <QFocusEvent>
#include <QMouseEvent>

namespace host {

MaskEdit::MaskEdit(QWidget *parent)
    : QLineEdit(parent)
{
}

void MaskEdit::keepCursorInText()
{
    if (hasSelectedText())
        return;
    const int end = int(text().size());
    if (cursorPosition() > end)
        setCursorPosition(end);
}

void MaskEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    keepCursorInText();
}

void MaskEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    keepCursorInText();
}

void MaskEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    keepCursorInText();
}

} // namespace host
