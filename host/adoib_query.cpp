#include "host/adoib_query.h"

#include "host/local_database.h"
#include "platform/abort.h"
#include "platform/client_data_set.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace host {
namespace {

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

platform::FieldType typeOfColumn(const QSqlField &column)
{
    switch (column.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return platform::FieldType::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return platform::FieldType::Float;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        return platform::FieldType::DateTime;
    default:
        return platform::FieldType::String;
    }
}

// Dates travel as ISO texts: both SQLite (which stores them as text) and
// PostgreSQL (which types the literal by its context) take them as the wall
// clock they say, with no time zone applied on the way. The text is the one
// SQLite tables store ("yyyy-MM-dd HH:mm:ss"), so equality holds there too.
QVariant forDriver(const TParam &param)
{
    const QVariant value = param.boundValue();
    if (value.isNull())
        return value;
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                                            : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return value;
    }
}

// A stored date-time read as the wall clock it says. Built in UTC, never
// through local time, where a midnight that a daylight-saving change
// skipped would not exist.
QVariant civilFromDatabase(const QVariant &value, const QString &fieldName)
{
    switch (value.metaType().id()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.isValid())
            return platform::civilDateTime(dt.date(), dt.time());
        break;
    }
    case QMetaType::QDate:
        return platform::civilDateTime(value.toDate());
    default:
        break;
    }
    // Text: "yyyy-MM-dd", optionally followed by " " or "T" and the time.
    const QString text = value.toString().trimmed();
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    QTime time(0, 0);
    if (text.size() > 10) {
        QString clock = text.mid(11);
        const qsizetype zone = clock.indexOf(QRegularExpression(QStringLiteral("[Z+-]")));
        if (zone >= 0)
            clock.truncate(zone);
        time = QTime::fromString(clock, Qt::ISODateWithMs);
        if (!time.isValid())
            time = QTime::fromString(clock, Qt::ISODate);
    }
    if (!date.isValid() || !time.isValid())
        throw platform::Error(
            QCoreApplication::translate("TADOIBQuery", "Valor inválido para o campo %1: %2")
                .arg(fieldName, text));
    return platform::civilDateTime(date, time);
}

QVariant fromDatabase(const QVariant &value, const platform::Field &field)
{
    if (value.isNull())
        return {};
    bool ok = true;
    QVariant converted;
    switch (field.type()) {
    case platform::FieldType::String:
    case platform::FieldType::FixedString:
        return value.toString();
    case platform::FieldType::Float:
        converted = value.toDouble(&ok);
        break;
    case platform::FieldType::Integer:
        converted = value.toLongLong(&ok);
        break;
    case platform::FieldType::DateTime:
        return civilFromDatabase(value, field.name());
    }
    if (!ok)
        throw platform::Error(
            QCoreApplication::translate("TADOIBQuery", "Valor inválido para o campo %1: %2")
                .arg(field.name(), value.toString()));
    return converted;
}

} // namespace

QStringList sqlParameterNames(const QString &statement)
{
    QStringList names;
    const qsizetype n = statement.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = statement.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype close = statement.indexOf(c, i + 1);
            i = close < 0 ? n : close + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && statement.at(i + 1) == QLatin1Char('-')) {
            const qsizetype end = statement.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? n : end + 1;
        } else if (c == QLatin1Char('/') && i + 1 < n && statement.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = statement.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char(':') && i + 1 < n && statement.at(i + 1) == QLatin1Char(':')) {
            i += 2;
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameStart(statement.at(i + 1))) {
            qsizetype end = i + 1;
            while (end < n && isNameChar(statement.at(end)))
                ++end;
            const QString name = statement.mid(i + 1, end - i - 1);
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
            i = end;
        } else {
            ++i;
        }
    }
    return names;
}

TADOIBQuery::TADOIBQuery(QObject *parent)
    : QObject(parent)
    , m_dataSet(new platform::ClientDataSet(this))
{
}

TADOIBQuery::~TADOIBQuery() = default;

QString TADOIBQuery::statement() const
{
    return m_sql.join(QLatin1Char('\n'));
}

QString TADOIBQuery::civilTextColumn(const platform::Field &field)
{
    return QStringLiteral("ate_civil_") + field.name().toLower();
}

