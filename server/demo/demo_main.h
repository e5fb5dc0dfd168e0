#pragma once

#include <string>
#include <vector>

namespace appserver::demo {

// The demo-data command. Returns the process exit code.
int runDemoData(const std::vector<std::string> &args);

} // namespace appserver::demo
