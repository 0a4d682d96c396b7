// The renderer tests' context natively: a surfaceless EGL pbuffer.
#include <gtest/gtest.h>

#include "egl_pbuffer.h"
#include "embedded_tile.h"
#include "gl_context.h"
#include "scene.h"

namespace {

constexpr ClientSize kClient = {800, 600};
Voyage voyage;

class PbufferEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(makePbufferContext(kClient.width, kClient.height)) << "no EGL context";
    }
    void TearDown() override { tunnelTexture.release(); }
};

}  // namespace

Voyage& testVoyage = voyage;

void resetProgramState() {
    voyage.journey = {};
    voyage.rate = {};
    voyage.frozen = 0;
    voyage.clock = {};
    startFrameClock(voyage.clock, 0, 1000000);
}

ClientSize useRealClientSize() {
    resizeViewport(kClient.width, kClient.height);
    return kClient;
}

TileImage programTile() {
    return embeddedTile();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PbufferEnvironment);
    return RUN_ALL_TESTS();
}
