#include "server/cache/reply_cache.h"
#include "server/module/rdm_pos_fdi_plav.h"
#include "server/module/record_sets.h"
#include "server/tests/call_helpers.h"
#include "server/tests/fixture.h"
#include "server/transport/call_handler.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace appserver::testing {
namespace {

// Every method on both databases, through the same handler the gRPC front
// uses, over the deterministic fixture.
class RdmPosFDiPlavTest : public BackendTest
{
protected:
    void SetUp() override
    {
        BackendTest::SetUp();
        if (IsSkipped())
            return;
        loadFixture(m_db->connection());
        m_logStream = open_memstream(&m_logBuffer, &m_logSize);
        m_log = std::make_unique<CallLog>(m_logStream);
        m_pool = std::make_unique<ConnectionPool>(m_db->databaseTarget());
        m_handler = std::make_unique<CallHandler>(*m_pool, *m_log);
        m_handler->addModule(rdmPosFDiPlav(m_cache));
    }

    void TearDown() override
    {
        m_handler.reset();
        m_pool.reset();
        m_log.reset();
        if (m_logStream)
            std::fclose(m_logStream);
        std::free(m_logBuffer);
    }

    pb::CallReply call(const pb::CallRequest &req)
    {
        pb::CallReply reply;
        const grpc::Status status = m_handler->handle(req, &reply);
        EXPECT_TRUE(status.ok()) << status.error_message();
        return reply;
    }

    // A successful call's packet.
    pb::DataPacket packet(const std::string &method, const std::vector<pb::Argument> &args)
    {
        pb::CallReply reply = call(request(method, args));
        EXPECT_TRUE(reply.has_packet()) << method << ": " << reply.failure().message();
        return reply.packet();
    }

    std::string failure(const pb::CallRequest &req)
    {
        pb::CallReply reply = call(req);
        EXPECT_TRUE(reply.has_failure()) << req.method();
        return reply.failure().message();
    }

    std::string logText()
    {
        std::fflush(m_logStream);
        return std::string(m_logBuffer, m_logSize);
    }

    std::vector<pb::Argument> flightArgs(const std::string &cia, const std::string &flight,
                                         const std::string &leg, std::int64_t when)
    {
        return {textArg(cia), textArg("GRU"), textArg(flight), textArg(leg), dateArg(when)};
    }

