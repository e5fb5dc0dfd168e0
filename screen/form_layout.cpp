// The screen's controls as they were designed: positions in pixels at 96
// dpi inside the filter panel, the rest aligned to the top, the right or the
// remaining client area.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/forms/design_font.h"
#include "host/forms/toolbar.h"
#include "host/mask_edit.h"
#include "screen/message_table.h"
#include "screen/screen_text.h"
#include "screen/status_colors.h"

#include <QHeaderView>
#include <QVBoxLayout>

namespace Cli_ate25400 {
namespace {

using host::designFont;

void setBaseColor(QWidget *widget, const QColor &color)
{
    QPalette look = widget->palette();
    look.setColor(QPalette::All, QPalette::Base, color);
    widget->setPalette(look);
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, const QRect &bounds)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(designFont(true));
    label->setGeometry(bounds);
    return label;
}

QFrame *makePanel(QWidget *parent, const char *name, int style)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(style);
    return panel;
}

QSplitter *makeSplitter(Qt::Orientation orientation, const char *name, QWidget *parent)
{
    auto *splitter = new QSplitter(orientation, parent);
    splitter->setObjectName(QLatin1String(name));
    splitter->setHandleWidth(3);
    splitter->setChildrenCollapsible(false);
    return splitter;
}

constexpr Qt::Alignment Right = Qt::AlignRight;
constexpr Qt::Alignment Left = Qt::AlignLeft;

} // namespace

TfrmPosFecDiaPlaVoo::TfrmPosFecDiaPlaVoo(QWidget *parent)
    : host::TfrmPadraoSimples(parent)
{
    setObjectName(QStringLiteral("frmPosFecDiaPlaVoo"));
    setWindowTitle(ScreenText::tr("Posição do Fechamento Diário do Plano de Vôo"));
    setBounds(362, 165, 652, 392);
    setHelpFile(QStringLiteral("Atehelp.hlp"));
    setHelpContext(10125400);
    setFont(designFont());
    msgPadrao->setLines(messageTableLines());

    declareRecordSets();
    declareBranchQuery();
    setUpConnectionAndTimer();
    changeInheritedItems();
    buildFilterPanel();
    buildPositionPanels();
    setColumnLegends();
    setTabOrders();
    setActiveControl(dbgPlanoVoo);
    wireEvents();
}

void TfrmPosFecDiaPlaVoo::changeInheritedItems()
{
    lblCodTela->setText(QStringLiteral("ATE25400"));
    lblCodTela->setFixedWidth(51);

    // The screen only shows data: no record commands.
    for (QWidget *button :
         {sbtConfirmar, sbtCancelar, sbtIncluir, sbtAlterar, sbtExcluir, sbtProcurar, sbtOrdenar})
        button->setEnabled(false);
    for (QAction *item : {mnuConfigImpressora, mnuIncluir, mnuAlterar, mnuExcluir, mnuProcurar,
                          mnuCancelar, mnuConfirmar})
        item->setEnabled(false);

    sbtFiltrar = host::addToolButton(panMenu, QStringLiteral("sbtFiltrar"), host::Glyph::Filter,
                                     ScreenText::tr("Filtrar Companhia"), 181, 4);
    sbtFiltrar->setEnabled(false);
    sbtImprimir->move(217, sbtImprimir->y());
    sbtAjuda->move(253, sbtAjuda->y());
    sbtFechar->move(289, sbtFechar->y());

    dbtNome->setDataSource(dtsPlanoVoo);
    dbtNome->setDataField(QStringLiteral("NRVOO"));
    QFont small = dbtNome->font();
    small.setPixelSize(11);
    dbtNome->setFont(small);
    dbtNome->setGeometry(333, dbtNome->y(), 60, dbtNome->height());
    dbtNome->hide();

    N1 = host::addMenuSeparator(mnuManutencao, QStringLiteral("N1"));
    mnuFiltrar = host::addMenuItem(mnuManutencao, QStringLiteral("mnuFiltrar"),
                                   ScreenText::tr("Filtrar"), host::shortcutFromValue(16460));
    mnuFiltrar->setEnabled(false);
}

