#include "app/Engine.h"
#include "app/ShutdownSignal.h"

#include <GLFW/glfw3.h>

int main()
{
    InstallShutdownSignals();

    bool started = false;
    {
        CEngine theEngine;
        started = theEngine.Init();
        if (started) {
            theEngine.Run();
        }
        // theEngine is destroyed here, while its context still exists, so
        // the programs, buffers and vertex arrays are released for real.
    }
    glfwTerminate();
    return started ? 0 : 1;
}
