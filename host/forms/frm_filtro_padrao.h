#pragma once

// The components' own headers, so that a derived form can use every
// inherited component at once.
#include "host/button_flat.h"
#include "host/forms/form_dialog.h"
#include "host/forms/saved_options.h"
#include "host/messages.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>

namespace host {

// The base of the modal filter dialogs: the filter's group box on the left,
// a narrow button column on the right, and a list of saved options that the
// user can save and load.
//
// Make it with createForm<T>() (create_form.h), show it with exec(). Closing
// and the handler rules are FormDialog's; the base FormClose keeps Hide, so
// the dialog lasts for the next showing.
class TfrmFiltroPadrao : public FormDialog
{
    Q_OBJECT

public:
    explicit TfrmFiltroPadrao(QWidget *parent = nullptr);
    ~TfrmFiltroPadrao() override;

    // Base: puts the focus on the first control of the filter when it is
    // not already in the filter, so each showing starts there.
    void FormActivate(QObject *sender) override;
    // Base: Hide.
    void FormClose(QObject *sender, CloseAction &action) override;
    // Base: closes the dialog as accepted. Derived forms replace it.
    virtual void sbtConfirmaClick(QObject *sender);
    // Base: closes the dialog as cancelled.
    virtual void sbtFechaClick(QObject *sender);
    // Base: writes savedOptions() to the form's options file (see
    // saved_options.h) and tells the user.
    virtual void btfSaveOpcClick(QObject *sender);
    // Base: reads the form's options file into savedOptions(). When the form
    // never saved any, says so and aborts, so a derived handler does not go
    // on to read an empty list over the user's current choice.
    virtual void btfLoadOpcClick(QObject *sender);

    // The saved options, "name=value" lines.
    TOptionList &savedOptions() { return m_savedOptions; }
    // The name the options are kept under: the form's objectName.
    QString optionsName() const;

    // Components, all owned by the form.
    QGroupBox *grbFiltroPadrao; // derived forms place their controls in it
    QFrame *panMenu;            // the button column on the right
    // Holds the buttons. A derived confirm handler calls
    // panBotoes->repaint() before its work: server calls hold the event
    // loop, and the pressed button should not stay drawn pressed meanwhile.
    QFrame *panBotoes;
    TButtonFlat *sbtConfirma;
    TButtonFlat *sbtFecha;
    TButtonFlat *btfSaveOpc;
    TButtonFlat *btfLoadOpc;
    QLabel *lblCodTela;
    TMessages *msgPadrao; // the derived form's table

private:
    TOptionList m_savedOptions;
};

} // namespace host
