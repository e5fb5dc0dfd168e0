#pragma once

// The components' own headers, so that a derived form can use every
// inherited component at once.
#include "host/button_flat.h"
#include "host/forms/form_dialog.h"
#include "host/messages.h"
#include "host/params.h"
#include "host/report/report_designer.h"

#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace host {

// The base of the report parameter forms: a menu panel with the print and
// close buttons and the report and screen codes, and below it the group box
// with the report chooser, where the derived form places its parameters.
//
// Make it with createForm<T>() (create_form.h), show it with exec(). The
// derived form sets, in its constructor, its caption, client size, help,
// lblCodRel (the report code: the reports are those of the file of that
// code, see report_designer.h) and lblCodTela, appends its own lines to
// msgPadrao with addLine(), and wires rpddPadrao's BeforeGetQueryParams to
// its handler that checks the choices and fills the query parameters.
//
// Closing and the handler rules are FormDialog's: an override of FormCreate,
// FormActivate or FormClose calls the base one first, with the same
// arguments.
class TfrmDadosGerRel : public FormDialog
{
    Q_OBJECT

public:
    explicit TfrmDadosGerRel(QWidget *parent = nullptr);
    ~TfrmDadosGerRel() override;

    // Base: lists the reports of the code of lblCodRel in cbbReportNames.
    // A report file that cannot be read is reported, and the list stays
    // empty; the form opens all the same.
    void FormCreate(QObject *sender) override;
    // Base: chooses the first report when none is chosen.
    void FormActivate(QObject *sender) override;
    // Base: Free, as every opening makes the form anew.
    void FormClose(QObject *sender, CloseAction &action) override;
    // Base: prints the chosen report through rpddPadrao.
    virtual void sbtImprimirClick(QObject *sender);
    // Base: closes the form.
    virtual void sbtFecharClick(QObject *sender);

    // Fills cbbReportNames again from the report file, keeping the chosen
    // report when it is still there.
    void loadReportNames();

    // Components, all owned by the form.
    QFrame *panMenu;
    TButtonFlat *sbtImprimir;
    TButtonFlat *sbtFechar;
    QLabel *lblCodRel;
    QLabel *lblCodTela;
    QGroupBox *grbDadosRel; // derived forms place their controls in it
    QFrame *panRelat;
    QComboBox *cbbReportNames;
    QMenu *ppmEditReport; // on cbbReportNames: new report, reload list
    QAction *mnuNovoRelatorio;
    QAction *mnuAtualizarLista;
    // Holds the base messages "Arq_Rel_Err", "NovoCaption", "NovoPrompt"
    // first; the derived form appends its own.
    TMessages *msgPadrao;
    TMessages *msgMensagens;
    TReportDesignerDialog *rpddPadrao;

private:
    void buildMenuPanel();
    void buildReportChooser();
    void newReport();
};

} // namespace host
