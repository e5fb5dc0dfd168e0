#pragma once

#include <QLoggingCategory>

namespace host {

// "ate.net": connecting, every call with its method, duration and outcome,
// reconnections. Info by default; QT_LOGGING_RULES="ate.net.info=false"
// silences it.
Q_DECLARE_LOGGING_CATEGORY(lcNet)

} // namespace host
