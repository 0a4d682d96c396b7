// frame_shot: one frame at a given travel and client size, with no clock,
// written as a binary PPM. The same code runs natively and in both Windows
// builds; each supplies only a GL context and the tile image.
#pragma once

#include <cstdint>

#include "tile_image.h"

struct ShotRequest {
    float travel;   // travel of the frame, in 1/256 ring spacings
    int32_t width;  // client size in pixels
    int32_t height;
    const char* output;  // path of the .ppm file
    int32_t pulse;       // 1: the rings pulse
    const char* tile;    // picture file for the walls; null: the built-in tile
};

constexpr int kShotBadArguments = 2;
constexpr int kShotFailed = 1;

// Parses "TRAVEL WIDTH HEIGHT OUT.ppm [pulse] [--tile FILE]"; false, with one
// line on stderr, for anything else.
bool parseShotRequest(int argc, const char* const* argv, ShotRequest& request);

// Draws the frame with the context that is current (its back buffer at least
// width x height) and writes the file; 0, or kShotFailed with one line on
// stderr.
int shootFrame(const ShotRequest& request, const TileImage& tile);
