// A legacy GL context on a surfaceless EGL display with a pbuffer, so no X
// server is needed; Mesa's llvmpipe draws, as under Wine. frame_shot and the
// native renderer tests use it.
#pragma once

#include <cstdint>

// Makes a width x height pbuffer with 8 bits a channel and a context on it
// current; false when there is none. Called again, the same context moves to
// a new pbuffer of the new size: llvmpipe's pixels depend on the drawable's
// size, not only on the viewport.
bool makePbufferContext(int32_t width, int32_t height);
