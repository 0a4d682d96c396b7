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
