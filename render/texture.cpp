#include "texture.h"

#include <cassert>

#include "gl_headers.h"

Texture tunnelTexture;

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
    const bool usable = tile.bgr != nullptr && tile.width > 0 && tile.height > 0;
    create("mmm");
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // rows padded to 4 bytes, as in a DIB
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    width = usable ? tile.width : 0;
    height = usable ? tile.height : 0;
    if (usable) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_BGR_EXT, GL_UNSIGNED_BYTE, tile.bgr);
    }
    return usable;
}
