// Start-up details that need a real context: the GL error check.
#include "EngineFixture.h"

#include <GL/glew.h>

#include <cstdio>

namespace {

class EngineInit : public EngineTest {};

TEST_F(EngineInit, ErrorCheckReportsAPendingErrorAndLeavesTheLineOpen)
{
    glEnable(0xFFFF); // not a capability: GL_INVALID_ENUM

    testing::internal::CaptureStdout();
    engine->CheckGlError();
    std::printf("next\n");
    const std::string output = testing::internal::GetCapturedStdout();

    // "GlError" has no line end: the next output continues on its line.
    EXPECT_EQ(output, "Error initializing OpenGL! invalid enumerant\nGlErrornext\n");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "the error has been read";
}

TEST_F(EngineInit, ErrorCheckIsSilentWithoutAnError)
{
    testing::internal::CaptureStdout();
    engine->CheckGlError();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(EngineInit, WindowAndViewportAreTheApplicationsOwn)
{
    int width = 0;
    int height = 0;
    glfwGetWindowSize(engine->window, &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 800);
    EXPECT_EQ(glfwGetWindowAttrib(engine->window, GLFW_RESIZABLE), GLFW_FALSE);
    EXPECT_EQ(glfwGetWindowAttrib(engine->window, GLFW_OPENGL_PROFILE), GLFW_OPENGL_CORE_PROFILE);
    EXPECT_GE(glfwGetWindowAttrib(engine->window, GLFW_CONTEXT_VERSION_MAJOR) * 10 +
                  glfwGetWindowAttrib(engine->window, GLFW_CONTEXT_VERSION_MINOR),
              43);

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 800);

    GLfloat clear[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[0], 0.3f);
    EXPECT_FLOAT_EQ(clear[1], 0.3f);
    EXPECT_FLOAT_EQ(clear[2], 0.3f);
    EXPECT_FLOAT_EQ(clear[3], 1.0f);
}

} // namespace
