#include "BenchContext.h"

#include "render/GlWindow.h"

#include <GLFW/glfw3.h>

namespace {

GLFWwindow* benchWindow = nullptr;

} // namespace

bool CreateBenchContext()
{
    // Nothing is looked at, so the window stays hidden.
    benchWindow = StartStandaloneGl(64, 64, "Corvane benchmark", false);
    return benchWindow != nullptr;
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
