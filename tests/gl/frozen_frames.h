// What each platform gives the frozen frames: a surface with the program's scene.
#pragma once

#include <cstdint>

#include "frame_step.h"

// The surface with the scene started for a width x height client; false,
// with one line on stderr, when there is none.
bool openFrozenSurface(int32_t width, int32_t height);

// The client area becomes width x height, as a user's resize would make it.
bool sizeFrozenSurface(int32_t width, int32_t height);

// The voyage, one frame step of it for the current client size, and the swap.
Voyage& frozenVoyage();
void stepFrozenFrame();
void swapFrozenSurface();
