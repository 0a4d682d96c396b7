// The viewer's keys, through handleKey and through the window's messages.
#include "controls.h"

#include <gtest/gtest.h>

#include <cstring>

#include "gl_window.h"
#include "resource.h"
#include "tunnel_state.h"

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetProgramState();
        startJourney();
    }
};

TEST_F(ControlsTest, SpeedStepsRoundToExactFloats) {
    handleKey('+');
    EXPECT_EQ(tunnel.speed, 11312.80078125f);
    handleKey('-');
    EXPECT_EQ(tunnel.speed, 8000.0f) << "+ then - from 8000 must land exactly on 8000";
    handleKey('-');
    EXPECT_EQ(tunnel.speed, 5657.30810546875f);
    handleKey('+');
    EXPECT_EQ(tunnel.speed, 7999.99951171875f) << "the factors are not exact reciprocals";
}

TEST_F(ControlsTest, EscapeEndsTheJourneyForGood) {
    handleKey(27);
    EXPECT_EQ(tunnel.quitRequested, 1);
    handleKey(27);
    EXPECT_EQ(tunnel.quitRequested, 1) << "a second Esc changes nothing";
    handleKey(32);
    handleKey('+');
    EXPECT_EQ(tunnel.quitRequested, 1) << "no other key clears the request";
}

TEST_F(ControlsTest, SpaceTogglesPulse) {
    handleKey(' ');
    EXPECT_EQ(tunnel.pulse, 1);
    handleKey(' ');
    EXPECT_EQ(tunnel.pulse, 0);
    EXPECT_EQ(tunnel.speed, 8000.0f);
    EXPECT_EQ(tunnel.quitRequested, 0);
}

TEST_F(ControlsTest, OtherCharactersChangeNothing) {
    static TunnelState before;
    before = tunnel;
    const int32_t ignored[] = {
        0,  'a', 'A', '=', '*',      13,           26,       28,  31, 33,        42,
        44, 46,  127, 255, 43 + 256, 45 + 0x10000, 27 - 256, -43, -1, INT32_MIN, INT32_MAX};
    for (int32_t character : ignored) {
        handleKey(character);
        EXPECT_EQ(std::memcmp(&before, &tunnel, sizeof tunnel), 0) << "character " << character;
    }
}

TEST_F(ControlsTest, WindowMessagesReachTheSameControls) {
    HWND window = testWindow();
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
    static TunnelState before;
    before = tunnel;
    EXPECT_EQ(SendMessageA(testWindow(), WM_COMMAND, MAKEWPARAM(12345, 0), 0), 0);
    EXPECT_EQ(SendMessageA(testWindow(), WM_COMMAND, MAKEWPARAM(0, 0), 0), 0);
    EXPECT_EQ(std::memcmp(&before, &tunnel, sizeof tunnel), 0);
}

}  // namespace
