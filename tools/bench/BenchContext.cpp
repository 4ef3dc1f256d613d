#include "BenchContext.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

namespace {

GLFWwindow* benchWindow = nullptr;

} // namespace

bool CreateBenchContext()
{
    if (glfwInit() != GLFW_TRUE) {
        return false;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    benchWindow = glfwCreateWindow(64, 64, "Corvane benchmark", nullptr, nullptr);
    if (benchWindow == nullptr) {
        glfwTerminate();
        return false;
    }
    glfwMakeContextCurrent(benchWindow);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        DestroyBenchContext();
        return false;
    }
    glGetError();
    return true;
}

bool BenchContextAvailable()
{
    return benchWindow != nullptr;
}

void DestroyBenchContext()
{
    glfwTerminate();
    benchWindow = nullptr;
}
