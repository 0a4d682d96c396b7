#include "picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int32_t kSide = kPictureTileSide;

// The tile pixel (i, j), top row first, as R, G, B.
const uint8_t* tilePixel(const PictureTile& tile, int32_t i, int32_t j) {
    return tile.bgr + 3 * (kSide * (kSide - 1 - j) + i);
}

PictureTile scale(const std::vector<uint8_t>& rgba, int32_t width, int32_t height,
                  PixelOrder order = PixelOrder::Rgba) {
    static TileScaler scaler;
    PictureTile tile = {};
    EXPECT_TRUE(startTileScaler(scaler, width, height, order));
    for (int32_t y = 0; y < height; ++y) {
        EXPECT_FALSE(finishTileScaler(scaler, tile)) << "row " << y << " still missing";
        feedTileRow(scaler, rgba.data() + 4 * static_cast<size_t>(width) * y);
    }
    feedTileRow(scaler, rgba.data());  // one too many is ignored
    EXPECT_TRUE(finishTileScaler(scaler, tile));
    return tile;
}

// Brute force on the grid where a picture pixel is 64 x 64 cells and a tile
// pixel width x height cells: the mean of a tile pixel's cells, rounded.
uint8_t referenceChannel(const std::vector<uint8_t>& rgba, int32_t width, int32_t height, int32_t i,
                         int32_t j, int32_t channel) {
    uint64_t sum = 0;
    for (int64_t y = int64_t{j} * height; y < int64_t{j + 1} * height; ++y) {
        for (int64_t x = int64_t{i} * width; x < int64_t{i + 1} * width; ++x) {
            const uint8_t* pixel = rgba.data() + 4 * ((y / kSide) * width + x / kSide);
            sum += (pixel[channel] * pixel[3] + 127u) / 255u;
        }
    }
    const uint64_t area = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
    return static_cast<uint8_t>((sum + area / 2) / area);
}

std::vector<uint8_t> pngHeader(uint32_t width, uint32_t height) {
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n',
                                  0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    for (uint32_t value : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            bytes.push_back(static_cast<uint8_t>(value >> shift));
        }
    }
    bytes.insert(bytes.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
    return bytes;
}

PictureProblem check(const std::vector<uint8_t>& bytes, PictureHeader& header,
                     int64_t fileSize = -1) {
    header = {};
    return checkPictureHeader(bytes.data(), bytes.size(),
                              fileSize < 0 ? static_cast<int64_t>(bytes.size()) : fileSize, header);
}

}  // namespace

// Every tile pixel is the area-weighted mean of what it covers, laid over
// black by alpha, in the DIB's bottom-up BGR order, for sizes that divide 64,
// that do not, and that are smaller than the tile.
TEST(Picture, ScalesByAreaIntoTheTileLayout) {
    std::mt19937 random(28);
    const struct {
        int32_t width, height;
    } sizes[] = {{64, 64}, {1, 1}, {3, 5}, {100, 37}, {129, 7}};
    for (const auto& size : sizes) {
        std::vector<uint8_t> rgba(4 * static_cast<size_t>(size.width) * size.height);
        for (size_t k = 0; k < rgba.size(); ++k) {
            rgba[k] = static_cast<uint8_t>(k % 4 == 3 && k % 3 != 0 ? 255 : random());
        }
        const PictureTile tile = scale(rgba, size.width, size.height);
        int32_t mismatches = 0;
        for (int32_t j = 0; j < kSide; ++j) {
            for (int32_t i = 0; i < kSide; ++i) {
                for (int32_t c = 0; c < 3; ++c) {
                    const uint8_t expected =
                        referenceChannel(rgba, size.width, size.height, i, j, c);
                    mismatches += tilePixel(tile, i, j)[2 - c] != expected ? 1 : 0;
                }
            }
        }
        EXPECT_EQ(mismatches, 0) << size.width << " x " << size.height;
        if (size.width == 64) {  // same size: the pixels themselves
            const uint8_t* last = rgba.data() + 4 * (64 * 63);
            EXPECT_EQ(tile.bgr[0], (last[2] * last[3] + 127) / 255) << "bottom-left, blue";
        }
        std::vector<uint8_t> bgra = rgba;
        for (size_t k = 0; k < bgra.size(); k += 4) {
            std::swap(bgra[k], bgra[k + 2]);
        }
        const PictureTile same = scale(bgra, size.width, size.height, PixelOrder::Bgra);
        EXPECT_EQ(std::vector<uint8_t>(same.bgr, same.bgr + sizeof same.bgr),
                  std::vector<uint8_t>(tile.bgr, tile.bgr + sizeof tile.bgr));
    }
    const TileImage image = pictureTileImage(PictureTile{});
    EXPECT_EQ(image.width, kSide);
    EXPECT_EQ(image.height, kSide);
    EXPECT_EQ(tileRowBytes(image.width), 3u * kSide);
}

