// Random scenes stepped for many frames at random frame times stay finite.
// Built in a box and in a circle configuration of 50 bodies.

#include "PhysicsTestSupport.h"

#include "app/BuildConfig.h"
#include "physics/PhysicsWorld.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

constexpr int N = BuildConfig::bodyCount;
static_assert(BuildConfig::collisionExecutor == CollisionExecutor::Cpu, "the scene steps itself");

enum class Layout {
    Spread,     // anywhere in the arena, some bodies beyond the walls
    Clustered,  // heaped into a small square: many overlaps every frame
    Coincident, // pairs of bodies on the same centre
};

struct SceneCase {
    std::string name;
    Layout layout;
    unsigned seed;
};

PRINT_CASE_AS_NAME(SceneCase)

class RandomScene : public testing::TestWithParam<SceneCase> {};

TEST_P(RandomScene, StaysFiniteOverAThousandFrames)
{
    const SceneCase& c = GetParam();
    std::mt19937 random(c.seed);
    std::uniform_real_distribution<float> arena(-1.6f, 1.6f);
    std::uniform_real_distribution<float> cluster(-0.1f, 0.1f);
    std::uniform_real_distribution<float> speed(-10.0f, 10.0f);
    std::uniform_real_distribution<float> frameTime(0.0f, 0.05f);

    CRigidBody bodies[N];
    CPhysicsWorld world;
    for (int i = 0; i < N; ++i) {
        float x = c.layout == Layout::Clustered ? cluster(random) : arena(random);
        float y = c.layout == Layout::Clustered ? cluster(random) : arena(random);
        if (c.layout == Layout::Coincident && i % 2 == 1) {
            x = bodies[i - 1].GetPosition().x;
            y = bodies[i - 1].GetPosition().y;
        }
        bodies[i].SetShape(x, y, 0.1f, 0.1f);
        bodies[i].SetVelocity(speed(random), speed(random));
        world.AddBody(&bodies[i]);
    }

    for (int frame = 0; frame < 1000; ++frame) {
        world.Step(frameTime(random));
        for (int i = 0; i < N; ++i) {
            ASSERT_TRUE(BodyIsFinite(bodies[i])) << "body " << i << " after frame " << frame;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RandomScene,
                         testing::Values(SceneCase{"Spread1", Layout::Spread, 1u},
                                         SceneCase{"Spread2", Layout::Spread, 2u},
                                         SceneCase{"Clustered3", Layout::Clustered, 3u},
                                         SceneCase{"Clustered4", Layout::Clustered, 4u},
                                         SceneCase{"Coincident5", Layout::Coincident, 5u}),
                         [](const testing::TestParamInfo<SceneCase>& info) { return info.param.name; });

} // namespace
