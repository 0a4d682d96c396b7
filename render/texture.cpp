#include "texture.h"

#include <windows.h>
// Keep windows.h first: the GL headers need its WINAPI definitions.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cassert>

Texture tunnelTexture;

namespace {

constexpr size_t kMaxLabel = sizeof(Texture::name) - 1;
static_assert(kMaxLabel == 63, "labels hold 63 characters and the terminator");

// Pixel data of a DIB section the upload can use as it stands.
struct BitmapPixels {
    int32_t width;     // pixels per row
    int32_t height;    // rows, bottom-up
    const void* bits;  // first byte of the bottom row
};

// Only a 24-bit DIB section with its pixels in memory has the layout that
// GL_BGR_EXT with 4-byte row alignment reads; anything else would make GLU
// read out of bounds.
bool readBitmapPixels(HBITMAP bitmap, BitmapPixels& out) {
    BITMAP info = {};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) != sizeof info) {
        return false;
    }
    if (info.bmBits == nullptr || info.bmWidth <= 0 || info.bmHeight <= 0 ||
        info.bmBitsPixel != 24 || info.bmPlanes != 1) {
        return false;
    }
    out = {static_cast<int32_t>(info.bmWidth), static_cast<int32_t>(info.bmHeight), info.bmBits};
    return true;
}

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
    // At process exit the context is already gone; GL calls then are not
    // guaranteed to be harmless on every driver.
    if (wglGetCurrentContext() != nullptr) {
        const GLuint glName = handle - 1;
        glDeleteTextures(1, &glName);
    }
    handle = 0;
}

void Texture::bind() {
    assert(handle != 0);
    glBindTexture(GL_TEXTURE_2D, handle - 1);
}

bool Texture::loadBitmap(int32_t resourceId) {
    const WORD id = static_cast<WORD>(resourceId & 0xFFFF);
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BitmapPixels pixels = {};
    const bool usable = readBitmapPixels(bitmap, pixels);
    create("mmm");
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    width = pixels.width;
    height = pixels.height;
    if (usable) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_BGR_EXT, GL_UNSIGNED_BYTE,
                          pixels.bits);
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);  // GLU has copied the pixels
    }
    return usable;
}
