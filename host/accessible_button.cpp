#include "host/accessible_button.h"

#include "host/button_flat.h"

#include <QAccessibleWidget>
#include <QPointer>

namespace host {
namespace {

class AccessibleFlatButton : public QAccessibleWidget
{
public:
    explicit AccessibleFlatButton(TButtonFlat *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QStringList actionNames() const override { return {QAccessibleActionInterface::pressAction()}; }

    void doAction(const QString &name) override
    {
        if (name != QAccessibleActionInterface::pressAction() || !widget()->isEnabled())
            return;
        QPointer<QWidget> button = widget();
        QMetaObject::invokeMethod(
            button,
            [button] {
                if (auto *flat = qobject_cast<TButtonFlat *>(button.data()))
                    flat->click();
            },
            Qt::QueuedConnection);
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

} // namespace

QAccessibleInterface *accessibleFlatButton(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<TButtonFlat *>(object))
        return new AccessibleFlatButton(button);
    return nullptr;
}

} // namespace host
