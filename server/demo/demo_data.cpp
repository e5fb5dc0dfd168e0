#include "server/demo/demo_data.h"

#include "server/db/schema.h"
#include "server/db/sql_time.h"
#include "wire/civil_datetime.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ctime>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <vector>

namespace appserver::demo {
namespace {

constexpr std::int64_t kMinute = 60'000;
constexpr std::int64_t kHour = 60 * kMinute;

// splitmix64: tiny, and the same sequence on every platform (the standard
// distributions are not).
class Random
{
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed)
    {
    }

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int between(int lo, int hi) // inclusive
    {
        return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    double money(double lo, double hi)
    {
        return std::round((lo + unit() * (hi - lo)) * 100.0) / 100.0;
    }
    int weighted(std::span<const int> weights)
    {
        int total = 0;
        for (int w : weights)
            total += w;
        int pick = between(0, total - 1);
        for (std::size_t i = 0; i < weights.size(); ++i) {
            pick -= weights[i];
            if (pick < 0)
                return static_cast<int>(i);
        }
        return static_cast<int>(weights.size()) - 1;
    }

private:
    std::uint64_t m_state;
};

struct Branch
{
    const char *code;
    const char *name;
    const char *rescinded;
    const char *base;
};

constexpr std::array kBranches = {
    Branch{"GRU", "Guarulhos", "N", "SBGR"},    Branch{"GIG", "Galeão", "N", "SBGL"},
    Branch{"BSB", "Brasília", "N", "SBBR"},     Branch{"REC", "Recife", "N", "SBRF"},
    Branch{"POA", "Porto Alegre", "S", "SBPA"},
};

struct Airline
{
    const char *code;
    const char *abbreviation;
    const char *name;
    const char *national;
    int weight;       // share of a branch's flights
    int firstFlight;  // flight numbers start here
    const char *hubs; // destination bases, space separated
};

// IDNACCIA "1": national airline, prices in reais.
constexpr std::array kAirlines = {
    Airline{"JJ", "TAM", "LATAM Airlines Brasil", "1", 40, 3000,
            "SBGR SBGL SBBR SBRF SBPA SBCF SBSV SBFZ SBCT SBEG KMIA LPPT"},
    Airline{"AA", "AAL", "American Airlines", "2", 6, 900, "KMIA KJFK"},
    Airline{"AF", "AFR", "Air France", "2", 5, 440, "LFPG"},
    Airline{"AR", "ARG", "Aerolíneas Argentinas", "2", 6, 1240, "SAEZ"},
    Airline{"AZ", "ITY", "ITA Airways", "2", 3, 670, "LIRF"},
    Airline{"CM", "CMP", "Copa Airlines", "2", 6, 700, "MPTO"},
    Airline{"DL", "DAL", "Delta Air Lines", "2", 5, 100, "KATL KJFK"},
    Airline{"EK", "UAE", "Emirates", "2", 3, 261, "OMDB"},
    Airline{"IB", "IBE", "Iberia", "2", 4, 6820, "LEMD"},
    Airline{"KL", "KLM", "KLM Royal Dutch Airlines", "2", 4, 791, "EHAM"},
    Airline{"LH", "DLH", "Lufthansa", "2", 4, 506, "EDDF"},
    Airline{"TP", "TAP", "TAP Air Portugal", "2", 6, 80, "LPPT"},
};

struct Base
{
    const char *code;
    const char *abbreviation;
    const char *name;
};

constexpr std::array kBases = {
    Base{"SBGR", "GRU", "São Paulo/Guarulhos"},
    Base{"SBGL", "GIG", "Rio de Janeiro/Galeão"},
    Base{"SBBR", "BSB", "Brasília"},
    Base{"SBRF", "REC", "Recife"},
    Base{"SBPA", "POA", "Porto Alegre"},
    Base{"SBCF", "CNF", "Belo Horizonte/Confins"},
    Base{"SBSV", "SSA", "Salvador"},
    Base{"SBFZ", "FOR", "Fortaleza"},
    Base{"SBCT", "CWB", "Curitiba"},
    Base{"SBEG", "MAO", "Manaus"},
    Base{"KMIA", "MIA", "Miami"},
    Base{"KJFK", "JFK", "Nova York/JFK"},
    Base{"KATL", "ATL", "Atlanta"},
    Base{"LPPT", "LIS", "Lisboa"},
    Base{"LFPG", "CDG", "Paris/Charles de Gaulle"},
    Base{"EDDF", "FRA", "Frankfurt"},
    Base{"LEMD", "MAD", "Madri"},
    Base{"EHAM", "AMS", "Amsterdã"},
    Base{"LIRF", "FCO", "Roma/Fiumicino"},
    Base{"SAEZ", "EZE", "Buenos Aires/Ezeiza"},
    Base{"MPTO", "PTY", "Cidade do Panamá"},
    Base{"OMDB", "DXB", "Dubai"},
};

struct CabinClass
{
    const char *code;
    const char *abbreviation;
    const char *name;
    int minPax;
    int maxPax;
};

// In display order (NRORDEM).
constexpr std::array kClasses = {
    CabinClass{"F", "PRIM", "Primeira", 4, 12},
    CabinClass{"J", "EXEC", "Executiva", 8, 42},
    CabinClass{"W", "PREM", "Econômica Premium", 12, 36},
    CabinClass{"Y", "ECON", "Econômica", 90, 300},
};

struct ServiceKind
{
    const char *code;
    const char *name;
};

constexpr std::array kMeals = {
    ServiceKind{"CAFE", "Café da manhã"}, ServiceKind{"ALMO", "Almoço"},
    ServiceKind{"JANT", "Jantar"},        ServiceKind{"LANC", "Lanche"},
    ServiceKind{"CEIA", "Ceia"},          ServiceKind{"SOBR", "Sobremesa"},
    ServiceKind{"BEBI", "Bebidas"},       ServiceKind{"PAES", "Pães e frios"},
    ServiceKind{"FRUT", "Frutas"},        ServiceKind{"ENTR", "Entrada fria"},
};

constexpr std::array kMealClasses = {
    ServiceKind{"PR", "primeira"},          ServiceKind{"EX", "executiva"},
    ServiceKind{"PE", "econômica premium"}, ServiceKind{"EC", "econômica"},
    ServiceKind{"TR", "tripulação"},
};

constexpr std::array kExtras = {
    ServiceKind{"REFVEG", "Refeição vegetariana"},
    ServiceKind{"REFVGN", "Refeição vegana"},
    ServiceKind{"REFGLU", "Refeição sem glúten"},
    ServiceKind{"REFINF", "Refeição infantil"},
    ServiceKind{"REFKSH", "Refeição kosher"},
    ServiceKind{"REFHAL", "Refeição halal"},
    ServiceKind{"REFDIA", "Refeição para diabéticos"},
    ServiceKind{"REFHIP", "Refeição hipossódica"},
    ServiceKind{"REFLAC", "Refeição sem lactose"},
    ServiceKind{"BERCAR", "Alimentação para bebê"},
    ServiceKind{"GELO", "Gelo (kg)"},
    ServiceKind{"AGUA500", "Água mineral 500 ml"},
    ServiceKind{"AGUA15", "Água mineral 1,5 l"},
    ServiceKind{"JORNAL", "Jornais e revistas"},
    ServiceKind{"AMENEX", "Kit amenidades executiva"},
    ServiceKind{"AMENPR", "Kit amenidades primeira"},
    ServiceKind{"COBERT", "Cobertores"},
    ServiceKind{"TRAVES", "Travesseiros"},
    ServiceKind{"FONES", "Fones de ouvido"},
    ServiceKind{"CARBAR", "Carrinho de bar"},
    ServiceKind{"CARDUT", "Carrinho duty free"},
    ServiceKind{"LAVLOU", "Lavagem de louça"},
    ServiceKind{"MONTRL", "Montagem de trolleys"},
    ServiceKind{"HILOAD", "Transporte em highloader"},
    ServiceKind{"KITLIM", "Kit de limpeza de cabine"},
    ServiceKind{"HIGIEN", "Produtos de higiene"},
    ServiceKind{"DESCAR", "Descartáveis"},
    ServiceKind{"GUARDA", "Guardanapos e talheres"},
    ServiceKind{"CAFEBL", "Café em bule"},
    ServiceKind{"CHAQTE", "Chá quente"},
};

struct Service
{
    std::string code;
    std::string name;
};

std::vector<Service> serviceCatalogue()
{
    std::vector<Service> services;
    for (const ServiceKind &meal : kMeals) {
        for (const ServiceKind &cabin : kMealClasses)
            services.push_back(
                {std::string(meal.code) + cabin.code, std::string(meal.name) + " - " + cabin.name});
    }
    for (const ServiceKind &extra : kExtras)
        services.push_back({extra.code, extra.name});
    return services;
}

constexpr std::array kUsers = {"MSOUZA", "JSILVA", "APEREIRA", "RCOSTA", "LFERREIRA", "TALMEIDA"};

// Prepared inserts, bound column by column.
struct Inserts
{
    Statement *plan = nullptr;
    Statement *forecast = nullptr;
    Statement *service = nullptr;
};

Result<Inserts> prepareInserts(Connection &db)
{
    Inserts inserts;
    Result<Statement *> plan = db.prepare(
        "INSERT INTO PLANOVOO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, IDSITABASPV, "
        "IDBREAKGERA, CDBASEORI, CDBASEDES, HRDECOLVOO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!plan)
        return plan.error();
    Result<Statement *> forecast = db.prepare(
        "INSERT INTO PREVISAOPAX (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, CDCLASSE, "
        "QTTOTPAXAT, QTPAXSBY) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    if (!forecast)
        return forecast.error();
    Result<Statement *> service = db.prepare(
        "INSERT INTO SERVPLANO (CDCIA, CDFILIAL, NRVOO, CDTRECHO, DTHRPLAVOOPV, NRITEMPLANSP, "
        "CDSERVICO, NRDELIVERY, CDAGRDECO, CDAGRDEDE, IDSITSERSP, IDSEREXTSP, IDSTKDTSP, "
        "CDUSRRESPSP, QTANTAPRODSP, QTSESOLICSP, QTSESBYPRSP, QTSESBYUTSP, QTCORTSERVSP, "
        "QTATUAPRODSP, QTSERFATSP, VRPRUDOLSESP, VRPRURESESP, DTHRFEPRODSP, DTHRINCSESP, "
        "DTHRTRASESP, DTHRCANCSESP, QTSERVFIXSP, VRPESOSESP, NRLANCTONF, IDTIPSCBOSP, "
        "VRLOADSESP, QTREALPROD, NRPROPAXSP, TXOBSUSRSP) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!service)
        return service.error();
    inserts.plan = *plan;
    inserts.forecast = *forecast;
    inserts.service = *service;
    return inserts;
}

Status runInsert(Statement &statement)
{
    Result<bool> done = statement.step();
    statement.reset();
    if (!done)
        return done.error();
    return success();
}

// Binds a value, or null with the given probability.
void bindMaybe(Statement &s, int index, Random &random, double nullChance, double value)
{
    if (random.chance(nullChance))
        s.bindNull(index);
    else
        s.bindNumber(index, value);
}

// A service's status and what it leaves blank.
struct ServiceCase
{
    int situation;             // IDSITSERSP, 1..5
    bool invoiced;             // NRLANCTONF filled
    bool blankAmounts = false; // no stand-by quantity, no price
};

// The first services of a day's first flight, in a drawn order: every way
// the service grid reads a situation ("Pe", "At", "Ca", "Ca" although
// invoiced, "Cc" for an attended service being invoiced, and the blank of
// a "4").
constexpr std::array kShowcaseServices = {
    ServiceCase{1, false}, ServiceCase{2, false}, ServiceCase{3, false},
    ServiceCase{3, true},  ServiceCase{2, true},  ServiceCase{4, false},
};

// Where the plan's day stands against the data set's "today".
enum class When { Past, Today, Future };

struct Plan
{
    const Airline *airline;
    std::string flight;
    std::string leg;
    std::int64_t at; // plan date-time
    std::string departure;
    const char *destination;
    int situation;  // 1..5
    bool generated; // breakdown generated
};

// The order the screen lists a day's plans in (the server's): departure
// time, airline, flight, leg.
bool screenOrder(const Plan &a, const Plan &b)
{
    const std::string_view airlineA = a.airline->code;
    const std::string_view airlineB = b.airline->code;
    return std::tie(a.departure, airlineA, a.flight, a.leg)
           < std::tie(b.departure, airlineB, b.flight, b.leg);
}

bool breakdownGenerated(Random &random, When when)
{
    return when == When::Past    ? !random.chance(0.05)
           : when == When::Today ? random.chance(0.6)
                                 : random.chance(0.1);
}

int planSituation(Random &random, When when)
{
    static constexpr int past[] = {2, 45, 8, 5, 40};
    static constexpr int today[] = {40, 40, 8, 4, 8};
    static constexpr int future[] = {90, 0, 7, 3, 0};
    const int *weights = when == When::Past ? past : when == When::Today ? today : future;
    return 1 + random.weighted(std::span<const int>(weights, 5));
}

// Flight banks: early morning, midday and the evening wave of long-haul
// departures carry most flights.
int departureMinute(Random &random)
{
    static constexpr int hourWeights[24] = {2, 1, 1, 1, 2, 6, 9, 9, 8, 6, 5, 7,
                                            7, 6, 5, 5, 6, 7, 8, 9, 9, 8, 6, 4};
    const int hour = random.weighted(hourWeights);
    return hour * 60 + random.between(0, 11) * 5;
}

std::vector<std::string> words(const char *text)
{
    std::vector<std::string> out;
    std::string current;
    for (const char *p = text; *p; ++p) {
        if (*p == ' ') {
            if (!current.empty())
                out.push_back(current);
            current.clear();
        } else {
            current += *p;
        }
    }
    if (!current.empty())
        out.push_back(current);
    return out;
}

class Generator
{
public:
    Generator(Inserts inserts, std::uint64_t seed)
        : m_inserts(inserts)
        , m_random(seed)
        , m_services(serviceCatalogue())
    {
    }

    DemoSummary summary;

    // One branch-day: `count` plans with `minServices`..`maxServices` each.
    // With `showcase`, the first rows the screen shows carry every case of
    // its status display (see showcaseFirstPlans and kShowcaseServices).
    Status writeDay(const Branch &branch, std::span<const Airline *const> airlines,
                    std::int64_t day, When when, int count, int minServices, int maxServices,
                    bool showcase)
    {
        std::vector<Plan> plans = makePlans(branch, airlines, day, when, count);
        if (showcase)
            showcaseFirstPlans(plans);
        for (std::size_t i = 0; i < plans.size(); ++i) {
            const Plan &plan = plans[i];
            if (Status s = writePlan(branch, plan); !s)
                return s;
            if (Status s = writeForecast(branch, plan); !s)
                return s;
            const int services = m_random.between(minServices, maxServices);
            if (Status s = writeServices(branch, plan, when, services, showcase && i == 0); !s)
                return s;
        }
        return success();
    }

private:
    template<typename Items> void shuffle(Items &items)
    {
        for (std::size_t i = items.size(); i > 1; --i)
            std::swap(
                items[i - 1],
                items[static_cast<std::size_t>(m_random.between(0, static_cast<int>(i) - 1))]);
    }

    // Whoever opens a day sees its first rows: they get the five situations,
    // in a drawn order, and both breakdown states.
    void showcaseFirstPlans(std::vector<Plan> &plans)
    {
        std::sort(plans.begin(), plans.end(), screenOrder);
        std::array situations = {1, 2, 3, 4, 5};
        shuffle(situations);
        const std::size_t shown = std::min(plans.size(), situations.size());
        bool generated = false, notGenerated = false;
        for (std::size_t i = 0; i < shown; ++i) {
            plans[i].situation = situations[i];
            (plans[i].generated ? generated : notGenerated) = true;
        }
        if (shown > 1 && !(generated && notGenerated)) {
            Plan &flipped =
                plans[static_cast<std::size_t>(m_random.between(0, static_cast<int>(shown) - 1))];
            flipped.generated = !flipped.generated;
        }
    }

    std::vector<Plan> makePlans(const Branch &branch, std::span<const Airline *const> airlines,
                                std::int64_t day, When when, int count)
    {
        std::vector<int> weights;
        for (const Airline *a : airlines)
            weights.push_back(a->weight);
        std::vector<int> nextFlight;
        for (const Airline *a : airlines)
            nextFlight.push_back(a->firstFlight + m_random.between(0, 20));
        std::vector<Plan> plans;
        plans.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const int which = m_random.weighted(weights);
            const Airline *airline = airlines[static_cast<std::size_t>(which)];
            Plan plan;
            plan.airline = airline;
            nextFlight[static_cast<std::size_t>(which)] += m_random.between(1, 3);
            // Four digits, wrapping within the airline's own range.
            plan.flight = std::to_string(nextFlight[static_cast<std::size_t>(which)] % 10000);
            plan.leg = m_random.chance(0.85) ? "01" : "02";
            const int minute = departureMinute(m_random);
            plan.at = day + minute * kMinute;
            char hhmm[24]; // room for any int, as the compiler checks
            std::snprintf(hhmm, sizeof hhmm, "%02d%02d", minute / 60, minute % 60);
            plan.departure = hhmm;
            const std::vector<std::string> hubs = words(airline->hubs);
            std::string destination = hubs[static_cast<std::size_t>(
                m_random.between(0, static_cast<int>(hubs.size()) - 1))];
            if (destination == branch.base)
                destination = "SBSV";
            plan.destination = baseCode(destination);
            plan.situation = planSituation(m_random, when);
            plan.generated = breakdownGenerated(m_random, when);
            plans.push_back(std::move(plan));
        }
        return plans;
    }

    static const char *baseCode(const std::string &code)
    {
        for (const Base &b : kBases) {
            if (code == b.code)
                return b.code;
        }
        return kBases[0].code;
    }

    void bindKey(Statement &s, const Branch &branch, const Plan &plan)
    {
        s.bindText(0, plan.airline->code);
        s.bindText(1, branch.code);
        s.bindText(2, plan.flight);
        s.bindText(3, plan.leg);
        s.bindDateTime(4, plan.at);
    }

    Status writePlan(const Branch &branch, const Plan &plan)
    {
        Statement &s = *m_inserts.plan;
        bindKey(s, branch, plan);
        s.bindText(5, std::to_string(plan.situation));
        s.bindText(6, plan.generated ? "2" : "1");
        s.bindText(7, branch.base);
        s.bindText(8, plan.destination);
        s.bindText(9, plan.departure);
        ++summary.flightPlans;
        return runInsert(s);
    }

    Status writeForecast(const Branch &branch, const Plan &plan)
    {
        // Economy and business always; premium economy and first on some.
        const int classes = m_random.between(2, 4);
        std::vector<const CabinClass *> chosen = {&kClasses[1], &kClasses[3]};
        if (classes >= 3)
            chosen.push_back(&kClasses[2]);
        if (classes == 4)
            chosen.push_back(&kClasses[0]);
        for (const CabinClass *cabin : chosen) {
            Statement &s = *m_inserts.forecast;
            bindKey(s, branch, plan);
            s.bindText(5, cabin->code);
            s.bindNumber(6, m_random.between(cabin->minPax, cabin->maxPax));
            bindMaybe(s, 7, m_random, 0.1, m_random.between(0, 8));
            ++summary.forecasts;
            if (Status done = runInsert(s); !done)
                return done;
        }
        return success();
    }

    ServiceCase drawServiceCase(const Plan &plan, When when)
    {
        const int situation = serviceSituation(plan, when);
        // The invoice entry is there for invoiced services and for a few
        // attended ones whose invoice is being entered.
        return {situation, situation == 5 || (situation == 2 && m_random.chance(0.05))};
    }

    int serviceSituation(const Plan &plan, When when)
    {
        if (plan.situation == 3 || plan.situation == 4)
            return m_random.chance(0.9) ? plan.situation : 1 + m_random.between(0, 4);
        if (plan.situation == 5)
            return m_random.chance(0.85) ? 5 : 2;
        if (when == When::Future)
            return m_random.chance(0.95) ? 1 : 3;
        static constexpr int mix[] = {30, 50, 6, 4, 10};
        return 1 + m_random.weighted(mix);
    }

    Status writeServices(const Branch &branch, const Plan &plan, When when, int count,
                         bool showcase)
    {
        const bool national = plan.airline->national[0] == '1';
        std::vector<ServiceCase> firstCases;
        if (showcase) {
            firstCases.assign(kShowcaseServices.begin(), kShowcaseServices.end());
            shuffle(firstCases);
            firstCases[static_cast<std::size_t>(
                           m_random.between(0, static_cast<int>(firstCases.size()) - 1))]
                .blankAmounts = true;
        }
        for (int item = 1; item <= count; ++item) {
            const ServiceCase served = static_cast<std::size_t>(item) <= firstCases.size()
                                           ? firstCases[static_cast<std::size_t>(item - 1)]
                                           : drawServiceCase(plan, when);
            const int situation = served.situation;
            Statement &s = *m_inserts.service;
            bindKey(s, branch, plan);
            s.bindInteger(5, item);
            const Service &service = m_services[static_cast<std::size_t>(
                m_random.between(0, static_cast<int>(m_services.size()) - 1))];
            s.bindText(6, service.code);
            s.bindNumber(7, m_random.chance(0.8) ? 1 : 2);
            if (m_random.chance(0.3)) {
                s.bindNull(8);
                s.bindNull(9);
            } else {
                s.bindText(8, "G" + std::to_string(m_random.between(1, 9)));
                s.bindText(9, "G" + std::to_string(m_random.between(1, 9)));
            }
            s.bindText(10, std::to_string(situation));
            s.bindText(11, m_random.chance(0.1) ? "S" : "N");
            s.bindText(12, m_random.chance(0.2) ? "S" : "N");
            if (m_random.chance(0.15))
                s.bindNull(13);
            else
                s.bindText(13, kUsers[static_cast<std::size_t>(
                                   m_random.between(0, static_cast<int>(kUsers.size()) - 1))]);

            const double requested = m_random.between(1, 320);
            const double standby = m_random.between(0, 12);
            const double cut =
                situation == 3 || situation == 4 ? requested : m_random.between(0, 4);
            bindMaybe(s, 14, m_random, 0.15, requested);                           // QTANTAPRODSP
            bindMaybe(s, 15, m_random, 0.05, requested);                           // QTSESOLICSP
            bindMaybe(s, 16, m_random, served.blankAmounts ? 1.0 : 0.15, standby); // QTSESBYPRSP
            bindMaybe(s, 17, m_random, 0.3,
                      m_random.between(0, static_cast<int>(standby))); // QTSESBYUTSP
            bindMaybe(s, 18, m_random, 0.2, cut);                      // QTCORTSERVSP
            bindMaybe(s, 19, m_random, 0.15, requested - cut);         // QTATUAPRODSP
            if (situation == 5)
                bindMaybe(s, 20, m_random, 0.05, requested - cut); // QTSERFATSP
            else
                s.bindNull(20);
            const double reais = m_random.money(2.5, 180.0);
            // The national airline is priced in reais, the others in dollars.
            bindMaybe(s, 21, m_random,
                      served.blankAmounts ? 1.0
                      : national          ? 0.6
                                          : 0.08,
                      std::round(reais / 5.1 * 100.0) / 100.0);
            bindMaybe(s, 22, m_random, served.blankAmounts ? 1.0 : national ? 0.08 : 0.6, reais);
            s.bindDateTime(23, plan.at - 3 * kHour); // DTHRFEPRODSP
            s.bindDateTime(24, plan.at - m_random.between(24, 72) * kHour
                                   - m_random.between(0, 59) * kMinute);
            if (situation == 2 || situation == 5)
                s.bindDateTime(25, plan.at - 50 * kMinute);
            else
                s.bindNull(25);
            if (situation == 3 || situation == 4)
                s.bindDateTime(26, plan.at - m_random.between(2, 20) * kHour);
            else
                s.bindNull(26);
            bindMaybe(s, 27, m_random, 0.5, m_random.between(1, 20));   // QTSERVFIXSP
            bindMaybe(s, 28, m_random, 0.2, m_random.money(0.2, 35.0)); // VRPESOSESP
            if (served.invoiced) {
                char number[16];
                std::snprintf(number, sizeof number, "%010d", m_random.between(1, 999999999));
                s.bindText(29, number);
            } else {
                s.bindNull(29);
            }
            s.bindText(30, m_random.chance(0.7) ? "1" : "2");
            bindMaybe(s, 31, m_random, 0.3, m_random.money(1.0, 60.0)); // VRLOADSESP
            bindMaybe(s, 32, m_random, 0.25, requested - cut);          // QTREALPROD
            bindMaybe(s, 33, m_random, 0.4, m_random.between(50, 100)); // NRPROPAXSP
            if (m_random.chance(0.5))
                s.bindNull(34);
            else
                s.bindText(34, m_random.chance(0.2) ? "S" : "N");
            ++summary.services;
            if (Status done = runInsert(s); !done)
                return done;
        }
        return success();
    }

    Inserts m_inserts;
    Random m_random;
    std::vector<Service> m_services;
};

Status insertRows(Connection &db, std::string_view sql,
                  const std::vector<std::vector<std::string>> &rows)
{
    Result<Statement *> prepared = db.prepare(sql);
    if (!prepared)
        return prepared.error();
    for (const auto &row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i)
            (*prepared)->bindText(static_cast<int>(i), row[i]);
        if (Status done = runInsert(**prepared); !done)
            return done;
    }
    return success();
}

Status writeReferenceData(Connection &db, Random &random, DemoSummary &summary)
{
    std::vector<std::vector<std::string>> rows;
    for (const Branch &b : kBranches)
        rows.push_back({b.code, b.name, b.rescinded});
    if (Status s = insertRows(
            db, "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDCNTRRESC) VALUES (?, ?, ?)", rows);
        !s)
        return s;
    summary.branches = static_cast<int>(kBranches.size());

    rows.clear();
    for (const Airline &a : kAirlines)
        rows.push_back({a.code, a.abbreviation, a.name, a.national});
    if (Status s = insertRows(
            db, "INSERT INTO COMPANHIA (CDCIA, SGCIA, NMCIA, IDNACCIA) VALUES (?, ?, ?, ?)", rows);
        !s)
        return s;
    summary.airlines = static_cast<int>(kAirlines.size());

    rows.clear();
    for (const Base &b : kBases)
        rows.push_back({b.code, b.abbreviation, b.name});
    if (Status s =
            insertRows(db, "INSERT INTO BASE (CDBASE, SGBASE, NMBASE) VALUES (?, ?, ?)", rows);
        !s)
        return s;

    Result<Statement *> classInsert = db.prepare(
        "INSERT INTO CLASSE (CDCLASSE, SGCLASSE, NMCLASSE, NRORDEM) VALUES (?, ?, ?, ?)");
    if (!classInsert)
        return classInsert.error();
    int order = 0;
    for (const CabinClass &c : kClasses) {
        Statement &s = **classInsert;
        s.bindText(0, c.code);
        s.bindText(1, c.abbreviation);
        s.bindText(2, c.name);
        s.bindInteger(3, ++order);
        if (Status done = runInsert(s); !done)
            return done;
    }

    rows.clear();
    for (const Service &s : serviceCatalogue())
        rows.push_back({s.code, s.name});
    if (Status s = insertRows(db, "INSERT INTO SERVICO (CDSERVICO, DSSERVICO) VALUES (?, ?)", rows);
        !s)
        return s;

    // The national airline serves every branch; the others most of them.
    rows.clear();
    for (const Branch &b : kBranches) {
        for (const Airline &a : kAirlines) {
            if (a.national[0] == '1' || random.chance(0.8))
                rows.push_back({b.code, a.code});
        }
    }
    return insertRows(db, "INSERT INTO CIAFILIAL (CDFILIAL, CDCIA) VALUES (?, ?)", rows);
}

Result<std::vector<const Airline *>> branchAirlines(Connection &db, const std::string &branch)
{
    Result<Statement *> prepared =
        db.prepare("SELECT CDCIA FROM CIAFILIAL WHERE CDFILIAL = ? ORDER BY CDCIA");
    if (!prepared)
        return prepared.error();
    StatementRun run(**prepared);
    run->bindText(0, branch);
    std::vector<const Airline *> airlines;
    for (;;) {
        Result<bool> row = run->step();
        if (!row)
            return row.error();
        if (!*row)
            break;
        for (const Airline &a : kAirlines) {
            if (run->text(0) == a.code)
                airlines.push_back(&a);
        }
    }
    if (airlines.empty())
        airlines.push_back(&kAirlines[0]);
    return airlines;
}

const Branch *findBranch(const std::string &code)
{
    for (const Branch &b : kBranches) {
        if (code == b.code)
            return &b;
    }
    return nullptr;
}

} // namespace

Result<DemoSummary> writeServerData(Connection &db, const DemoOptions &options)
{
    if (Status migrated = migrateSchema(db); !migrated)
        return migrated.error();
    DemoSummary summary;
    Random random(options.seed);
    Result<Inserts> inserts = prepareInserts(db);
    if (!inserts)
        return inserts.error();
    Generator generator(*inserts, options.seed ^ 0x5A5A5A5Aull);
    Status written = inTransaction(db, [&]() -> Status {
        for (const char *table : {"SERVPLANO", "PREVISAOPAX", "PLANOVOO", "CIAFILIAL", "SERVICO",
                                  "CLASSE", "BASE", "COMPANHIA", "FILIAL"}) {
            if (Status s = db.execute(std::string("DELETE FROM ") + table); !s)
                return s;
        }
        if (Status s = writeReferenceData(db, random, summary); !s)
            return s;
        const std::int64_t today = options.firstDay + (options.days / 2) * kMsecsPerDay;
        for (const Branch &branch : kBranches) {
            // A rescinded branch no longer gets flight plans.
            if (branch.rescinded[0] == 'S')
                continue;
            Result<std::vector<const Airline *>> airlines = branchAirlines(db, branch.code);
            if (!airlines)
                return airlines.error();
            for (int d = 0; d < options.days; ++d) {
                const std::int64_t day = options.firstDay + d * kMsecsPerDay;
                const When when = day < today    ? When::Past
                                  : day == today ? When::Today
                                                 : When::Future;
                const int count = random.between(150, 400);
                if (Status s =
                        generator.writeDay(branch, *airlines, day, when, count, 10, 60, true);
                    !s)
                    return s;
            }
        }
        return success();
    });
    if (!written)
        return written.error();
    summary.flightPlans = generator.summary.flightPlans;
    summary.forecasts = generator.summary.forecasts;
    summary.services = generator.summary.services;
    return summary;
}

Status writeLocalBranches(Connection &db)
{
    return inTransaction(db, [&]() -> Status {
        if (Status s = db.execute("CREATE TABLE IF NOT EXISTS FILIAL ("
                                  "CDFILIAL VARCHAR(4) NOT NULL PRIMARY KEY, "
                                  "NMFILIAL VARCHAR(30) NOT NULL, "
                                  "IDCNTRRESC VARCHAR(1) NOT NULL DEFAULT 'N')");
            !s)
            return s;
        if (Status s = db.execute("DELETE FROM FILIAL"); !s)
            return s;
        std::vector<std::vector<std::string>> rows;
        for (const Branch &b : kBranches)
            rows.push_back({b.code, b.name, b.rescinded});
        return insertRows(
            db, "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDCNTRRESC) VALUES (?, ?, ?)", rows);
    });
}

Result<DemoSummary> addFlightPlans(Connection &db, const std::string &branchCode, std::int64_t day,
                                   int count, int servicesPerFlight, std::uint64_t seed)
{
    const Branch *branch = findBranch(branchCode);
    if (!branch)
        return Error{"Filial não cadastrada.", "no demo branch " + branchCode};
    Result<Inserts> inserts = prepareInserts(db);
    if (!inserts)
        return inserts.error();
    Generator generator(*inserts, seed);
    // Every airline flies here, so thousands of flights keep distinct numbers.
    std::vector<const Airline *> airlines;
    for (const Airline &a : kAirlines)
        airlines.push_back(&a);
    Status written = inTransaction(db, [&]() -> Status {
        return generator.writeDay(*branch, airlines, startOfDay(day), When::Today, count,
                                  servicesPerFlight, servicesPerFlight, false);
    });
    if (!written)
        return written.error();
    return generator.summary;
}

std::int64_t localToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return *wire::toMsecs({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, 0, 0, 0, 0});
}

Result<std::int64_t> parseDay(const std::string &text)
{
    const std::optional<std::int64_t> msecs =
        text.size() == 10 ? parseSqlDateTime(text) : std::nullopt;
    if (!msecs)
        return Error{"Data inválida: \"" + text + "\" (use AAAA-MM-DD).", {}};
    return *msecs;
}

} // namespace appserver::demo
