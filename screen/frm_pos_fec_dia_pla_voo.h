#pragma once

#include "screen/cli_ate25400.h"
#include "screen/closing_position.h"

#include "host/btn_pesquisa.h"
#include "host/date_edit_plus.h"
#include "host/forms/frm_padrao_simples.h"
#include "host/net/server_arg.h"
#include "platform/db_grid.h"
#include "platform/spin_edit.h"
#include "screen/painted_rows.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QSplitter>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

namespace platform {
class Field;
class FocusRouter;
} // namespace platform

namespace host {
class MaskEdit;
class TADOIBQuery;
class TNetConnection;
} // namespace host

namespace Cli_ate25400 {

// The closing position screen: for one branch and one flight-plan date, the
// flight plans of the day, the passenger forecast of the selected flight per
// cabin class and the catering services of that flight.
//
// Components carry the names the other forms of the package use to reach
// them through frmPosFecDiaPlaVoo; each is also its widget's objectName.
class CLI_ATE25400_EXPORT TfrmPosFecDiaPlaVoo : public host::TfrmPadraoSimples,
                                                public ClosingPosition
{
    Q_OBJECT

public:
    explicit TfrmPosFecDiaPlaVoo(QWidget *parent = nullptr);
    ~TfrmPosFecDiaPlaVoo() override;

    // Form events.
    void FormCreate(QObject *sender) override;
    void FormShow(QObject *sender) override;
    void FormActivate(QObject *sender) override;
    void FormClose(QObject *sender, host::CloseAction &action) override;
    void netPosFDiPlavBeforeConnect(QObject *sender);

    // Filter panel.
    void Vd_CdFilial(bool presenceOnly);
    void Vd_DataVoo(bool required);
    void panFiltroEnter(QObject *sender);
    void panFiltroExit(QObject *sender);
    void medCdFilialChange(QObject *sender);
    void medCdFilialExit(QObject *sender);
    void btnPesqFilialBeforePesq(QObject *sender, bool &proceed);
    void btnPesqFilialAfterPesq(QObject *sender);
    void depVooEnter(QObject *sender);
    void depVooExit(QObject *sender);
    void speAtualizaChange(QObject *sender);

    // Retrieval and commands.
    void sbtVerificarClick(QObject *sender) override;
    void sbtFiltrarClick(QObject *sender);
    // The refresh tick: the position read again, the current flight kept.
    void timAtualizacaoPvTimer(QObject *sender);
    void FormKeyDown(QObject *sender, int &key, Qt::KeyboardModifiers shift) override;

    // What the filter dialog and the report form reach (closing_position.cpp).
    QString branch() const override;
    QDateTime flightDate() const override;
    host::TNetConnection &connection() const override;
    QTimer &refreshTimer() const override;

    // An empty list and "T", by value.
    static AirlineSelection allAirlines();
    // The reading every caller of the screen shares, into cdsPlanoVoo,
    // cdsPrevPax and cdsServPlano.
    void readPosition(const AirlineSelection &airlines, bool withDetails) override;

    // Master-detail chain.
    void cdsPlanoVooAfterScroll(platform::ClientDataSet &dataSet);
    void cdsPrevPaxAfterScroll(platform::ClientDataSet &dataSet);
    void cdsServPlanoAfterScroll(platform::ClientDataSet &dataSet);

    // Status display.
    void cdsPlanoVooIDSITABASPVGetText(platform::Field &sender, QString &text, bool displayText);
    void cdsPlanoVooIDBREAKGERAGetText(platform::Field &sender, QString &text, bool displayText);
    void cdsServPlanoIDSITSERSPGetText(platform::Field &sender, QString &text, bool displayText);
    void dbgPlanoVooDrawColumnCell(QPainter &canvas, const QRect &rect, int row,
                                   const platform::GridColumn &column,
                                   platform::GridDrawState state);
    void dbgServPlanoDrawColumnCell(QPainter &canvas, const QRect &rect, int row,
                                    const platform::GridColumn &column,
                                    platform::GridDrawState state);
    // What the two painters write in a cell, for copying and exporting.
    QString dbgPlanoVooCellText(int row, const platform::GridColumn &column) const;
    QString dbgServPlanoCellText(int row, const platform::GridColumn &column) const;

    // Commands.
    void sbtImprimirClick(QObject *sender) override;

    // Toolbar and menu additions.
    host::TButtonFlat *sbtFiltrar;
    QAction *N1;
    QAction *mnuFiltrar;

    // Filter panel.
    QFrame *panFiltro;
    QLabel *lblFilial;
    host::MaskEdit *medCdFilial;
    host::TBtnPesquisa *btnPesqFilial;
    QLineEdit *edtNmFilial;
    QLabel *lblPlaVoo;
    host::TDateEditPlus *depVoo;
    QLabel *lblAtualiza;
    platform::SpinEdit *speAtualiza;

    // Position.
    QFrame *panPosicao;
    QFrame *panClasCia;
    QSplitter *splCl;
    platform::DBGrid *dbgPlanoVoo;
    platform::DBGrid *dbgPrevisaoPax;
    QSplitter *splServ;
    QFrame *panServ;
    platform::DBGrid *dbgServPlano;

    // Data.
    platform::ClientDataSet *cdsPlanoVoo;
    platform::ClientDataSet *cdsPrevPax;
    platform::ClientDataSet *cdsServPlano;
    platform::DataSource *dtsPlanoVoo;
    platform::DataSource *dtsPrevPax;
    platform::DataSource *dtsServPlano;
    host::TADOIBQuery *qryFilial;
    platform::DataSource *dtsFilial;
    host::TNetConnection *netPosFDiPlav;
    QTimer *timAtualizacaoPv;

    // The airline list last taken from the filter dialog.
    QString stListaCia;

private:
    // The service grid's "Preço" column, whose field follows the airline.
    static constexpr int PrecoColumn = 7;

    // Layout (form_layout.cpp).
    void changeInheritedItems();
    void buildFilterPanel();
    void buildPositionPanels();
    void setTabOrders();
    void setColumnLegends();
    // Data model (record_sets.cpp).
    void declareRecordSets();
    void declareBranchQuery();
    void setUpConnectionAndTimer();
    // Events (form_lifecycle.cpp).
    void wireEvents();
    // What the two painters keep of each row between repaints (status_display.cpp).
    void prepareStatusDisplay();
    void bindSpeAtualizaChange();

    // One server call: invoke, check the reply, load the packet (navigation.cpp).
    void loadFromServer(platform::ClientDataSet &target, const QString &method,
                        const std::vector<host::ServerArg> &arguments);
    void loadPrevPax();
    void loadServPlano();
    // The day and the details of the flights around the cursor, read in
    // the background while the server's change feed vouches for them.
    void prefetchAround();
    QString msg(const char *key) const;

    // The timer's tick, never inside another tick (or its error box).
    void onRefreshTick();

    std::unique_ptr<PaintedRows> m_planoVooRows;
    std::unique_ptr<PaintedRows> m_servPlanoRows;
    platform::FocusRouter *m_focusRouter = nullptr;
    bool m_tickRunning = false;
    // The running (or last) panFiltroExit got past its checks.
    bool m_filterChecksPassed = false;
    QMetaObject::Connection m_speAtualizaChange;
    // The last day read, as it was asked for.
    std::vector<host::ServerArg> m_dayArguments;
};

} // namespace Cli_ate25400
