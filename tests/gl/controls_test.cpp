// The viewer's commands through the window's messages: characters, Esc,
// menu items and the accelerator.

#include <gtest/gtest.h>

#include <cstring>

#include "gl_window.h"
#include "resource.h"
#include "window_state.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetProgramState();
        startJourney(windowVoyage.journey);
    }
};

TEST_F(ControlsTest, WindowMessagesReachTheSameControls) {
    HWND window = testWindow();
    const TunnelState& tunnel = windowVoyage.journey.tunnel;
    EXPECT_EQ(SendMessageA(window, WM_CHAR, '+', 0), 0);
    EXPECT_EQ(tunnel.speed, 11312.80078125f);
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(ID_SLOWER, 0), 0), 0);
    EXPECT_EQ(tunnel.speed, 8000.0f);
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(ID_SLOWER, 0), 0), 0);
    EXPECT_EQ(tunnel.speed, 5657.30810546875f);
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(ID_FASTER, 1), 0), 0)
        << "accelerator notifications carry 1 in the high word";
    EXPECT_EQ(tunnel.speed, 7999.99951171875f);
    EXPECT_EQ(SendMessageA(window, WM_CHAR, ' ', 0), 0);
    EXPECT_EQ(tunnel.pulse, 1);
    EXPECT_EQ(SendMessageA(window, WM_CHAR, 27, 0), 0);
    EXPECT_EQ(tunnel.quitRequested, 1);
}

TEST_F(ControlsTest, UnknownCommandIsIgnored) {
    const TunnelState& tunnel = windowVoyage.journey.tunnel;
    static TunnelState before;
    before = tunnel;
    EXPECT_EQ(SendMessageA(testWindow(), WM_COMMAND, MAKEWPARAM(12345, 0), 0), 0);
    EXPECT_EQ(SendMessageA(testWindow(), WM_COMMAND, MAKEWPARAM(0, 0), 0), 0);
    for (WPARAM character : {97, 27 + 256, 43 + 256, 0}) {
        EXPECT_EQ(SendMessageA(testWindow(), WM_CHAR, character, 0), 0);
    }
    EXPECT_EQ(std::memcmp(&before, &tunnel, sizeof tunnel), 0);
}

}  // namespace
