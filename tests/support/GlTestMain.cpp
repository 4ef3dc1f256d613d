#include "support/GlContext.h"

#include "render/GlWindow.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

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
    testWindow = StartStandaloneGl(800, 800, "Corvane tests");
    if (testWindow == nullptr) {
        return 1;
    }

    const int result = RUN_ALL_TESTS();
    glfwTerminate();
    return result;
}
