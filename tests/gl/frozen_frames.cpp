// Frozen frames of the real window: a few frames at fixed travels and client
// sizes, written as raw files (back-buffer pixels, projection matrix,
// viewport, every mip level of the tile texture) into the directory given as
// the only argument. check_frozen_frames.cmake hashes them against the stored
// digests, so a change that moves one pixel of the program's frame fails.
#include <GL/gl.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "window.h"
#include "window_state.h"

namespace {

std::string outputDir;

bool writeFile(const std::string& name, const void* data, size_t size) {
    const std::string path = outputDir + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

void pumpMessages() {
    MSG message = {};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_PAINT) {
            DefWindowProcA(message.hwnd, WM_PAINT, 0, 0);  // frames run only when asked
        } else {
            DispatchMessageA(&message);
        }
    }
}

// Resizes the window until its client area is width x height; the size
// reaches the window procedure as WM_SIZE, as a user's resize would.
bool setClientSize(HWND window, int32_t width, int32_t height) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT outer = {};
        RECT client = {};
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        if (client.right == width && client.bottom == height) {
            return windowState.clientWidth == width && windowState.clientHeight == height;
        }
        SetWindowPos(window, nullptr, 0, 0, width + (outer.right - outer.left) - client.right,
                     height + (outer.bottom - outer.top) - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER);
        pumpMessages();
    }
    std::fprintf(stderr, "client area not %d x %d\n", width, height);
    return false;
}

struct Scene {
    const char* name;
    int32_t width, height;  // client size
    float travel;
    int32_t pulse;
    int32_t quit;
};

// A frame at a frozen travel (no time passes), read back before the swap.
bool shoot(HWND window, const Scene& scene) {
    if (!setClientSize(window, scene.width, scene.height)) {
        return false;
    }
    Journey& journey = windowVoyage.journey;
    if (journey.tunnel.pulse != scene.pulse) {
        applyCommand(journey, Command::TogglePulse);
    }
    if (scene.quit != 0) {
        applyCommand(journey, Command::EndJourney);
    }
    freezeFrame(windowVoyage, scene.travel);
    // Wine fits the GL drawable to a new window size only at the swap: the
    // frame after it is the one a user sees.
    for (int frame = 0; frame < 2; ++frame) {
        if (frame == 1) {
            SwapBuffers(windowState.deviceContext);
        }
        stepWindowFrame(0);
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(scene.width) * scene.height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, scene.width, scene.height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLfloat projection[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    SwapBuffers(windowState.deviceContext);
    std::printf("%s: %d rings\n", scene.name, journey.tunnel.visibleRings);
    const std::string base = scene.name;
    return writeFile(base + "-pixels.rgb", pixels.data(), pixels.size()) &&
           writeFile(base + "-viewport.bin", viewport, sizeof viewport) &&
           writeFile(base + "-projection.bin", projection, sizeof projection);
}

bool writeMipLevels() {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (GLint level = 0; level <= 6; ++level) {
        const int32_t side = 64 >> level;
        std::vector<uint8_t> texels(static_cast<size_t>(side) * side * 3);
        glGetTexImage(GL_TEXTURE_2D, level, GL_BGR_EXT, GL_UNSIGNED_BYTE, texels.data());
        if (!writeFile("mip" + std::to_string(level) + ".bgr", texels.data(), texels.size())) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: frozen_frames OUTPUT_DIR\n");
        return 2;
    }
    outputDir = argv[1];
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registerMainClass(instance)) {
        return 1;
    }
    HWND window = createMainWindow(instance);
    if (window == nullptr) {
        return 1;
    }
    windowState.mainWindow = window;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    pumpMessages();
    if (!setClientSize(window, 800, 600) || !startWindowScene()) {
        std::fprintf(stderr, "no GL scene\n");
        return 1;
    }
    // Forward only, so every ring is shaped when first reached. The fly-out
    // comes 20 rings after Esc, past the rings of the pulsing frame.
    const Scene scenes[] = {
        {"start", 800, 600, 0.0f, 0, 0},
        {"tall", 480, 800, 123456.0f, 0, 0},
        {"pulse", 800, 600, 5000000.0f, 1, 0},
        {"flyout", 640, 480, 5005120.0f, 1, 1},
    };
    bool ok = writeMipLevels();
    for (const Scene& scene : scenes) {
        ok = ok && shoot(window, scene);
    }
    DestroyWindow(window);
    return ok ? 0 : 1;
}
