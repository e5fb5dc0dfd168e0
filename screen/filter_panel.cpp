// The filter panel: branch, flight-plan date and refresh period. Entering
// it suspends the screen; leaving it with valid input loads everything anew.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/adoib_query.h"
#include "host/application.h"
#include "host/busy_indicator.h"
#include "host/functions.h"
#include "host/mask_edit.h"
#include "platform/abort.h"
#include "platform/field.h"

#include <QMainWindow>

namespace Cli_ate25400 {

QString TfrmPosFecDiaPlaVoo::msg(const char *key) const
{
    return msgPadrao->Msg(QLatin1String(key));
}

// With presenceOnly, only that a branch is given; without it, only that a
// given branch exists and is not rescinded. A failure puts the focus on the
// code once its message has been shown.
void TfrmPosFecDiaPlaVoo::Vd_CdFilial(bool presenceOnly)
{
    const QString adjusted = host::Ajusta(medCdFilial->text(), 4);
    if (adjusted != medCdFilial->text())
        medCdFilial->setText(adjusted);
    try {
        if (host::EmptyString(medCdFilial->text())) {
            if (presenceOnly)
                host::MensErro(msg("FILI_DEVE"), true);
            return;
        }
        if (presenceOnly)
            return;
        qryFilial->Close();
        qryFilial->ParamByName(QStringLiteral("P_CDFILIAL")).setAsString(medCdFilial->text());
        qryFilial->ParamByName(QStringLiteral("P_TCDFILIAL")).clear();
        qryFilial->Open();
        // Named before the checks: a rescinded branch stays named while it
        // is refused, an unknown code leaves the name empty.
        edtNmFilial->setText(qryFilial->FieldByName(QStringLiteral("NMFILIAL")).asString());
        if (qryFilial->IsEmpty())
            host::MensErro(msg("FILI_NAO_CAD"), true);
        if (qryFilial->FieldByName(QStringLiteral("IDCNTRRESC")).asString() == QLatin1String("S"))
            host::MensErro(msg("FILI_RESC"), true);
    } catch (...) {
        medCdFilial->setFocus();
        throw;
    }
}

// With required, a date must be given; a given date must be a valid one.
void TfrmPosFecDiaPlaVoo::Vd_DataVoo(bool required)
{
    try {
        if (host::EmptyString(depVoo->text())) {
            if (required)
                host::MensErro(msg("DT_VOO"), true);
            return;
        }
        depVoo->CheckValidDate();
    } catch (...) {
        depVoo->setFocus();
        throw;
    }
}

void TfrmPosFecDiaPlaVoo::medCdFilialChange(QObject *)
{
    edtNmFilial->clear();
}

void TfrmPosFecDiaPlaVoo::medCdFilialExit(QObject *)
{
    Vd_CdFilial(false);
}

void TfrmPosFecDiaPlaVoo::depVooEnter(QObject *) { }

void TfrmPosFecDiaPlaVoo::depVooExit(QObject *)
{
    Vd_DataVoo(false);
}

// Every branch, rescinded ones included: the refusal comes when the code
// edit is left.
void TfrmPosFecDiaPlaVoo::btnPesqFilialBeforePesq(QObject *, bool &)
{
    qryFilial->Close();
    qryFilial->ParamByName(QStringLiteral("P_CDFILIAL")).clear();
    qryFilial->ParamByName(QStringLiteral("P_TCDFILIAL")).setAsString(QStringLiteral("T"));
    qryFilial->Open();
}

void TfrmPosFecDiaPlaVoo::btnPesqFilialAfterPesq(QObject *)
{
    // The name after the code, whose change empties it.
    medCdFilial->setText(qryFilial->FieldByName(QStringLiteral("CDFILIAL")).asString());
    edtNmFilial->setText(qryFilial->FieldByName(QStringLiteral("NMFILIAL")).asString());
}

void TfrmPosFecDiaPlaVoo::panFiltroEnter(QObject *)
{
    cdsPlanoVoo->close();
    cdsPrevPax->close();
    cdsServPlano->close();
    sbtFiltrar->setEnabled(false);
    mnuFiltrar->setEnabled(false);
    timAtualizacaoPv->stop();
}

void TfrmPosFecDiaPlaVoo::panFiltroExit(QObject *)
{
    m_filterChecksPassed = false;
    Vd_CdFilial(true);
    if (host::EmptyString(depVoo->text())) {
        depVoo->setFocus();
        host::MensErro(msg("Dt_Deve"), true);
    }
    if (host::EmptyString(speAtualiza->text())) {
        speAtualiza->setFocus();
        host::MensErro(msg("Atu_Deve"), true);
    }
    m_filterChecksPassed = true;
    sbtFiltrar->setEnabled(true);
    mnuFiltrar->setEnabled(true);
    // Switching an enabled timer on again does not restart its period.
    if (!timAtualizacaoPv->isActive())
        timAtualizacaoPv->start();

    host::BusyIndicator busy(host::mainWindow(), host::BusyReading);
    // The loads below read the dependent sets themselves.
    boScroll = false;
    readPosition(allAirlines(), true);
    boScroll = true;
}

} // namespace Cli_ate25400
