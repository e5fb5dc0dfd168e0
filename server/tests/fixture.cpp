#include "server/tests/fixture.h"

namespace appserver::testing {
namespace {

const std::vector<std::string> kPlanColumns = {
    "CDCIA",       "CDFILIAL",    "NRVOO",     "CDTRECHO",  "DTHRPLAVOOPV",
    "IDSITABASPV", "IDBREAKGERA", "CDBASEORI", "CDBASEDES", "HRDECOLVOO"};

void plan(Connection &db, const char *cia, const char *branch, const char *flight, const char *leg,
          std::int64_t when, const char *situation, Cell departure)
{
    insertRow(db, "PLANOVOO", kPlanColumns,
              {cia, branch, flight, leg, When{when}, situation, "1", "SBGR", "LPPT", departure});
}

} // namespace

std::int64_t fixtureDay()
{
    return at(2024, 5, 10);
}

std::int64_t detailedFlightAt()
{
    return at(2024, 5, 10, 9, 30);
}

void loadFixture(Connection &db)
{
    insertRow(db, "FILIAL", {"CDFILIAL", "NMFILIAL", "IDCNTRRESC"}, {"GRU", "Guarulhos", "N"});
    insertRow(db, "FILIAL", {"CDFILIAL", "NMFILIAL", "IDCNTRRESC"}, {"POA", "Porto Alegre", "S"});
    const std::vector<std::string> cia = {"CDCIA", "SGCIA", "NMCIA", "IDNACCIA"};
    insertRow(db, "COMPANHIA", cia, {"JJ", "TAM", "LATAM Airlines Brasil", "1"});
    insertRow(db, "COMPANHIA", cia, {"AA", "AAL", "American Airlines", "2"});
    insertRow(db, "COMPANHIA", cia, {"TP", "TAP", "TAP Air Portugal", "2"});
    insertRow(db, "COMPANHIA", cia, {"G3", "GLO", "Gol Linhas Aéreas", "2"});
    for (const char *c : {"JJ", "AA", "TP"})
        insertRow(db, "CIAFILIAL", {"CDFILIAL", "CDCIA"}, {"GRU", c});
    insertRow(db, "CIAFILIAL", {"CDFILIAL", "CDCIA"}, {"POA", "G3"});
    const std::vector<std::string> base = {"CDBASE", "SGBASE", "NMBASE"};
    insertRow(db, "BASE", base, {"SBGR", "GRU", "São Paulo/Guarulhos"});
    insertRow(db, "BASE", base, {"LPPT", "LIS", "Lisboa"});
    const std::vector<std::string> cabin = {"CDCLASSE", "SGCLASSE", "NMCLASSE", "NRORDEM"};
    insertRow(db, "CLASSE", cabin, {"Y", "ECON", "Econômica", 4});
    insertRow(db, "CLASSE", cabin, {"F", "PRIM", "Primeira", 1});
    insertRow(db, "CLASSE", cabin, {"J", "EXEC", "Executiva", 2});
    insertRow(db, "SERVICO", {"CDSERVICO", "DSSERVICO"}, {"CAFEEC", "Café da manhã - econômica"});
    insertRow(db, "SERVICO", {"CDSERVICO", "DSSERVICO"}, {"REFVEG", "Refeição vegetariana"});

    // GRU on the day, inserted out of order.
    plan(db, "TP", "GRU", "88", "01", at(2024, 5, 10, 23, 59, 59, 999), "5", "2359");
    plan(db, "JJ", "GRU", "3060", "02", at(2024, 5, 10, 9, 30), "2", "0930");
    plan(db, "JJ", "GRU", "3054", "01", detailedFlightAt(), "1", "0930");
    plan(db, "AA", "GRU", "950", "01", at(2024, 5, 10, 9, 30), "3", "0930");
    plan(db, "AA", "GRU", "906", "01", at(2024, 5, 10), "4", "0015");
    plan(db, "JJ", "GRU", "3100", "01", at(2024, 5, 10, 12, 0), "1", Null{});
    plan(db, "TP", "GRU", "90", "01", at(2024, 5, 10, 6, 0), "2", "0600");
    // Around it: other days, other branch.
    plan(db, "JJ", "GRU", "3001", "01", at(2024, 5, 9, 23, 59, 59, 999), "1", "2359");
    plan(db, "JJ", "GRU", "3002", "01", at(2024, 5, 11), "1", "0000");
    plan(db, "G3", "POA", "1500", "01", at(2024, 5, 10, 10, 0), "1", "1000");
    plan(db, "G3", "POA", "1501", "01", at(2024, 5, 12, 10, 0), "1", "1000");

    const std::vector<std::string> pax = {"CDCIA",        "CDFILIAL", "NRVOO",      "CDTRECHO",
                                          "DTHRPLAVOOPV", "CDCLASSE", "QTTOTPAXAT", "QTPAXSBY"};
    insertRow(db, "PREVISAOPAX", pax,
              {"JJ", "GRU", "3054", "01", When{detailedFlightAt()}, "Y", 180.0, 5.0});
    insertRow(db, "PREVISAOPAX", pax,
              {"JJ", "GRU", "3054", "01", When{detailedFlightAt()}, "J", 30.0, Null{}});
    insertRow(db, "PREVISAOPAX", pax,
              {"JJ", "GRU", "3054", "01", When{detailedFlightAt()}, "F", 8.0, 0.0});
    // Same airline and time, other flight and leg.
    insertRow(db, "PREVISAOPAX", pax,
              {"JJ", "GRU", "3060", "02", When{at(2024, 5, 10, 9, 30)}, "Y", 100.0, 1.0});

    const std::vector<std::string> service = {
        "CDCIA",        "CDFILIAL",     "NRVOO",       "CDTRECHO",     "DTHRPLAVOOPV",
        "NRITEMPLANSP", "CDSERVICO",    "NRDELIVERY",  "CDAGRDECO",    "CDAGRDEDE",
        "IDSITSERSP",   "IDSEREXTSP",   "IDSTKDTSP",   "CDUSRRESPSP",  "QTANTAPRODSP",
        "QTSESOLICSP",  "QTSESBYPRSP",  "QTSESBYUTSP", "QTCORTSERVSP", "QTATUAPRODSP",
        "QTSERFATSP",   "VRPRUDOLSESP", "VRPRURESESP", "DTHRFEPRODSP", "DTHRINCSESP",
        "DTHRTRASESP",  "DTHRCANCSESP", "QTSERVFIXSP", "VRPESOSESP",   "NRLANCTONF",
        "IDTIPSCBOSP",  "VRLOADSESP",   "QTREALPROD",  "NRPROPAXSP",   "TXOBSUSRSP"};
    const When flight{detailedFlightAt()};
    // Item 2: a distinct value in every column, so a swapped column shows.
    insertRow(db, "SERVPLANO", service,
              {"JJ",
               "GRU",
               "3054",
               "01",
               flight,
               2,
               "REFVEG",
               2.0,
               "G1",
               "G2",
               "5",
               "S",
               "N",
               "JSILVA",
               11.0,
               12.0,
               13.0,
               14.0,
               15.0,
               16.0,
               17.0,
               3.25,
               16.5,
               When{at(2024, 5, 10, 6, 30)},
               When{at(2024, 5, 8, 14, 5)},
               When{at(2024, 5, 10, 8, 40, 0, 500)},
               When{at(2024, 5, 10, 7, 0)},
               18.0,
               1.75,
               "0000012345",
               "2",
               4.5,
               19.0,
               88.0,
               "X"});
    // Item 1: nulls wherever the table allows them.
    std::vector<Cell> sparse(service.size(), Null{});
    sparse[0] = "JJ";
    sparse[1] = "GRU";
    sparse[2] = "3054";
    sparse[3] = "01";
    sparse[4] = flight;
    sparse[5] = 1;
    sparse[6] = "CAFEEC";
    insertRow(db, "SERVPLANO", service, sparse);
    // Item 3: a service missing from the catalogue.
    sparse[5] = 3;
    sparse[6] = "SUMIU";
    insertRow(db, "SERVPLANO", service, sparse);
    // Another flight's service.
    std::vector<Cell> other = sparse;
    other[0] = "AA";
    other[2] = "906";
    other[4] = When{at(2024, 5, 10)};
    other[5] = 1;
    other[6] = "CAFEEC";
    insertRow(db, "SERVPLANO", service, other);
}

} // namespace appserver::testing
