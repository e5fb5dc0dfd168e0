#pragma once

#include "server/module/remote_data_module.h"

namespace appserver {

// "Ate25400.rdmPosFDiPlav": the flight plans of a branch-day, the passenger
// forecast and services of one flight, and the airline lookups.
const RemoteDataModule &rdmPosFDiPlav();

} // namespace appserver
