#pragma once

#include "platform/abort.h"

#include <QString>

namespace app::testing {

// The message of the platform::Error the call throws, empty when it throws
// none.
template<typename Call> QString errorMessage(Call &&call)
{
    try {
        call();
    } catch (const platform::Error &error) {
        return error.message();
    }
    return {};
}

} // namespace app::testing
