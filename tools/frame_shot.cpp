#include "frame_shot.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "frame.h"
#include "frame_clock.h"
#include "journey.h"
#include "scene.h"
#include "tunnel_state.h"

namespace {

constexpr int32_t kMaxSide = 4096;

bool parseSide(const char* text, int32_t& side) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > kMaxSide) {
        return false;
    }
    side = static_cast<int32_t>(value);
    return true;
}

// Travel as the renderer holds it, a float, below the wrap.
bool parseTravel(const char* text, float& travel) {
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !(value >= 0.0) || value >= kWrapTravel) {
        return false;
    }
    travel = static_cast<float>(value);
    return true;
}

// P6, top row first: the read-back rows come bottom first.
bool writePpm(const char* path, const std::vector<uint8_t>& rgb, int32_t width, int32_t height) {
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = std::fprintf(file, "P6\n%d %d\n255\n", width, height) > 0;
    const size_t row = static_cast<size_t>(width) * 3;
    for (int32_t y = height - 1; y >= 0 && written; --y) {
        written = std::fwrite(rgb.data() + row * static_cast<size_t>(y), 1, row, file) == row;
    }
    return std::fclose(file) == 0 && written;
}

}  // namespace

bool parseShotRequest(int argc, const char* const* argv, ShotRequest& request) {
    request.tile = nullptr;
    if (argc >= 7 && std::strcmp(argv[argc - 2], "--tile") == 0) {
        request.tile = argv[argc - 1];
        argc -= 2;
    }
    const bool pulse = argc == 6 && std::strcmp(argv[5], "pulse") == 0;
    if ((argc != 5 && !pulse) || !parseTravel(argv[1], request.travel) ||
        !parseSide(argv[2], request.width) || !parseSide(argv[3], request.height)) {
        std::fprintf(stderr,
                     "usage: frame_shot TRAVEL WIDTH HEIGHT OUT.ppm [pulse] [--tile FILE]  "
                     "(travel 0 to %.0f, sizes 1 to %d)\n",
                     kWrapTravel, kMaxSide);
        return false;
    }
    request.output = argv[4];
    request.pulse = pulse ? 1 : 0;
    return true;
}

int shootFrame(const ShotRequest& request, const TileImage& tile) {
    resizeViewport(request.width, request.height);
    initScene(tile, request.width, request.height);
    tunnel.pulse = request.pulse;
    tunnel.travel = request.travel;
    frameClock = {};  // no time passes: the frame shows exactly this travel
    renderFrame(request.width, request.height);
    std::vector<uint8_t> rgb(static_cast<size_t>(request.width) * request.height * 3);
    readFrameRgb(rgb.data(), request.width, request.height);
    releaseScene();
    if (!writePpm(request.output, rgb, request.width, request.height)) {
        std::fprintf(stderr, "frame_shot: cannot write %s\n", request.output);
        return kShotFailed;
    }
    return 0;
}
