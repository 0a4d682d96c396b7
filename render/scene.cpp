#include "scene.h"

#include <windows.h>
// Keep windows.h first: the GL headers need its WINAPI definitions.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "resource.h"
#include "texture.h"
#include "tunnel_state.h"
#include "window_state.h"

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

bool clientAspect(float& aspect) {
    if (windowState.clientWidth <= 0 || windowState.clientHeight <= 0) {
        return false;
    }
    aspect = static_cast<float>(static_cast<double>(windowState.clientWidth) /
                                static_cast<double>(windowState.clientHeight));
    return true;
}

bool initScene() {
    // Without a GL context (no usable pixel format or driver) nothing could
    // ever be drawn: report it rather than run a blank window.
    if (wglGetCurrentContext() == nullptr) {
        return false;
    }
    float aspect = 0.0f;
    if (clientAspect(aspect)) {
        applyProjection(aspect);
    }
    // A missing tile image still leaves a bound texture object; the tunnel is
    // then drawn untextured, which beats refusing to start.
    tunnelTexture.loadBitmap(IDB_TUNNEL);
    glEnable(GL_TEXTURE_2D);
    tunnelTexture.bind();
    glCullFace(GL_FRONT);
    glEnable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    startJourney();
    return true;
}
