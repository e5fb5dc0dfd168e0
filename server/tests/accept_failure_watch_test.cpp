#include "server/transport/grpc_accept_failure.h"

#include <grpc/support/log.h>
#include <gtest/gtest.h>

#include <atomic>

namespace appserver::testing {
namespace {

// Catches a TLS listener that gRPC gave up and nobody replaced: the line
// gRPC 1.51 logs when accept fails must reach every live watch, and no
// other line, nor a watch that is gone, may.
TEST(AcceptFailureWatchTest, GrpcsAcceptFailureLineReachesTheLiveWatches)
{
    std::atomic<int> first = 0, second = 0;
    {
        AcceptFailureWatch one([&] { ++first; });
        {
            AcceptFailureWatch two([&] { ++second; });
            gpr_log(GPR_ERROR, "Failed accept4: Too many open files");
            gpr_log(GPR_INFO, "an unrelated line about accept");
        }
        gpr_log(GPR_ERROR, "Failed accept4: Too many open files");
    }
    gpr_log(GPR_ERROR, "Failed accept4: Too many open files");
    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 1);
}

} // namespace
} // namespace appserver::testing
