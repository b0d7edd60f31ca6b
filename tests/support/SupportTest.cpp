// The test harness: a real OpenGL 4.x context on the test display, and a clear
// colour read back, so that a broken display set-up fails here and not in every suite.
#include "GLTestContext.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(GLTestContext, GivesAnOpenGL4ContextWhoseClearColourReadsBack) {
    VX3DTest::GLTestContext ctx(64, 64);
    GLint major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    EXPECT_GE(major, 4);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    auto px = VX3DTest::readPixels(10, 10, 1, 1);
    EXPECT_EQ(px[0], 255);
    EXPECT_EQ(px[1], 0);
    EXPECT_EQ(px[2], 0);
}
