// The tile picture as plain bytes, the way each host can supply it.
#pragma once

#include <cstddef>
#include <cstdint>

// 24-bit pixels stored blue, green, red; rows bottom-up, each padded to a
// multiple of 4 bytes (the layout of a Windows DIB). bgr is null when the
// host has no usable image.
struct TileImage {
    int32_t width;       // pixels per row
    int32_t height;      // rows
    const uint8_t* bgr;  // first byte of the bottom row; not owned
};

// Bytes of one padded row of a 24-bit image `width` pixels wide.
size_t tileRowBytes(int32_t width);

// The pixels of a BMP file held in memory: only an uncompressed 24-bit
// bottom-up image whose rows lie wholly inside the `size` bytes is accepted,
// since anything else would make the upload read out of bounds.
bool tileFromBmp(const uint8_t* file, size_t size, TileImage& out);
