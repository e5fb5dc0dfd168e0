#include "host/forms/frm_dados_ger_rel.h"

#include "host/button_flat.h"
#include "host/forms/toolbar.h"
#include "host/messages.h"
#include "host/report/report_definition.h"
#include "host/report/report_designer.h"
#include "platform/abort.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

namespace host {
namespace {

// Built when a form is made, so that they come in the user's language.
QStringList baseMessages()
{
    return translatedMessageLines(
        "host::TfrmDadosGerRel",
        {
            {"Arq_Rel_Err",
             QT_TRANSLATE_NOOP("host::TfrmDadosGerRel",
                               "O arquivo contendo a definição do relatório de código '%s' não foi "
                               "encontrado no diretório '%s'.")},
            {"NovoCaption", QT_TRANSLATE_NOOP("host::TfrmDadosGerRel", "Título do relatório")},
            {"NovoPrompt",
             QT_TRANSLATE_NOOP("host::TfrmDadosGerRel", "Informe o título do relatório:")},
        });
}

constexpr int MenuPanelHeight = 27;

} // namespace

TfrmDadosGerRel::TfrmDadosGerRel(QWidget *parent)
    : FormDialog(parent)
{
    setObjectName(QStringLiteral("frmDadosGerRel"));

    msgPadrao = new TMessages(this);
    msgPadrao->setObjectName(QStringLiteral("msgPadrao"));
    msgPadrao->setLines(baseMessages());
    msgMensagens = new TMessages(this);
    msgMensagens->setObjectName(QStringLiteral("msgMensagens"));
    rpddPadrao = new TReportDesignerDialog(this);
    rpddPadrao->setObjectName(QStringLiteral("rpddPadrao"));
    rpddPadrao->setMessages(msgPadrao);

    buildMenuPanel();
    grbDadosRel = new QGroupBox(this);
    grbDadosRel->setObjectName(QStringLiteral("grbDadosRel"));
    buildReportChooser();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panMenu);
    layout->addWidget(grbDadosRel, 1);

    sbtImprimir->setOnClick([this](QObject *sender) { sbtImprimirClick(sender); });
    sbtFechar->setOnClick([this](QObject *sender) { sbtFecharClick(sender); });
    connect(mnuNovoRelatorio, &QAction::triggered, this,
            [this] { platform::guarded([this] { newReport(); }); });
    connect(mnuAtualizarLista, &QAction::triggered, this,
            [this] { platform::guarded([this] { loadReportNames(); }); });
}

TfrmDadosGerRel::~TfrmDadosGerRel() = default;

void TfrmDadosGerRel::buildMenuPanel()
{
    panMenu = new QFrame(this);
    panMenu->setObjectName(QStringLiteral("panMenu"));
    panMenu->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panMenu->setFixedHeight(MenuPanelHeight);
    sbtImprimir =
        addToolButton(panMenu, QStringLiteral("sbtImprimir"), Glyph::Print, tr("Imprimir"), 4, 3);
    sbtFechar =
        addToolButton(panMenu, QStringLiteral("sbtFechar"), Glyph::Close, tr("Fechar"), 25, 3);

    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    lblCodRel = new QLabel(panMenu);
    lblCodRel->setObjectName(QStringLiteral("lblCodRel"));
    lblCodRel->setFont(small);
    lblCodTela = new QLabel(panMenu);
    lblCodTela->setObjectName(QStringLiteral("lblCodTela"));
    lblCodTela->setFont(small);

    // The buttons sit where they were placed; the codes follow the right edge.
    auto *layout = new QHBoxLayout(panMenu);
    layout->setContentsMargins(0, 0, 6, 0);
    layout->setSpacing(10);
    layout->addStretch(1);
    layout->addWidget(lblCodRel);
    layout->addWidget(lblCodTela);
}

void TfrmDadosGerRel::buildReportChooser()
{
    panRelat = new QFrame(grbDadosRel);
    panRelat->setObjectName(QStringLiteral("panRelat"));
    auto *label = new QLabel(tr("Relatório"), panRelat);
    label->setObjectName(QStringLiteral("lblRelatorio"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    cbbReportNames = new QComboBox(panRelat);
    cbbReportNames->setObjectName(QStringLiteral("cbbReportNames"));
    label->setBuddy(cbbReportNames);
    auto *row = new QHBoxLayout(panRelat);
    row->setContentsMargins(2, 2, 2, 2);
    row->addWidget(label);
    row->addWidget(cbbReportNames, 1);

    ppmEditReport = new QMenu(this);
    ppmEditReport->setObjectName(QStringLiteral("ppmEditReport"));
    mnuNovoRelatorio =
        addMenuItem(ppmEditReport, QStringLiteral("mnuNovoRelatorio"), tr("Novo relatório..."));
    mnuAtualizarLista =
        addMenuItem(ppmEditReport, QStringLiteral("mnuAtualizarLista"), tr("Atualizar lista"));
    cbbReportNames->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(cbbReportNames, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { ppmEditReport->popup(cbbReportNames->mapToGlobal(at)); });

    // Derived forms place their controls below the chooser, from Top 45.
    auto *layout = new QVBoxLayout(grbDadosRel);
    layout->setContentsMargins(2, 12, 2, 2);
    layout->addWidget(panRelat);
    layout->addStretch(1);
}

void TfrmDadosGerRel::FormCreate(QObject *)
{
    rpddPadrao->setReportCode(lblCodRel->text());
    loadReportNames();
}

void TfrmDadosGerRel::FormActivate(QObject *)
{
    if (cbbReportNames->currentIndex() < 0 && cbbReportNames->count() > 0)
        cbbReportNames->setCurrentIndex(0);
}

void TfrmDadosGerRel::FormClose(QObject *, CloseAction &action)
{
    action = CloseAction::Free;
}

void TfrmDadosGerRel::sbtImprimirClick(QObject *)
{
    rpddPadrao->execute(cbbReportNames->currentData().toString());
}

void TfrmDadosGerRel::sbtFecharClick(QObject *)
{
    reject();
}

void TfrmDadosGerRel::loadReportNames()
{
    const QString chosen = cbbReportNames->currentData().toString();
    cbbReportNames->clear();
    // A broken report file should not keep the form from opening: the
    // failure is shown, and the list stays empty until it is mended.
    QStringList names;
    platform::guarded([&] { names = rpddPadrao->reportNames(); });
    // Shown in the user's language, each keeps the title its file gives.
    for (const QString &name : names)
        cbbReportNames->addItem(shownReportText(name), name);
    const int index = cbbReportNames->findData(chosen);
    cbbReportNames->setCurrentIndex(index >= 0 ? index : (names.isEmpty() ? -1 : 0));
}

void TfrmDadosGerRel::newReport()
{
    const QString title = rpddPadrao->newReport(cbbReportNames->currentData().toString());
    if (title.isEmpty())
        return;
    loadReportNames();
    cbbReportNames->setCurrentIndex(cbbReportNames->findData(title));
}

} // namespace host
