// A picture file for the walls, decoded by SDL_image (PNG, JPEG, BMP, GIF).
#pragma once

#include "picture.h"

// Reads, checks, decodes and scales the picture at `path` into `tile`.
PictureProblem loadPictureFile(const char* path, PictureTile& tile);

// The tile for the walls: the picture at `path` when it loads, else the
// built-in tile after one line on stderr naming `program`, the file and why.
// No path: the built-in tile, silently.
TileImage wallTile(const char* program, const char* path, PictureTile& storage);
