#include "platform/key_preview.h"

#include "platform/abort.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {

KeyPreview::KeyPreview(QWidget *form, Handler handler)
    : QObject(form)
    , m_form(form)
    , m_handler(std::move(handler))
{
    // A filter on the form would only see the keys its children ignore.
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !m_form || !m_handler)
        return false;
    // A key that a control ignores climbs to its parents; only its first
    // delivery, to the focused control, is previewed.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget != QApplication::focusWidget()
        || !(widget == m_form || m_form->isAncestorOf(widget)))
        return false;
    auto *keyEvent = static_cast<QKeyEvent *>(event);
    int key = keyEvent->key();
    const Handler handler = m_handler;
    const bool completed = guarded([&] { handler(key, keyEvent->modifiers()); });
    if (completed && key != 0)
        return false;
    event->accept();
    return true;
}

} // namespace platform
