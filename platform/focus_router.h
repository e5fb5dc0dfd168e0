#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QWidget;

namespace platform {

// Enter and exit events for the controls and containers (panels) of one
// form. When the focus moves inside the form, the exit handlers of what it
// leaves run innermost first (the edit's before its panel's), then the enter
// handlers of what it reaches, outermost first.
//
// A handler that fails (an abort, an error) ends the chain. The focus stays
// where the handler put it, the control at fault; when it put it nowhere,
// it goes back to the control being left. Focus moves made while handlers
// run (their own, and a message box's) raise no further events, and a click
// that tried to move the focus past a refusing exit handler is not delivered.
//
// Focus leaving the form (message boxes, pop-ups, other windows) is not a
// move: the chain runs when it comes back to another control of the form.
class FocusRouter : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void()>;

    explicit FocusRouter(QWidget *form);
    ~FocusRouter() override;

    void setOnEnter(QWidget *widget, Handler handler);
    void setOnExit(QWidget *widget, Handler handler);

    // The control of the form that has (or last had) the focus.

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        QPointer<QWidget> widget;
        Handler onEnter;
        Handler onExit;
        int depth = 0;
    };

    Entry &entryFor(QWidget *widget);
    bool isInForm(const QWidget *widget) const;
    std::vector<const Entry *> chainOf(const QWidget *widget) const; // innermost first
    void onFocusChanged(QWidget *old, QWidget *now);
    bool run(const std::vector<const Entry *> &entries, bool exits);

    QPointer<QWidget> m_form;
    QPointer<QWidget> m_current;
    std::vector<std::unique_ptr<Entry>> m_entries;
    bool m_dispatching = false;
    Qt::FocusReason m_lastFocusReason = Qt::OtherFocusReason;
};

} // namespace platform
