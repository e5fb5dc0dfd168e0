// Creation, showing, activation and closing of the screen, and the binding
// of its components' events to the handlers.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/application.h"
#include "host/busy_indicator.h"
#include "host/host_context.h"
#include "host/mask_edit.h"
#include "host/net/net_connection.h"
#include "platform/abort.h"
#include "platform/focus_router.h"
#include "platform/screen.h"

#include <QMainWindow>

namespace Cli_ate25400 {

TfrmPosFecDiaPlaVoo::~TfrmPosFecDiaPlaVoo()
{
    // Before the components go: the widgets' own teardown moves the focus.
    delete m_focusRouter;
    m_focusRouter = nullptr;
    // Only the current screen: a closed one may go after its successor was made.
    if (frmPosFecDiaPlaVoo == this) {
        frmPosFecDiaPlaVoo = nullptr;
        boIdCriado = false;
    }
}

void TfrmPosFecDiaPlaVoo::wireEvents()
{
    m_focusRouter = new platform::FocusRouter(this);
    m_focusRouter->setOnEnter(panFiltro, [this] { panFiltroEnter(panFiltro); });
    m_focusRouter->setOnExit(panFiltro, [this] {
        try {
            panFiltroExit(panFiltro);
        } catch (...) {
            // A refused check keeps the focus in the panel, on the control
            // at fault. A failed load is only reported: the checks passed,
            // so the focus stays where the user moved it.
            if (!m_filterChecksPassed)
                throw;
            platform::guarded(
                [failure = std::current_exception()] { std::rethrow_exception(failure); });
        }
    });
    m_focusRouter->setOnExit(medCdFilial, [this] { medCdFilialExit(medCdFilial); });
    m_focusRouter->setOnEnter(depVoo, [this] { depVooEnter(depVoo); });
    m_focusRouter->setOnExit(depVoo, [this] { depVooExit(depVoo); });

    connect(medCdFilial, &QLineEdit::textChanged, this,
            [this] { platform::guarded([this] { medCdFilialChange(medCdFilial); }); });
    btnPesqFilial->setOnBeforePesq(
        [this](QObject *sender, bool &proceed) { btnPesqFilialBeforePesq(sender, proceed); });
    btnPesqFilial->setOnAfterPesq([this](QObject *sender) { btnPesqFilialAfterPesq(sender); });
    bindSpeAtualizaChange();

    sbtFiltrar->setOnClick([this](QObject *sender) { sbtFiltrarClick(sender); });
    connect(mnuFiltrar, &QAction::triggered, this,
            [this] { platform::guarded([this] { sbtFiltrarClick(mnuFiltrar); }); });

    connect(timAtualizacaoPv, &QTimer::timeout, this, [this] { onRefreshTick(); });

    netPosFDiPlav->setBeforeConnect(
        [this](host::TNetConnection &) { netPosFDiPlavBeforeConnect(netPosFDiPlav); });

    cdsPlanoVoo->setAfterScroll(
        [this](platform::ClientDataSet &set) { cdsPlanoVooAfterScroll(set); });
    cdsPrevPax->setAfterScroll(
        [this](platform::ClientDataSet &set) { cdsPrevPaxAfterScroll(set); });
    cdsServPlano->setAfterScroll(
        [this](platform::ClientDataSet &set) { cdsServPlanoAfterScroll(set); });

    using namespace std::placeholders;
    cdsPlanoVoo->fieldByName(QStringLiteral("IDSITABASPV"))
        .setOnGetText(
            std::bind(&TfrmPosFecDiaPlaVoo::cdsPlanoVooIDSITABASPVGetText, this, _1, _2, _3));
    cdsPlanoVoo->fieldByName(QStringLiteral("IDBREAKGERA"))
        .setOnGetText(
            std::bind(&TfrmPosFecDiaPlaVoo::cdsPlanoVooIDBREAKGERAGetText, this, _1, _2, _3));
    cdsServPlano->fieldByName(QStringLiteral("IDSITSERSP"))
        .setOnGetText(
            std::bind(&TfrmPosFecDiaPlaVoo::cdsServPlanoIDSITSERSPGetText, this, _1, _2, _3));

    prepareStatusDisplay();
    dbgPlanoVoo->setOnDrawColumnCell(
        std::bind(&TfrmPosFecDiaPlaVoo::dbgPlanoVooDrawColumnCell, this, _1, _2, _3, _4, _5));
    dbgServPlano->setOnDrawColumnCell(
        std::bind(&TfrmPosFecDiaPlaVoo::dbgServPlanoDrawColumnCell, this, _1, _2, _3, _4, _5));
    dbgPlanoVoo->setOnCellText(std::bind(&TfrmPosFecDiaPlaVoo::dbgPlanoVooCellText, this, _1, _2));
    dbgServPlano->setOnCellText(
        std::bind(&TfrmPosFecDiaPlaVoo::dbgServPlanoCellText, this, _1, _2));

    // No title and no state the screen writes is cut short, in any language
    // and with the fonts this desktop has.
    for (platform::DBGrid *grid : {dbgPlanoVoo, dbgPrevisaoPax, dbgServPlano}) {
        for (int column = 0; column < grid->columnCount(); ++column) {
            const bool breakdown = grid->column(column).fieldName() == QLatin1String("IDBREAKGERA");
            grid->widenToFit(column,
                             breakdown ? QStringList{msg("N_GER"), msg("GER")} : QStringList());
        }
    }
}

// Bound anew on every show, replacing the binding rather than adding one.
void TfrmPosFecDiaPlaVoo::bindSpeAtualizaChange()
{
    disconnect(m_speAtualizaChange);
    m_speAtualizaChange = connect(speAtualiza, &QSpinBox::valueChanged, this, [this] {
        platform::guarded([this] { speAtualizaChange(speAtualiza); });
    });
}

void TfrmPosFecDiaPlaVoo::FormCreate(QObject *sender)
{
    host::TfrmPadraoSimples::FormCreate(sender);
    // The first period follows the field rather than the timer's laid-out
    // 30 s, so that the screen refreshes as often as it says it does.
    timAtualizacaoPv->setInterval(speAtualiza->value() * 1000);
    {
        host::BusyIndicator busy(host::mainWindow(), host::BusyConnecting);
        netPosFDiPlav->connect();
    }
    // The code first: a change of the code empties the name.
    medCdFilial->setText(host::FiliProc());
    edtNmFilial->setText(host::NomeFiliProc());
    const bool branchFixed = host::ModuFili();
    medCdFilial->setEnabled(!branchFixed);
    btnPesqFilial->setEnabled(!branchFixed);
    lblFilial->setEnabled(!branchFixed);
    readPosition(allAirlines(), false);
    boPrimVez = true;
}

void TfrmPosFecDiaPlaVoo::FormShow(QObject *)
{
    bindSpeAtualizaChange();
}

void TfrmPosFecDiaPlaVoo::netPosFDiPlavBeforeConnect(QObject *)
{
    netPosFDiPlav->setPort(host::WebPort());
    netPosFDiPlav->SetHost(host::WebURL());
}

void TfrmPosFecDiaPlaVoo::FormActivate(QObject *)
{
    repaint();
    if (platform::screenSize() == QSize(640, 480))
        setFormWindowState(Qt::WindowMaximized);
    if (boPrimVez) {
        panFiltroExit(panFiltro);
        boPrimVez = false;
    }
}

void TfrmPosFecDiaPlaVoo::FormClose(QObject *sender, host::CloseAction &action)
{
    boIdCriado = false;
    netPosFDiPlav->disconnect();
    host::TfrmPadraoSimples::FormClose(sender, action);
}

void TfrmPosFecDiaPlaVoo::speAtualizaChange(QObject *)
{
    timAtualizacaoPv->setInterval(speAtualiza->value() * 1000);
}

} // namespace Cli_ate25400
