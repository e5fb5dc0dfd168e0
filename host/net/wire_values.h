#pragma once

#include "platform/data_packet.h"
#include "proto/appserver.pb.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

namespace host {

namespace pb = ate::appserver::v1;

// Civil date-times on the wire are milliseconds since 1899-12-30 00:00; in
// the client they are QDateTime in UTC holding the same date and time of day.
QDateTime civilFromWire(qint64 msecs);
// The date and time of day the value shows, whatever its zone; nullopt for
// an invalid value or a year outside 1..9999.
std::optional<qint64> civilToWire(const QDateTime &dateTime);

// Null is an invalid QVariant; QDate counts as the date-time at midnight.
// False, and `out` unspecified, for a type the wire cannot carry.
bool toWireValue(const QVariant &value, pb::Value *out);
// QString, double, QDateTime (civil, UTC), qint64, bool, or invalid for null.
QVariant fromWireValue(const pb::Value &value);

// A received packet as a record set loads it. A packet that does not hold
// together gives nullopt and says why in `error` (Portuguese).
// The rvalue overload takes the packet's bytes over instead of copying them.
std::optional<platform::DataPacket> toDataPacket(const pb::DataPacket &packet, QString *error);
std::optional<platform::DataPacket> toDataPacket(pb::DataPacket &&packet, QString *error);

} // namespace host
