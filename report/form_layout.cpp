// The form's controls as they were designed: positions in pixels at 96 dpi
// inside the inherited group box, below the report chooser.

#include "report/frm_rel_pos_fec_dia_pv.h"

#include "host/forms/design_font.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/field.h"
#include "report/message_table.h"
#include "report/report_text.h"

#include <QPalette>

namespace Cli_ate25402 {
namespace {

template<typename Widget>
Widget *place(Widget *widget, const char *name, const QRect &bounds, bool bold)
{
    widget->setObjectName(QLatin1String(name));
    widget->setFont(host::designFont(bold));
    widget->setGeometry(bounds);
    return widget;
}

constexpr int CheckLeft = 6;
constexpr int CheckWidth = 138;
constexpr int CheckHeight = 17;

} // namespace

TCheckBox::TCheckBox(QWidget *parent)
    : QCheckBox(parent)
{
}

TfrmRelPosFecDiaPV::TfrmRelPosFecDiaPV(QWidget *parent)
    : host::TfrmDadosGerRel(parent)
{
    changeInheritedItems();
    buildDateAndAirlines();
    buildSituations();
    declareCompanhia();
    setTabOrders();
    wireEvents();
}

void TfrmRelPosFecDiaPV::changeInheritedItems()
{
    setObjectName(QStringLiteral("frmRelPosFecDiaPV"));
    setWindowTitle(ReportText::tr("Posição do Fechamento Diário do Plano de Vôo"));
    setClientSize(355, 178);
    setHelpFile(QStringLiteral("AteHelp.hlp"));
    setHelpContext(10125402);
    lblCodTela->setText(QStringLiteral("ATE25402"));
    lblCodRel->setText(QStringLiteral("Ate254"));
    // The chooser fits the designed width; a long title is elided in it
    // rather than widening the form.
    cbbReportNames->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbbReportNames->setMinimumContentsLength(12);
    for (const QString &line : messageTableLines())
        msgPadrao->addLine(line);
}

void TfrmRelPosFecDiaPV::buildDateAndAirlines()
{
    lblPlaVoo = place(new QLabel(ReportText::tr("Plano de Vôo"), grbDadosRel), "lblPlaVoo",
                      QRect(6, 55, 91, 12), true);

    depVoo = place(new host::TDateEditPlus(grbDadosRel), "depVoo", QRect(98, 51, 100, 21), false);
    QPalette look = depVoo->palette();
    look.setColor(QPalette::All, QPalette::Base, QColor(0xFF, 0xFF, 0xE1)); // clInfoBk
    depVoo->setPalette(look);
    depVoo->setValidDateColor(Qt::blue);
    depVoo->setSaveTime(false);
    depVoo->setNomeSemana({ReportText::tr("Domingo"), ReportText::tr("Segunda"),
                           ReportText::tr("Terça"), ReportText::tr("Quarta"),
                           ReportText::tr("Quinta"), ReportText::tr("Sexta"),
                           ReportText::tr("Sábado")});
    lblPlaVoo->setBuddy(depVoo);

    grbCia = place(new QGroupBox(ReportText::tr("Companhia"), grbDadosRel), "grbCia",
                   QRect(4, 77, 194, 69), true);
    rbtTCia = place(new QRadioButton(ReportText::tr("Todas"), grbCia), "rbtTCia",
                    QRect(6, 19, 80, 17), false);
    rbtTCia->setChecked(true);
    rbtLCia = place(new QRadioButton(ReportText::tr("Lista"), grbCia), "rbtLCia",
                    QRect(6, 43, 80, 17), false);
    btpCia = place(new host::TBtnPesquisa(grbCia), "btpCia", QRect(101, 40, 21, 21), false);
    btpCia->setHint(ReportText::tr("Pesquisar"));
    btpCia->setEnabled(false);
    btpCia->setAssociate(rbtLCia);
    btpCia->setTitle(ReportText::tr("Companhia"));
    btpCia->setEmptyError(ReportText::tr("Não há companhia cadastrada."));
}

void TfrmRelPosFecDiaPV::buildSituations()
{
    GroupBox1 = place(new QGroupBox(ReportText::tr("Situação"), grbDadosRel), "GroupBox1",
                      QRect(201, 45, 149, 101), true);
    const auto box = [this](const char *name, const QString &caption, int top, int code) {
        auto *check = place(new TCheckBox(GroupBox1), name,
                            QRect(CheckLeft, top, CheckWidth, CheckHeight), false);
        check->setText(caption);
        check->Tag = code;
        check->setChecked(true);
        return check;
    };
    ckbPendente = box("ckbPendente", ReportText::tr("Pendente"), 15, 1);
    ckbAtendido = box("ckbAtendido", ReportText::tr("Atendido"), 31, 2);
    ckbCancelado = box("ckbCancelado", ReportText::tr("Cancelado"), 47, 3);
    ckbCancelCob = box("ckbCancelCob", ReportText::tr("Canc. c/ Cobrança"), 63, 4);
    ckbFaturado = box("ckbFaturado", ReportText::tr("Faturado"), 79, 5);
}

void TfrmRelPosFecDiaPV::declareCompanhia()
{
    cdsCompanhia = new platform::ClientDataSet(this);
    cdsCompanhia->setObjectName(QStringLiteral("cdsCompanhia"));
    platform::Field *marked =
        cdsCompanhia->addField(QStringLiteral("IDMARCADO"), platform::FieldType::FixedString, 1);
    marked->setReadOnly(true);
    cdsCompanhia->addField(QStringLiteral("CDCIA"), platform::FieldType::String, 4)
        ->setVisible(false);
    cdsCompanhia->addField(QStringLiteral("SGCIA"), platform::FieldType::String, 5)
        ->setDisplayLabel(ReportText::tr("Sigla"));
    cdsCompanhia->addField(QStringLiteral("NMCIA"), platform::FieldType::String, 50)
        ->setDisplayLabel(ReportText::tr("Nome"));

    dtsCompanhia = new platform::DataSource(cdsCompanhia, this);
    dtsCompanhia->setObjectName(QStringLiteral("dtsCompanhia"));
    btpCia->setDataSource(dtsCompanhia);
}

void TfrmRelPosFecDiaPV::setTabOrders()
{
    // The report chooser first (tab order 0), then the date, the airlines
    // and the situations, each group's controls in their own order.
    setTabOrder(cbbReportNames, depVoo);
    setTabOrder(depVoo, rbtTCia);
    setTabOrder(rbtTCia, rbtLCia);
    setTabOrder(rbtLCia, ckbPendente);
    setTabOrder(ckbPendente, ckbAtendido);
    setTabOrder(ckbAtendido, ckbCancelado);
    setTabOrder(ckbCancelado, ckbCancelCob);
    setTabOrder(ckbCancelCob, ckbFaturado);
}

} // namespace Cli_ate25402
