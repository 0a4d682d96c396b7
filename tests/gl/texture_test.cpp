// The tile texture: its object, its mip chain and which texels it samples.
#include "texture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "gl_context.h"

namespace {

GLint boundTexture() {
    GLint name = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

GLint levelWidth(GLint level, GLenum name = GL_TEXTURE_WIDTH) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

GLint parameter(GLenum name) {
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// Its stored rows, bottom first.
std::vector<uint8_t> tilePixels() {
    const TileImage tile = programTile();
    return {tile.bgr, tile.bgr + tileRowBytes(tile.width) * tile.height};
}

int brightness(const uint8_t* bgr) {
    return bgr[0] + bgr[1] + bgr[2];
}

class TextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetProgramState();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

TEST_F(TextureTest, TileBitmapLoadsWithFullMipChain) {
    Texture texture;
    EXPECT_EQ(texture.handle, 0u);
    EXPECT_TRUE(texture.load(programTile()));
    EXPECT_STREQ(texture.name, "mmm");
    EXPECT_EQ(texture.width, 64);
    EXPECT_EQ(texture.height, 64);
    ASSERT_NE(texture.handle, 0u);
    EXPECT_EQ(boundTexture(), static_cast<GLint>(texture.handle - 1));
    EXPECT_EQ(glIsTexture(texture.handle - 1), GL_TRUE);
    for (GLint level = 0; level <= 6; ++level) {
        EXPECT_EQ(levelWidth(level), 64 >> level) << "level " << level;
        EXPECT_EQ(levelWidth(level, GL_TEXTURE_HEIGHT), 64 >> level) << "level " << level;
    }
    EXPECT_EQ(levelWidth(7), 0) << "the chain ends at 1 x 1";
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_NEAREST);
}

TEST_F(TextureTest, LevelZeroHoldsTheBitmapBottomRowFirstWhereTIsZero) {
    ASSERT_EQ(programTile().width, 64);
    const std::vector<uint8_t> stored = tilePixels();
    ASSERT_EQ(stored.size(), 64u * 192u) << "64 rows of 192 bytes, no padding";

    Texture texture;
    ASSERT_TRUE(texture.load(programTile()));
    std::vector<uint8_t> texels(64 * 64 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGR_EXT, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(std::memcmp(texels.data(), stored.data(), stored.size()), 0)
        << "texel row r must be stored row r, so t = 0 is the picture's bottom row";

    // Row 0 (t = 0) and column 0 (s = 0) are grout: darker than a tile face.
    const uint8_t* bottomRow = texels.data();
    const uint8_t* face = texels.data() + 8 * 192 + 8 * 3;
    EXPECT_LT(brightness(bottomRow + 8 * 3), brightness(face));
    EXPECT_LT(brightness(texels.data() + 8 * 192), brightness(face));

    // Drawn, coordinate t = 0 samples that bottom row.
    const ClientSize client = useRealClientSize();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    // A constant coordinate magnifies level 0; texel centres filter to themselves.
    const int column = 20;
    glBegin(GL_QUADS);
    glColor3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f((column + 0.5f) / 64.0f, 0.5f / 64.0f);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    const std::vector<uint8_t> image = readBackBuffer(client.width, client.height);
    glDisable(GL_TEXTURE_2D);

    const uint8_t* texel = stored.data() + column * 3;  // bottom row, stored first
    const uint8_t* pixel =
        image.data() + ((client.height / 2) * client.width + client.width / 2) * 3;
    EXPECT_NEAR(pixel[0], texel[2], 1);  // red
    EXPECT_NEAR(pixel[1], texel[1], 1);  // green
    EXPECT_NEAR(pixel[2], texel[0], 1);  // blue
}

// Release deletes once and is harmless after; create replaces the held
// texture. After the context is gone the texture has gone with it: abandon
// makes no GL call, and the exit-time release then makes none either.
TEST_F(TextureTest, ReleaseCreateAndAbandon) {
    Texture texture;
    texture.release();
    EXPECT_EQ(texture.handle, 0u);
    ASSERT_TRUE(texture.load(programTile()));
    const GLuint first = texture.handle - 1;
    ASSERT_TRUE(texture.create("second"));
    ASSERT_NE(texture.handle, 0u);
    EXPECT_STREQ(texture.name, "second");
    EXPECT_EQ(boundTexture(), static_cast<GLint>(texture.handle - 1));
    EXPECT_EQ(levelWidth(0), 0) << "the new object starts without an image";
    if (texture.handle - 1 != first) {
        EXPECT_EQ(glIsTexture(first), GL_FALSE) << "the old texture was not deleted";
    }
    const GLuint name = texture.handle - 1;
    texture.release();
    EXPECT_EQ(texture.handle, 0u);
    EXPECT_EQ(glIsTexture(name), GL_FALSE);
    texture.release();
    EXPECT_EQ(texture.handle, 0u);

    ASSERT_TRUE(texture.create("exit"));
    const GLuint kept = texture.handle - 1;
    texture.abandon();
    EXPECT_EQ(texture.handle, 0u);
    texture.release();
    EXPECT_EQ(glIsTexture(kept), GL_TRUE) << "no GL call was made";
    glDeleteTextures(1, &kept);
}

TEST_F(TextureTest, LabelsAreCutToSixtyThreeCharacters) {
    Texture texture;
    const std::string exact(63, 'a'), longer = std::string(63, 'b') + "overflow", huge(5000, 'c');
    const std::pair<const char*, std::string> labels[] = {{exact.c_str(), exact},
                                                          {longer.c_str(), std::string(63, 'b')},
                                                          {huge.c_str(), std::string(63, 'c')},
                                                          {"", ""},
                                                          {nullptr, ""}};
    for (const auto& [label, kept] : labels) {
        ASSERT_TRUE(texture.create(label));
        EXPECT_EQ(std::string(texture.name), kept);
        EXPECT_NE(texture.handle, 0u);
    }
}

// A host with no usable picture (missing, or one its checks refused).
TEST_F(TextureTest, MissingTileLeavesAnEmptyBoundTexture) {
    const TileImage missing[] = {{}, {64, 64, nullptr}};
    for (const TileImage& tile : missing) {
        Texture texture;
        EXPECT_FALSE(texture.load(tile));
        ASSERT_NE(texture.handle, 0u) << "bind() must stay usable";
        EXPECT_STREQ(texture.name, "mmm");
        EXPECT_EQ(texture.width, 0);
        EXPECT_EQ(texture.height, 0);
        EXPECT_EQ(boundTexture(), static_cast<GLint>(texture.handle - 1));
        EXPECT_EQ(levelWidth(0), 0);
        texture.bind();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

}  // namespace
