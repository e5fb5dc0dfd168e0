// The form's events and the handover of its choices to the report designer.

#include "report/frm_rel_pos_fec_dia_pv.h"

#include "host/application.h"
#include "host/busy_indicator.h"
#include "host/functions.h"
#include "host/net/check_result_serv.h"
#include "host/net/net_connection.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/focus_router.h"
#include "screen/closing_position.h"
#include "screen/message_table.h"
#include "screen/service_situation.h"

#include "host/messages.h"
#include "host/params.h"
#include "host/pesquisa_lista.h"
#include <QMainWindow>

#include <array>
#include <cstdlib>
#include <memory>

namespace Cli_ate25402 {
namespace {

// The closing position screen the form reads its date, branch and
// connection from. The form is opened from that screen; should it have
// gone meanwhile, the user is told instead of the form reaching a freed
// object.
Cli_ate25400::ClosingPosition &closingScreen()
{
    Cli_ate25400::ClosingPosition *screen = Cli_ate25400::closingPosition();
    if (!screen) {
        throw platform::Error(QStringLiteral(
            "A tela de posição do fechamento diário do plano de vôo não está aberta."));
    }
    return *screen;
}

} // namespace

TfrmRelPosFecDiaPV::~TfrmRelPosFecDiaPV()
{
    // Before the components go: the widgets' own teardown moves the focus.
    delete m_focusRouter;
    m_focusRouter = nullptr;
    if (frmRelPosFecDiaPV == this) {
        frmRelPosFecDiaPV = nullptr;
        boIdCriado = false;
    }
}

void TfrmRelPosFecDiaPV::wireEvents()
{
    // Every change of a box's state runs its handler once, a change made by
    // code included, so that the Tag always follows the tick.
    const auto onToggle = [this](TCheckBox *box, void (TfrmRelPosFecDiaPV::*handler)(QObject *)) {
        connect(box, &QCheckBox::toggled, this,
                [this, box, handler] { platform::guarded([&] { (this->*handler)(box); }); });
    };
    onToggle(ckbPendente, &TfrmRelPosFecDiaPV::ckbPendenteClick);
    onToggle(ckbAtendido, &TfrmRelPosFecDiaPV::ckbAtendidoClick);
    onToggle(ckbCancelado, &TfrmRelPosFecDiaPV::ckbCanceladoClick);
    onToggle(ckbCancelCob, &TfrmRelPosFecDiaPV::ckbCancelCobClick);
    onToggle(ckbFaturado, &TfrmRelPosFecDiaPV::ckbFaturadoClick);

    for (QRadioButton *button : {rbtTCia, rbtLCia}) {
        connect(button, &QRadioButton::toggled, this, [this, button](bool checked) {
            // Switching runs once, for the button that became chosen.
            if (checked)
                platform::guarded([&] { rbtLCiaClick(button); });
        });
    }
    btpCia->setOnClick([this](QObject *sender) { btpCiaClick(sender); });
    depVoo->setOnChange([this](QObject *sender) { depVooChange(sender); });

    m_focusRouter = new platform::FocusRouter(this);
    m_focusRouter->setOnExit(depVoo, [this] { depVooExit(depVoo); });

    // A service's situation on paper says what the screen's grid says.
    auto screenTexts = std::make_shared<host::TMessages>();
    screenTexts->setLines(Cli_ate25400::messageTableLines());
    rpddPadrao->setFieldText(QStringLiteral("IDSITSERSP"),
                             [screenTexts](platform::Field &field, QString &text, bool) {
                                 text = Cli_ate25400::serviceSituationText(field, *screenTexts);
                             });
    rpddPadrao->setBeforeGetQueryParams([this](host::TParams &params, bool &proceed) {
        rpddPadraoBeforeGetQueryParams(params, proceed);
    });
}

QString TfrmRelPosFecDiaPV::msg(const char *key) const
{
    return msgPadrao->Msg(QLatin1String(key));
}

void TfrmRelPosFecDiaPV::FormCreate(QObject *sender)
{
    host::TfrmDadosGerRel::FormCreate(sender);
    depVoo->SetDate(closingScreen().flightDate());
}

void TfrmRelPosFecDiaPV::FormActivate(QObject *sender)
{
    host::TfrmDadosGerRel::FormActivate(sender);
    repaint();
}

void TfrmRelPosFecDiaPV::FormClose(QObject *sender, host::CloseAction &action)
{
    host::TfrmDadosGerRel::FormClose(sender, action);
    boIdCriado = false;
}

void TfrmRelPosFecDiaPV::rbtLCiaClick(QObject *)
{
    btpCia->setEnabled(rbtLCia->isChecked());
}

void TfrmRelPosFecDiaPV::flipTag(TCheckBox &box, int code)
{
    box.Tag = std::abs(box.Tag - code);
}

void TfrmRelPosFecDiaPV::ckbPendenteClick(QObject *)
{
    flipTag(*ckbPendente, 1);
}

void TfrmRelPosFecDiaPV::ckbAtendidoClick(QObject *)
{
    flipTag(*ckbAtendido, 2);
}

void TfrmRelPosFecDiaPV::ckbCanceladoClick(QObject *)
{
    flipTag(*ckbCancelado, 3);
}

void TfrmRelPosFecDiaPV::ckbCancelCobClick(QObject *)
{
    flipTag(*ckbCancelCob, 4);
}

void TfrmRelPosFecDiaPV::ckbFaturadoClick(QObject *)
{
    flipTag(*ckbFaturado, 5);
}

void TfrmRelPosFecDiaPV::btpCiaClick(QObject *)
{
    if (host::EmptyString(depVoo->text())) {
        depVoo->setFocus();
        host::MensErro(msg("DtPV_Vaz"), true);
    }
    {
        // Hidden on every way out, before the picker shows.
        host::BusyIndicator busy(host::mainWindow(), host::BusyReading);
        cdsCompanhia->loadPacket(
            host::CheckResultServ(closingScreen().connection().appServer().invoke(
                                      QStringLiteral("GetCompanhia"), {depVoo->GetDate()}),
                                  true, 0));
    }
    host::PesquisaLista(dtsCompanhia, QStringLiteral("CDCIA"),
                        msg("Companhia") + QLatin1Char('|') + msg("CIA_NC"), false, stListaRel);
}

void TfrmRelPosFecDiaPV::depVooExit(QObject *)
{
    depVoo->CheckValidDate();
}

void TfrmRelPosFecDiaPV::depVooChange(QObject *)
{
    rbtTCia->setChecked(true);
    stListaRel.clear();
}

void TfrmRelPosFecDiaPV::rpddPadraoBeforeGetQueryParams(host::TParams &params, bool &)
{
    try {
        depVoo->CheckValidDate();
    } catch (...) {
        depVoo->setFocus();
        throw;
    }
    if (host::EmptyString(depVoo->text())) {
        depVoo->setFocus();
        host::MensErro(msg("DtPV_Vaz"), true);
    }
    if (rbtLCia->isChecked() && stListaRel.isEmpty()) {
        rbtLCia->setFocus();
        host::MensErro(msg("Cia_Vaz"), true);
    }
    const std::array<TCheckBox *, 5> situations = {ckbPendente, ckbAtendido, ckbCancelado,
                                                   ckbCancelCob, ckbFaturado};
    bool anyTicked = false;
    for (const TCheckBox *box : situations)
        anyTicked |= box->isChecked();
    if (!anyTicked) {
        ckbPendente->setFocus();
        host::MensErro(msg("Sit_Vaz"), true);
    }

    const auto param = [&params](const QString &name) -> host::TParam * {
        return host::ExistParam(params, name) ? &params.paramByName(name) : nullptr;
    };
    if (host::TParam *branch = param(QStringLiteral("CDFILIAL")))
        branch->setAsString(closingScreen().branch());
    if (host::TParam *date = param(QStringLiteral("DTHRPLAVOOPV")))
        date->setAsDate(depVoo->GetDate());
    if (host::TParam *airlines = param(QStringLiteral("CDCIA")))
        airlines->setAsString(rbtTCia->isChecked() ? QStringLiteral("T") : stListaRel);
    for (int i = 0; i < int(situations.size()); ++i) {
        if (host::TParam *situation = param(QStringLiteral("SIT") + QString::number(i + 1)))
            situation->setAsInteger(situations[i]->Tag);
    }
}

} // namespace Cli_ate25402
