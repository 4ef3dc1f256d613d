// A Gpu configuration whose compute-shader file is missing: start-up goes on
// after the loader's messages, and the loop runs with no contacts from the
// GPU while the walls keep every body in the arena. This program lives in a
// folder whose ShaderFiles holds only the polygon program.
#include "EngineFixture.h"

#include "app/ExePath.h"

#include <cmath>

namespace {

constexpr int N = BuildConfig::bodyCount;

class EngineWithoutComputeShader : public EngineTest {};

TEST_F(EngineWithoutComputeShader, StartsAndRunsWithWallsOnly)
{
    const std::string folder = DirectoryOf(ExecutablePath(), '/');
    const std::string file = BuildConfig::bodyShape == BodyShape::Box ? "BoxColl.glcs" : "CircleColl.glcs";
    EXPECT_EQ(startupOutput, "Unable to open file " + folder + "/ShaderFiles/" + file +
                                 "\n"
                                 "Could not find Compute Shader \n"
                                 "Press Enter to Continue \n"
                                 "Unable to load physics shader!\n");
    EXPECT_EQ(engine->physicsProgram.ProgramID, 0u);
    EXPECT_EQ(engine->world.PhysicsProgram, &engine->physicsProgram);

    engine->timeSource = &FixedStepClock;
    testing::internal::CaptureStdout();
    for (int frame = 1; frame <= 600; ++frame) {
        engine->Frame();
        for (int i = 0; i < N; ++i) {
            ASSERT_EQ(engine->physicsProgram.CollisionData.Normals[i], glm::vec2(0.0f, 0.0f)) << frame;
            ASSERT_EQ(engine->physicsProgram.CollisionData.HitBodyIndices[i], -1) << frame;
        }
    }
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.rfind("Frametime:", 0), 0u) << output;

    // Five seconds at up to 10 units per second: only the walls keep the
    // bodies within a frame's travel of the arena.
    for (int i = 0; i < N; ++i) {
        const glm::vec2 p = engine->bodies[i].GetPosition();
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y)) << i;
        EXPECT_LT(std::fabs(p.x), 1.6f) << i;
        EXPECT_LT(std::fabs(p.y), 1.6f) << i;
    }
}

} // namespace
