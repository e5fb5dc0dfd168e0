#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace platform {

// A form's key-down handler that sees the keys before the focused control
// does (grids and edits included). Setting the key to 0 consumes it;
// otherwise the key goes on to the control that had the focus when it was
// pressed, even if the handler moved the focus. A handler that fails
// consumes the key as well.
class KeyPreview : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(int &key, Qt::KeyboardModifiers modifiers)>;

    KeyPreview(QWidget *form, Handler handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_form;
    Handler m_handler;
};

} // namespace platform
