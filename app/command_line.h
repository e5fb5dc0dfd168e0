#pragma once

#include "app/host_options.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace app {

// Reads the arguments (without the program name): "--name value" or
// "--name=value". Throws platform::Error, in Portuguese, on an unknown
// option, a missing or invalid value, or contradictory options.
HostOptions parseHostOptions(const QStringList &arguments);

// The options and their meaning, for --help.
QString hostUsage();

// "ate-host 1.0", for --version.
QString hostVersion();

// What main() does before any window exists: reads the arguments into
// `options`; prints the help or the version on standard output and returns
// 0, or prints the error and the help on standard error and returns 2, when
// the host should not start. Needs neither a display nor an application.
std::optional<int> readCommandLine(const QStringList &arguments, HostOptions &options);

} // namespace app
