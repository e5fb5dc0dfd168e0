#pragma once

#include "server/db/database.h"
#include "server/db/watched_tables.h"
#include "server/module/record_sets.h"

#include <cstdint>
#include <string>
#include <vector>

namespace appserver {

// Identifies one flight plan.
struct FlightKey
{
    std::string cdcia;
    std::string cdfilial;
    std::string nrvoo;
    std::string cdtrecho;
    std::int64_t dthrplavoopv = 0;
};

struct PlanoVooSelection
{
    std::string branch;
    std::int64_t date = 0; // any time of the day; the whole day is selected
    bool allAirlines = false;
    std::vector<std::string> airlines; // used when allAirlines is false
};

// Each query fills `packet` column-wise straight from the statement, with
// the record set's fields, and returns the number of rows.
//
// Flight plans come ordered by departure time (HRDECOLVOO, an absent time
// first), then airline (CDCIA), flight (NRVOO), leg (CDTRECHO) and plan
// date-time.
Result<std::uint32_t> selectPlanoVoo(Connection &db, const PlanoVooSelection &selection,
                                     pb::DataPacket *packet);
// One row per cabin class, in the classes' display order (CLASSE.NRORDEM).
Result<std::uint32_t> selectPrevPax(Connection &db, const FlightKey &key, pb::DataPacket *packet);
// In item order (NRITEMPLANSP).
Result<std::uint32_t> selectServPlano(Connection &db, const FlightKey &key, pb::DataPacket *packet);
// Airlines serving the branch, by abbreviation; IDMARCADO is "N".
Result<std::uint32_t> selectCia(Connection &db, const std::string &branch, pb::DataPacket *packet);
// Airlines with a flight plan on the date (any branch), by abbreviation.
Result<std::uint32_t> selectCompanhia(Connection &db, std::int64_t date, pb::DataPacket *packet);

// Steps through `statement` (already bound) and appends every row to the
// packet, one column per field, in the order of `fields`.
Result<std::uint32_t> fillPacket(Statement &statement, std::span<const FieldDecl> fields,
                                 pb::DataPacket *packet);

// A packet with the fields and no rows.
void emptyPacket(std::span<const FieldDecl> fields, pb::DataPacket *packet);

// The tables each query reads, declared beside its SQL text: what the reply
// cache keeps its reply against.
const TableSet &planoVooReads();
const TableSet &prevPaxReads();
const TableSet &servPlanoReads();
const TableSet &ciaReads();
const TableSet &companhiaReads();

// Every statement text the module runs on `dialect`, with the tables it
// declares.
struct DeclaredQuery
{
    std::string_view method;
    std::string sql;
    TableSet reads;
};
std::vector<DeclaredQuery> declaredQueries(Dialect dialect);

// The SQL behind selectPlanoVoo, for a list of `listSize` airlines (0: all);
// lists are padded to a few sizes so that few statements are prepared. It is
// bound with the branch, planoVooDay and the airlines.
std::string planoVooSql(Dialect dialect, std::size_t listSize);
// The day holding `date` as the flight-plan statement matches it.
std::string planoVooDay(std::int64_t date);
// The SQL behind selectServPlano (bound with the flight key).
const std::string &servPlanoSql();

} // namespace appserver
