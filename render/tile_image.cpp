#include "tile_image.h"

namespace {

constexpr size_t kFileHeaderSize = 14;  // "BM", file size, reserved, pixel offset
constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr int32_t kMaxSide = 1 << 14;   // keeps every size below in range

uint32_t readU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

uint16_t readU16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

}  // namespace

size_t tileRowBytes(int32_t width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
}

bool tileFromBmp(const uint8_t* file, size_t size, TileImage& out) {
    if (file == nullptr || size < kFileHeaderSize + kInfoHeaderSize || file[0] != 'B' ||
        file[1] != 'M') {
        return false;
    }
    const uint8_t* info = file + kFileHeaderSize;
    const uint32_t pixelOffset = readU32(file + 10);
    const auto width = static_cast<int32_t>(readU32(info + 4));
    const auto height = static_cast<int32_t>(readU32(info + 8));
    if (readU32(info) < kInfoHeaderSize || readU16(info + 12) != 1 || readU16(info + 14) != 24 ||
        readU32(info + 16) != 0 || width <= 0 || height <= 0 || width > kMaxSide ||
        height > kMaxSide) {
        return false;
    }
    const size_t pixelBytes = tileRowBytes(width) * static_cast<size_t>(height);
    if (pixelOffset < kFileHeaderSize + kInfoHeaderSize || pixelOffset > size ||
        size - pixelOffset < pixelBytes) {
        return false;
    }
    out = {width, height, file + pixelOffset};
    return true;
}
