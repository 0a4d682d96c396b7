// Random sequences of what a user and the system do to the window — keys,
// menu commands, resizes to every extreme, fullscreen toggles, long pauses —
// through the real window procedure, with a frame painted after each step.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <random>

#include "frame.h"
#include "gl_window.h"
#include "journey.h"
#include "resource.h"
#include "scene.h"
#include "tunnel_state.h"
#include "window.h"
#include "window_state.h"

namespace {

class RobustnessTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetProgramState();
        drainMessages();
        useRealClientSize();
        ASSERT_TRUE(startWindowScene());
        startRealFrameClock(0.0);
        windowState.running = 1;
    }
    void TearDown() override {
        if (windowState.fullscreen != 0) {
            SendMessageA(testWindow(), WM_COMMAND, MAKEWPARAM(ID_FULLSCREEN, 0), 0);
        }
        windowState.running = 0;
        drainMessages();
        useRealClientSize();
    }
};

// Paints one frame as if `pauseSeconds` had passed since the previous one.
void paintAfter(double pauseSeconds) {
    LARGE_INTEGER value = {};
    QueryPerformanceCounter(&value);
    const int64_t pauseTicks = static_cast<int64_t>(pauseSeconds * frameClock.frequency);
    frameClock.start -= pauseTicks;  // keeps start before the faked previous reading
    frameClock.now = value.QuadPart - pauseTicks;
    SendMessageA(testWindow(), WM_PAINT, 0, 0);
}

LPARAM sizeParam(int width, int height) {
    return MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height));
}

}  // namespace

TEST_F(RobustnessTest, RandomSessionsKeepAWorkingFrame) {
    HWND window = testWindow();
    std::mt19937 random(4242);
    const int sizes[][2] = {{0, 0},      {1, 1},     {800, 1},       {1, 800},
                            {65535, 1},  {1, 65535}, {65535, 65535}, {800, 600},
                            {1024, 600}, {600, 800}, {0, 600},       {600, 0}};
    const int characters[] = {'+', '-', ' ', '+', '-', 'x', 0, 0x10000 + '+'};
    const WORD commands[] = {ID_FASTER, ID_SLOWER, ID_FULLSCREEN, 12345};

    for (int step = 0; step < 600; ++step) {
        switch (random() % 5) {
            case 0: {
                const auto& size = sizes[random() % std::size(sizes)];
                SendMessageA(window, WM_SIZE, SIZE_RESTORED, sizeParam(size[0], size[1]));
                break;
            }
            case 1:
                SendMessageA(window, WM_CHAR, characters[random() % std::size(characters)], 0);
                break;
            case 2:
                SendMessageA(window, WM_COMMAND, MAKEWPARAM(commands[random() % 4], 0), 0);
                break;
            case 3:
                // Holding a key: a burst of auto-repeats in one direction.
                for (int i = 0; i < 40; ++i) SendMessageA(window, WM_CHAR, step % 2 ? '+' : '-', 0);
                break;
            default:
                break;
        }
        const double pauses[] = {0.0, 0.0001, 0.016, 2.0, 3600.0, 86400.0 * 30};
        paintAfter(pauses[random() % std::size(pauses)]);

        ASSERT_TRUE(frameWorks()) << "step " << step;
        float aspect = 0.0f;
        if (clientAspect(windowState.clientWidth, windowState.clientHeight, aspect)) {
            ASSERT_EQ(tunnel.lastAspect, aspect) << "the projection follows a normal size";
        }
    }
}

TEST_F(RobustnessTest, RepeatedFullscreenTogglesReturnToTheWindow) {
    HWND window = testWindow();
    RECT before = {};
    GetWindowRect(window, &before);
    for (int i = 0; i < 20; ++i) {
        // The menu item, then the accelerator (1 in the high word).
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(ID_FULLSCREEN, i % 2), 0);
        paintAfter(0.016);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        ASSERT_EQ(windowState.fullscreen, i % 2 == 0 ? 1 : 0);
        ASSERT_EQ(GetMenu(window) == nullptr, i % 2 == 0);
    }
    EXPECT_EQ(windowState.fullscreen, 0);
    RECT after = {};
    GetWindowRect(window, &after);
    EXPECT_TRUE(EqualRect(&after, &before));
    EXPECT_NE(GetMenu(window), nullptr);
}
