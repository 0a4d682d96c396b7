#include "frame.h"

#include <windows.h>
// Keep windows.h first: the GL headers need its WINAPI definitions.
#include <GL/gl.h>

#include <cassert>
#include <cstdio>

#include "build.h"
#include "journey.h"
#include "scene.h"
#include "tunnel_state.h"
#include "window_state.h"

FrameRenderer frameRenderer = {};

namespace {

constexpr int kTitleBufferSize = 256;

// Reloads the projection when the window's shape has changed; an empty
// client area keeps the last projection until a real size returns.
void matchProjection() {
    float aspect = 0.0f;
    if (clientAspect(aspect) && aspect != tunnel.lastAspect) {
        applyProjection(aspect);
    }
}

// Puts the frame rate into the title about once per second.
void updateFrameRate() {
    if (frameRenderer.stamped == 0) {
        frameRenderer.fpsStamp = frameClock.time;
        frameRenderer.stamped = 1;
    }
    const float elapsed = static_cast<float>(static_cast<double>(frameClock.time) -
                                             static_cast<double>(frameRenderer.fpsStamp));
    if (!(static_cast<double>(elapsed) >= 1.0)) {
        return;
    }
    const double rate =
        static_cast<double>(frameRenderer.framesSinceStamp) / static_cast<double>(elapsed);
    if (frameRenderer.titleless == 0) {
        char text[kTitleBufferSize];
        std::snprintf(text, sizeof text, "%s 1.03 - %g FPS", kProgramTitle, rate);
        SetWindowTextA(windowState.mainWindow, text);
    }
    frameRenderer.framesSinceStamp = 0;
    frameRenderer.fpsStamp = frameClock.time;
}

// One quad strip between visible ring `nearRing` and the ring behind it.
void drawStrip(int32_t nearRing, int32_t step) {
    const int32_t farRing = nearRing + 1;
    const float nearGrey = shade(tunnel.ringDepth[nearRing]);
    const float farGrey = shade(tunnel.ringDepth[farRing]);
    glBegin(GL_QUAD_STRIP);
    for (int32_t k = 0; k < kRingVertices; k += step) {
        const ScreenVertex& a = tunnel.screenVertices[nearRing][k];
        const ScreenVertex& b = tunnel.screenVertices[farRing][k];
        glColor3f(nearGrey, nearGrey, nearGrey);
        glTexCoord2f(a.s, a.t);
        glVertex2f(a.x, a.y);
        glColor3f(farGrey, farGrey, farGrey);
        glTexCoord2f(b.s, b.t);
        glVertex2f(b.x, b.y);
    }
    glEnd();
}

}  // namespace

int32_t advanceTravel() {
    return advanceJourney(frameClock.delta);
}

float shade(float depth) {
    const double grey = 1.0 / (0.25 * static_cast<double>(depth) + 0.1);
    return static_cast<float>(grey <= 1.0 ? grey : 1.0);  // NaN fails <= and becomes 1
}

void drawTunnel() {
    assert(tunnel.vertexStep > 0);
    assert(tunnel.visibleRings >= 1 && tunnel.visibleRings <= kMaxRings);
    // A stride below 1 would never finish a strip.
    const int32_t step = tunnel.vertexStep > 0 ? tunnel.vertexStep : 1;
    glClear(GL_COLOR_BUFFER_BIT);
    for (int32_t nearRing = tunnel.visibleRings - 2; nearRing >= 0; --nearRing) {
        drawStrip(nearRing, step);
    }
    ++frameRenderer.framesSinceStamp;
}

void restartFrameRate() {
    frameRenderer.stamped = 0;
    frameRenderer.framesSinceStamp = 0;
}

void renderFrame() {
    matchProjection();
    updateFrameRate();
    buildTunnel(advanceTravel());
    if (tunnel.visibleRings == 0) {
        if (tunnel.quitRequested != 0) {
            PostMessageA(windowState.mainWindow, WM_CLOSE, 0, 0);
        }
        return;
    }
    drawTunnel();
}
