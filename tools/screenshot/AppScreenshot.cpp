// Runs the application of this configuration for a number of frames, with
// its real clock and scene, and saves the last frame as a PNG.
//
//   corvane_app_screenshot <output.png> [frames]
//
// Needs a display (run it under xvfb-run); reads ShaderFiles beside itself.
#include "FrameCapture.h"
#include "PngWriter.h"

#include "app/Engine.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>

namespace {

int Capture(const char* outputPath, int frames)
{
    CEngine engine;
    if (!engine.Init()) {
        return 1;
    }
    for (int frame = 0; frame < frames; ++frame) {
        engine.Frame();
    }

    // The last frame once more, read before the swap.
    glClear(GL_COLOR_BUFFER_BIT);
    engine.DrawScene();
    const std::vector<unsigned char> picture = ReadFrameTopDown(engine.windowWidth, engine.windowHeight);
    if (!WritePng(outputPath, engine.windowWidth, engine.windowHeight, picture)) {
        std::printf("Unable to write %s\n", outputPath);
        return 1;
    }
    std::printf("wrote %s after %d frames\n", outputPath, frames);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::printf("usage: %s <output.png> [frames]\n", argv[0]);
        return 2;
    }
    const int frames = argc == 3 ? std::atoi(argv[2]) : 300;
    // The engine is gone before the library shuts down, as in main.
    const int result = Capture(argv[1], frames);
    glfwTerminate();
    return result;
}
