// The tile bitmap of resources/tunnel.bmp (the one the Windows resource
// script uses), built into the program as the bytes of the BMP file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tile_image.h"

extern const uint8_t kTunnelBmp[];
extern const size_t kTunnelBmp_SIZE;

// The embedded picture as a tile; empty if it were ever damaged.
TileImage embeddedTile();