    std::FILE *m_logStream = nullptr;
    char *m_logBuffer = nullptr;
    std::size_t m_logSize = 0;
    std::unique_ptr<CallLog> m_log;
    ReplyCache m_cache;
    std::unique_ptr<ConnectionPool> m_pool;
    std::unique_ptr<CallHandler> m_handler;
};

void expectFields(const pb::DataPacket &packet, std::span<const FieldDecl> fields)
{
    ASSERT_EQ(packet.fields_size(), static_cast<int>(fields.size()));
    for (int i = 0; i < packet.fields_size(); ++i) {
        const FieldDecl &dbTarget = fields[static_cast<std::size_t>(i)];
        EXPECT_EQ(packet.fields(i).name(), dbTarget.name);
        EXPECT_EQ(packet.fields(i).type(), dbTarget.type) << dbTarget.name;
        EXPECT_EQ(packet.fields(i).size(), dbTarget.size) << dbTarget.name;
    }
}

// Catches a day filter that leaks neighbouring days or other branches, a
// wrong order, and joins that lose or mix abbreviations.
TEST_P(RdmPosFDiPlavTest, PlanoVooSelectsTheBranchDayInDepartureOrder)
{
    const pb::DataPacket p =
        packet("GetPlanoVoo",
               {textArg(""), textArg("T"), dateArg(at(2024, 5, 10, 15, 45)), textArg("GRU")});
    expectFields(p, planoVooFields());
    EXPECT_EQ(texts(p, "NRVOO"),
              (std::vector<std::string>{"3100", "906", "90", "950", "3054", "3060", "88"}));
    EXPECT_EQ(texts(p, "HRDECOLVOO"),
              (std::vector<std::string>{"<null>", "0015", "0600", "0930", "0930", "0930", "2359"}));
    EXPECT_EQ(texts(p, "SGCIA"),
              (std::vector<std::string>{"TAM", "AAL", "TAP", "AAL", "TAM", "TAM", "TAP"}));
    EXPECT_EQ(texts(p, "SGBASEO")[0], "GRU");
    EXPECT_EQ(texts(p, "SGBASED")[0], "LIS");
    EXPECT_EQ(texts(p, "CDTRECHO")[5], "02");
    EXPECT_EQ(texts(p, "IDSITABASPV"),
              (std::vector<std::string>{"1", "4", "2", "3", "1", "2", "5"}));
    wire::PacketReader reader(p);
    const int when = reader.fieldIndex("DTHRPLAVOOPV");
    EXPECT_EQ(reader.dateTime(when, 1), at(2024, 5, 10));
    EXPECT_EQ(reader.dateTime(when, 6), at(2024, 5, 10, 23, 59, 59, 999));
    EXPECT_EQ(texts(p, "CDFILIAL"), std::vector<std::string>(7, "GRU"));
}

// Catches a list filter that ignores the list, or that the empty list with
// no flag selects everything.
TEST_P(RdmPosFDiPlavTest, PlanoVooHonoursTheAirlineList)
{
    const auto plans = [&](const std::string &list, const std::string &flag) {
        return texts(packet("GetPlanoVoo", {textArg(list, true), textArg(flag),
                                            dateArg(fixtureDay()), textArg("GRU")}),
                     "NRVOO");
    };
    EXPECT_EQ(plans("TP,AA", ""), (std::vector<std::string>{"906", "90", "950", "88"}));
    EXPECT_EQ(plans("TP,TP", ""), (std::vector<std::string>{"90", "88"}));
    EXPECT_TRUE(plans("G3", "").empty());
    EXPECT_TRUE(plans("", "").empty());
    EXPECT_EQ(plans("TP", "T").size(), 7u);
    // Lists of every padded size give the same rows as the short one.
    std::string many = "AA";
    for (int i = 0; i < 150; ++i)
        many += ",Z" + std::to_string(i);
    EXPECT_EQ(plans(many, ""), (std::vector<std::string>{"906", "950"}));
}

// Catches forecasts of the wrong flight, a missing class abbreviation and
// lost nulls; a padded key must still find the flight.
TEST_P(RdmPosFDiPlavTest, PrevPaxHasOneRowPerClass)
{
    const pb::DataPacket p =
        packet("GetPrevPax", flightArgs("JJ", "3054", "01", detailedFlightAt()));
    expectFields(p, prevPaxFields());
    EXPECT_EQ(texts(p, "CDCLASSE"), (std::vector<std::string>{"F", "J", "Y"}));
    EXPECT_EQ(texts(p, "SGCLASSE"), (std::vector<std::string>{"PRIM", "EXEC", "ECON"}));
    wire::PacketReader reader(p);
    const int pax = reader.fieldIndex("QTTOTPAXAT");
    const int standby = reader.fieldIndex("QTPAXSBY");
    EXPECT_EQ(reader.number(pax, 2), 180.0);
    EXPECT_TRUE(reader.isNull(standby, 1));
    EXPECT_EQ(reader.number(standby, 0), 0.0);
    EXPECT_FALSE(reader.isNull(standby, 0));

    const pb::DataPacket padded =
        packet("GetPrevPax", {textArg("JJ  "), textArg("GRU "), textArg("3054 "), textArg("01"),
                              dateArg(detailedFlightAt())});
    EXPECT_EQ(padded.row_count(), 3u);
    // Same airline and time, another leg: its own forecast only.
    EXPECT_EQ(packet("GetPrevPax", flightArgs("JJ", "3060", "02", detailedFlightAt())).row_count(),
              1u);
}

// Catches a column read into the wrong field (every column of item 2 holds
// its own value), lost nulls and the joined description and nationality.
TEST_P(RdmPosFDiPlavTest, ServPlanoCarriesEveryField)
{
    const pb::DataPacket p =
        packet("GetServPlano", flightArgs("JJ", "3054", "01", detailedFlightAt()));
    expectFields(p, servPlanoFields());
    ASSERT_EQ(p.row_count(), 3u);
    EXPECT_EQ(texts(p, "CDSERVICO"), (std::vector<std::string>{"CAFEEC", "REFVEG", "SUMIU"}));
    EXPECT_EQ(texts(p, "DSSERVICO"), (std::vector<std::string>{"Café da manhã - econômica",
                                                               "Refeição vegetariana", "<null>"}));
    EXPECT_EQ(texts(p, "IDNACCIA"), std::vector<std::string>(3, "1"));
    EXPECT_EQ(texts(p, "NRLANCTONF"), (std::vector<std::string>{"<null>", "0000012345", "<null>"}));

    wire::PacketReader r(p);
    const auto text = [&](const char *f) { return std::string(r.text(r.fieldIndex(f), 1)); };
    const auto number = [&](const char *f) { return r.number(r.fieldIndex(f), 1); };
    const auto when = [&](const char *f) { return r.dateTime(r.fieldIndex(f), 1); };
    EXPECT_EQ(text("CDCIA") + text("NRVOO") + text("CDTRECHO") + text("CDFILIAL"), "JJ305401GRU");
    EXPECT_EQ(number("NRDELIVERY"), 2.0);
    EXPECT_EQ(text("CDAGRDECO") + text("CDAGRDEDE"), "G1G2");
    EXPECT_EQ(text("IDSITSERSP") + text("IDSEREXTSP") + text("IDSTKDTSP"), "5SN");
    EXPECT_EQ(text("CDUSRRESPSP"), "JSILVA");
    const char *quantities[] = {"QTANTAPRODSP", "QTSESOLICSP",  "QTSESBYPRSP", "QTSESBYUTSP",
                                "QTCORTSERVSP", "QTATUAPRODSP", "QTSERFATSP"};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(number(quantities[i]), 11.0 + i) << quantities[i];
    EXPECT_EQ(number("VRPRUDOLSESP"), 3.25);
    EXPECT_EQ(number("VRPRURESESP"), 16.5);
    EXPECT_EQ(when("DTHRFEPRODSP"), at(2024, 5, 10, 6, 30));
    EXPECT_EQ(when("DTHRINCSESP"), at(2024, 5, 8, 14, 5));
    EXPECT_EQ(when("DTHRTRASESP"), at(2024, 5, 10, 8, 40, 0, 500));
    EXPECT_EQ(when("DTHRCANCSESP"), at(2024, 5, 10, 7, 0));
    EXPECT_EQ(number("QTSERVFIXSP"), 18.0);
    EXPECT_EQ(number("VRPESOSESP"), 1.75);
    EXPECT_EQ(text("IDTIPSCBOSP"), "2");
    EXPECT_EQ(number("VRLOADSESP"), 4.5);
    EXPECT_EQ(number("QTREALPROD"), 19.0);
    EXPECT_EQ(number("NRITEMPLANSP"), 2.0);
    EXPECT_EQ(number("NRPROPAXSP"), 88.0);
    EXPECT_EQ(text("TXOBSUSRSP"), "X");
    EXPECT_EQ(when("DTHRPLAVOOPV"), detailedFlightAt());
    for (const char *f : {"QTSESOLICSP", "VRPRURESESP", "DTHRCANCSESP", "CDUSRRESPSP"})
        EXPECT_TRUE(r.isNull(r.fieldIndex(f), 0)) << f;

    const pb::DataPacket foreign =
        packet("GetServPlano", flightArgs("AA", "906", "01", fixtureDay()));
    EXPECT_EQ(texts(foreign, "IDNACCIA"), std::vector<std::string>{"2"});
}

// Catches airlines of other branches in the filter lookup and a missing mark
// column.
TEST_P(RdmPosFDiPlavTest, CiaListsTheBranchAirlines)
{
    const pb::DataPacket p = packet("GetCia", {textArg("GRU")});
    expectFields(p, ciaFields());
    EXPECT_EQ(texts(p, "SGCIA"), (std::vector<std::string>{"AAL", "TAM", "TAP"}));
    EXPECT_EQ(texts(p, "CDCIA"), (std::vector<std::string>{"AA", "JJ", "TP"}));
    EXPECT_EQ(texts(p, "IDMARCADO"), std::vector<std::string>(3, "N"));
    EXPECT_EQ(texts(p, "NMCIA")[1], "LATAM Airlines Brasil");
}

// Catches airlines without a plan on the date, or duplicates for airlines
// with many plans.
TEST_P(RdmPosFDiPlavTest, CompanhiaListsAirlinesWithPlansOnTheDate)
{
    const pb::DataPacket p = packet("GetCompanhia", {dateArg(at(2024, 5, 10, 18, 0))});
    expectFields(p, ciaFields());
    EXPECT_EQ(texts(p, "SGCIA"), (std::vector<std::string>{"AAL", "GLO", "TAM", "TAP"}));
    EXPECT_EQ(texts(packet("GetCompanhia", {dateArg(at(2024, 5, 12))}), "CDCIA"),
              std::vector<std::string>{"G3"});
}

// Catches a failure, or a packet without fields, for the empty keys an empty
// record set sends (empty texts, nulls, the zero date-time).
TEST_P(RdmPosFDiPlavTest, EmptyKeysGiveEmptyPackets)
{
    const auto empty = [&](const std::string &method, const std::vector<pb::Argument> &args,
                           std::span<const FieldDecl> fields) {
        const pb::DataPacket p = packet(method, args);
        EXPECT_EQ(p.row_count(), 0u) << method;
        expectFields(p, fields);
    };
    empty("GetPlanoVoo", {textArg(""), textArg("T"), dateArg(0), textArg("")}, planoVooFields());
    empty("GetPlanoVoo", {textArg(""), textArg("T"), dateArg(fixtureDay()), textArg("")},
          planoVooFields());
    empty("GetPrevPax", {textArg(""), textArg(""), textArg(""), textArg(""), dateArg(0)},
          prevPaxFields());
    empty("GetServPlano", {nullArg(), nullArg(), nullArg(), nullArg(), nullArg()},
          servPlanoFields());
    empty("GetCia", {textArg("")}, ciaFields());
    empty("GetCompanhia", {dateArg(0)}, ciaFields());
}

// Catches requests that crash, succeed or leak SQL instead of a clear
// Portuguese refusal; injection texts must neither fail the database nor
// match anything.
TEST_P(RdmPosFDiPlavTest, BadInputGetsAPortugueseFailureAndTheServerGoesOn)
{
    const std::int64_t day = fixtureDay();
    struct Case
    {
        pb::CallRequest request;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {request("GetPlanoVoo", {}, "Ate25400.rdmOutro"),
         "Módulo remoto \"Ate25400.rdmOutro\" não existe"},
        {request("DropTables", {}),
         "O método \"DropTables\" não existe no módulo Ate25400.rdmPosFDiPlav"},
        {request("GetPrevPax", {textArg("JJ")}),
         "O método GetPrevPax espera 5 argumentos e recebeu 1."},
        {request("GetCia", {}), "O método GetCia espera 1 argumentos e recebeu 0."},
        {request("GetPlanoVoo", {textArg(""), textArg("T"), textArg("2024-05-10"), textArg("GRU")}),
         "O argumento 3 (data do plano de vôo) do método GetPlanoVoo deve ser uma data."},
        {request("GetPlanoVoo", {textArg(""), textArg("T"), dateArg(day), numberArg(1)}),
         "O argumento 4 (CDFILIAL) do método GetPlanoVoo deve ser um texto."},
        {request("GetCompanhia", {dateArg(std::int64_t{1} << 60)}),
         "O argumento 1 (data do plano de vôo) do método GetCompanhia não é uma data válida."},
        {request("GetPrevPax",
                 {textArg("JJJJJ"), textArg("GRU"), textArg("1"), textArg("01"), dateArg(day)}),
         "O argumento 1 (CDCIA) do método GetPrevPax tem mais de 4 caracteres."},
        {request("GetCia", {textArg("G\nRU")}), "contém caracteres inválidos"},
        {request("GetPlanoVoo", {textArg("AA, TP"), textArg(""), dateArg(day), textArg("GRU")}),
         "Lista de companhias inválida: o código \" TP\""},
        {request("GetPlanoVoo", {textArg("'AA'"), textArg(""), dateArg(day), textArg("GRU")}),
         "Lista de companhias inválida"},
        {request("GetPlanoVoo", {textArg("AA');DROP TABLE PLANOVOO;--"), textArg(""), dateArg(day),
                                 textArg("GRU")}),
         "Lista de companhias inválida"},
        {request("GetPlanoVoo",
                 {textArg(""), textArg("T' OR '1'='1"), dateArg(day), textArg("GRU")}),
         "tem mais de 1 caracteres"},
        {request("GetPlanoVoo", {textArg(""), textArg("S"), dateArg(day), textArg("GRU")}),
         "deve ser \"T\" ou vazio"},
        {request("GetPlanoVoo", {textArg(""), textArg("T"), dateArg(day), textArg("' OR 1=1 --")}),
         "O argumento 4 (CDFILIAL) do método GetPlanoVoo tem mais de 4 caracteres."},
    };
    for (const Case &c : cases) {
        const std::string message = failure(c.request);
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
    // Short enough to pass the size checks: bound as values, they match nothing.
    EXPECT_EQ(packet("GetCia", {textArg("'--")}).row_count(), 0u);
    EXPECT_EQ(packet("GetPrevPax", {textArg("' OR"), textArg("'='"), textArg("1'--"), textArg("x"),
                                    dateArg(detailedFlightAt())})
                  .row_count(),
              0u);
    // 200 codes are fine, 201 are not.
    std::string codes = "AA";
    for (int i = 1; i < 200; ++i)
        codes += ",Q" + std::to_string(i);
    EXPECT_EQ(packet("GetPlanoVoo", {textArg(codes), textArg(""), dateArg(day), textArg("GRU")})
                  .row_count(),
              2u);
    EXPECT_NE(failure(request("GetPlanoVoo",
                              {textArg(codes + ",TP"), textArg(""), dateArg(day), textArg("GRU")}))
                  .find("mais de 200 códigos"),
              std::string::npos);
    // Still serving, tables intact.
    EXPECT_EQ(packet("GetPlanoVoo", {textArg(""), textArg("T"), dateArg(day), textArg("GRU")})
                  .row_count(),
              7u);
}

// Catches by-reference arguments not written back, or written back out of
// order, on success and on failure alike.
TEST_P(RdmPosFDiPlavTest, ByReferenceArgumentsAreEchoed)
{
    pb::CallReply ok = call(request("GetPlanoVoo", {textArg("AA,TP", true), textArg("", true),
                                                    dateArg(fixtureDay()), textArg("GRU")}));
    ASSERT_TRUE(ok.has_packet());
    ASSERT_EQ(ok.by_reference_size(), 2);
    EXPECT_EQ(ok.by_reference(0).text(), "AA,TP");
    EXPECT_EQ(ok.by_reference(1).text(), "");

    pb::CallReply failed = call(request(
        "GetPlanoVoo", {textArg("a b", true), textArg(""), dateArg(fixtureDay()), textArg("GRU")}));
    ASSERT_TRUE(failed.has_failure());
    ASSERT_EQ(failed.by_reference_size(), 1);
    EXPECT_EQ(failed.by_reference(0).text(), "a b");
}

// Catches calls that leave no log line, or lines without method, rows and
// outcome.
TEST_P(RdmPosFDiPlavTest, EveryCallLogsOneLine)
{
    packet("GetCia", {textArg("GRU")});
    failure(request("GetCia", {}));
    const std::string log = logText();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);
    EXPECT_NE(log.find("call Ate25400.rdmPosFDiPlav.GetCia "), std::string::npos) << log;
    EXPECT_NE(log.find("rows=3 ok"), std::string::npos) << log;
    EXPECT_NE(log.find("rows=0 failure \"O método GetCia espera 1 argumentos"), std::string::npos)
        << log;
}

// Catches a late-bound name matched with its case, which the client's
// automation layer does not do.
TEST_P(RdmPosFDiPlavTest, NamesMatchWithoutRegardToCase)
{
    EXPECT_EQ(
        call(request("getcia", {textArg("GRU")}, "ATE25400.RDMPOSFDIPLAV")).packet().row_count(),
        3u);
}

INSTANTIATE_TEST_SUITE_P(Databases, RdmPosFDiPlavTest,
                         ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return backendName(info.param); });

} // namespace
} // namespace appserver::testing
