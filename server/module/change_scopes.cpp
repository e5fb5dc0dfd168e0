#include "server/module/change_scopes.h"

namespace appserver {
namespace {

std::string flightScope(std::string_view table, const FlightKey &key)
{
    std::string scope(table);
    for (const std::string *part : {&key.cdcia, &key.cdfilial, &key.nrvoo, &key.cdtrecho}) {
        scope += '|';
        scope += *part;
    }
    return scope + '|' + std::to_string(key.dthrplavoopv);
}

} // namespace

std::string dayScope(std::string_view branch, std::int64_t date)
{
    return "PLANOVOO|" + std::string(branch) + '|' + planoVooDay(date);
}

std::string everyBranchDayScope(std::int64_t date)
{
    return "PLANOVOO||" + planoVooDay(date);
}

std::string forecastScope(const FlightKey &key)
{
    return flightScope("PREVISAOPAX", key);
}

std::string servicesScope(const FlightKey &key)
{
    return flightScope("SERVPLANO", key);
}

std::optional<std::vector<std::string>> scopesOfChange(const LoggedChange &change)
{
    if (!change.branch || !change.when)
        return std::nullopt;
    if (change.table == "PLANOVOO")
        return std::vector<std::string>{dayScope(*change.branch, *change.when),
                                        everyBranchDayScope(*change.when)};
    if (!change.airline || !change.flight || !change.leg)
        return std::nullopt;
    const FlightKey key{*change.airline, *change.branch, *change.flight, *change.leg, *change.when};
    if (change.table == "PREVISAOPAX")
        return std::vector<std::string>{forecastScope(key)};
    if (change.table == "SERVPLANO")
        return std::vector<std::string>{servicesScope(key)};
    return std::nullopt;
}

} // namespace appserver
