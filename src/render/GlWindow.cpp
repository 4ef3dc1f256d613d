#include "render/GlWindow.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>

GLFWwindow* OpenCoreWindow(int width, int height, const char* title, bool visible)
{
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    glfwWindowHint(GLFW_VISIBLE, visible ? GLFW_TRUE : GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(width, height, title, nullptr, nullptr);
    if (window != nullptr) {
        glfwMakeContextCurrent(window);
    }
    return window;
}

bool LoadGlEntryPoints()
{
    glewExperimental = GL_TRUE;
    return glewInit() == GLEW_OK;
}

GLFWwindow* StartStandaloneGl(int width, int height, const char* title, bool visible)
{
    if (glfwInit() != GLFW_TRUE) {
        std::printf("No display for an OpenGL window (run under xvfb-run)\n");
        return nullptr;
    }
    GLFWwindow* window = OpenCoreWindow(width, height, title, visible);
    if (window == nullptr) {
        std::printf("Could not create an OpenGL 4.3 core context\n");
        glfwTerminate();
        return nullptr;
    }
    if (!LoadGlEntryPoints()) {
        std::printf("Could not load the OpenGL entry points\n");
        glfwTerminate();
        return nullptr;
    }
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window, &framebufferWidth, &framebufferHeight);
    glViewport(0, 0, framebufferWidth, framebufferHeight);
    glGetError(); // start with no error pending
    return window;
}
