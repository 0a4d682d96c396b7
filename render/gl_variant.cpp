#include "gl_variant.h"

#include <cstddef>

#ifdef __EMSCRIPTEN__
namespace {

bool isPowerOfTwo(int32_t side) {
    return side > 0 && (side & (side - 1)) == 0;
}

// WebGL takes RGB, not BGR, and mipmaps only sides that are powers of two.
bool uploadOwnChain(const TileImage& tile) {
    if (!isPowerOfTwo(tile.width) || !isPowerOfTwo(tile.height) || tile.width > kMaxRgbSide ||
        tile.height > kMaxRgbSide) {
        return false;
    }
    // Two levels at a time, built once at start-up.
    static uint8_t levels[2][kMaxRgbSide * kMaxRgbSide * 3];
    int32_t width = tile.width;
    int32_t height = tile.height;
    tileToRgb(tile, levels[0]);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);  // packed rows
    for (GLint level = 0;; ++level) {
        const uint8_t* pixels = levels[level % 2];
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     pixels);
        if (width == 1 && height == 1) {
            return true;
        }
        halveRgb(pixels, width, height, levels[(level + 1) % 2]);
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
}

}  // namespace
#endif

bool uploadTileMipmaps(const TileImage& tile) {
    const bool usable = tile.bgr != nullptr && tile.width > 0 && tile.height > 0;
#ifdef __EMSCRIPTEN__
    return usable && uploadOwnChain(tile);
#else
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // rows padded to 4 bytes, as in a DIB
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    if (!usable) {
        return false;
    }
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, tile.width, tile.height, GL_BGR_EXT, GL_UNSIGNED_BYTE,
                      tile.bgr);
    return true;
#endif
}

void tileToRgb(const TileImage& tile, uint8_t* rgb) {
    const size_t rowBytes = tileRowBytes(tile.width);
    for (int32_t y = 0; y < tile.height; ++y) {
        const uint8_t* row = tile.bgr + rowBytes * static_cast<size_t>(y);
        for (int32_t x = 0; x < tile.width; ++x) {
            const uint8_t* bgr = row + 3 * x;
            *rgb++ = bgr[2];
            *rgb++ = bgr[1];
            *rgb++ = bgr[0];
        }
    }
}

void halveRgb(const uint8_t* rgb, int32_t width, int32_t height, uint8_t* half) {
    const int32_t halfWidth = width > 1 ? width / 2 : 1;
    const int32_t halfHeight = height > 1 ? height / 2 : 1;
    const ptrdiff_t right = 3;                  // bytes to the neighbour on the right
    const ptrdiff_t up = 3 * ptrdiff_t{width};  // bytes to the neighbour above
    for (int32_t y = 0; y < halfHeight; ++y) {
        for (int32_t x = 0; x < halfWidth; ++x) {
            const uint8_t* p = rgb + 3 * (ptrdiff_t{2 * y} * width + 2 * x);
            for (int32_t c = 0; c < 3; ++c) {
                if (width > 1 && height > 1) {
                    const int32_t sum = p[c] + p[c + right] + p[c + up] + p[c + up + right];
                    *half++ = static_cast<uint8_t>((sum + 2) / 4);
                } else {
                    const int32_t sum = p[c] + p[c + (width > 1 ? right : up)];
                    *half++ = static_cast<uint8_t>((sum + 1) / 2);
                }
            }
        }
    }
}
