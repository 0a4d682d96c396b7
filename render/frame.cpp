#include "frame.h"

#include <cassert>

#include "build.h"
#include "gl_headers.h"
#include "gl_variant.h"
#include "scene.h"

namespace {

// Reloads the projection when the window's shape has changed; an empty
// client area keeps the last projection until a real size returns.
void matchProjection(TunnelState& tunnel, int32_t width, int32_t height) {
    float aspect = 0.0f;
    if (clientAspect(width, height, aspect) && aspect != tunnel.lastAspect) {
        applyProjection(tunnel, aspect);
    }
}

// One quad strip between visible ring `nearRing` and the ring behind it.
void drawStrip(const TunnelState& tunnel, int32_t nearRing, int32_t step) {
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

float shade(float depth) {
    const double grey = 1.0 / (0.25 * static_cast<double>(depth) + 0.1);
    return static_cast<float>(grey <= 1.0 ? grey : 1.0);  // NaN fails <= and becomes 1
}

void drawTunnel(const TunnelState& tunnel) {
    assert(tunnel.vertexStep > 0);
    assert(tunnel.visibleRings >= 1 && tunnel.visibleRings <= kMaxRings);
    // A stride below 1 would never finish a strip.
    const int32_t step = tunnel.vertexStep > 0 ? tunnel.vertexStep : 1;
    glClear(GL_COLOR_BUFFER_BIT);
    for (int32_t nearRing = tunnel.visibleRings - 2; nearRing >= 0; --nearRing) {
        drawStrip(tunnel, nearRing, step);
    }
}

bool renderFrame(TunnelState& tunnel, int32_t travel, int32_t width, int32_t height) {
    matchProjection(tunnel, width, height);
    buildTunnel(tunnel, travel);
    if (tunnel.visibleRings == 0) {
        return false;
    }
    drawTunnel(tunnel);
    return true;
}
