#include "picture.h"

#include <cstring>

namespace {

constexpr int32_t kSide = kPictureTileSide;

uint32_t readBe32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
           static_cast<uint32_t>(at[2]) << 8 | static_cast<uint32_t>(at[3]);
}

uint32_t readBe16(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) << 8 | at[1];
}

uint32_t readLe16(const uint8_t* at) {
    return static_cast<uint32_t>(at[1]) << 8 | at[0];
}

uint32_t readLe32(const uint8_t* at) {
    return readLe16(at + 2) << 16 | readLe16(at);
}

bool startsWith(const uint8_t* bytes, size_t available, const char* text, size_t length) {
    return available >= length && std::memcmp(bytes, text, length) == 0;
}

PictureProblem sized(int64_t width, int64_t height, PictureHeader& header) {
    if (width <= 0 || height <= 0) {
        return PictureProblem::Damaged;
    }
    if (!pictureSizeAllowed(width, height)) {
        return PictureProblem::TooLarge;
    }
    header = {static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return PictureProblem::None;
}

// Start-of-frame markers carry the size; C4, C8 and CC are other tables.
bool isStartOfFrame(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments up to the first start of frame.
PictureProblem jpegHeader(const uint8_t* bytes, size_t available, bool whole,
                          PictureHeader& header) {
    size_t at = 2;
    for (;;) {
        while (at < available && bytes[at] == 0xFF && at + 1 < available && bytes[at + 1] == 0xFF) {
            ++at;  // fill bytes before a marker
        }
        if (at + 4 > available) {
            break;
        }
        const uint8_t marker = bytes[at + 1];
        if (bytes[at] != 0xFF || marker == 0xD9 || marker == 0xDA) {
            return PictureProblem::Damaged;  // no frame before the scan or the end
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2;  // markers without a length
            continue;
        }
        const uint32_t length = readBe16(bytes + at + 2);
        if (length < 2) {
            return PictureProblem::Damaged;
        }
        if (isStartOfFrame(marker)) {
            if (at + 9 > available) {
                break;
            }
            return sized(readBe16(bytes + at + 7), readBe16(bytes + at + 5), header);
        }
        at += 2 + length;
    }
    if (whole) {
        return PictureProblem::Damaged;
    }
    header = {};
    return PictureProblem::None;
}

}  // namespace

const char* pictureProblemText(PictureProblem problem) {
    switch (problem) {
        case PictureProblem::None:
            return "is fine";
        case PictureProblem::Unreadable:
            return "cannot be read";
        case PictureProblem::Empty:
            return "is empty";
        case PictureProblem::NotPicture:
            return "is no PNG, JPEG, BMP or GIF picture";
        case PictureProblem::TooLarge:
            return "is too large (at most 16384 pixels a side, 64 megapixels, 128 MB)";
        case PictureProblem::Damaged:
        default:
            return "is damaged";
    }
}

bool pictureSizeAllowed(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

PictureProblem checkPictureHeader(const uint8_t* bytes, size_t available, int64_t fileSize,
                                  PictureHeader& header) {
    if (fileSize <= 0 || bytes == nullptr || available == 0) {
        return PictureProblem::Empty;
    }
    if (fileSize > kMaxPictureFileBytes) {
        return PictureProblem::TooLarge;
    }
    const bool whole = static_cast<int64_t>(available) >= fileSize;
    if (startsWith(bytes, available, "\x89PNG\r\n\x1a\n", 8)) {
        if (available < 24 || std::memcmp(bytes + 12, "IHDR", 4) != 0) {
            return PictureProblem::Damaged;
        }
        return sized(readBe32(bytes + 16), readBe32(bytes + 20), header);
    }
    if (startsWith(bytes, available, "GIF87a", 6) || startsWith(bytes, available, "GIF89a", 6)) {
        if (available < 10) {
            return PictureProblem::Damaged;
        }
        return sized(readLe16(bytes + 6), readLe16(bytes + 8), header);
    }
    if (startsWith(bytes, available, "BM", 2)) {
        if (available < 26) {
            return PictureProblem::Damaged;
        }
        if (readLe32(bytes + 14) == 12) {  // the old core header: 16-bit sides
            return sized(readLe16(bytes + 18), readLe16(bytes + 20), header);
        }
        const auto height = static_cast<int32_t>(readLe32(bytes + 22));  // < 0: top row first
        return sized(static_cast<int32_t>(readLe32(bytes + 18)),
                     height < 0 ? -static_cast<int64_t>(height) : height, header);
    }
    if (startsWith(bytes, available, "\xFF\xD8\xFF", 3)) {
        return jpegHeader(bytes, available, whole, header);
    }
    return PictureProblem::NotPicture;
}

bool startTileScaler(TileScaler& scaler, int32_t width, int32_t height, PixelOrder order) {
    if (!pictureSizeAllowed(width, height)) {
        return false;
    }
    scaler.width = width;
    scaler.height = height;
    scaler.rowsFed = 0;
    scaler.order = order;
    std::memset(scaler.sums, 0, sizeof scaler.sums);
    return true;
}

// Picture pixel x spans [x * 64, x * 64 + 64) and tile column i spans
// [i * width, i * width + width) on the same axis, so every weight is the
// length of an overlap, a whole number; a row's weights add up to the width.
void feedTileRow(TileScaler& scaler, const uint8_t* pixels) {
    if (scaler.rowsFed >= scaler.height) {
        return;
    }
    const int32_t width = scaler.width;
    const int32_t red = scaler.order == PixelOrder::Rgba ? 0 : 2;
    std::memset(scaler.row, 0, sizeof scaler.row);
    int32_t column = 0;
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t* pixel = pixels + 4 * static_cast<size_t>(x);
        const uint32_t alpha = pixel[3];
        const uint32_t rgb[3] = {(pixel[red] * alpha + 127) / 255, (pixel[1] * alpha + 127) / 255,
                                 (pixel[2 - red] * alpha + 127) / 255};
        const int32_t start = x * kSide;
        const int32_t end = start + kSide;
        while ((column + 1) * width <= start) {
            ++column;
        }
        for (int32_t i = column; i < kSide && i * width < end; ++i) {
            const int32_t from = i * width > start ? i * width : start;
            const int32_t to = (i + 1) * width < end ? (i + 1) * width : end;
            const auto weight = static_cast<uint32_t>(to - from);
            for (int32_t c = 0; c < 3; ++c) {
                scaler.row[3 * i + c] += weight * rgb[c];
            }
        }
    }
    const int32_t height = scaler.height;
    const int32_t start = scaler.rowsFed * kSide;
    const int32_t end = start + kSide;
    for (int32_t j = start / height; j < kSide && j * height < end; ++j) {
        const int32_t from = j * height > start ? j * height : start;
        const int32_t to = (j + 1) * height < end ? (j + 1) * height : end;
        const auto weight = static_cast<uint64_t>(to - from);
        uint64_t* sums = scaler.sums + 3 * kSide * j;
        for (int32_t k = 0; k < 3 * kSide; ++k) {
            sums[k] += weight * scaler.row[k];
        }
    }
    ++scaler.rowsFed;
}

bool finishTileScaler(const TileScaler& scaler, PictureTile& tile) {
    if (scaler.rowsFed != scaler.height || scaler.height <= 0) {
        return false;
    }
    const uint64_t area =
        static_cast<uint64_t>(scaler.width) * static_cast<uint64_t>(scaler.height);
    for (int32_t j = 0; j < kSide; ++j) {
        const uint64_t* sums = scaler.sums + 3 * kSide * j;
        uint8_t* out = tile.bgr + 3 * kSide * (kSide - 1 - j);  // the DIB's bottom row first
        for (int32_t i = 0; i < kSide; ++i) {
            for (int32_t c = 0; c < 3; ++c) {
                out[3 * i + 2 - c] = static_cast<uint8_t>((sums[3 * i + c] + area / 2) / area);
            }
        }
    }
    return true;
}

TileImage pictureTileImage(const PictureTile& tile) {
    static_assert(kSide * 3 % 4 == 0, "tile rows need no padding");
    return {kSide, kSide, tile.bgr};
}
