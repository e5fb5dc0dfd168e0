#include "host/forms/form_dialog.h"

#include "host/application.h"
#include "host/forms/window_activation.h"
#include "platform/abort.h"

#include <QLayout>
#include <QMainWindow>
#include <QShowEvent>

namespace host {

FormDialog::FormDialog(QWidget *parent)
    : QDialog(parent)
{
    new WindowActivation(this, [this] { FormActivate(this); });
}

FormDialog::~FormDialog() = default;

void FormDialog::attachToHost()
{
    if (QMainWindow *main = mainWindow())
        setParent(main, windowFlags());
}

void FormDialog::discardForm()
{
    delete this;
}

void FormDialog::FormCreate(QObject *) { }

void FormDialog::FormShow(QObject *) { }

void FormDialog::FormActivate(QObject *) { }

void FormDialog::FormClose(QObject *, CloseAction &) { }

void FormDialog::done(int result)
{
    CloseAction action = CloseAction::Hide;
    if (!platform::guarded([&] { FormClose(this, action); }) || action == CloseAction::None)
        return;
    QDialog::done(result);
    if (action == CloseAction::Free)
        deleteLater();
}

void FormDialog::setVisible(bool visible)
{
    // Settle the layout's size limits before the window exists: changed on
    // a window already on screen, some platforms refuse them with a warning.
    if (visible && layout())
        layout()->activate();
    QDialog::setVisible(visible);
}

void FormDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        platform::guarded([this] { FormShow(this); });
}

} // namespace host
