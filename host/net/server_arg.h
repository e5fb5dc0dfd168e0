#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

#include <concepts>
#include <cstddef>
#include <variant>

namespace host {

// One argument of a late-bound server call, in the types the wire carries:
// text, float, civil date-time, integer, boolean and null.
//
// Built implicitly from a value, it travels by value. Built from a pointer
// to the caller's variable, it travels by reference: the value is read when
// the call is made, and what the server writes back is stored into the
// variable when the call succeeds.
//
//     appServer.invoke("GetPlanoVoo", {&m_stListaCia, QString(), date, branch});
class ServerArg
{
public:
    ServerArg(std::nullptr_t) { }
    ServerArg(const QString &text)
        : m_value(text)
    {
    }
    ServerArg(const char *text)
        : m_value(QString::fromUtf8(text))
    {
    }
    ServerArg(bool value)
        : m_value(value)
    {
    }
    template<std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) ServerArg(T value)
        : m_value(static_cast<qint64>(value))
    {
    }
    template<std::floating_point T>
    ServerArg(T value)
        : m_value(static_cast<double>(value))
    {
    }
    // Date-times are civil: the date and time of day as the value shows
    // them, whatever its time zone.
    ServerArg(const QDateTime &dateTime)
        : m_value(dateTime)
    {
    }
    // A date travels as the date-time at the start of that day.
    ServerArg(QDate date)
        : m_value(date.isValid() ? QDateTime(date, QTime(0, 0), Qt::UTC) : QDateTime())
    {
    }

    ServerArg(QString *variable)
        : m_target(variable)
    {
    }
    ServerArg(double *variable)
        : m_target(variable)
    {
    }
    ServerArg(qint64 *variable)
        : m_target(variable)
    {
    }
    ServerArg(bool *variable)
        : m_target(variable)
    {
    }
    ServerArg(QDateTime *variable)
        : m_target(variable)
    {
    }
    ServerArg(QVariant *variable)
        : m_target(variable)
    {
    }

    // Any value; an invalid QVariant is null.
    static ServerArg fromVariant(const QVariant &value);

    bool byReference() const { return m_target.index() != 0; }

    // The value to send: the referenced variable's current value when by
    // reference.
    QVariant value() const;

    // Whether a value the server wrote back fits the referenced variable:
    // its own type, null (stored as the type's empty value), or an integer
    // for a float. Always false by value.
    bool accepts(const QVariant &value) const { return store(value, false); }
    // Stores the value into the referenced variable when it fits.
    bool writeBack(const QVariant &value) const { return store(value, true); }

private:
    ServerArg() = default;
    bool store(const QVariant &value, bool apply) const;

    using Target = std::variant<std::monostate, QString *, double *, qint64 *, bool *, QDateTime *,
                                QVariant *>;

    QVariant m_value;
    Target m_target;
};

} // namespace host
