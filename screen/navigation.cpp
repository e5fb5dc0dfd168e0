// The master-detail chain: flight plans, the forecast of the current flight
// and the services of that flight, each read anew from the application
// server when the current row above it changes.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/net/check_result_serv.h"
#include "host/net/net_connection.h"
#include "platform/client_data_set.h"
#include "platform/field.h"
#include "screen/mask_edit.h"

namespace Cli_ate25400 {
namespace {

// A flight's keys in the order the server takes them. An empty set gives
// empty texts and the zero date-time, and the call goes out with them.
std::vector<host::ServerArg> flightKeys(const platform::ClientDataSet &set)
{
    const auto text = [&set](const char *name) {
        return set.fieldByName(QLatin1String(name)).asString();
    };
    return {text("CDCIA"), text("CDFILIAL"), text("NRVOO"), text("CDTRECHO"),
            set.fieldByName(QStringLiteral("DTHRPLAVOOPV")).asDateTime()};
}

} // namespace

void TfrmPosFecDiaPlaVoo::loadFromServer(platform::ClientDataSet &target, const QString &method,
                                         const std::vector<host::ServerArg> &arguments)
{
    target.loadPacket(
        host::CheckResultServ(netPosFDiPlav->appServer().invoke(method, arguments), true, 0));
}

void TfrmPosFecDiaPlaVoo::loadPrevPax()
{
    loadFromServer(*cdsPrevPax, QStringLiteral("GetPrevPax"), flightKeys(*cdsPlanoVoo));
}

void TfrmPosFecDiaPlaVoo::loadServPlano()
{
    loadFromServer(*cdsServPlano, QStringLiteral("GetServPlano"), flightKeys(*cdsPrevPax));
}

void TfrmPosFecDiaPlaVoo::cdsPlanoVooAfterScroll(platform::ClientDataSet &)
{
    // The price follows the service row on display before any re-read.
    const QString nationality = cdsServPlano->fieldByName(QStringLiteral("IDNACCIA")).asString();
    if (!nationality.isEmpty()) {
        dbgServPlano->column(PrecoColumn)
            .setFieldName(nationality == QLatin1String("1") ? QStringLiteral("VRPRURESESP")
                                                            : QStringLiteral("VRPRUDOLSESP"));
    }
    if (!boScroll)
        return;
    loadPrevPax();
}

void TfrmPosFecDiaPlaVoo::cdsPrevPaxAfterScroll(platform::ClientDataSet &)
{
    if (!boScroll)
        return;
    loadServPlano();
}

} // namespace Cli_ate25400
