// Frozen frames of the program: a few frames at fixed travels and client
// sizes, written as raw files (back-buffer pixels, projection matrix,
// viewport, every mip level of the tile texture) into the directory given as
// the only argument. tests/check_digests.cmake hashes them against the stored
// digests, so a change that moves one pixel of the program's frame fails.
// Under Windows the frames come from the real window, natively from an EGL
// pbuffer.
#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "gl_context.h"
#include "scene.h"

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

struct Scene {
    const char* name;
    int32_t width, height;  // client size
    float travel;
    int32_t pulse;
    int32_t quit;
};

// A frame at a frozen travel (no time passes), read back before the swap.
bool shoot(const Scene& scene) {
    if (!sizeClient(scene.width, scene.height)) {
        return false;
    }
    Journey& journey = testVoyage.journey;
    if (journey.tunnel.pulse != scene.pulse) {
        applyCommand(journey, Command::TogglePulse);
    }
    if (scene.quit != 0) {
        applyCommand(journey, Command::EndJourney);
    }
    freezeFrame(testVoyage, scene.travel);
    // Wine fits the GL drawable to a new window size only at the swap: the
    // frame after it is the one a user sees.
    for (int frame = 0; frame < 2; ++frame) {
        if (frame == 1) {
            swapFrame();
        }
        programFrame();
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(scene.width) * scene.height * 3);
    readFrameRgb(pixels.data(), scene.width, scene.height);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLfloat projection[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    swapFrame();
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

int writeFrozenFrames(const char* directory) {
    outputDir = directory;
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
        ok = ok && shoot(scene);
    }
    return ok ? 0 : 1;
}
