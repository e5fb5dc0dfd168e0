#pragma once

#include "host/forms/close_action.h"

#include <QDialog>

namespace host {

// What the host's modal base forms share: the creation steps createForm()
// runs, the form's show, activate and close events as virtual handlers, and
// the help reference.
//
// Closing (Escape, a close button, the window's close, accept or reject)
// runs FormClose, whose action decides: Hide keeps the dialog for the next
// showing, Free destroys it once control returns to the event loop (a
// creator after exec() may still touch it), None keeps it open. A FormClose
// that fails keeps it open too.
//
// Handlers follow the host's rule: an override of a base handler of the
// same name calls the base one first; to drop a base handler (as a form
// removes an event binding), override it with an empty body. Each runs
// inside platform::guarded (FormCreate inside the creator).
class FormDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FormDialog(QWidget *parent = nullptr);
    ~FormDialog() override;

    // Creation steps run by createForm(): the main window owns the dialog.
    void attachToHost();
    void discardForm();

    virtual void FormCreate(QObject *sender);
    virtual void FormShow(QObject *sender);
    // Runs when the dialog becomes active after being shown, not when a
    // message box over it closes (see WindowActivation).
    virtual void FormActivate(QObject *sender);
    // Starts as Hide.
    virtual void FormClose(QObject *sender, CloseAction &action);

    void setClientSize(int width, int height) { resize(width, height); }
    void setHelpFile(const QString &file) { m_helpFile = file; }
    QString helpFile() const { return m_helpFile; }
    void setHelpContext(int context) { m_helpContext = context; }
    int helpContext() const { return m_helpContext; }

    void setVisible(bool visible) override;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_helpFile;
    int m_helpContext = 0;
};

} // namespace host
