// One-time GL and tunnel setup, the orthographic projection rule and the
// viewport. The host makes its GL context current before any of these.
#pragma once

#include <cstdint>

#include "tile_image.h"

// Brings the GL state and the journey to their starting values for a client
// area of width x height, with the tile picture the host supplies. A missing
// tile leaves the tunnel untextured rather than refusing to start.
void initScene(const TileImage& tile, int32_t width, int32_t height);

// The walls show `tile` from the next frame on (a picture the user chose
// after the start); the journey goes on.
void replaceSceneTile(const TileImage& tile);

// Deletes the scene's texture while the host's GL context is still current.
void releaseScene();

// The host's GL context is gone, and the texture with it.
void forgetScene();

// Loads the orthographic box for the client aspect (width / height) and
// records it in tunnel.lastAspect. An aspect that is not a positive finite
// number (empty client area) leaves projection and lastAspect as they were.
void applyProjection(float aspect);

// Aspect of a client area as a float; false while it is empty (minimised),
// when there is no aspect to project for.
bool clientAspect(int32_t width, int32_t height, float& aspect);

// Viewport over the whole client area; a zero height counts as 1. Hosts call
// it on size changes only.
void resizeViewport(int32_t width, int32_t height);

// The back buffer of a width x height client area, bottom row first: 32-bit
// BGRA words, or RGB bytes without row padding.
void readFrameBgra(uint32_t* pixels, int32_t width, int32_t height);
void readFrameRgb(uint8_t* pixels, int32_t width, int32_t height);
