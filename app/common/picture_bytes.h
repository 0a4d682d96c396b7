// A picture file's bytes for the hosts that decode pictures themselves
// (SDL_image, WIC): read whole, the header checked before a decoder sees them.
#pragma once

#include <cstdint>
#include <vector>

#include "picture.h"

PictureProblem readPictureFile(const char* path, std::vector<uint8_t>& bytes);
