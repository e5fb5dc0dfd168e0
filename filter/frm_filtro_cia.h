#pragma once

#include "filter/cli_ate25401.h"

#include "host/btn_pesquisa.h"
#include "host/forms/frm_filtro_padrao.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"

#include <QGroupBox>
#include <QRadioButton>
#include <QString>

namespace Cli_ate25400 {
class ClosingPosition;
}

namespace Cli_ate25401 {

// The airline filter dialog: all airlines ("Todas") or a list picked from
// the airlines of the screen's branch ("Lista"). Confirming reloads the
// closing position screen with that choice; closing, confirmed or not,
// remembers the list for the screen's later retrievals and switches the
// screen's refresh on again.
class CLI_ATE25401_EXPORT TfrmFiltroCia : public host::TfrmFiltroPadrao
{
    Q_OBJECT

public:
    explicit TfrmFiltroCia(QWidget *parent = nullptr);
    ~TfrmFiltroCia() override;

    void FormShow(QObject *sender) override;
    // The base form's activation handler is not this dialog's.
    void FormActivate(QObject *sender) override;
    void FormClose(QObject *sender, host::CloseAction &action) override;
    void rbtTodasClick(QObject *sender);
    void rbtListaClick(QObject *sender);
    void btnCiaClick(QObject *sender);
    void sbtConfirmaClick(QObject *sender) override;
    void btfSaveOpcClick(QObject *sender) override;
    void btfLoadOpcClick(QObject *sender) override;

    // The remembered list: empty means all airlines.
    TLista ListaFiltro;

    // Components, all owned by the form.
    QGroupBox *grbCia;
    QRadioButton *rbtTodas;
    QRadioButton *rbtLista;
    host::TBtnPesquisa *btnCia;
    platform::DataSource *dtsCia;
    platform::ClientDataSet *cdsCia;

private:
    void buildComponents();
    void declareRecordSet();
    void wireEvents();
    QString msg(const char *key) const;

    // GetPlanoVoo's list and flag on confirmation.
    QString stListaServ;
    QString stTodas;
};

// The closing position screen the dialog works on; throws platform::Error
// with a message for the user when it is not open.
Cli_ate25400::ClosingPosition &openScreen();

} // namespace Cli_ate25401