// The PostgreSQL driver turns a timestamp into a local QDateTime, which
// cannot hold a wall-clock time that a daylight-saving change skipped
// (midnight of a spring-forward day in some zones). The statement is
// wrapped so that each declared date-time also comes as text.
QString TADOIBQuery::civilTextStatement() const
{
    QStringList twins;
    for (const auto &field : m_dataSet->fields()) {
        if (field->type() == platform::FieldType::DateTime)
            twins.append(QStringLiteral("CAST(ate_q.%1 AS TEXT) AS %2")
                             .arg(field->name(), civilTextColumn(*field)));
    }
    if (twins.isEmpty())
        return statement();
    QString inner = statement().trimmed();
    while (inner.endsWith(QLatin1Char(';')))
        inner.chop(1);
    // Line breaks around the inner statement keep a trailing comment closed.
    return QStringLiteral("SELECT ate_q.*, %1 FROM (\n%2\n) AS ate_q")
        .arg(twins.join(QStringLiteral(", ")), inner);
}

void TADOIBQuery::setSQL(const QStringList &lines)
{
    Close();
    m_sql = lines;
    TParams fresh;
    for (const QString &name : sqlParameterNames(statement())) {
        TParam &param = fresh.addParam(name);
        if (const TParam *old = m_params.findParam(name)) {
            param.setDataType(old->dataType());
            param.setValue(old->value());
        }
    }
    m_params = std::move(fresh);
}

TParam &TADOIBQuery::ParamByName(const QString &name)
{
    return m_params.paramByName(name);
}

platform::Field *TADOIBQuery::addField(const QString &name, platform::FieldType type, int size)
{
    Close();
    return m_dataSet->addField(name, type, size);
}

void TADOIBQuery::Open()
{
    Close();
    QSqlDatabase db =
        m_connectionName.isEmpty() ? localDatabase() : QSqlDatabase::database(m_connectionName);
    platform::DataPacket packet;
    {
        const bool postgres = db.driverName() == QLatin1String("QPSQL");
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (!query.prepare(postgres ? civilTextStatement() : statement()))
            throw platform::Error(QCoreApplication::translate(
                                      "TADOIBQuery", "Erro na consulta ao banco de dados local: %1")
                                      .arg(query.lastError().text()));
        for (int i = 0; i < m_params.count(); ++i) {
            const TParam &param = m_params.at(i);
            query.bindValue(QLatin1Char(':') + param.name(), forDriver(param));
        }
        if (!query.exec())
            throw platform::Error(QCoreApplication::translate(
                                      "TADOIBQuery", "Erro na consulta ao banco de dados local: %1")
                                      .arg(query.lastError().text()));

        const QSqlRecord record = query.record();
        if (m_dataSet->fields().empty() || m_fieldsFromResult) {
            // No declared fields: the statement's columns become the fields
            // (the set is closed here, so it takes new ones).
            for (int c = 0; c < record.count(); ++c) {
                const QSqlField column = record.field(c);
                if (!m_dataSet->findField(column.name()))
                    m_dataSet->addField(column.name().toUpper(), typeOfColumn(column),
                                        qMax(0, column.length()));
            }
            m_fieldsFromResult = true;
        }

        // Declared field → result column, by name ignoring case. A field the
        // result lacks is left out of the packet, and the record set names it.
        std::vector<std::pair<const platform::Field *, int>> map;
        for (const auto &field : m_dataSet->fields()) {
            for (int c = 0; c < record.count(); ++c) {
                if (record.fieldName(c).compare(field->name(), Qt::CaseInsensitive) == 0) {
                    // On PostgreSQL a date-time is read from its text twin.
                    const int twin = record.indexOf(civilTextColumn(*field));
                    map.emplace_back(field.get(), twin >= 0 ? twin : c);
                    packet.fields.append({field->name(), field->type(), field->size()});
                    break;
                }
            }
        }
        QVariantList row;
        while (query.next()) {
            row.clear();
            for (size_t f = 0; f < map.size(); ++f)
                row.append(fromDatabase(query.value(map[f].second), *map[f].first));
            packet.appendRow(row);
        }
        if (query.lastError().isValid())
            throw platform::Error(QCoreApplication::translate(
                                      "TADOIBQuery", "Erro na consulta ao banco de dados local: %1")
                                      .arg(query.lastError().text()));
    }
    m_dataSet->loadPacket(std::move(packet));
}

void TADOIBQuery::Close()
{
    m_dataSet->close();
}

bool TADOIBQuery::Active() const
{
    return m_dataSet->isActive();
}

bool TADOIBQuery::IsEmpty() const
{
    return m_dataSet->isEmpty();
}

int TADOIBQuery::RecordCount() const
{
    return m_dataSet->recordCount();
}

platform::Field &TADOIBQuery::FieldByName(const QString &name) const
{
    return m_dataSet->fieldByName(name);
}

} // namespace host
