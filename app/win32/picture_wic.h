// A picture file for the walls, decoded by the platform's own codecs (WIC).
#pragma once

#include "picture.h"

// Reads, checks, decodes and scales the picture at `path` into `tile`.
PictureProblem loadPictureFile(const char* path, PictureTile& tile);

// The picture at `path` as the tile, or, when it cannot be used, no pixels
// (the built-in tile) after one line on stderr naming `program`, the file
// and why. No path: no pixels, silently.
TileImage pictureTile(const char* program, const char* path, PictureTile& storage);
