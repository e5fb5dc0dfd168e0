#include "filter/frm_filtro_cia.h"

#include "filter/filter_text.h"
#include "host/application.h"
#include "host/busy_indicator.h"
#include "host/forms/design_font.h"
#include "host/functions.h"
#include "host/net/check_result_serv.h"
#include "host/net/net_connection.h"
#include "host/pesquisa_lista.h"
#include "platform/abort.h"
#include "screen/cli_ate25400.h"
#include "screen/closing_position.h"

#include <QMainWindow>
#include <QTimer>

namespace Cli_ate25401 {
namespace {

QStringList messageTableLines()
{
    return host::translatedMessageLines(
        "TfrmFiltroCia",
        {
            {"CIA_NC", QT_TRANSLATE_NOOP("TfrmFiltroCia",
                                         "Não há companhia cadastrada para a filial informada.")},
            {"Companhia", QT_TRANSLATE_NOOP("TfrmFiltroCia", "Companhia")},
            {"COMPANHIA_INF", QT_TRANSLATE_NOOP("TfrmFiltroCia", "Companhia deve ser informada.")},
        });
}

QRadioButton *makeRadio(QWidget *parent, const char *name, const QString &caption,
                        const QRect &bounds)
{
    auto *button = new QRadioButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(host::designFont(true));
    button->setGeometry(bounds);
    return button;
}

} // namespace

TfrmFiltroCia::TfrmFiltroCia(QWidget *parent)
    : host::TfrmFiltroPadrao(parent)
{
    setObjectName(QStringLiteral("frmFiltroCia"));
    setWindowTitle(FilterText::tr("Filtro Companhia"));
    setHelpFile(QStringLiteral("AteHelp.hlp"));
    setHelpContext(10125401);
    lblCodTela->setText(QStringLiteral("Ate25401"));
    msgPadrao->setLines(messageTableLines());

    declareRecordSet();
    buildComponents();
    wireEvents();
    setFixedSize(180, 147);
}

TfrmFiltroCia::~TfrmFiltroCia()
{
    if (frmFiltroCia == this)
        frmFiltroCia = nullptr;
}

void TfrmFiltroCia::declareRecordSet()
{
    cdsCia = new platform::ClientDataSet(this);
    cdsCia->setObjectName(QStringLiteral("cdsCia"));
    // The picker's mark column; it comes with the reply and only the picker
    // reads it.
    cdsCia->addField(QStringLiteral("IDMARCADO"), platform::FieldType::FixedString, 1)
        ->setReadOnly(true);
    platform::Field *code =
        cdsCia->addField(QStringLiteral("CDCIA"), platform::FieldType::String, 4);
    code->setDisplayLabel(FilterText::tr("Código"));
    code->setVisible(false);
    cdsCia->addField(QStringLiteral("SGCIA"), platform::FieldType::String, 5)
        ->setDisplayLabel(FilterText::tr("Sigla"));
    cdsCia->addField(QStringLiteral("NMCIA"), platform::FieldType::String, 50)
        ->setDisplayLabel(FilterText::tr("Nome"));

    dtsCia = new platform::DataSource(cdsCia, this);
    dtsCia->setObjectName(QStringLiteral("dtsCia"));
}

void TfrmFiltroCia::buildComponents()
{
    grbFiltroPadrao->setFixedSize(125, 147);

    grbCia = new QGroupBox(FilterText::tr("Companhia"), grbFiltroPadrao);
    grbCia->setObjectName(QStringLiteral("grbCia"));
    grbCia->setFont(host::designFont(true));
    grbCia->setGeometry(4, 8, 116, 75);

    rbtTodas = makeRadio(grbCia, "rbtTodas", FilterText::tr("Todas"), {6, 24, 88, 17});
    rbtTodas->setChecked(true);
    rbtLista = makeRadio(grbCia, "rbtLista", FilterText::tr("Lista"), {6, 49, 64, 15});
    setTabOrder(rbtTodas, rbtLista);

    btnCia = new host::TBtnPesquisa(grbCia);
    btnCia->setObjectName(QStringLiteral("btnCia"));
    btnCia->setGeometry(77, 48, 21, 19);
    btnCia->setHint(FilterText::tr("Pesquisar"));
    btnCia->setEnabled(false);
    btnCia->setAssociate(rbtLista);
    btnCia->setTitle(FilterText::tr("Companhia"));
    btnCia->setDataSource(dtsCia);
    btnCia->setEmptyError(FilterText::tr("Não há companhia cadastrada para a filial informada."));
}

void TfrmFiltroCia::wireEvents()
{
    // A radio button's click handler runs whenever it becomes the chosen
    // one, by the user (mouse, arrow keys) or by code.
    connect(rbtTodas, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            platform::guarded([this] { rbtTodasClick(rbtTodas); });
    });
    connect(rbtLista, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked)
            platform::guarded([this] { rbtListaClick(rbtLista); });
    });
    btnCia->setOnClick([this](QObject *sender) { btnCiaClick(sender); });
}

