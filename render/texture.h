// Owner of the one OpenGL texture object the tunnel is drawn with.
#pragma once

#include <cstdint>

#include "tile_image.h"

class Texture {
public:
    Texture() = default;
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // A fresh texture object with the tunnel's sampling parameters, left
    // bound; drops any texture held before. Labels are cut to 63 characters.
    bool create(const char* label);
    // Deletes the GL texture; needs the context that made it to be current.
    void release();
    // Forgets the texture without a GL call, once its context is gone (the
    // texture went with it).
    void abandon();
    void bind();
    // A fresh texture object holding `tile` with all mip levels. False when
    // the host has no image: the texture object then exists and is bound,
    // but holds no image.
    bool load(const TileImage& tile);

    char name[64] = {};   // label given at creation, zero-terminated
    uint32_t handle = 0;  // GL texture name + 1; 0 while no texture is held
    int32_t width = 0;    // width in pixels of the image last loaded
    int32_t height = 0;   // height in pixels of the image last loaded
};
