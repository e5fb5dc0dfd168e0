#include "host/adoib_query.h"
#include "host/host_context.h"
#include "host/local_database.h"
#include "host/params.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"
#include "platform/data_packet.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// The branch query as the closing position screen stores it.
static const QStringList FilialSql = {
    QStringLiteral("SELECT"),
    QStringLiteral("   CDFILIAL,"),
    QStringLiteral("   NMFILIAL,"),
    QStringLiteral("   IDCNTRRESC"),
    QStringLiteral("FROM"),
    QStringLiteral("   FILIAL"),
    QStringLiteral("WHERE"),
    QStringLiteral("   ((CDFILIAL = :P_CDFILIAL) OR (:P_TCDFILIAL = 'T'))"),
};

class AdoIbQueryTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void filialQuery_data();
    void filialQuery();
    void dateParameters_data();
    void dateParameters();
    void failuresAreReported_data();
    void failuresAreReported();
    void parameterNamesSkipQuotesAndCasts();
    void reportParameters();

private:
    // Points the host's local database at the row's driver and creates the
    // tables; false (after QSKIP) when PostgreSQL is not available.
    bool useDatabase(const QString &driver);
    void exec(const QString &sql);
    static void declareFilialFields(host::TADOIBQuery &query);

    QTemporaryDir m_dir;
};

void AdoIbQueryTest::initTestCase()
{
    // A zone with an offset and daylight saving history, so that a date-time
    // moved by a local-time conversion shows.
    qputenv("TZ", "America/Sao_Paulo");
    QVERIFY(m_dir.isValid());
}

void AdoIbQueryTest::cleanup()
{
    host::closeLocalDatabase();
}

void AdoIbQueryTest::exec(const QString &sql)
{
    QSqlQuery query(host::localDatabase());
    QVERIFY2(query.exec(sql), qPrintable(query.lastError().text() + QLatin1String(": ") + sql));
}

bool AdoIbQueryTest::useDatabase(const QString &driver)
{
    host::DatabaseSettings settings;
    if (driver == QLatin1String("postgresql")) {
        const QString conninfo = qEnvironmentVariable("ATE_TEST_PG");
        if (conninfo.isEmpty())
            return false;
        settings = host::DatabaseSettings::fromLibpq(conninfo);
    } else {
        settings.sqlitePath = m_dir.filePath(QStringLiteral("local.db"));
    }
    host::context().setDatabase(settings);
    if (driver == QLatin1String("postgresql")) {
        // A schema of its own: other tests share the database.
        exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS host_query_test"));
        exec(QStringLiteral("SET search_path TO host_query_test"));
    }
    exec(QStringLiteral("DROP TABLE IF EXISTS FILIAL"));
    exec(QStringLiteral(
        "CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) PRIMARY KEY, NMFILIAL VARCHAR(30), "
        "IDCNTRRESC CHAR(1))"));
    exec(QStringLiteral("INSERT INTO FILIAL VALUES ('GRU', 'Guarulhos', 'N')"));
    exec(QStringLiteral("INSERT INTO FILIAL VALUES ('GIG', 'Galeão', 'S')"));
    exec(QStringLiteral("INSERT INTO FILIAL VALUES ('CGH', 'Congonhas', NULL)"));
    exec(QStringLiteral("DROP TABLE IF EXISTS PLANO"));
    exec(QStringLiteral(
        "CREATE TABLE PLANO (NRVOO VARCHAR(5), DTHRPLAVOOPV TIMESTAMP, QTPAX INTEGER)"));
    exec(QStringLiteral("INSERT INTO PLANO VALUES ('1001', '2024-02-29 10:30:00', 120)"));
    // Midnight of a day that had no midnight in this zone (DST began).
    exec(QStringLiteral("INSERT INTO PLANO VALUES ('1002', '2018-11-04 00:00:00', 80)"));
    return true;
}

void AdoIbQueryTest::declareFilialFields(host::TADOIBQuery &query)
{
    platform::Field *code =
        query.addField(QStringLiteral("CDFILIAL"), platform::FieldType::String, 4);
    code->setDisplayLabel(QStringLiteral("Código"));
    code->setRequired(true);
    query.addField(QStringLiteral("NMFILIAL"), platform::FieldType::String, 30)
        ->setDisplayLabel(QStringLiteral("Nome"));
    query.addField(QStringLiteral("IDCNTRRESC"), platform::FieldType::String, 1)->setVisible(false);
}