void TfrmPosFecDiaPlaVoo::buildFilterPanel()
{
    panFiltro = makePanel(clientArea(), "panFiltro", QFrame::Panel | QFrame::Raised);
    panFiltro->setFixedHeight(54);
    clientLayout()->addWidget(panFiltro);
    const QColor infoBk = infoBackground(panFiltro);

    lblFilial = makeLabel(panFiltro, "lblFilial", ScreenText::tr("Filial"), {6, 8, 27, 13});
    lblFilial->adjustSize(); // sized by its caption, as designed

    medCdFilial = new host::MaskEdit(panFiltro);
    medCdFilial->setObjectName(QStringLiteral("medCdFilial"));
    medCdFilial->setGeometry(105, 5, 40, 21);
    // Up to four letters or digits, upper case, blanks shown as spaces; the
    // mask also holds the code to four characters.
    medCdFilial->setInputMask(QStringLiteral(">nnnn; "));
    setBaseColor(medCdFilial, infoBk);

    btnPesqFilial = new host::TBtnPesquisa(panFiltro);
    btnPesqFilial->setObjectName(QStringLiteral("btnPesqFilial"));
    btnPesqFilial->setGeometry(149, 5, 21, 21);
    btnPesqFilial->setHint(ScreenText::tr("Pesquisar"));
    btnPesqFilial->setAssociate(medCdFilial);
    btnPesqFilial->setTitle(ScreenText::tr("Filial"));
    btnPesqFilial->setDataSource(dtsFilial);
    btnPesqFilial->setEmptyError(ScreenText::tr("Não há filial cadastrada."));

    edtNmFilial = new QLineEdit(panFiltro);
    edtNmFilial->setObjectName(QStringLiteral("edtNmFilial"));
    edtNmFilial->setGeometry(174, 5, 463, 21);
    edtNmFilial->setEnabled(false);
    setBaseColor(edtNmFilial, buttonFace(edtNmFilial));

    lblPlaVoo = makeLabel(panFiltro, "lblPlaVoo", ScreenText::tr("Plano de Vôo"), {6, 33, 98, 12});

    depVoo = new host::TDateEditPlus(panFiltro);
    depVoo->setObjectName(QStringLiteral("depVoo"));
    depVoo->setGeometry(105, 29, 100, 21);
    depVoo->setValidDateColor(QColor(0, 0, 255));
    depVoo->setNomeSemana({ScreenText::tr("Domingo"), ScreenText::tr("Segunda"),
                           ScreenText::tr("Terça"), ScreenText::tr("Quarta"),
                           ScreenText::tr("Quinta"), ScreenText::tr("Sexta"),
                           ScreenText::tr("Sábado")});
    depVoo->setSaveTime(false);
    setBaseColor(depVoo, infoBk);
    // The date and the weekday shown inside the edit must both fit; with a
    // substitute font they can need a few pixels more than designed.
    depVoo->resize(qMax(100, depVoo->sizeHint().width()), 21);

    lblAtualiza =
        makeLabel(panFiltro, "lblAtualiza", ScreenText::tr("Atualizar (seg.)"), {262, 33, 98, 13});

    speAtualiza = new platform::SpinEdit(panFiltro);
    speAtualiza->setObjectName(QStringLiteral("speAtualiza"));
    speAtualiza->setGeometry(361, 29, 64, 22);
    speAtualiza->setRange(30, 999);
    speAtualiza->setValue(120);
    speAtualiza->setMaxLength(3);
    setBaseColor(speAtualiza, infoBk);
}

