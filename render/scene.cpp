#include "scene.h"

#include <cmath>

#include "gl_headers.h"
#include "texture.h"
#include "tunnel_state.h"

namespace {
constexpr double kMinAspect = 4.0 / 3.0;  // the box always spans +-4/3 across and +-1 up
}

void applyProjection(float aspect) {
    if (!(aspect > 0.0f) || !std::isfinite(aspect)) {
        return;
    }
    const double wide = static_cast<double>(aspect);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (wide > kMinAspect) {
        gluOrtho2D(-wide, wide, -1.0, 1.0);
    } else {
        gluOrtho2D(-kMinAspect, kMinAspect, -kMinAspect / wide, kMinAspect / wide);
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    tunnel.lastAspect = aspect;
}

bool clientAspect(int32_t width, int32_t height, float& aspect) {
    if (width <= 0 || height <= 0) {
        return false;
    }
    aspect = static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
    return true;
}

void initScene(const TileImage& tile, int32_t width, int32_t height) {
    float aspect = 0.0f;
    if (clientAspect(width, height, aspect)) {
        applyProjection(aspect);
    }
    tunnelTexture.load(tile);
    glEnable(GL_TEXTURE_2D);
    tunnelTexture.bind();
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    startJourney();
}

void replaceSceneTile(const TileImage& tile) {
    tunnelTexture.load(tile);
    tunnelTexture.bind();
}

void releaseScene() {
    tunnelTexture.release();
}

void forgetScene() {
    tunnelTexture.abandon();
}

void resizeViewport(int32_t width, int32_t height) {
    glViewport(0, 0, width, height == 0 ? 1 : height);
}

void readFrameBgra(uint32_t* pixels, int32_t width, int32_t height) {
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, pixels);
}

void readFrameRgb(uint8_t* pixels, int32_t width, int32_t height) {
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
}
