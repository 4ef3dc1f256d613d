// The order in which the application's scene is destroyed, observed through
// a configuration whose scene objects report their destruction.
#include "app/Engine.h"
#include "support/StdinRedirect.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Destroyed {
    std::string type;
    const void* object;
    bool operator==(const Destroyed& other) const
    {
        return type == other.type && object == other.object;
    }
};

std::vector<Destroyed> destroyed;

std::ostream& operator<<(std::ostream& out, const Destroyed& d)
{
    return out << d.type << "@" << d.object;
}

} // namespace

void CorvaneTraceDestroyed(const char* type, const void* object)
{
    destroyed.push_back(Destroyed{type, object});
}

namespace {

std::vector<Destroyed> ExpectedOrder(const CEngine& engine)
{
    // The world first, then the bodies from the last down, then the physics
    // program, then the polygon program: the reverse of construction.
    std::vector<Destroyed> expected{{"CPhysicsWorld", &engine.world}};
    for (int i = BuildConfig::bodyCount - 1; i >= 0; --i) {
        expected.push_back({"CRigidBody", &engine.bodies[i]});
    }
    expected.push_back({"CPhysicsShaderProgram", &engine.physicsProgram});
    expected.push_back({"CPlainPolyProgram", &engine.polyProgram});
    return expected;
}

class EngineLifetime : public testing::TestWithParam<bool> {};

TEST_P(EngineLifetime, SceneIsDestroyedInReverseOrderOfConstruction)
{
    const bool initialise = GetParam();
    ScopedStdinAtEof stdinAtEof;
    auto engine = std::make_unique<CEngine>();
    if (initialise) {
        testing::internal::CaptureStdout();
        const bool started = engine->Init();
        const std::string output = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started) << output;
    }
    const std::vector<Destroyed> expected = ExpectedOrder(*engine);

    destroyed.clear();
    engine.reset();
    EXPECT_EQ(destroyed, expected);

    if (initialise) {
        glfwTerminate();
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, EngineLifetime, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("AfterInit") : std::string("NeverInitialised");
                         });

} // namespace