QString TfrmFiltroCia::msg(const char *key) const
{
    return msgPadrao->Msg(QLatin1String(key));
}

void TfrmFiltroCia::FormShow(QObject *)
{
    if (host::EmptyString(ListaFiltro.stCias))
        rbtTodas->setChecked(true);
    else
        rbtLista->setChecked(true);
    btnCia->setEnabled(rbtLista->isChecked());
    Cli_ate25400::stLista = ListaFiltro.stCias;
}

void TfrmFiltroCia::FormActivate(QObject *) { }

void TfrmFiltroCia::rbtTodasClick(QObject *)
{
    btnCia->setEnabled(false);
    ListaFiltro.stCias.clear();
}

void TfrmFiltroCia::rbtListaClick(QObject *)
{
    btnCia->setEnabled(true);
}

void TfrmFiltroCia::btnCiaClick(QObject *)
{
    Cli_ate25400::ClosingPosition &screen = openScreen();
    // Every press starts from the remembered list.
    Cli_ate25400::stLista = ListaFiltro.stCias;
    {
        host::BusyIndicator busy(host::mainWindow(), host::BusyReading);
        cdsCia->loadPacket(host::CheckResultServ(
            screen.connection().appServer().invoke(QStringLiteral("GetCia"), {screen.branch()}),
            true, 0));
    }
    host::PesquisaLista(dtsCia, QStringLiteral("CDCIA"),
                        msg("Companhia") + QLatin1Char('|') + msg("CIA_NC"), false,
                        Cli_ate25400::stLista);
}

void TfrmFiltroCia::sbtConfirmaClick(QObject *)
{
    if (rbtLista->isChecked() && host::EmptyString(Cli_ate25400::stLista))
        host::MensErro(msg("COMPANHIA_INF"), true);
    panBotoes->repaint();
    if (rbtTodas->isChecked()) {
        stListaServ.clear();
        stTodas = QStringLiteral("T");
    } else {
        stListaServ = Cli_ate25400::stLista;
        stTodas.clear();
    }
    {
        host::BusyIndicator busy(host::mainWindow(), host::BusyReading);
        openScreen().readPosition({&stListaServ, &stTodas}, true);
    }
    accept();
}

void TfrmFiltroCia::FormClose(QObject *sender, host::CloseAction &action)
{
    host::TfrmFiltroPadrao::FormClose(sender, action);
    if (rbtLista->isChecked())
        ListaFiltro.stCias = Cli_ate25400::stLista;
    if (Cli_ate25400::ClosingPosition *screen = Cli_ate25400::closingPosition()) {
        // Switching a running timer on again would restart its period.
        if (!screen->refreshTimer().isActive())
            screen->refreshTimer().start();
    }
    action = host::CloseAction::Hide;
}

void TfrmFiltroCia::btfSaveOpcClick(QObject *sender)
{
    savedOptions().setValue(QStringLiteral("stLista"), Cli_ate25400::stLista);
    host::TfrmFiltroPadrao::btfSaveOpcClick(sender);
}

void TfrmFiltroCia::btfLoadOpcClick(QObject *sender)
{
    host::TfrmFiltroPadrao::btfLoadOpcClick(sender);
    Cli_ate25400::stLista = savedOptions().value(QStringLiteral("stLista"));
}

} // namespace Cli_ate25401
