#include "egl_pbuffer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

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

EGLDisplay display = EGL_NO_DISPLAY;
EGLConfig config = nullptr;
EGLContext context = EGL_NO_CONTEXT;
EGLSurface surface = EGL_NO_SURFACE;

bool makeContext() {
    display = surfacelessDisplay();
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
    if (!chooseConfig(display, configAttributes, config)) {
        return false;
    }
    context = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
    return context != EGL_NO_CONTEXT;
}

}  // namespace

bool makePbufferContext(int32_t width, int32_t height) {
    if (context == EGL_NO_CONTEXT && !makeContext()) {
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    EGLSurface fresh = eglCreatePbufferSurface(display, config, surfaceAttributes);
    if (fresh == EGL_NO_SURFACE || eglMakeCurrent(display, fresh, fresh, context) == EGL_FALSE) {
        return false;
    }
    if (surface != EGL_NO_SURFACE) {
        eglDestroySurface(display, surface);
    }
    surface = fresh;
    return true;
}
