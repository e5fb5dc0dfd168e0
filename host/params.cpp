#include "host/params.h"

#include <QCoreApplication>

#include "platform/abort.h"
#include "platform/data_packet.h"

namespace host {

TParam::TParam(QString name, DataType type)
    : m_name(std::move(name))
    , m_type(type)
{
}

void TParam::clear()
{
    m_value = QVariant();
}

void TParam::setValue(const QVariant &value)
{
    m_value = value;
}

void TParam::setAsString(const QString &text)
{
    if (m_type == DataType::Unknown)
        m_type = DataType::String;
    m_value = text;
}

void TParam::setAsDate(const QDateTime &date)
{
    setAsDate(date.date());
}

void TParam::setAsDate(QDate date)
{
    if (m_type == DataType::Unknown || m_type == DataType::DateTime)
        m_type = DataType::Date;
    m_value = date.isValid() ? QVariant(platform::civilDateTime(date)) : QVariant();
}

void TParam::setAsDateTime(const QDateTime &dateTime)
{
    if (m_type == DataType::Unknown)
        m_type = DataType::DateTime;
    m_value = dateTime.isValid() ? QVariant(dateTime) : QVariant();
}

void TParam::setAsInteger(qint64 value)
{
    if (m_type == DataType::Unknown)
        m_type = DataType::Integer;
    m_value = value;
}

QString TParam::asString() const
{
    if (m_value.isNull())
        return {};
    if (m_value.metaType().id() == QMetaType::QDateTime) {
        const QDateTime dt = m_value.toDateTime();
        return m_type == DataType::Date ? dt.date().toString(QStringLiteral("dd/MM/yyyy"))
                                        : dt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    return m_value.toString();
}

QDateTime TParam::asDateTime() const
{
    if (m_value.isNull())
        return platform::zeroDateTime();
    const QDateTime dt = m_value.toDateTime();
    return dt.isValid() ? dt : platform::zeroDateTime();
}

qint64 TParam::asInteger() const
{
    return m_value.isNull() ? 0 : m_value.toLongLong();
}

double TParam::asFloat() const
{
    return m_value.isNull() ? 0.0 : m_value.toDouble();
}

QVariant TParam::boundValue() const
{
    QMetaType type;
    switch (m_type) {
    case DataType::Unknown:
    case DataType::String:
        type = QMetaType::fromType<QString>();
        break;
    case DataType::Date:
        type = QMetaType::fromType<QDate>();
        break;
    case DataType::DateTime:
        type = QMetaType::fromType<QDateTime>();
        break;
    case DataType::Integer:
        type = QMetaType::fromType<qint64>();
        break;
    case DataType::Float:
        type = QMetaType::fromType<double>();
        break;
    }
    if (m_value.isNull())
        return QVariant(type);
    if (m_type == DataType::Date && m_value.metaType().id() == QMetaType::QDateTime)
        return m_value.toDateTime().date();
    return m_value;
}

TParams::TParams() = default;
TParams::~TParams() = default;
TParams::TParams(TParams &&) noexcept = default;
TParams &TParams::operator=(TParams &&) noexcept = default;

TParam &TParams::addParam(const QString &name, TParam::DataType type)
{
    if (TParam *existing = findParam(name))
        return *existing;
    m_params.push_back(std::make_unique<TParam>(name, type));
    return *m_params.back();
}

TParam *TParams::findParam(const QString &name) const
{
    for (const auto &param : m_params) {
        if (param->name().compare(name, Qt::CaseInsensitive) == 0)
            return param.get();
    }
    return nullptr;
}

TParam &TParams::paramByName(const QString &name) const
{
    if (TParam *param = findParam(name))
        return *param;
    throw platform::Error(
        QCoreApplication::translate("TParams", "Parâmetro %1 não encontrado.").arg(name));
}

QStringList TParams::names() const
{
    QStringList result;
    for (const auto &param : m_params)
        result.append(param->name());
    return result;
}

bool ExistParam(const TParams &params, const QString &name)
{
    return params.findParam(name) != nullptr;
}

} // namespace host
