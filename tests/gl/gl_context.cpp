#include "gl_context.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "scene.h"

TunnelState& tunnel = testVoyage.journey.tunnel;
FrameClock& frameClock = testVoyage.clock;
FrameRate& frameRate = testVoyage.rate;
Texture& tunnelTexture = testVoyage.texture;

FrameOutcome hostFrame(ClientSize size, double seconds) {
    const double ticks = seconds * static_cast<double>(frameClock.frequency);
    return stepFrame(testVoyage,
                     {frameClock.start + std::llround(ticks), size.width, size.height, 0, 0});
}

std::vector<uint8_t> readBackBuffer(int32_t width, int32_t height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
    readFrameRgb(pixels.data(), width, height);
    return pixels;
}

bool projectionIsFinite() {
    GLfloat m[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    return std::all_of(std::begin(m), std::end(m), [](GLfloat v) { return std::isfinite(v); });
}

::testing::AssertionResult frameWorks() {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (glGetError() != GL_NO_ERROR || !projectionIsFinite() || viewport[3] < 1) {
        return ::testing::AssertionFailure() << "GL error, or projection or viewport broken";
    }
    if (!(tunnel.speed >= kMinSpeed && tunnel.speed <= kMaxSpeed && tunnel.travel >= 0.0f &&
          tunnel.travel < kWrapTravel && tunnel.visibleRings >= 1)) {
        return ::testing::AssertionFailure()
               << "speed " << tunnel.speed << ", travel " << tunnel.travel << ", "
               << tunnel.visibleRings << " rings";
    }
    for (int32_t j = 0; j < tunnel.visibleRings; ++j) {
        for (const ScreenVertex& v : tunnel.screenVertices[j]) {
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.t)) {
                return ::testing::AssertionFailure() << "ring " << j << " not finite";
            }
        }
    }
    return ::testing::AssertionSuccess();
}
