#include "support/GlContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

GLFWwindow* testWindow = nullptr;

} // namespace

GLFWwindow* TestWindow()
{
    return testWindow;
}

Rgb ReadPixel(int x, int y)
{
    unsigned char pixel[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return Rgb{pixel[0], pixel[1], pixel[2]};
}

// Same context as the application's (Init): 4.3 core, not resizable, 800 by
// 800. A visible window, because an unmapped one may own no pixels to read.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (glfwInit() != GLFW_TRUE) {
        std::printf("GL tests need a display (run them under xvfb-run)\n");
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    testWindow = glfwCreateWindow(800, 800, "Corvane tests", nullptr, nullptr);
    if (testWindow == nullptr) {
        std::printf("Could not create an OpenGL 4.3 core context\n");
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(testWindow);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::printf("Could not initialise GLEW\n");
        glfwTerminate();
        return 1;
    }
    glViewport(0, 0, 800, 800);
    glGetError(); // start every program with no error pending

    const int result = RUN_ALL_TESTS();
    glfwTerminate();
    return result;
}
