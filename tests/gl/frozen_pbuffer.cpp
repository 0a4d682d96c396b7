// The frozen frames natively: an EGL pbuffer of each client size, one
// context, and the built-in tile.
#include <cstdio>

#include "egl_pbuffer.h"
#include "embedded_tile.h"
#include "frozen_frames.h"
#include "scene.h"

namespace {

Voyage voyage;
int32_t clientWidth = 0;
int32_t clientHeight = 0;

}  // namespace

bool openFrozenSurface(int32_t width, int32_t height) {
    if (!sizeFrozenSurface(width, height)) {
        std::fprintf(stderr, "no OpenGL context (EGL, surfaceless Mesa)\n");
        return false;
    }
    startVoyage(voyage, embeddedTile(), width, height);
    return true;
}

bool sizeFrozenSurface(int32_t width, int32_t height) {
    if (!makePbufferContext(width, height)) {
        return false;
    }
    clientWidth = width;
    clientHeight = height;
    resizeViewport(width, height);
    return true;
}

Voyage& frozenVoyage() {
    return voyage;
}

void stepFrozenFrame() {
    stepFrame(voyage, {0, clientWidth, clientHeight, 0, 0});
}

void swapFrozenSurface() {}
