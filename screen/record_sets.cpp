// The screen's data: three record sets filled only by whole packets from the
// application server, the branch query on the host's local database, the
// server connection and the refresh timer.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/adoib_query.h"
#include "host/net/net_connection.h"
#include "platform/client_data_set.h"
#include "platform/data_source.h"
#include "platform/field.h"
#include "screen/screen_text.h"

#include <initializer_list>

namespace Cli_ate25400 {
namespace {

using platform::FieldType;

struct FieldDef
{
    const char *name;
    FieldType type;
    int size = 0;
};

constexpr FieldType Text = FieldType::String;
constexpr FieldType Float = FieldType::Float;
constexpr FieldType DateTime = FieldType::DateTime;

platform::ClientDataSet *makeRecordSet(QObject *owner, const char *name,
                                       std::initializer_list<FieldDef> fields)
{
    auto *set = new platform::ClientDataSet(owner);
    set->setObjectName(QLatin1String(name));
    for (const FieldDef &def : fields)
        set->addField(QLatin1String(def.name), def.type, def.size);
    return set;
}

platform::DataSource *makeSource(QObject *owner, const char *name, platform::ClientDataSet *set)
{
    auto *source = new platform::DataSource(set, owner);
    source->setObjectName(QLatin1String(name));
    return source;
}

} // namespace

void TfrmPosFecDiaPlaVoo::declareRecordSets()
{
    cdsPlanoVoo = makeRecordSet(this, "cdsPlanoVoo",
                                {{"CDCIA", Text, 4},
                                 {"SGCIA", Text, 5},
                                 {"CDTRECHO", Text, 4},
                                 {"NRVOO", Text, 5},
                                 {"IDSITABASPV", Text, 1},
                                 {"IDBREAKGERA", Text, 1},
                                 {"CDBASEORI", Text, 4},
                                 {"CDBASEDES", Text, 4},
                                 {"HRDECOLVOO", Text, 4},
                                 {"SGBASEO", Text, 5},
                                 {"SGBASED", Text, 5},
                                 {"DTHRPLAVOOPV", DateTime},
                                 {"CDFILIAL", Text, 4}});
    cdsPlanoVoo->fieldByName(QStringLiteral("IDSITABASPV")).setDisplayLabel(ScreenText::tr("Sit."));
    cdsPlanoVoo->fieldByName(QStringLiteral("HRDECOLVOO"))
        .setEditMask(QStringLiteral("!99:99;0; "));
    cdsPlanoVoo->fieldByName(QStringLiteral("CDFILIAL")).setVisible(false);

    cdsPrevPax = makeRecordSet(this, "cdsPrevPax",
                               {{"CDCIA", Text, 4},
                                {"NRVOO", Text, 5},
                                {"CDTRECHO", Text, 4},
                                {"CDCLASSE", Text, 4},
                                {"SGCLASSE", Text, 5},
                                {"QTTOTPAXAT", Float},
                                {"QTPAXSBY", Float},
                                {"DTHRPLAVOOPV", DateTime},
                                {"CDFILIAL", Text, 4}});
    cdsPrevPax->fieldByName(QStringLiteral("CDFILIAL")).setVisible(false);

    cdsServPlano = makeRecordSet(
        this, "cdsServPlano",
        {{"CDCIA", Text, 4},        {"NRVOO", Text, 5},        {"CDTRECHO", Text, 4},
         {"CDSERVICO", Text, 10},   {"NRDELIVERY", Float},     {"CDAGRDECO", Text, 4},
         {"CDAGRDEDE", Text, 4},    {"IDSITSERSP", Text, 1},   {"IDSEREXTSP", Text, 1},
         {"IDSTKDTSP", Text, 1},    {"CDUSRRESPSP", Text, 10}, {"QTANTAPRODSP", Float},
         {"QTSESOLICSP", Float},    {"QTSESBYPRSP", Float},    {"QTSESBYUTSP", Float},
         {"QTCORTSERVSP", Float},   {"QTATUAPRODSP", Float},   {"QTSERFATSP", Float},
         {"VRPRUDOLSESP", Float},   {"VRPRURESESP", Float},    {"DTHRFEPRODSP", DateTime},
         {"DTHRINCSESP", DateTime}, {"DTHRTRASESP", DateTime}, {"DTHRCANCSESP", DateTime},
         {"QTSERVFIXSP", Float},    {"VRPESOSESP", Float},     {"NRLANCTONF", Text, 10},
         {"CDFILIAL", Text, 4},     {"IDTIPSCBOSP", Text, 1},  {"VRLOADSESP", Float},
         {"QTREALPROD", Float},     {"NRITEMPLANSP", Float},   {"NRPROPAXSP", Float},
         {"TXOBSUSRSP", Text, 1},   {"IDNACCIA", Text, 1},     {"DSSERVICO", Text, 50},
         {"DTHRPLAVOOPV", DateTime}});
    for (const char *name :
         {"QTANTAPRODSP", "QTSESOLICSP", "QTSESBYPRSP", "QTSESBYUTSP", "QTCORTSERVSP",
          "QTATUAPRODSP", "QTSERFATSP", "VRPRUDOLSESP", "VRPRURESESP", "QTSERVFIXSP", "VRPESOSESP",
          "VRLOADSESP", "QTREALPROD"}) {
        platform::Field &field = cdsServPlano->fieldByName(QLatin1String(name));
        field.setDisplayFormat(QStringLiteral("##0.00"));
        field.setEditFormat(QStringLiteral("##0.00"));
    }

    dtsPlanoVoo = makeSource(this, "dtsPlanoVoo", cdsPlanoVoo);
    dtsPrevPax = makeSource(this, "dtsPrevPax", cdsPrevPax);
    dtsServPlano = makeSource(this, "dtsServPlano", cdsServPlano);
}

void TfrmPosFecDiaPlaVoo::declareBranchQuery()
{
    qryFilial = new host::TADOIBQuery(this);
    qryFilial->setObjectName(QStringLiteral("qryFilial"));
    qryFilial->setSQL({QStringLiteral("SELECT"), QStringLiteral("   CDFILIAL,"),
                       QStringLiteral("   NMFILIAL,"), QStringLiteral("   IDCNTRRESC"),
                       QStringLiteral("FROM"), QStringLiteral("   FILIAL"), QStringLiteral("WHERE"),
                       QStringLiteral("   ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))")});
    for (const char *name : {"P_CDFILIAL", "P_TCDFILIAL"})
        qryFilial->ParamByName(QLatin1String(name)).setDataType(host::TParam::DataType::String);

    platform::Field *code = qryFilial->addField(QStringLiteral("CDFILIAL"), Text, 4);
    code->setDisplayLabel(ScreenText::tr("Código"));
    code->setRequired(true);
    qryFilial->addField(QStringLiteral("NMFILIAL"), Text, 30)
        ->setDisplayLabel(ScreenText::tr("Nome"));
    qryFilial->addField(QStringLiteral("IDCNTRRESC"), Text, 1)->setVisible(false);

    dtsFilial = makeSource(this, "dtsFilial", qryFilial->Query());
}

void TfrmPosFecDiaPlaVoo::setUpConnectionAndTimer()
{
    netPosFDiPlav = new host::TNetConnection(this);
    netPosFDiPlav->setObjectName(QStringLiteral("netPosFDiPlav"));
    netPosFDiPlav->setServerName(QStringLiteral("Ate25400.rdmPosFDiPlav"));
    netPosFDiPlav->setThrowException(false);

    timAtualizacaoPv = new QTimer(this);
    timAtualizacaoPv->setObjectName(QStringLiteral("timAtualizacaoPv"));
    timAtualizacaoPv->setInterval(30000);
}

} // namespace Cli_ate25400
