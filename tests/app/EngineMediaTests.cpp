// The scene the application starts from: bodies on a sine curve, registered
// with the world in index order.
#include "EngineFixture.h"

#include <cmath>

namespace {

constexpr int N = BuildConfig::bodyCount;

struct StartRow {
    int index;
    double s; // sin(0.1 i) to six significant digits
};

// Half a unit in the sixth significant digit of the expected value.
double SixDigitTolerance(double expected)
{
    if (expected == 0.0) {
        return 0.0;
    }
    return 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(expected))) - 5.0);
}

class EngineMedia : public EngineTest {};

TEST_F(EngineMedia, TellingRowsStartOnTheSineCurve)
{
    const StartRow rows[] = {{0, 0.0},        {1, 0.0998334},  {10, 0.841471},   {16, 0.999574},  {31, 0.0415805},
                             {47, -0.999923}, {49, -0.982453}, {499, -0.357399}, {999, -0.589923}};
    int checked = 0;
    for (const StartRow& row : rows) {
        if (row.index >= N) {
            continue;
        }
        SCOPED_TRACE(row.index);
        const CRigidBody& body = engine->bodies[row.index];
        EXPECT_NEAR(body.GetPosition().x, row.s, SixDigitTolerance(row.s));
        EXPECT_EQ(body.GetPosition().y, 0.0f);
        EXPECT_NEAR(body.GetVelocity().x, 10.0 * row.s, SixDigitTolerance(10.0 * row.s));
        EXPECT_EQ(body.GetVelocity().x, body.GetVelocity().y);
        ++checked;
    }
    EXPECT_GE(checked, 7);
}

TEST_F(EngineMedia, EveryBodyIsPlacedAndRegisteredInIndexOrder)
{
    ASSERT_EQ(engine->world.BodyCount, N);
    ASSERT_EQ(engine->world.ColliderCount, N);
    const CRigidBody& first = engine->bodies[0];
    EXPECT_NE(first.VertexArray, 0u);
    EXPECT_NE(first.VertexBuffer, 0u);
    for (int i = 0; i < N; ++i) {
        CRigidBody& body = engine->bodies[i];
        const float s = std::sin(static_cast<float>(i) * 0.1f);
        ASSERT_EQ(engine->world.Bodies[i], &body) << i;
        ASSERT_EQ(engine->world.Colliders[i], body.GetCollider()) << i;
        ASSERT_EQ(body.GetPosition(), glm::vec2(s, 0.0f)) << i;
        ASSERT_EQ(body.GetVelocity(), glm::vec2(10.0f * s, 10.0f * s)) << i;
        ASSERT_EQ(body.Collider.Center, body.GetPosition()) << i;
        ASSERT_EQ(body.Collider.Width, 0.1f) << i;
        ASSERT_EQ(body.Collider.Height, 0.1f) << i;
        ASSERT_EQ(body.Program, &engine->polyProgram) << i;
        // One mesh shared by all.
        ASSERT_EQ(body.VertexArray, first.VertexArray) << i;
        ASSERT_EQ(body.VertexBuffer, first.VertexBuffer) << i;
    }
}

TEST_F(EngineMedia, TheCurveRepeatsAboutEverySixtyThreeBodies)
{
    // The scene is a collision stress test: bodies i and i + 63 start almost
    // on top of each other.
    for (int i = 0; i + 63 < N; ++i) {
        EXPECT_LT(std::fabs(engine->bodies[i].GetPosition().x - engine->bodies[i + 63].GetPosition().x), 0.02f) << i;
    }
}

TEST_F(EngineMedia, StartupPrintsNothingAndBindsTheRightPrograms)
{
    EXPECT_EQ(startupOutput, "");
    if constexpr (BuildConfig::collisionExecutor == CollisionExecutor::Gpu) {
        EXPECT_EQ(engine->world.PhysicsProgram, &engine->physicsProgram);
        EXPECT_NE(engine->physicsProgram.ProgramID, 0u);
    } else {
        EXPECT_EQ(engine->world.PhysicsProgram, nullptr);
        EXPECT_EQ(engine->physicsProgram.ProgramID, 0u);
    }
    EXPECT_NE(engine->polyProgram.ProgramID, 0u);
}

} // namespace