// The widest picture, tall enough that its sums pass 32 bits, stays white;
// sizes beyond the limits are refused before any pixel is fed.
TEST(Picture, TakesTheLargestPicturesWithoutOverflow) {
    static TileScaler scaler;
    const std::vector<uint8_t> white(4 * size_t{kMaxPictureSide}, 255);
    ASSERT_TRUE(startTileScaler(scaler, kMaxPictureSide, 1100, PixelOrder::Bgra));
    for (int32_t y = 0; y < 1100; ++y) {
        feedTileRow(scaler, white.data());
    }
    PictureTile tile = {};
    ASSERT_TRUE(finishTileScaler(scaler, tile));
    EXPECT_EQ(tile.bgr[0], 255);
    EXPECT_EQ(tile.bgr[sizeof tile.bgr - 1], 255);
    EXPECT_FALSE(startTileScaler(scaler, kMaxPictureSide + 1, 1, PixelOrder::Rgba));
    EXPECT_FALSE(startTileScaler(scaler, kMaxPictureSide, kMaxPictureSide, PixelOrder::Rgba));
    EXPECT_FALSE(startTileScaler(scaler, 0, 5, PixelOrder::Rgba));
    EXPECT_TRUE(pictureSizeAllowed(kMaxPictureSide, 4096));
    EXPECT_EQ(scaler.width, kMaxPictureSide) << "a refused start leaves the scaler alone";
}

// The size comes from each format's header; whatever is not a picture, is
// cut short or is too large is named before anything is decoded.
TEST(Picture, ChecksTheHeaderBeforeDecoding) {
    PictureHeader header = {};
    EXPECT_EQ(check(pngHeader(300, 20), header), PictureProblem::None);
    EXPECT_EQ(header.width, 300);
    EXPECT_EQ(header.height, 20);
    EXPECT_EQ(check(pngHeader(20000, 20000), header), PictureProblem::TooLarge);
    EXPECT_EQ(check(pngHeader(16384, 16384), header), PictureProblem::TooLarge);
    EXPECT_EQ(check(pngHeader(0x80000000u, 1), header), PictureProblem::TooLarge);
    EXPECT_EQ(check(pngHeader(0, 20), header), PictureProblem::Damaged);
    std::vector<uint8_t> cut = pngHeader(300, 20);
    cut.resize(20);
    EXPECT_EQ(check(cut, header), PictureProblem::Damaged);
    EXPECT_EQ(check(pngHeader(300, 20), header, kMaxPictureFileBytes + 1),
              PictureProblem::TooLarge);
    EXPECT_EQ(check({}, header), PictureProblem::Empty);
    const std::vector<uint8_t> text = {'n', 'o', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e', '\n'};
    EXPECT_EQ(check(text, header), PictureProblem::NotPicture);

    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0x2c, 0x01, 0x14, 0x00};
    EXPECT_EQ(check(gif, header), PictureProblem::None);
    EXPECT_EQ(header.width * 1000 + header.height, 300020);
    std::vector<uint8_t> bmp(26, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[14] = 40;
    bmp[18] = 7;
    bmp[22] = 0xfb;  // -5: rows top first
    bmp[23] = bmp[24] = bmp[25] = 0xff;
    EXPECT_EQ(check(bmp, header), PictureProblem::None);
    EXPECT_EQ(header.width * 1000 + header.height, 7005);

    // Start of image, an APP0 segment of 16 bytes, then a start of frame.
    std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    jpeg.resize(jpeg.size() + 14, 0);
    jpeg.insert(jpeg.end(), {0xFF, 0xC2, 0x00, 0x11, 0x08, 0x00, 0x25, 0x01, 0x90});
    EXPECT_EQ(check(jpeg, header), PictureProblem::None);
    EXPECT_EQ(header.width * 1000 + header.height, 400037);
    const std::vector<uint8_t> start(jpeg.begin(), jpeg.begin() + 22);
    EXPECT_EQ(check(start, header, 5000), PictureProblem::None) << "size lies further on";
    EXPECT_EQ(header.width, 0);
    EXPECT_EQ(check(start, header), PictureProblem::Damaged) << "the whole file has no frame";
    std::vector<uint8_t> scanFirst = jpeg;
    scanFirst[21] = 0xDA;
    EXPECT_EQ(check(scanFirst, header), PictureProblem::Damaged);
}
