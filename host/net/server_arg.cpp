#include "host/net/server_arg.h"

#include "platform/data_packet.h"

#include <type_traits>

namespace host {

ServerArg ServerArg::fromVariant(const QVariant &value)
{
    ServerArg arg;
    arg.m_value = value;
    return arg;
}

QVariant ServerArg::value() const
{
    return std::visit(
        [this](auto target) -> QVariant {
            using P = decltype(target);
            if constexpr (std::is_same_v<P, std::monostate>)
                return m_value;
            else if constexpr (std::is_same_v<P, QVariant *>)
                return *target;
            else
                return QVariant::fromValue(*target);
        },
        m_target);
}

bool ServerArg::store(const QVariant &value, bool apply) const
{
    const bool null = !value.isValid();
    const int type = value.typeId();
    return std::visit(
        [&](auto target) -> bool {
            using P = decltype(target);
            if constexpr (std::is_same_v<P, std::monostate>) {
                return false;
            } else if constexpr (std::is_same_v<P, QVariant *>) {
                if (apply)
                    *target = value;
                return true;
            } else if constexpr (std::is_same_v<P, double *>) {
                if (!null && type != QMetaType::Double && type != QMetaType::LongLong)
                    return false;
                if (apply)
                    *target = null ? 0.0 : value.toDouble();
                return true;
            } else if constexpr (std::is_same_v<P, QDateTime *>) {
                if (!null && type != QMetaType::QDateTime)
                    return false;
                if (apply)
                    *target = null ? platform::zeroDateTime() : value.toDateTime();
                return true;
            } else {
                using T = std::remove_pointer_t<P>;
                if (!null && type != QMetaType::fromType<T>().id())
                    return false;
                if (apply)
                    *target = null ? T() : value.value<T>();
                return true;
            }
        },
        m_target);
}

} // namespace host
