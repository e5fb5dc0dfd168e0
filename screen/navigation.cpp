// The master-detail chain: flight plans, the forecast of the current flight
// and the services of that flight, each read anew from the application
// server when the current row above it changes.

#include "screen/frm_pos_fec_dia_pla_voo.h"

#include "host/mask_edit.h"
#include "host/net/check_result_serv.h"
#include "host/net/net_connection.h"
#include "platform/client_data_set.h"
#include "platform/field.h"
#include "platform/grid_column.h"

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

// The same keys of another row, the cursor left where it is.
std::vector<host::ServerArg> flightKeysAt(const platform::ClientDataSet &set, int row)
{
    const auto text = [&](const char *name) {
        return set.fieldByName(QLatin1String(name)).asStringAt(row);
    };
    return {text("CDCIA"), text("CDFILIAL"), text("NRVOO"), text("CDTRECHO"),
            set.fieldByName(QStringLiteral("DTHRPLAVOOPV")).asDateTimeAt(row)};
}

// Flights read ahead on each side of the cursor: a held key's ten moves
// and more, at about 3 KB of forecast and services a flight.
constexpr int kPrefetchReach = 16;

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

void TfrmPosFecDiaPlaVoo::prefetchAround()
{
    std::vector<std::pair<QString, std::vector<host::ServerArg>>> calls;
    if (!m_dayArguments.empty())
        calls.emplace_back(QStringLiteral("GetPlanoVoo"), m_dayArguments);
    const int current = cdsPlanoVoo->recNo();
    const int rows = cdsPlanoVoo->recordCount();
    // Nearest first, the next row before the previous one. A flight's
    // services are asked for with its forecast's keys, which are its own.
    for (int distance = 0; distance <= kPrefetchReach && current >= 0; ++distance) {
        for (const int row : {current + distance, current - distance}) {
            if (row < 0 || row >= rows)
                continue;
            std::vector<host::ServerArg> keys = flightKeysAt(*cdsPlanoVoo, row);
            calls.emplace_back(QStringLiteral("GetPrevPax"), keys);
            calls.emplace_back(QStringLiteral("GetServPlano"), std::move(keys));
            if (distance == 0)
                break;
        }
    }
    netPosFDiPlav->prefetch(calls);
}

void TfrmPosFecDiaPlaVoo::cdsPlanoVooAfterScroll(platform::ClientDataSet &)
{
    if (!boScroll)
        return;
    loadPrevPax();
    prefetchAround();
}

void TfrmPosFecDiaPlaVoo::cdsPrevPaxAfterScroll(platform::ClientDataSet &)
{
    if (!boScroll)
        return;
    loadServPlano();
}

// The price is shown in the currency of the airline whose services are on
// display, from the first load on: "1" (a Brazilian airline) in reais, any
// other nationality in dollars. Every service row of a flight carries its
// airline's nationality, so the current row speaks for the whole grid.
void TfrmPosFecDiaPlaVoo::cdsServPlanoAfterScroll(platform::ClientDataSet &)
{
    const QString nationality = cdsServPlano->fieldByName(QStringLiteral("IDNACCIA")).asString();
    if (nationality.isEmpty())
        return;
    const QString price = nationality == QLatin1String("1") ? QStringLiteral("VRPRURESESP")
                                                            : QStringLiteral("VRPRUDOLSESP");
    platform::GridColumn &column = dbgServPlano->column(PrecoColumn);
    if (column.fieldName() != price)
        column.setFieldName(price);
}

} // namespace Cli_ate25400
