// Scene setup and the orthographic projection rule.
#include "scene.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "gl_context.h"
#include "tunnel_state.h"

namespace {

struct Box {
    double right;  // the box spans -right..right across
    double top;    // and -top..top up
};

// The projection must be exactly the orthographic box, with near -1, far 1.
void expectProjectionBox(const Box& box) {
    float m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const double diagonal[4] = {1.0 / box.right, 1.0 / box.top, -1.0, 1.0};
    for (int i = 0; i < 16; ++i) {
        const float expected = i % 5 == 0 ? static_cast<float>(diagonal[i / 5]) : 0.0f;
        EXPECT_NEAR(m[i], expected, 2e-7) << "projection element " << i;
    }
}

void expectModelviewIdentity() {
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(m[i], (i % 5 == 0) ? 1.0f : 0.0f) << "modelview element " << i;
    }
}

float aspectOf(int32_t width, int32_t height) {
    return static_cast<float>(static_cast<double>(width) / static_cast<double>(height));
}

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override { resetProgramState(); }
};

TEST_F(SceneTest, ProjectionBoxFollowsTheWindowShape) {
    struct Case {
        int32_t width, height;
        Box box;
    };
    const double wide800 = static_cast<double>(aspectOf(800, 600));
    ASSERT_EQ(aspectOf(800, 600), 1.3333334f);
    const Case cases[] = {
        {800, 600, {wide800, 1.0}},  // the float aspect is just above 4/3
        {1024, 600, {static_cast<double>(aspectOf(1024, 600)), 1.0}},
        {700, 700, {4.0 / 3.0, 4.0 / 3.0}},
        {600, 800, {4.0 / 3.0, 16.0 / 9.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.width << " x " << c.height);
        applyProjection(tunnel, aspectOf(c.width, c.height));
        expectProjectionBox(c.box);
        expectModelviewIdentity();
        EXPECT_EQ(tunnel.lastAspect, aspectOf(c.width, c.height));
    }
    // Aspects without area leave the last box in force.
    for (float aspect : {0.0f, -1.0f, INFINITY, -INFINITY, NAN}) {
        applyProjection(tunnel, aspect);
        EXPECT_TRUE(projectionIsFinite()) << "aspect " << aspect;
        expectProjectionBox({4.0 / 3.0, 16.0 / 9.0});
        EXPECT_EQ(tunnel.lastAspect, 0.75f);
    }
}

TEST_F(SceneTest, ClientAspectNeedsAnArea) {
    float aspect = -5.0f;
    ASSERT_TRUE(clientAspect(800, 600, aspect));
    EXPECT_EQ(aspect, 1.3333334f);
    for (const auto& [width, height] : {std::pair{800, 0}, {0, 600}, {0, 0}, {-800, -600}}) {
        EXPECT_FALSE(clientAspect(width, height, aspect)) << width << " x " << height;
    }
    EXPECT_EQ(aspect, 1.3333334f) << "no area leaves the aspect alone";
}

TEST_F(SceneTest, SetupLeavesTheStartingState) {
    frameRate.fpsStamp = 3.5f;
    frameRate.framesSinceStamp = 17;
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glCullFace(GL_BACK);

    startVoyage(testVoyage, programTile(), 1024, 600);

    EXPECT_EQ(tunnel.lastAspect, aspectOf(1024, 600));
    expectProjectionBox({static_cast<double>(aspectOf(1024, 600)), 1.0});
    expectModelviewIdentity();
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_TRUE);
    EXPECT_EQ(glIsEnabled(GL_CULL_FACE), GL_TRUE);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_FALSE);
    GLint value = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_FRONT);
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CCW);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    ASSERT_NE(tunnelTexture.handle, 0u);
    EXPECT_EQ(value, static_cast<GLint>(tunnelTexture.handle - 1));
    EXPECT_STREQ(tunnelTexture.name, "mmm");
    EXPECT_EQ(tunnelTexture.width, 64);
    EXPECT_EQ(tunnelTexture.height, 64);

    EXPECT_EQ(tunnel.speed, 8000.0f) << "the journey started";
    EXPECT_EQ(tunnel.outlines[0][0].y, 25.0f) << "base circle built";
    EXPECT_EQ(frameRate.fpsStamp, 3.5f) << "setup leaves the renderer alone";
    EXPECT_EQ(frameRate.framesSinceStamp, 17);
}

TEST_F(SceneTest, SetupWithoutClientAreaDefersTheProjection) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    startVoyage(testVoyage, programTile(), 800, 0);
    EXPECT_TRUE(projectionIsFinite());
    EXPECT_EQ(tunnel.lastAspect, 0.0f);
    EXPECT_EQ(tunnel.speed, 8000.0f);

    // The first frame with a real size puts the rule in force.
    hostFrame({600, 800});
    expectProjectionBox({4.0 / 3.0, 16.0 / 9.0});
    EXPECT_EQ(tunnel.lastAspect, 0.75f);
}

}  // namespace
