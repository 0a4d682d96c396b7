#include "frame.h"

#include <cassert>
#include <cstdio>

#include "build.h"
#include "frame_clock.h"
#include "gl_headers.h"
#include "gl_variant.h"
#include "journey.h"
#include "scene.h"
#include "tunnel_state.h"

FrameRenderer frameRenderer = {};

namespace {

// Reloads the projection when the window's shape has changed; an empty
// client area keeps the last projection until a real size returns.
void matchProjection(int32_t width, int32_t height) {
    float aspect = 0.0f;
    if (clientAspect(width, height, aspect) && aspect != tunnel.lastAspect) {
        applyProjection(aspect);
    }
}

// Reports the frame rate about once per second.
void updateFrameRate(FrameReport& report) {
    if (frameRenderer.stamped == 0) {
        frameRenderer.fpsStamp = frameClock.time;
        frameRenderer.stamped = 1;
    }
    const float elapsed = static_cast<float>(static_cast<double>(frameClock.time) -
                                             static_cast<double>(frameRenderer.fpsStamp));
    if (!(static_cast<double>(elapsed) >= 1.0)) {
        return;
    }
    report.rateDue = 1;
    report.framesPerSecond =
        static_cast<double>(frameRenderer.framesSinceStamp) / static_cast<double>(elapsed);
    frameRenderer.framesSinceStamp = 0;
    frameRenderer.fpsStamp = frameClock.time;
}

// One quad strip between visible ring `nearRing` and the ring behind it.
void drawStrip(int32_t nearRing, int32_t step) {
    const int32_t farRing = nearRing + 1;
    const float nearGrey = shade(tunnel.ringDepth[nearRing]);
    const float farGrey = shade(tunnel.ringDepth[farRing]);
    glBegin(kRingStripMode);
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

void formatReadout(char (&text)[kReadoutSize], double framesPerSecond) {
    std::snprintf(text, sizeof text, "%s 1.03 - %g FPS", kProgramTitle, framesPerSecond);
}

void restartFrameRate() {
    frameRenderer.stamped = 0;
    frameRenderer.framesSinceStamp = 0;
}

FrameReport renderFrame(int32_t width, int32_t height) {
    FrameReport report = {};
    matchProjection(width, height);
    updateFrameRate(report);
    buildTunnel(advanceTravel());
    if (tunnel.visibleRings == 0) {
        // Nothing drawn and nothing counted; after Esc, every such frame
        // tells the host again until it has ended.
        report.journeyOver = tunnel.quitRequested != 0 ? 1 : 0;
        return report;
    }
    drawTunnel();
    return report;
}

void redrawFrame(int32_t width, int32_t height) {
    matchProjection(width, height);
    if (tunnel.visibleRings == 0) {
        return;
    }
    drawTunnel();
    --frameRenderer.framesSinceStamp;  // drawTunnel counts every call
}
