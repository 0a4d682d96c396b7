#include "texture.h"

#include <cassert>

#include "gl_headers.h"
#include "gl_variant.h"

namespace {

constexpr size_t kMaxLabel = sizeof(Texture::name) - 1;
static_assert(kMaxLabel == 63, "labels hold 63 characters and the terminator");

}  // namespace

Texture::~Texture() {
    release();
}

bool Texture::create(const char* label) {
    release();
    size_t length = 0;
    while (label != nullptr && length < kMaxLabel && label[length] != '\0') {
        name[length] = label[length];
        ++length;
    }
    name[length] = '\0';
    GLuint glName = 0;
    glGenTextures(1, &glName);
    handle = glName + 1;
    glBindTexture(GL_TEXTURE_2D, glName);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLfloat>(GL_REPEAT));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLfloat>(GL_REPEAT));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLfloat>(GL_LINEAR));
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    static_cast<GLfloat>(GL_LINEAR_MIPMAP_NEAREST));
    return true;
}

void Texture::release() {
    if (handle == 0) {
        return;
    }
    const GLuint glName = handle - 1;
    glDeleteTextures(1, &glName);
    handle = 0;
}

void Texture::abandon() {
    handle = 0;
}

void Texture::bind() {
    assert(handle != 0);
    glBindTexture(GL_TEXTURE_2D, handle - 1);
}

bool Texture::load(const TileImage& tile) {
    create("mmm");
    const bool loaded = uploadTileMipmaps(tile);
    width = loaded ? tile.width : 0;
    height = loaded ? tile.height : 0;
    return loaded;
}