void TfrmPosFecDiaPlaVoo::buildPositionPanels()
{
    panPosicao = makePanel(clientArea(), "panPosicao", QFrame::Panel | QFrame::Sunken);
    clientLayout()->addWidget(panPosicao, 1);
    auto *posicaoLayout = new QVBoxLayout(panPosicao);
    posicaoLayout->setContentsMargins(1, 1, 1, 1);

    splServ = makeSplitter(Qt::Vertical, "splServ", panPosicao);
    posicaoLayout->addWidget(splServ);

    panClasCia = makePanel(splServ, "panClasCia", QFrame::Panel | QFrame::Raised);
    auto *clasCiaLayout = new QVBoxLayout(panClasCia);
    clasCiaLayout->setContentsMargins(1, 1, 1, 1);
    splCl = makeSplitter(Qt::Horizontal, "splCl", panClasCia);
    clasCiaLayout->addWidget(splCl);

    const auto makeGrid = [this](QWidget *parent, const char *name, platform::DataSource *source,
                                 bool designFontCells) {
        auto *grid = new platform::DBGrid(parent);
        grid->setObjectName(QLatin1String(name));
        grid->setDataSource(source);
        setBaseColor(grid, infoBackground(grid));
        if (designFontCells)
            grid->setFont(designFont());
        grid->horizontalHeader()->setFont(designFont());
        // Narrow columns (the 20-pixel situation) keep their designed width.
        grid->horizontalHeader()->setMinimumSectionSize(8);
        return grid;
    };

    dbgPlanoVoo = makeGrid(splCl, "dbgPlanoVoo", dtsPlanoVoo, false);
    dbgPlanoVoo->addColumn(QStringLiteral("IDSITABASPV"), {}, 22);
    dbgPlanoVoo->addColumn(QStringLiteral("HRDECOLVOO"), ScreenText::tr("ETD"), 35);
    dbgPlanoVoo->addColumn(QStringLiteral("SGCIA"), ScreenText::tr("Sigla"), 35);
    dbgPlanoVoo->addColumn(QStringLiteral("NRVOO"), ScreenText::tr("Vôo"), 35);
    dbgPlanoVoo->addColumn(QStringLiteral("SGBASEO"), ScreenText::tr("Base Origem"), 65);
    dbgPlanoVoo->addColumn(QStringLiteral("SGBASED"), ScreenText::tr("Base Destino"), 68);
    dbgPlanoVoo->addColumn(QStringLiteral("IDBREAKGERA"), ScreenText::tr("Breakdown"), 62);

    dbgPrevisaoPax = makeGrid(splCl, "dbgPrevisaoPax", dtsPrevPax, true);
    dbgPrevisaoPax->addColumn(QStringLiteral("SGCLASSE"), ScreenText::tr("Classe"), 50, Left);
    dbgPrevisaoPax->addColumn(QStringLiteral("QTTOTPAXAT"), ScreenText::tr("Qtde Pax"), 61, Right);
    dbgPrevisaoPax->addColumn(QStringLiteral("QTPAXSBY"), ScreenText::tr("Qtde Stand-by"), 80,
                              Right);

    // The forecast keeps its width when the screen is resized; the flight
    // plans take the rest.
    splCl->setStretchFactor(0, 1);
    splCl->setStretchFactor(1, 0);
    splCl->setSizes({406, 223});

    // A lowered outer and a raised inner bevel: Qt draws that pair as a
    // sunken box.
    panServ = makePanel(splServ, "panServ", QFrame::Box | QFrame::Sunken);
    auto *servLayout = new QVBoxLayout(panServ);
    servLayout->setContentsMargins(2, 2, 2, 2);
    dbgServPlano = makeGrid(panServ, "dbgServPlano", dtsServPlano, true);
    dbgServPlano->setFrameShape(QFrame::NoFrame);
    servLayout->addWidget(dbgServPlano);
    dbgServPlano->addColumn(QStringLiteral("IDSITSERSP"), ScreenText::tr("Sit."), 20, Left);
    dbgServPlano->addColumn(QStringLiteral("DSSERVICO"), ScreenText::tr("Serviço"), 200, Left);
    dbgServPlano->addColumn(QStringLiteral("QTSESBYPRSP"), ScreenText::tr("Qtde Stand-by"), 75,
                            Right);
    dbgServPlano->addColumn(QStringLiteral("QTSESOLICSP"), ScreenText::tr("Qtde Solic."), 69,
                            Right);
    dbgServPlano->addColumn(QStringLiteral("QTSERFATSP"), ScreenText::tr("Qtde Fat."), 65, Right);
    dbgServPlano->addColumn(QStringLiteral("QTCORTSERVSP"), ScreenText::tr("Qtde Cort."), 65,
                            Right);
    dbgServPlano->addColumn(QStringLiteral("QTSERVFIXSP"), ScreenText::tr("Qtde Fixa"), 65, Right);
    // Designed on the airline's nationality flag; as soon as services are
    // shown, their airline's nationality picks the price in reais or in
    // dollars instead.
    dbgServPlano->addColumn(QStringLiteral("IDNACCIA"), ScreenText::tr("Preço"), 65, Right);

    // The flight plans and forecast keep their height; the services take
    // what the screen gains.
    splServ->setStretchFactor(0, 0);
    splServ->setStretchFactor(1, 1);
    splServ->setSizes({124, 150});
}

void TfrmPosFecDiaPlaVoo::setTabOrders()
{
    // Each control is named by its label for a screen reader, each grid by
    // what it lists.
    lblFilial->setBuddy(medCdFilial);
    lblPlaVoo->setBuddy(depVoo);
    lblAtualiza->setBuddy(speAtualiza);
    medCdFilial->setAccessibleName(lblFilial->text());
    edtNmFilial->setAccessibleName(ScreenText::tr("Nome da filial"));
    depVoo->setAccessibleName(lblPlaVoo->text());
    speAtualiza->setAccessibleName(lblAtualiza->text());
    dbgPlanoVoo->setAccessibleName(ScreenText::tr("Planos de vôo"));
    dbgPrevisaoPax->setAccessibleName(ScreenText::tr("Previsão de passageiros"));
    dbgServPlano->setAccessibleName(ScreenText::tr("Serviços do plano de vôo"));

    // Filter panel first, then the position, then the toolbar (whose flat
    // buttons take no focus).
    setTabOrder(medCdFilial, depVoo);
    setTabOrder(depVoo, speAtualiza);
    setTabOrder(speAtualiza, dbgPlanoVoo);
    setTabOrder(dbgPlanoVoo, dbgPrevisaoPax);
    setTabOrder(dbgPrevisaoPax, dbgServPlano);
}

} // namespace Cli_ate25400
