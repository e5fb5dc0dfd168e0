#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace host {

// One parameter of a query: a name, a declared type and a value (null until
// set, and again after clear()).
class TParam
{
public:
    enum class DataType { Unknown, String, Date, DateTime, Integer, Float };

    explicit TParam(QString name, DataType type = DataType::Unknown);

    QString name() const { return m_name; }
    DataType dataType() const { return m_type; }
    void setDataType(DataType type) { m_type = type; }

    bool isNull() const { return m_value.isNull(); }
    void clear();
    QVariant value() const { return m_value; }
    void setValue(const QVariant &value);

    void setAsString(const QString &text);
    // Civil date-times (see platform/data_packet.h); the time part is dropped.
    void setAsDate(const QDateTime &date);
    void setAsDate(QDate date);
    void setAsDateTime(const QDateTime &dateTime);
    void setAsInteger(qint64 value);

    QString asString() const;
    QDateTime asDateTime() const; // the zero date-time when null
    qint64 asInteger() const;     // 0 when null
    double asFloat() const;       // 0.0 when null

    // The value to bind: a null of the declared type when null, a QDate for
    // a date, the civil (UTC) QDateTime for a date-time.
    QVariant boundValue() const;

private:
    QString m_name;
    DataType m_type;
    QVariant m_value;
};

// A parameter list, found by name without regard to case, as query
// parameters are.
class TParams
{
public:
    TParams();
    ~TParams();
    TParams(TParams &&) noexcept;
    TParams &operator=(TParams &&) noexcept;

    TParam &addParam(const QString &name, TParam::DataType type = TParam::DataType::Unknown);
    TParam *findParam(const QString &name) const;
    // Throws platform::Error naming the parameter when there is none.
    TParam &paramByName(const QString &name) const;
    int count() const { return int(m_params.size()); }
    TParam &at(int index) const { return *m_params.at(index); }
    QStringList names() const;
    void clear() { m_params.clear(); }

private:
    // Pointers stay valid while parameters are added.
    std::vector<std::unique_ptr<TParam>> m_params;
};

// True when the list holds a parameter of that name (case ignored).
bool ExistParam(const TParams &params, const QString &name);

} // namespace host
