#include "picture_file.h"

#include <SDL.h>
#include <SDL_image.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "embedded_tile.h"
#include "picture_bytes.h"

namespace {

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

// libpng prints its own line about a damaged file on stderr, beside the one
// line the host prints; it is kept quiet while SDL_image decodes.
SDL_Surface* decodeQuietly(std::vector<uint8_t>& bytes) {
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (stream == nullptr) {
        return nullptr;
    }
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && quiet >= 0) {
        dup2(quiet, STDERR_FILENO);
    }
    SDL_Surface* surface = IMG_Load_RW(stream, 1);
    if (saved >= 0 && quiet >= 0) {
        dup2(saved, STDERR_FILENO);
    }
    for (const int descriptor : {saved, quiet}) {
        if (descriptor >= 0) {
            close(descriptor);
        }
    }
    return surface;
}

}  // namespace

PictureProblem loadPictureFile(const char* path, PictureTile& tile) {
    std::vector<uint8_t> bytes;
    const PictureProblem problem = readPictureFile(path, bytes);
    if (problem != PictureProblem::None) {
        return problem;
    }
    const Surface decoded(decodeQuietly(bytes));
    if (decoded == nullptr) {
        return PictureProblem::Damaged;
    }
    const Surface pixels(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_RGBA32, 0));
    if (pixels == nullptr) {
        return PictureProblem::Damaged;
    }
    const auto scaler = std::make_unique<TileScaler>();
    if (!startTileScaler(*scaler, pixels->w, pixels->h, PixelOrder::Rgba)) {
        return PictureProblem::TooLarge;
    }
    SDL_LockSurface(pixels.get());
    const auto* rows = static_cast<const uint8_t*>(pixels->pixels);
    for (int y = 0; y < pixels->h; ++y) {
        feedTileRow(*scaler, rows + static_cast<size_t>(pixels->pitch) * static_cast<size_t>(y));
    }
    SDL_UnlockSurface(pixels.get());
    return finishTileScaler(*scaler, tile) ? PictureProblem::None : PictureProblem::Damaged;
}

TileImage wallTile(const char* program, const char* path, PictureTile& storage) {
    if (path == nullptr) {
        return embeddedTile();
    }
    const PictureProblem problem = loadPictureFile(path, storage);
    if (problem == PictureProblem::None) {
        return pictureTileImage(storage);
    }
    std::fprintf(stderr, "%s: picture '%s' %s; showing the built-in tile\n", program, path,
                 pictureProblemText(problem));
    return embeddedTile();
}
