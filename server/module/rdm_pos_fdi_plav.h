#pragma once

#include "server/module/remote_data_module.h"

namespace appserver {

class ReplyCache;

// "Ate25400.rdmPosFDiPlav": the flight plans of a branch-day, the passenger
// forecast and services of one flight, and the airline lookups, answered
// through the cache given, which must outlive the module.
RemoteDataModule rdmPosFDiPlav(ReplyCache &cache);

} // namespace appserver
