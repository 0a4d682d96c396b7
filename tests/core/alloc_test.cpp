// Building a frame must not touch the heap: the test binary's allocator
// counts its calls while the builder runs.
#include <gtest/gtest.h>

#include "alloc_counter.h"
#include "build.h"
#include "test_support.h"
#include "tunnel_state.h"

TEST(Allocation, FramesAllocateNothing) {
    const long counterCheck = allocationCount();
    int* volatile probe = new int(7);  // volatile: the pair may not be elided
    delete probe;
    ASSERT_EQ(allocationCount(), counterCheck + 1) << "the counting allocator is in place";

    freshJourney();
    const long before = allocationCount();
    for (int32_t travel = 0; travel < 400000; travel += 1237) {
        if (travel % 7 == 0)
            tunnel.pulse ^= 1;
        buildTunnel(tunnel, travel);
    }
    tunnel.quitRequested = 1;
    buildTunnel(tunnel, 500000);
    EXPECT_EQ(allocationCount() - before, 0);
}
