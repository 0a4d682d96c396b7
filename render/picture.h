// A picture of the user's own on the tunnel walls: checked from its file's
// first bytes, then scaled to the tile's size from the decoded pixels each
// host's codecs give. Integer arithmetic only, so every build makes the same
// tile bytes from the same pixels, and the same mip chain follows.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tile_image.h"

constexpr int32_t kPictureTileSide = 64;  // the built-in tile's size
constexpr int32_t kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = int64_t{64} << 20;
constexpr int64_t kMaxPictureFileBytes = int64_t{128} << 20;

enum class PictureProblem : int32_t {
    None = 0,
    Unreadable,  // the file cannot be opened or read
    Empty,       // the file has no bytes
    NotPicture,  // no PNG, JPEG, BMP or GIF signature
    TooLarge,    // more than the limits above
    Damaged,     // a picture's header or pixels that do not decode
};

// What a host tells the user after the file's name, in one line.
const char* pictureProblemText(PictureProblem problem);

// True for a size the scaler takes: both sides 1..kMaxPictureSide and at
// most kMaxPicturePixels in all.
bool pictureSizeAllowed(int64_t width, int64_t height);

struct PictureHeader {
    int32_t width;  // 0 while the header lies beyond the bytes given
    int32_t height;
};

// Checks the first `available` bytes of a file of `fileSize` bytes, before
// anything is decoded. A JPEG whose size record lies beyond those bytes
// passes with a size of 0; the host checks the decoded size then.
PictureProblem checkPictureHeader(const uint8_t* bytes, size_t available, int64_t fileSize,
                                  PictureHeader& header);

enum class PixelOrder : uint8_t { Rgba, Bgra };

// 24-bit DIB layout as the tile upload reads it: bottom row first, blue,
// green, red; 64 * 3 bytes a row need no padding.
struct PictureTile {
    uint8_t bgr[kPictureTileSide * kPictureTileSide * 3];
};

// Area-weighted scaling fed one row of 32-bit pixels at a time, top row
// first, so a host never needs the whole picture in memory. Pixels are laid
// over black by their alpha (straight, not premultiplied).
struct TileScaler {
    int32_t width;  // of the picture
    int32_t height;
    int32_t rowsFed;                                         // rows taken so far
    PixelOrder order;                                        // byte order of the rows fed
    uint32_t row[kPictureTileSide * 3];                      // one picture row's column sums
    uint64_t sums[kPictureTileSide * kPictureTileSide * 3];  // weighted sums, top row first
};

// False (the scaler unchanged) for a size pictureSizeAllowed refuses.
bool startTileScaler(TileScaler& scaler, int32_t width, int32_t height, PixelOrder order);
// The next row of width pixels, 4 bytes each; rows beyond the height are ignored.
void feedTileRow(TileScaler& scaler, const uint8_t* pixels);
// The tile, once every row was fed; false before.
bool finishTileScaler(const TileScaler& scaler, PictureTile& tile);

// The tile as the renderer takes it; it points into `tile`.
TileImage pictureTileImage(const PictureTile& tile);
