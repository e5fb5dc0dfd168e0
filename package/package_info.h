#pragma once

#include "host/plugin/ate_package.h"

namespace Pkg_ate25400 {

// The package description and unit table the host reads at run time.
const AtePackageInfo *packageInfo();

} // namespace Pkg_ate25400
