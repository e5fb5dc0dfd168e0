#include "server/module/rdm_pos_fdi_plav.h"

#include "server/cache/reply_cache.h"
#include "server/module/change_scopes.h"
#include "server/module/queries.h"

#include <array>

namespace appserver {
namespace {

// Sizes of the key texts, as the record sets hold them.
constexpr std::size_t kBranchSize = 4;
constexpr std::size_t kAirlineSize = 4;
constexpr std::size_t kFlightSize = 5;
constexpr std::size_t kLegSize = 4;

Result<std::uint32_t> getPlanoVoo(Connection &db, const Arguments &args, pb::DataPacket *packet)
{
    if (Status counted = args.expectCount(4); !counted)
        return counted.error();
    Result<std::string> list = args.text(0, "lista de companhias", kMaxAirlineCodes * 5);
    if (!list)
        return list.error();
    Result<std::string> flag = args.text(1, "todas as companhias", 1);
    if (!flag)
        return flag.error();
    Result<std::int64_t> date = args.dateTime(2, "data do plano de vôo");
    if (!date)
        return date.error();
    Result<std::string> branch = args.text(3, "CDFILIAL", kBranchSize);
    if (!branch)
        return branch.error();
    if (!flag->empty() && *flag != "T") {
        return Error{
            "O indicador de todas as companhias do método GetPlanoVoo deve ser \"T\" ou vazio.",
            {}};
    }
    Result<std::vector<std::string>> airlines = parseAirlineList(*list);
    if (!airlines)
        return airlines.error();

    PlanoVooSelection selection;
    selection.branch = std::move(*branch);
    selection.date = *date;
    selection.allAirlines = *flag == "T";
    selection.airlines = std::move(*airlines);
    return selectPlanoVoo(db, selection, packet);
}

Result<FlightKey> flightKey(const Arguments &args)
{
    if (Status counted = args.expectCount(5); !counted)
        return counted.error();
    FlightKey key;
    const struct
    {
        std::string_view label;
        std::size_t size;
        std::string *target;
    } texts[] = {{"CDCIA", kAirlineSize, &key.cdcia},
                 {"CDFILIAL", kBranchSize, &key.cdfilial},
                 {"NRVOO", kFlightSize, &key.nrvoo},
                 {"CDTRECHO", kLegSize, &key.cdtrecho}};
    int index = 0;
    for (const auto &t : texts) {
        Result<std::string> value = args.text(index++, t.label, t.size);
        if (!value)
            return value.error();
        *t.target = std::move(*value);
    }
    Result<std::int64_t> when = args.dateTime(index, "DTHRPLAVOOPV");
    if (!when)
        return when.error();
    key.dthrplavoopv = *when;
    return key;
}

Result<std::uint32_t> getPrevPax(Connection &db, const Arguments &args, pb::DataPacket *packet)
{
    Result<FlightKey> key = flightKey(args);
    if (!key)
        return key.error();
    return selectPrevPax(db, *key, packet);
}

Result<std::uint32_t> getServPlano(Connection &db, const Arguments &args, pb::DataPacket *packet)
{
    Result<FlightKey> key = flightKey(args);
    if (!key)
        return key.error();
    return selectServPlano(db, *key, packet);
}

Result<std::uint32_t> getCia(Connection &db, const Arguments &args, pb::DataPacket *packet)
{
    if (Status counted = args.expectCount(1); !counted)
        return counted.error();
    Result<std::string> branch = args.text(0, "CDFILIAL", kBranchSize);
    if (!branch)
        return branch.error();
    return selectCia(db, *branch, packet);
}

Result<std::uint32_t> getCompanhia(Connection &db, const Arguments &args, pb::DataPacket *packet)
{
    if (Status counted = args.expectCount(1); !counted)
        return counted.error();
    Result<std::int64_t> date = args.dateTime(0, "data do plano de vôo");
    if (!date)
        return date.error();
    return selectCompanhia(db, *date, packet);
}

using Scopes = Result<std::vector<std::string>>;

Scopes planoVooScopes(const Arguments &args)
{
    Result<std::int64_t> date = args.dateTime(2, "data do plano de vôo");
    if (!date)
        return date.error();
    Result<std::string> branch = args.text(3, "CDFILIAL", kBranchSize);
    if (!branch)
        return branch.error();
    return std::vector<std::string>{dayScope(*branch, *date)};
}

Scopes prevPaxScopes(const Arguments &args)
{
    Result<FlightKey> key = flightKey(args);
    if (!key)
        return key.error();
    return std::vector<std::string>{forecastScope(*key)};
}

Scopes servPlanoScopes(const Arguments &args)
{
    Result<FlightKey> key = flightKey(args);
    if (!key)
        return key.error();
    return std::vector<std::string>{servicesScope(*key)};
}

// The branch's airlines come from reference tables only.
Scopes ciaScopes(const Arguments &)
{
    return std::vector<std::string>{};
}

Scopes companhiaScopes(const Arguments &args)
{
    Result<std::int64_t> date = args.dateTime(0, "data do plano de vôo");
    if (!date)
        return date.error();
    return std::vector<std::string>{everyBranchDayScope(*date)};
}

using MethodBody = Result<std::uint32_t> (*)(Connection &, const Arguments &, pb::DataPacket *);
using MethodScopes = Scopes (*)(const Arguments &);

// Every method only reads, and its reply depends on nothing but its
// arguments and the database: a repeated call on an unchanged database is
// answered from the reply cache.
RemoteMethod cached(ReplyCache &cache, std::string_view name, MethodBody body,
                    const TableSet &reads, MethodScopes scopes)
{
    return {name,
            [&cache, body, &reads](Connection &db, const Arguments &args, ReplyPacket *packet) {
                return cache.run(db, args.method(), args.values(), reads, packet,
                                 [&](pb::DataPacket *out) { return body(db, args, out); });
            },
            scopes};
}

} // namespace

RemoteDataModule rdmPosFDiPlav(ReplyCache &cache)
{
    return {"Ate25400.rdmPosFDiPlav",
            {
                cached(cache, "GetPlanoVoo", getPlanoVoo, planoVooReads(), planoVooScopes),
                cached(cache, "GetPrevPax", getPrevPax, prevPaxReads(), prevPaxScopes),
                cached(cache, "GetServPlano", getServPlano, servPlanoReads(), servPlanoScopes),
                cached(cache, "GetCia", getCia, ciaReads(), ciaScopes),
                cached(cache, "GetCompanhia", getCompanhia, companhiaReads(), companhiaScopes),
            }};
}

} // namespace appserver
