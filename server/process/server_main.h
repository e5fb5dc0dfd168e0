#pragma once

#include <string>
#include <vector>

namespace appserver {

// The server executable: reads its configuration, brings the schema up to
// date, serves until SIGTERM or SIGINT, then shuts down cleanly.
// Returns the process exit code.
int runServer(const std::vector<std::string> &args);

} // namespace appserver
