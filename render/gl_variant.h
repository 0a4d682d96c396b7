// Where the browser's GL differs from desktop GL 1.1, kept in one place.
// Emscripten's legacy-GL emulation over WebGL has no quad strips, no BGR
// pixels and no gluBuild2DMipmaps; the desktop builds never take the
// browser's branches, so their pixels stay exactly as they were.
#pragma once

#include <cstdint>

#include "gl_headers.h"
#include "tile_image.h"

#ifdef __EMSCRIPTEN__
// The triangles of a strip, fed the quad strip's vertices in the same order,
// cover the same quads with the same winding, so culling keeps the same wall.
constexpr GLenum kRingStripMode = GL_TRIANGLE_STRIP;
#else
constexpr GLenum kRingStripMode = GL_QUAD_STRIP;
#endif

// Fills the bound texture with `tile` and its full mip chain. False, leaving
// the texture empty, for a tile the build cannot upload.
bool uploadTileMipmaps(const TileImage& tile);

// Largest tile side the browser's own mip chain takes.
constexpr int32_t kMaxRgbSide = 256;

// The tile as tightly packed RGB rows, bottom row first.
void tileToRgb(const TileImage& tile, uint8_t* rgb);

// The next mip level of a width x height RGB image (sides powers of two):
// each pixel the rounded mean of the 2 x 2 (or, once a side is 1, 2 x 1)
// pixels it covers, the way GLU halves an image.
void halveRgb(const uint8_t* rgb, int32_t width, int32_t height, uint8_t* half);
