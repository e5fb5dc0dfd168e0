#pragma once

#include "report/cli_ate25402.h"

#include "host/btn_pesquisa.h"
#include "host/date_edit_plus.h"
#include "host/forms/frm_dados_ger_rel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QString>

namespace platform {
class ClientDataSet;
class DataSource;
class FocusRouter;
} // namespace platform

namespace Cli_ate25402 {

// A check box with the form library's Tag: here the situation code while
// the box is ticked and 0 while it is not (the box's click handler keeps it
// so on every change of state, by the user or by code).
class CLI_ATE25402_EXPORT TCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    explicit TCheckBox(QWidget *parent = nullptr);

    int Tag = 0;
};

// The closing position report's parameters: flight-plan date, all airlines
// or a picked list, and the service situations to print. The host's report
// designer asks for them (rpddPadraoBeforeGetQueryParams) when it prints.
class CLI_ATE25402_EXPORT TfrmRelPosFecDiaPV : public host::TfrmDadosGerRel
{
    Q_OBJECT

public:
    explicit TfrmRelPosFecDiaPV(QWidget *parent = nullptr);
    ~TfrmRelPosFecDiaPV() override;

    // Form events.
    void FormCreate(QObject *sender) override;
    void FormActivate(QObject *sender) override;
    void FormClose(QObject *sender, host::CloseAction &action) override;

    // Choices.
    void rbtLCiaClick(QObject *sender);
    void ckbPendenteClick(QObject *sender);
    void ckbAtendidoClick(QObject *sender);
    void ckbCanceladoClick(QObject *sender);
    void ckbCancelCobClick(QObject *sender);
    void ckbFaturadoClick(QObject *sender);
    void btpCiaClick(QObject *sender);
    void depVooExit(QObject *sender);
    void depVooChange(QObject *sender);

    // Report.
    void rpddPadraoBeforeGetQueryParams(host::TParams &params, bool &proceed);

    // Components, all owned by the form.
    QLabel *lblPlaVoo;
    host::TDateEditPlus *depVoo;
    QGroupBox *grbCia;
    QRadioButton *rbtTCia;
    QRadioButton *rbtLCia;
    host::TBtnPesquisa *btpCia;
    QGroupBox *GroupBox1;
    TCheckBox *ckbPendente;
    TCheckBox *ckbAtendido;
    TCheckBox *ckbCancelado;
    TCheckBox *ckbCancelCob;
    TCheckBox *ckbFaturado;
    platform::DataSource *dtsCompanhia;
    platform::ClientDataSet *cdsCompanhia;

    // The airline list picked with btpCia, as the host's PesquisaLista
    // builds it; empty while nothing has been picked.
    QString listaRel() const { return stListaRel; }

private:
    // Layout (form_layout.cpp).
    void changeInheritedItems();
    void buildDateAndAirlines();
    void buildSituations();
    void declareCompanhia();
    void setTabOrders();
    void wireEvents();

    QString msg(const char *key) const;
    // The box's Tag flips between its code and 0.
    static void flipTag(TCheckBox &box, int code);

    QString stListaRel;
    platform::FocusRouter *m_focusRouter = nullptr;
};

} // namespace Cli_ate25402
