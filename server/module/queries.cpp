#include "server/module/queries.h"

#include "server/db/sql_time.h"
#include "wire/packet_builder.h"

namespace appserver {
namespace {

// The day's plans come in the screen's order from IX_PLANOVOO_DIA alone:
// the day is matched as the index holds it (equality, so the index's order
// below it is the reply's), and every column is in the index. The
// abbreviations come from indexes that hold them too: SQLite joins them in
// the index's order, PostgreSQL looks them up per plan (a join would let it
// hash the small tables and sort the day again).
constexpr std::string_view kSqlitePlanoVooSelect =
    "SELECT P.CDCIA, C.SGCIA, P.CDTRECHO, P.NRVOO, P.IDSITABASPV, P.IDBREAKGERA, "
    "P.CDBASEORI, P.CDBASEDES, P.HRDECOLVOO, BO.SGBASE, BD.SGBASE, P.DTHRPLAVOOPV, P.CDFILIAL "
    "FROM PLANOVOO P "
    "LEFT JOIN COMPANHIA C ON C.CDCIA = P.CDCIA "
    "LEFT JOIN BASE BO ON BO.CDBASE = P.CDBASEORI "
    "LEFT JOIN BASE BD ON BD.CDBASE = P.CDBASEDES "
    "WHERE P.CDFILIAL = ? AND SUBSTR(P.DTHRPLAVOOPV, 1, 10) = ?";

constexpr std::string_view kPostgresPlanoVooSelect =
    "SELECT P.CDCIA, (SELECT C.SGCIA FROM COMPANHIA C WHERE C.CDCIA = P.CDCIA), "
    "P.CDTRECHO, P.NRVOO, P.IDSITABASPV, P.IDBREAKGERA, P.CDBASEORI, P.CDBASEDES, P.HRDECOLVOO, "
    "(SELECT BO.SGBASE FROM BASE BO WHERE BO.CDBASE = P.CDBASEORI), "
    "(SELECT BD.SGBASE FROM BASE BD WHERE BD.CDBASE = P.CDBASEDES), P.DTHRPLAVOOPV, P.CDFILIAL "
    "FROM PLANOVOO P "
    "WHERE P.CDFILIAL = ? AND CAST(P.DTHRPLAVOOPV AS DATE) = CAST(? AS DATE)";

} // namespace

const TableSet &planoVooReads()
{
    static const TableSet reads = tableSet({"PLANOVOO", "COMPANHIA", "BASE"});
    return reads;
}

namespace {

constexpr std::string_view kPlanoVooOrder =
    " ORDER BY COALESCE(P.HRDECOLVOO, ''), P.CDCIA, P.NRVOO, P.CDTRECHO, P.DTHRPLAVOOPV";

constexpr std::string_view kFlightKeyFilter =
    " WHERE X.CDCIA = ? AND X.CDFILIAL = ? AND X.NRVOO = ? AND X.CDTRECHO = ?"
    " AND X.DTHRPLAVOOPV = ?";

const std::string &prevPaxSql()
{
    static const std::string sql =
        std::string("SELECT X.CDCIA, X.NRVOO, X.CDTRECHO, X.CDCLASSE, K.SGCLASSE, X.QTTOTPAXAT, "
                    "X.QTPAXSBY, X.DTHRPLAVOOPV, X.CDFILIAL "
                    "FROM PREVISAOPAX X LEFT JOIN CLASSE K ON K.CDCLASSE = X.CDCLASSE")
        + std::string(kFlightKeyFilter) + " ORDER BY COALESCE(K.NRORDEM, 9999), X.CDCLASSE";
    return sql;
}

} // namespace

const TableSet &prevPaxReads()
{
    static const TableSet reads = tableSet({"PREVISAOPAX", "CLASSE"});
    return reads;
}

const std::string &servPlanoSql()
{
    static const std::string sql =
        std::string("SELECT X.CDCIA, X.NRVOO, X.CDTRECHO, X.CDSERVICO, X.NRDELIVERY, X.CDAGRDECO, "
                    "X.CDAGRDEDE, X.IDSITSERSP, X.IDSEREXTSP, X.IDSTKDTSP, X.CDUSRRESPSP, "
                    "X.QTANTAPRODSP, X.QTSESOLICSP, X.QTSESBYPRSP, X.QTSESBYUTSP, X.QTCORTSERVSP, "
                    "X.QTATUAPRODSP, X.QTSERFATSP, X.VRPRUDOLSESP, X.VRPRURESESP, X.DTHRFEPRODSP, "
                    "X.DTHRINCSESP, X.DTHRTRASESP, X.DTHRCANCSESP, X.QTSERVFIXSP, X.VRPESOSESP, "
                    "X.NRLANCTONF, X.CDFILIAL, X.IDTIPSCBOSP, X.VRLOADSESP, X.QTREALPROD, "
                    "X.NRITEMPLANSP, X.NRPROPAXSP, X.TXOBSUSRSP, C.IDNACCIA, S.DSSERVICO, "
                    "X.DTHRPLAVOOPV "
                    "FROM SERVPLANO X "
                    "LEFT JOIN COMPANHIA C ON C.CDCIA = X.CDCIA "
                    "LEFT JOIN SERVICO S ON S.CDSERVICO = X.CDSERVICO")
        + std::string(kFlightKeyFilter) + " ORDER BY X.NRITEMPLANSP";
    return sql;
}

const TableSet &servPlanoReads()
{
    static const TableSet reads = tableSet({"SERVPLANO", "COMPANHIA", "SERVICO"});
    return reads;
}

namespace {

constexpr std::string_view kCiaSql =
    "SELECT 'N', C.CDCIA, C.SGCIA, C.NMCIA FROM CIAFILIAL F "
    "JOIN COMPANHIA C ON C.CDCIA = F.CDCIA WHERE F.CDFILIAL = ? ORDER BY C.SGCIA, C.CDCIA";

} // namespace

const TableSet &ciaReads()
{
    static const TableSet reads = tableSet({"CIAFILIAL", "COMPANHIA"});
    return reads;
}

namespace {

constexpr std::string_view kCompanhiaSql =
    "SELECT 'N', C.CDCIA, C.SGCIA, C.NMCIA FROM COMPANHIA C WHERE EXISTS ("
    "SELECT 1 FROM PLANOVOO P WHERE P.CDCIA = C.CDCIA "
    "AND P.DTHRPLAVOOPV >= ? AND P.DTHRPLAVOOPV <= ?) ORDER BY C.SGCIA, C.CDCIA";

} // namespace

const TableSet &companhiaReads()
{
    static const TableSet reads = tableSet({"COMPANHIA", "PLANOVOO"});
    return reads;
}

namespace {

// The day's bounds are both inclusive, so the last day of year 9999 needs no
// date-time beyond it.
std::int64_t lastMsecOfDay(std::int64_t day)
{
    return day + kMsecsPerDay - 1;
}

std::size_t paddedListSize(std::size_t size)
{
    std::size_t padded = 1;
    while (padded < size)
        padded *= 2;
    return padded;
}

Result<std::uint32_t> runFlightKeyQuery(Connection &db, const std::string &sql,
                                        const FlightKey &key, std::span<const FieldDecl> fields,
                                        pb::DataPacket *packet)
{
    Result<Statement *> prepared = db.prepare(sql);
    if (!prepared)
        return prepared.error();
    StatementRun run(**prepared);
    run->bindText(0, key.cdcia);
    run->bindText(1, key.cdfilial);
    run->bindText(2, key.nrvoo);
    run->bindText(3, key.cdtrecho);
    run->bindDateTime(4, key.dthrplavoopv);
    return fillPacket(*run, fields, packet);
}

} // namespace

std::string planoVooDay(std::int64_t date)
{
    return formatSqlDateTime(startOfDay(date)).substr(0, 10);
}

std::string planoVooSql(Dialect dialect, std::size_t listSize)
{
    std::string sql(dialect == Dialect::SQLite ? kSqlitePlanoVooSelect : kPostgresPlanoVooSelect);
    if (listSize > 0) {
        sql += " AND P.CDCIA IN (?";
        for (std::size_t i = 1; i < paddedListSize(listSize); ++i)
            sql += ", ?";
        sql += ')';
    }
    sql += kPlanoVooOrder;
    return sql;
}

void emptyPacket(std::span<const FieldDecl> fields, pb::DataPacket *packet)
{
    wire::PacketBuilder builder(packet);
    for (const FieldDecl &field : fields)
        builder.addField(field.name, field.type, field.size);
}

Result<std::uint32_t> fillPacket(Statement &statement, std::span<const FieldDecl> fields,
                                 pb::DataPacket *packet)
{
    wire::PacketBuilder builder(packet);
    for (const FieldDecl &field : fields)
        builder.addField(field.name, field.type, field.size);
    const int columns = static_cast<int>(fields.size());
    for (;;) {
        Result<bool> row = statement.step();
        if (!row)
            return row.error();
        if (!*row)
            break;
        for (int c = 0; c < columns; ++c) {
            const pb::FieldType type = fields[static_cast<std::size_t>(c)].type;
            // Texts, most of the cells, are read once with their nullness.
            if (type == pb::FIELD_TYPE_STRING || type == pb::FIELD_TYPE_FIXED_STRING) {
                if (const std::optional<std::string_view> value = statement.textOrNull(c))
                    builder.appendText(c, *value);
                else
                    builder.appendNull(c);
                continue;
            }
            if (statement.isNull(c)) {
                builder.appendNull(c);
                continue;
            }
            switch (type) {
            case pb::FIELD_TYPE_FLOAT:
                builder.appendNumber(c, statement.number(c));
                break;
            case pb::FIELD_TYPE_DATE_TIME: {
                const std::optional<std::int64_t> msecs = statement.dateTime(c);
                if (!msecs) {
                    return databaseError("invalid date-time in column "
                                         + std::string(fields[static_cast<std::size_t>(c)].name)
                                         + ": '" + std::string(statement.text(c)) + "'");
                }
                builder.appendDateTime(c, *msecs);
                break;
            }
            case pb::FIELD_TYPE_INTEGER:
                builder.appendInteger(c, statement.integer(c));
                break;
            default:
                builder.appendText(c, statement.text(c));
                break;
            }
        }
        builder.endRow();
    }
    return builder.rowCount();
}

Result<std::uint32_t> selectPlanoVoo(Connection &db, const PlanoVooSelection &selection,
                                     pb::DataPacket *packet)
{
    if (!selection.allAirlines && selection.airlines.empty()) {
        emptyPacket(planoVooFields(), packet);
        return 0u;
    }
    const std::size_t listSize = selection.allAirlines ? 0 : selection.airlines.size();
    // Few distinct texts: the connection's statement cache keeps them.
    thread_local std::vector<std::string> sqlBySize[2];
    std::vector<std::string> &texts = sqlBySize[db.dialect() == Dialect::SQLite ? 0 : 1];
    const std::size_t slot = listSize == 0 ? 0 : paddedListSize(listSize);
    if (texts.size() <= slot)
        texts.resize(slot + 1);
    if (texts[slot].empty())
        texts[slot] = planoVooSql(db.dialect(), listSize);

    Result<Statement *> prepared = db.prepare(texts[slot]);
    if (!prepared)
        return prepared.error();
    StatementRun run(**prepared);
    run->bindText(0, selection.branch);
    run->bindText(1, planoVooDay(selection.date));
    if (listSize > 0) {
        const std::size_t padded = paddedListSize(listSize);
        for (std::size_t i = 0; i < padded; ++i)
            run->bindText(static_cast<int>(2 + i), selection.airlines[std::min(i, listSize - 1)]);
    }
    return fillPacket(*run, planoVooFields(), packet);
}

Result<std::uint32_t> selectPrevPax(Connection &db, const FlightKey &key, pb::DataPacket *packet)
{
    return runFlightKeyQuery(db, prevPaxSql(), key, prevPaxFields(), packet);
}

Result<std::uint32_t> selectServPlano(Connection &db, const FlightKey &key, pb::DataPacket *packet)
{
    return runFlightKeyQuery(db, servPlanoSql(), key, servPlanoFields(), packet);
}

Result<std::uint32_t> selectCia(Connection &db, const std::string &branch, pb::DataPacket *packet)
{
    Result<Statement *> prepared = db.prepare(kCiaSql);
    if (!prepared)
        return prepared.error();
    StatementRun run(**prepared);
    run->bindText(0, branch);
    return fillPacket(*run, ciaFields(), packet);
}

Result<std::uint32_t> selectCompanhia(Connection &db, std::int64_t date, pb::DataPacket *packet)
{
    Result<Statement *> prepared = db.prepare(kCompanhiaSql);
    if (!prepared)
        return prepared.error();
    StatementRun run(**prepared);
    const std::int64_t day = startOfDay(date);
    run->bindDateTime(0, day);
    run->bindDateTime(1, lastMsecOfDay(day));
    return fillPacket(*run, ciaFields(), packet);
}

std::vector<DeclaredQuery> declaredQueries(Dialect dialect)
{
    return {
        {"GetPlanoVoo (todas)", planoVooSql(dialect, 0), planoVooReads()},
        {"GetPlanoVoo (lista)", planoVooSql(dialect, 3), planoVooReads()},
        {"GetPrevPax", prevPaxSql(), prevPaxReads()},
        {"GetServPlano", servPlanoSql(), servPlanoReads()},
        {"GetCia", std::string(kCiaSql), ciaReads()},
        {"GetCompanhia", std::string(kCompanhiaSql), companhiaReads()},
    };
}

} // namespace appserver
