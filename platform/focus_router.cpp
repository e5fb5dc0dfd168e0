#include "platform/focus_router.h"

#include "platform/abort.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace platform {
namespace {

// Eats the press already on its way to the widget whose focus move was
// refused, and the release that ends that click. Gone at the next turn of
// the event loop at the latest, so a focus move that came without a click
// swallows nothing later.
class ClickSwallower : public QObject
{
public:
    explicit ClickSwallower(QWidget *target)
        : QObject(qApp)
        , m_target(target)
    {
        qApp->installEventFilter(this);
        deleteLater();
    }

    ~ClickSwallower() override { stop(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
            && type != QEvent::MouseButtonRelease)
            return false;
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!m_target || !widget || (widget != m_target && !m_target->isAncestorOf(widget)))
            return false;
        if (type == QEvent::MouseButtonRelease)
            stop();
        return true;
    }

private:
    void stop()
    {
        if (!m_stopped)
            qApp->removeEventFilter(this);
        m_stopped = true;
    }

    QPointer<QWidget> m_target;
    bool m_stopped = false;
};

int depthOf(const QWidget *widget)
{
    int depth = 0;
    for (; widget; widget = widget->parentWidget())
        ++depth;
    return depth;
}

} // namespace

FocusRouter::FocusRouter(QWidget *form)
    : QObject(form)
    , m_form(form)
{
    // The router is the context: it dies with the form, before the state
    // the handlers capture, and ~QWidget's own focus changes find it gone
    // or find a null new widget, which is ignored.
    connect(qApp, &QApplication::focusChanged, this, &FocusRouter::onFocusChanged);
    qApp->installEventFilter(this);
}

FocusRouter::~FocusRouter()
{
    qApp->removeEventFilter(this);
}

// QApplication::focusChanged carries no reason; the FocusIn before it does.
bool FocusRouter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && watched->isWidgetType()
        && isInForm(static_cast<QWidget *>(watched)))
        m_lastFocusReason = static_cast<QFocusEvent *>(event)->reason();
    return false;
}

FocusRouter::Entry &FocusRouter::entryFor(QWidget *widget)
{
    for (const auto &entry : m_entries) {
        if (entry->widget == widget)
            return *entry;
    }
    m_entries.push_back(std::make_unique<Entry>(Entry{widget, {}, {}, depthOf(widget)}));
    return *m_entries.back();
}

void FocusRouter::setOnEnter(QWidget *widget, Handler handler)
{
    entryFor(widget).onEnter = std::move(handler);
}

void FocusRouter::setOnExit(QWidget *widget, Handler handler)
{
    entryFor(widget).onExit = std::move(handler);
}

bool FocusRouter::isInForm(const QWidget *widget) const
{
    return widget && m_form && (widget == m_form || m_form->isAncestorOf(widget));
}

std::vector<const FocusRouter::Entry *> FocusRouter::chainOf(const QWidget *widget) const
{
    std::vector<const Entry *> chain;
    if (!widget)
        return chain;
    for (const auto &entry : m_entries) {
        if (entry->widget && (entry->widget == widget || entry->widget->isAncestorOf(widget)))
            chain.push_back(entry.get());
    }
    std::sort(chain.begin(), chain.end(),
              [](const Entry *a, const Entry *b) { return a->depth > b->depth; });
    return chain;
}

bool FocusRouter::run(const std::vector<const Entry *> &entries, bool exits)
{
    for (const Entry *entry : entries) {
        // A copy: the handler may replace itself while it runs.
        const Handler handler = exits ? entry->onExit : entry->onEnter;
        if (handler && !guarded(handler))
            return false;
    }
    return true;
}

void FocusRouter::onFocusChanged(QWidget *, QWidget *now)
{
    if (m_dispatching || !isInForm(now))
        return;
    QPointer<QWidget> left = m_current;
    m_current = now;
    if (left == now)
        return;

    const std::vector<const Entry *> leftChain = chainOf(left);
    const std::vector<const Entry *> reachedChain = chainOf(now);
    const auto notIn = [](const std::vector<const Entry *> &chain) {
        return [&chain](const Entry *entry) {
            return std::find(chain.begin(), chain.end(), entry) == chain.end();
        };
    };
    std::vector<const Entry *> exits;
    std::copy_if(leftChain.begin(), leftChain.end(), std::back_inserter(exits),
                 notIn(reachedChain));
    std::vector<const Entry *> enters;
    std::copy_if(reachedChain.rbegin(), reachedChain.rend(), std::back_inserter(enters),
                 notIn(leftChain));
    if (exits.empty() && enters.empty())
        return;

    // Read before the handlers: a message box's own clicks change them.
    const bool byClick = m_lastFocusReason == Qt::MouseFocusReason
                         || QGuiApplication::mouseButtons() != Qt::NoButton;
    QPointer<QWidget> reached = now;
    m_dispatching = true;
    const bool exitsPassed = run(exits, true);
    if (exitsPassed)
        run(enters, false);
    // With the window not active again yet (a box just closed), the focus
    // is the window's focus child.
    QWidget *focus = QApplication::focusWidget();
    if (!focus && m_form)
        focus = m_form->window()->focusWidget();
    if (!exitsPassed) {
        if (focus == reached && left) {
            left->setFocus(Qt::OtherFocusReason);
            focus = left;
        }
        if (byClick && reached && focus != reached)
            new ClickSwallower(reached);
    }
    m_dispatching = false;
    if (isInForm(focus))
        m_current = focus;
    else if (!exitsPassed)
        m_current = left;
}

} // namespace platform
