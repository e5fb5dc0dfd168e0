#pragma once

// The components' own headers, so that a derived form can use every
// inherited component at once.
#include "host/button_flat.h"
#include "host/forms/close_action.h"
#include "host/forms/form_layout_memory.h"
#include "host/forms/print_dialogs.h"
#include "host/messages.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/db_text.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRect>
#include <QVBoxLayout>
#include <QWidget>

namespace host {

// The base of the MDI-child screens.
//
// Make a screen with createForm<T>() (create_form.h): it builds the form,
// puts it in a sub-window of host::mdiArea() (a window of its own when
// there is no MDI area), then runs FormCreate. Show it with showForm() and
// close it with closeForm() (QWidget::close() on the form is redirected to
// its sub-window, so both end the same way).
//
// A derived form sets, in its constructor, what its designer would have:
// caption (setWindowTitle), initial bounds (setBounds), help file and
// context, its own components (in clientArea(), below the toolbar), and its
// changes to inherited ones: disable them, move toolbar buttons by their
// Left (sbtImprimir->move(217, sbtImprimir->y())), append menu items
// (addMenuItem(mnuManutencao, ...), toolbar.h), re-wire a button
// (sbtImprimir->setOnClick(...)) or replace a click handler by overriding it.
//
// Handlers: an override of FormCreate, FormKeyDown, sbtVerificarClick or
// FormClose calls the base handler of the same name; FormCreate, FormKeyDown
// and sbtVerificarClick first, FormClose as its last step, because the base
// FormClose settles the close action. FormShow and FormActivate are empty
// here, for the derived form's own events. Every handler runs inside
// platform::guarded (or, for FormCreate, inside the creator), so a failure
// or a silent abort ends the handler and nothing reaches the event loop.
//
// The host's own keys, handled by the base FormKeyDown (key preview: it sees
// them before the focused grid or edit):
//   F5   runs the verify command (sbtVerificarClick) while mnuVerificar is
//        enabled, and consumes the key.
// That is all: every other key is the derived form's or the control's.
class TfrmPadraoSimples : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmPadraoSimples(QWidget *parent = nullptr);
    ~TfrmPadraoSimples() override;

    // Creation steps run by createForm().
    void attachToHost();
    void discardForm();

    // Handlers. `sender` is the component that raised the event (the form
    // for the form's own events).
    virtual void FormCreate(QObject *sender);
    virtual void FormShow(QObject *sender);
    virtual void FormActivate(QObject *sender);
    // Base: sets the action to Free (a closed screen is made again when
    // opened again). Starts as Hide, for a derived form that never calls it.
    virtual void FormClose(QObject *sender, CloseAction &action);
    // Setting the key to 0 consumes it: the focused control never sees it.
    virtual void FormKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift);
    // The verify command (mnuVerificar, F5). The base does nothing: every
    // screen overrides it with its own reading of the data.
    virtual void sbtVerificarClick(QObject *sender);

    // Toolbar and menu commands. The record commands do nothing here (hooks
    // for screens that edit data).
    virtual void sbtConfirmarClick(QObject *sender);
    virtual void sbtCancelarClick(QObject *sender);
    virtual void sbtIncluirClick(QObject *sender);
    virtual void sbtAlterarClick(QObject *sender);
    virtual void sbtExcluirClick(QObject *sender);
    virtual void sbtProcurarClick(QObject *sender);
    virtual void sbtOrdenarClick(QObject *sender);
    // Base: the print dialog, then a picture of the form on the printer.
    virtual void sbtImprimirClick(QObject *sender);
    // Shows the help reference (help file and context) through the dialog
    // service; the help viewer is outside the system.
    virtual void sbtAjudaClick(QObject *sender);
    // Closes the form (closeForm()).
    virtual void sbtFecharClick(QObject *sender);
    // The printer set-up dialog.
    virtual void mnuConfigImpressoraClick(QObject *sender);

    // Window.
    void showForm();
    void closeForm();
    // Normal or maximised (minimised too), applied to the sub-window.
    void setFormWindowState(Qt::WindowState state);
    Qt::WindowState formWindowState() const;
    // Left and Top in the MDI area (on the screen for a window of its own),
    // Width and Height of the whole window.
    void setBounds(int left, int top, int width, int height);
    QRect bounds() const;
    QMdiSubWindow *subWindow() const { return m_subWindow; }
    void setVisible(bool visible) override;

    // The control that gets the focus when the form is first shown.
    void setActiveControl(QWidget *control) { m_activeControl = control; }
    // The form's control with the focus (or the last one that had it while
    // the form is inactive); the preset one before any had it.
    QWidget *activeControl() const;

    void setHelpFile(const QString &file) { m_helpFile = file; }
    QString helpFile() const { return m_helpFile; }
    void setHelpContext(int context) { m_helpContext = context; }
    int helpContext() const { return m_helpContext; }

    // Where a derived form puts its components: below the toolbar, with a
    // vertical layout without margins.
    QWidget *clientArea() const { return m_clientArea; }
    QVBoxLayout *clientLayout() const { return m_clientLayout; }

    // Components, all owned by the form.
    QMenuBar *mnuMenu;
    QMenu *mnuManutencao;
    QAction *mnuIncluir;
    QAction *mnuAlterar;
    QAction *mnuExcluir;
    QAction *mnuProcurar;
    QAction *mnuCancelar;
    QAction *mnuConfirmar;
    QMenu *mnuOperacao;
    QAction *mnuConfigImpressora;
    QAction *mnuVerificar;
    QAction *mnuImprimir; // Ctrl+P
    QAction *mnuAjuda;    // F1
    // Column widths, splitters and the window's place back as designed.
    QAction *mnuRestaurarLayout;
    QAction *mnuFechar;

    QFrame *panMenu;
    TButtonFlat *sbtConfirmar;
    TButtonFlat *sbtCancelar;
    TButtonFlat *sbtIncluir;
    TButtonFlat *sbtAlterar;
    TButtonFlat *sbtExcluir;
    TButtonFlat *sbtProcurar;
    TButtonFlat *sbtOrdenar;
    TButtonFlat *sbtImprimir;
    TButtonFlat *sbtAjuda;
    TButtonFlat *sbtFechar;
    QLabel *lblCodTela;
    platform::DBText *dbtNome; // hidden; on panMenu, over dtsPadrao

    TMessages *msgPadrao;           // the screen's own table
    TMessages *msgMensagensPadroes; // the base form's texts
    platform::DataSource *dtsPadrao;
    TPrintDialog *prdImprimir;
    TPrinterSetupDialog *psdConfigurar;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend class FormSubWindow;

    void buildMenu();
    void buildToolbar();
    void wireCommands();
    void registerMenuShortcuts();
    void applyBounds();
    CloseAction runFormClose();
    QWidget &layoutWindow();
    void saveLayout();
    // The sub-window is closing: runs FormClose; false keeps it open.
    bool acceptSubWindowClose();

    QWidget *m_clientArea;
    QVBoxLayout *m_clientLayout;
    QPointer<QMdiSubWindow> m_subWindow;
    QPointer<QWidget> m_activeControl;
    QRect m_bounds;
    FormLayoutMemory m_layoutMemory;
    QString m_helpFile;
    int m_helpContext = 0;
    bool m_closeDecided = false;
    bool m_shownBefore = false;
    bool m_showDelivered = false;
    bool m_activationPending = false;
};

} // namespace host
