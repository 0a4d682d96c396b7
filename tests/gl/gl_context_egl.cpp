// The renderer tests' context natively: a surfaceless EGL pbuffer.
#include <gtest/gtest.h>

#include <cstdio>

#include "egl_pbuffer.h"
#include "embedded_tile.h"
#include "gl_context.h"
#include "scene.h"

namespace {

constexpr ClientSize kClient = {800, 600};
ClientSize client = kClient;
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

bool sizeClient(int32_t width, int32_t height) {
    if (!makePbufferContext(width, height)) {
        std::fprintf(stderr, "no OpenGL context (EGL, surfaceless Mesa)\n");
        return false;
    }
    client = {width, height};
    resizeViewport(width, height);
    return true;
}

void programFrame() {
    stepFrame(voyage, {0, client.width, client.height, 0, 0});
}

void swapFrame() {}

int main(int argc, char** argv) {
    if (argc == 2 && argv[1][0] != '-') {
        if (!sizeClient(kClient.width, kClient.height)) {
            return 1;
        }
        startVoyage(voyage, embeddedTile(), kClient.width, kClient.height);
        return writeFrozenFrames(argv[1]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new PbufferEnvironment);
    return RUN_ALL_TESTS();
}
