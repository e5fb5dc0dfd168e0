#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace appserver {

// The tables the remote methods read. Every write to one of them moves that
// table's change counter, which the reply cache compares before it answers
// from a kept reply.
inline constexpr std::array<std::string_view, 9> kWatchedTables = {
    "FILIAL",  "COMPANHIA", "CIAFILIAL",   "BASE",     "CLASSE",
    "SERVICO", "PLANOVOO",  "PREVISAOPAX", "SERVPLANO"};

// One bit per watched table, in that order, and a last one for "a table
// that is not watched": what a query reads or what a write changed.
inline constexpr std::size_t kUnwatchedTable = kWatchedTables.size();
using TableSet = std::bitset<kWatchedTables.size() + 1>;

// Every watched table (and the unwatched bit): a change that cannot be told
// apart by table.
TableSet allTables();

// The position of a watched table (any case), nullopt for another name.
std::optional<std::size_t> watchedTableIndex(std::string_view name);

// The tables named, and the unwatched bit for a name that is no watched
// table: what a query declares it reads.
TableSet tableSet(std::initializer_list<std::string_view> names);

} // namespace appserver
