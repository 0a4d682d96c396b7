// Building a frame must not touch the heap: the allocator is replaced for the
// whole test binary and counts calls while the builder runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "build.h"
#include "test_support.h"
#include "tunnel_state.h"

namespace {
long allocationCount = 0;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    ++allocationCount;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

TEST(Allocation, FramesAllocateNothing) {
    freshJourney();
    const long before = allocationCount;
    for (int32_t travel = 0; travel < 400000; travel += 1237) {
        if (travel % 7 == 0)
            tunnel.pulse ^= 1;
        buildTunnel(travel);
    }
    tunnel.quitRequested = 1;
    buildTunnel(500000);
    EXPECT_EQ(allocationCount - before, 0);
}