static void addDrivers()
{
    QTest::addColumn<QString>("driver");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

#define USE_DATABASE() \
    QFETCH(QString, driver); \
    if (!useDatabase(driver)) \
        QSKIP("ATE_TEST_PG is not set"); \
    if (QTest::currentTestFailed()) \
    return

void AdoIbQueryTest::filialQuery_data()
{
    addDrivers();
}

// Catches either parameter of the branch query ignored, an "all branches"
// flag that does not list them all, and values spliced into the statement.
void AdoIbQueryTest::filialQuery()
{
    USE_DATABASE();
    host::TADOIBQuery query;
    query.setSQL(FilialSql);
    declareFilialFields(query);
    QCOMPARE(query.Params().names(),
             QStringList({QStringLiteral("P_CDFILIAL"), QStringLiteral("P_TCDFILIAL")}));

    // One branch by code.
    query.ParamByName(QStringLiteral("P_CDFILIAL")).setAsString(QStringLiteral("GIG"));
    query.ParamByName(QStringLiteral("P_TCDFILIAL")).clear();
    query.Open();
    QVERIFY(query.Active());
    QCOMPARE(query.RecordCount(), 1);
    QCOMPARE(query.FieldByName(QStringLiteral("NMFILIAL")).asString(), QStringLiteral("Galeão"));
    QCOMPARE(query.FieldByName(QStringLiteral("IDCNTRRESC")).asString(), QStringLiteral("S"));
    QCOMPARE(query.Query()->fieldByName(QStringLiteral("CDFILIAL")).displayLabel(),
             QStringLiteral("Código"));

    // No such branch.
    query.Close();
    query.ParamByName(QStringLiteral("p_cdfilial")).setAsString(QStringLiteral("XXX"));
    query.Open();
    QVERIFY(query.IsEmpty());
    QCOMPARE(query.FieldByName(QStringLiteral("NMFILIAL")).asString(), QString());

    // All branches: the code cleared, the flag "T".
    query.Close();
    query.ParamByName(QStringLiteral("P_CDFILIAL")).clear();
    query.ParamByName(QStringLiteral("P_TCDFILIAL")).setAsString(QStringLiteral("T"));
    query.Open();
    QCOMPARE(query.RecordCount(), 3);
    QStringList codes;
    for (int row = 0; row < query.RecordCount(); ++row)
        codes.append(query.FieldByName(QStringLiteral("CDFILIAL")).asStringAt(row));
    codes.sort();
    QCOMPARE(codes,
             QStringList({QStringLiteral("CGH"), QStringLiteral("GIG"), QStringLiteral("GRU")}));

    // A quote in a value is data, not SQL.
    query.Close();
    query.ParamByName(QStringLiteral("P_CDFILIAL")).setAsString(QStringLiteral("X' OR '1'='1"));
    query.ParamByName(QStringLiteral("P_TCDFILIAL")).clear();
    query.Open();
    QVERIFY(query.IsEmpty());
}

void AdoIbQueryTest::dateParameters_data()
{
    addDrivers();
}

// Catches date-times shifted by the local zone on the way in or out, a
// midnight lost to a daylight-saving gap, and a null date parameter that
// PostgreSQL cannot type.
void AdoIbQueryTest::dateParameters()
{
    USE_DATABASE();
    host::TADOIBQuery query;
    query.setSQL(
        {QStringLiteral("SELECT NRVOO, DTHRPLAVOOPV, QTPAX FROM PLANO"),
         QStringLiteral(
             "WHERE (DTHRPLAVOOPV = :DTHR) OR (CAST(:DIA AS DATE) IS NULL AND NRVOO = :NR)")});
    query.addField(QStringLiteral("NRVOO"), platform::FieldType::String, 5);
    query.addField(QStringLiteral("DTHRPLAVOOPV"), platform::FieldType::DateTime);
    query.addField(QStringLiteral("QTPAX"), platform::FieldType::Integer);

    const QDateTime flight = platform::civilDateTime(QDate(2024, 2, 29), QTime(10, 30));
    query.ParamByName(QStringLiteral("DTHR")).setAsDateTime(flight);
    query.ParamByName(QStringLiteral("DIA")).setAsDate(QDate(2024, 2, 29));
    query.ParamByName(QStringLiteral("NR")).setAsString(QStringLiteral("1002"));
    query.Open();
    QCOMPARE(query.RecordCount(), 1);
    QCOMPARE(query.FieldByName(QStringLiteral("NRVOO")).asString(), QStringLiteral("1001"));
    QCOMPARE(query.FieldByName(QStringLiteral("DTHRPLAVOOPV")).asDateTime(), flight);
    QCOMPARE(query.FieldByName(QStringLiteral("QTPAX")).asInteger(), 120);

    // A null date typed by its cast: the second branch of the condition.
    query.Close();
    query.ParamByName(QStringLiteral("DTHR")).clear();
    query.ParamByName(QStringLiteral("DIA")).clear();
    query.Open();
    QCOMPARE(query.RecordCount(), 1);
    QCOMPARE(query.FieldByName(QStringLiteral("DTHRPLAVOOPV")).asDateTime(),
             platform::civilDateTime(QDate(2018, 11, 4)));

    // Without declared fields the statement's columns become the fields.
    host::TADOIBQuery plain;
    plain.setSQL({QStringLiteral("SELECT NRVOO, QTPAX FROM PLANO ORDER BY NRVOO")});
    plain.Open();
    QCOMPARE(plain.RecordCount(), 2);
    QCOMPARE(plain.FieldByName(QStringLiteral("nrvoo")).asStringAt(1), QStringLiteral("1002"));
}

void AdoIbQueryTest::failuresAreReported_data()
{
    addDrivers();
}

// Catches a broken statement or a missing column that fails silently or
// leaves the query open with stale rows, and an unknown parameter name
// that is accepted.
void AdoIbQueryTest::failuresAreReported()
{
    USE_DATABASE();
    host::TADOIBQuery query;
    query.setSQL(FilialSql);
    declareFilialFields(query);
    QVERIFY_THROWS_EXCEPTION(platform::Error, query.ParamByName(QStringLiteral("P_NADA")));

    query.ParamByName(QStringLiteral("P_TCDFILIAL")).setAsString(QStringLiteral("T"));
    query.Open();
    QCOMPARE(query.RecordCount(), 3);

    query.setSQL({QStringLiteral("SELECT CDFILIAL, NMFILIAL FROM FILIAL")});
    QVERIFY(!query.Active());
    QVERIFY_THROWS_EXCEPTION(platform::Error, query.Open()); // IDCNTRRESC is missing
    QVERIFY(!query.Active());

    query.setSQL({QStringLiteral("SELECT FROM WHERE")});
    QVERIFY_THROWS_EXCEPTION(platform::Error, query.Open());
    QVERIFY(!query.Active());
}

// Catches a ':' inside a text, a comment or a PostgreSQL cast taken for a
// parameter, and a repeated parameter listed twice.
void AdoIbQueryTest::parameterNamesSkipQuotesAndCasts()
{
    const QStringList names = host::sqlParameterNames(
        QStringLiteral("SELECT ':NOTA', \"A:B\", X::TEXT -- :COMENTARIO\n"
                       "FROM T /* :BLOCO */ WHERE A = :P1 AND B = :p1 AND C = :P_2"));
    QCOMPARE(names, QStringList({QStringLiteral("P1"), QStringLiteral("P_2")}));
}

// Catches a parameter test that depends on letter case, and values that do
// not read back as they were set.
void AdoIbQueryTest::reportParameters()
{
    host::TParams params;
    params.addParam(QStringLiteral("DTHRPLAVOOPV"));
    params.addParam(QStringLiteral("SIT3"));
    params.addParam(QStringLiteral("CDCIA"));
    QVERIFY(host::ExistParam(params, QStringLiteral("dthrplavoopv")));
    QVERIFY(host::ExistParam(params, QStringLiteral("SIT3")));
    QVERIFY(!host::ExistParam(params, QStringLiteral("SIT1")));
    QVERIFY(!host::ExistParam(params, QStringLiteral("CDFILIAL")));
    QVERIFY_THROWS_EXCEPTION(platform::Error, params.paramByName(QStringLiteral("SIT1")));

    params.findParam(QStringLiteral("DTHRPLAVOOPV"))
        ->setAsDate(platform::civilDateTime(QDate(2024, 2, 29), QTime(9, 0)));
    params.findParam(QStringLiteral("SIT3"))->setAsInteger(3);
    params.findParam(QStringLiteral("CDCIA"))->setAsString(QStringLiteral("AD,G3"));
    QCOMPARE(params.paramByName(QStringLiteral("DTHRPLAVOOPV")).asDateTime(),
             platform::civilDateTime(QDate(2024, 2, 29)));
    QCOMPARE(params.paramByName(QStringLiteral("DTHRPLAVOOPV")).asString(),
             QStringLiteral("29/02/2024"));
    QCOMPARE(params.paramByName(QStringLiteral("DTHRPLAVOOPV")).boundValue(),
             QVariant(QDate(2024, 2, 29)));
    QCOMPARE(params.paramByName(QStringLiteral("SIT3")).asInteger(), 3);
    QCOMPARE(params.paramByName(QStringLiteral("CDCIA")).asString(), QStringLiteral("AD,G3"));

    params.paramByName(QStringLiteral("SIT3")).clear();
    QVERIFY(params.paramByName(QStringLiteral("SIT3")).isNull());
    QCOMPARE(params.paramByName(QStringLiteral("SIT3")).asInteger(), 0);
}

QTEST_MAIN(AdoIbQueryTest)
#include "adoib_query_test.moc"
