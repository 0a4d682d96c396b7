// frame_shot, native: a surfaceless EGL display with a pbuffer of the client
// size, so no X server is needed; Mesa's llvmpipe draws, as under Wine.
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

#include "embedded_tile.h"
#include "frame_shot.h"
#include "picture_file.h"

namespace {

EGLDisplay surfacelessDisplay() {
    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        return EGL_NO_DISPLAY;
    }
    return getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

// EGL lists deeper colour first; only 8 bits a channel, as an X visual of
// depth 24 has, rounds the way the program's window does.
bool chooseConfig(EGLDisplay display, const EGLint* attributes, EGLConfig& chosen) {
    constexpr EGLint kMaxConfigs = 64;
    EGLConfig configs[kMaxConfigs];
    EGLint count = 0;
    if (eglChooseConfig(display, attributes, configs, kMaxConfigs, &count) == EGL_FALSE) {
        return false;
    }
    for (EGLint i = 0; i < count; ++i) {
        EGLint red = 0;
        EGLint green = 0;
        EGLint blue = 0;
        eglGetConfigAttrib(display, configs[i], EGL_RED_SIZE, &red);
        eglGetConfigAttrib(display, configs[i], EGL_GREEN_SIZE, &green);
        eglGetConfigAttrib(display, configs[i], EGL_BLUE_SIZE, &blue);
        if (red == 8 && green == 8 && blue == 8) {
            chosen = configs[i];
            return true;
        }
    }
    return false;
}

// A legacy GL context current on a width x height pbuffer; false when there
// is none.
bool makeContext(int32_t width, int32_t height) {
    EGLDisplay display = surfacelessDisplay();
    if (display == EGL_NO_DISPLAY || eglInitialize(display, nullptr, nullptr) == EGL_FALSE ||
        eglBindAPI(EGL_OPENGL_API) == EGL_FALSE) {
        return false;
    }
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                       EGL_PBUFFER_BIT,
                                       EGL_RENDERABLE_TYPE,
                                       EGL_OPENGL_BIT,
                                       EGL_RED_SIZE,
                                       8,
                                       EGL_GREEN_SIZE,
                                       8,
                                       EGL_BLUE_SIZE,
                                       8,
                                       EGL_NONE};
    EGLConfig config = nullptr;
    if (!chooseConfig(display, configAttributes, config)) {
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, surfaceAttributes);
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    return surface != EGL_NO_SURFACE && context != EGL_NO_CONTEXT &&
           eglMakeCurrent(display, surface, surface, context) == EGL_TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    ShotRequest request = {};
    if (!parseShotRequest(argc, argv, request)) {
        return kShotBadArguments;
    }
    if (!makeContext(request.width, request.height)) {
        std::fprintf(stderr, "frame_shot: no OpenGL context (EGL, surfaceless Mesa)\n");
        return kShotFailed;
    }
    static PictureTile picture;
    return shootFrame(request, wallTile("frame_shot", request.tile, picture));
}
