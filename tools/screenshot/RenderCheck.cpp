// Renders one frame of a few bodies at known positions with the shipped
// polygon program, the shared mesh and the world's draw, the way the
// application draws a frame, and saves it as a PNG. Each body's expected
// pixel is printed and checked, so the picture can be compared by eye.
//
//   corvane_render_check <output.png>
//
// Needs a display (run it under xvfb-run); reads ShaderFiles beside itself.
#include "FrameCapture.h"
#include "PngWriter.h"

#include "app/BuildConfig.h"
#include "app/ExePath.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "render/BodyMesh.h"
#include "render/GlWindow.h"
#include "render/PathSeparator.h"
#include "render/PlainPolyProgram.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <glm/vec2.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSize = 800;
constexpr double kArenaHalfExtent = 1.5;

// Centre, the near corners of the arena, the body position the drawing
// tests use, and one beyond the right wall that must not show.
const glm::vec2 kPositions[BuildConfig::bodyCount] = {
    glm::vec2(0.0f, 0.0f),   glm::vec2(-1.2f, 0.9f),    glm::vec2(0.25f, -0.5f),
    glm::vec2(1.45f, 1.45f), glm::vec2(-1.45f, -1.45f), glm::vec2(1.6f, 0.3f),
};
static_assert(BuildConfig::bodyCount == 6, "one position per body");

// Arena coordinate to the pixel whose centre it falls in, origin bottom left.
int ToPixel(double arena)
{
    return static_cast<int>(std::floor((arena / kArenaHalfExtent + 1.0) / 2.0 * kSize));
}

int Render(const char* outputPath)
{
    CPlainPolyProgram program;
    const std::string shaderFolder = DirectoryOf(ExecutablePath(), kPathSeparator) + kPathSeparator + "ShaderFiles";
    if (!program.LoadProgram(shaderFolder)) {
        std::printf("Unable to load the polygon program from %s\n", shaderFolder.c_str());
        return 1;
    }

    CBodyMesh mesh;
    CRigidBody bodies[BuildConfig::bodyCount];
    CPhysicsWorld world;
    for (int i = 0; i < BuildConfig::bodyCount; ++i) {
        bodies[i].SetShape(kPositions[i].x, kPositions[i].y, 0.1f, 0.1f);
        bodies[i].SetMesh(&mesh);
        bodies[i].SetProgram(&program);
        world.AddBody(&bodies[i]);
    }

    glClear(GL_COLOR_BUFFER_BIT);
    program.Bind();
    world.DrawBodies();

    const std::vector<unsigned char> topDown = ReadFrameTopDown(kSize, kSize);

    int failures = 0;
    const unsigned char* background = &topDown[0];
    for (int i = 0; i < BuildConfig::bodyCount; ++i) {
        const int x = ToPixel(kPositions[i].x);
        const int y = ToPixel(kPositions[i].y);
        const bool visible =
            std::abs(kPositions[i].x) < kArenaHalfExtent && std::abs(kPositions[i].y) < kArenaHalfExtent;
        if (!visible) {
            std::printf("body %d at (%g, %g): beyond the walls, not in the picture\n", i, kPositions[i].x,
                        kPositions[i].y);
            continue;
        }
        const unsigned char* pixel = &topDown[(static_cast<size_t>(kSize - 1 - y) * kSize + x) * 3];
        const bool drawn = pixel[0] != background[0] || pixel[1] != background[1] || pixel[2] != background[2];
        std::printf("body %d at (%g, %g): picture pixel (%d, %d) from the top left is (%d, %d, %d)%s\n", i,
                    kPositions[i].x, kPositions[i].y, x, kSize - 1 - y, pixel[0], pixel[1], pixel[2],
                    drawn ? "" : "  <-- background, expected the body");
        failures += drawn ? 0 : 1;
    }

    if (!WritePng(outputPath, kSize, kSize, topDown)) {
        std::printf("Unable to write %s\n", outputPath);
        return 1;
    }
    std::printf("wrote %s\n", outputPath);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::printf("usage: %s <output.png>\n", argv[0]);
        return 2;
    }

    // The application's window and context: 800 by 800, 4.3 core, grey.
    if (StartStandaloneGl(kSize, kSize, "Corvane render check") == nullptr) {
        return 1;
    }
    glClearColor(0.3f, 0.3f, 0.3f, 1.0f);

    // The scene is released while the context still exists.
    const int result = Render(argv[1]);
    glfwTerminate();
    return result;
}
