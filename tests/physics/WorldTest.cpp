// The world in a three-body CPU configuration: registration, the wall test
// and the order of the CPU step.

#include "PhysicsTestSupport.h"

#include "app/BuildConfig.h"
#include "physics/PhysicsWorld.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

static_assert(BuildConfig::bodyCount == 3 && BuildConfig::collisionExecutor == CollisionExecutor::Cpu,
              "these tests expect a three-body CPU configuration");

// --- Registration ------------------------------------------------------------

TEST(WorldRegistration, NewWorldIsEmpty)
{
    const CPhysicsWorld world;
    EXPECT_EQ(world.BodyCount, 0);
    EXPECT_EQ(world.ColliderCount, 0);
    EXPECT_EQ(world.PhysicsProgram, nullptr);
}

struct RegistrationCase {
    std::string name;
    std::string calls;          // 'B' AddBody of the next body, 'C' AddCollider of the next spare collider
    std::vector<int> results;   // what each call returns
    std::vector<int> bodies;    // Bodies[k] is the body of this index
    std::vector<int> colliders; // Colliders[k]: >= 0 the collider of that body, < 0 spare collider -1 - k
};

PRINT_CASE_AS_NAME(RegistrationCase)

class WorldRegistration : public testing::TestWithParam<RegistrationCase> {};

TEST_P(WorldRegistration, ReturnsIndicesAndFillsBothArrays)
{
    const RegistrationCase& c = GetParam();
    CPhysicsWorld world;
    CRigidBody bodies[3];
    BoxCollider spares[3];
    int nextBody = 0;
    int nextSpare = 0;

    std::vector<int> results;
    for (char call : c.calls) {
        results.push_back(call == 'B' ? world.AddBody(&bodies[nextBody++]) : world.AddCollider(&spares[nextSpare++]));
    }

    EXPECT_EQ(results, c.results);
    ASSERT_EQ(world.BodyCount, static_cast<int>(c.bodies.size()));
    ASSERT_EQ(world.ColliderCount, static_cast<int>(c.colliders.size()));
    for (std::size_t k = 0; k < c.bodies.size(); ++k) {
        EXPECT_EQ(world.Bodies[k], &bodies[c.bodies[k]]) << "Bodies[" << k << "]";
    }
    for (std::size_t k = 0; k < c.colliders.size(); ++k) {
        const int who = c.colliders[k];
        const BoxCollider* expected = who >= 0 ? bodies[who].GetCollider() : &spares[-1 - who];
        EXPECT_EQ(world.Colliders[k], expected) << "Colliders[" << k << "]";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, WorldRegistration,
                         testing::Values(RegistrationCase{"Bodies", "BBB", {0, 1, 2}, {0, 1, 2}, {0, 1, 2}},
                                         RegistrationCase{"Colliders", "CCC", {0, 1, 2}, {}, {-1, -2, -3}},
                                         // AddBody answers the collider count less one: after a spare
                                         // collider that is no longer the body's own index.
                                         RegistrationCase{"SpareColliderFirst", "CBB", {0, 1, 2}, {0, 1}, {-1, 0, 1}}),
                         [](const testing::TestParamInfo<RegistrationCase>& info) { return info.param.name; });

// --- Wall test ---------------------------------------------------------------

struct WallCase {
    std::string name;
    glm::vec2 center;
    float size; // width and height
    bool hit;
    glm::vec2 normal;
    float offset;
    glm::vec2 hitPoint; // the first corner found outside
};

PRINT_CASE_AS_NAME(WallCase)

WallCase NoWall(std::string name, glm::vec2 center, float size)
{
    return WallCase{std::move(name), center, size, false, {0.0f, 0.0f}, 0.0f, {0.0f, 0.0f}};
}

class WallTest : public testing::TestWithParam<WallCase> {};

TEST_P(WallTest, FirstWallAndCornerOutsideTheArena)
{
    const WallCase& c = GetParam();
    const BoxCollider collider(c.center.x, c.center.y, c.size, c.size);
    const glm::vec2 untouchedPoint(7.0f, -7.0f);
    const float untouchedOffset = 123.0f;
    glm::vec2 hitPoint = untouchedPoint;
    float offset = untouchedOffset;

    const glm::vec2 normal = CPhysicsWorld::CollideWithWalls(collider, hitPoint, offset);

    EXPECT_EQ(normal, c.normal);
    if (c.hit) {
        EXPECT_NEAR(offset, c.offset, 1e-6);
        EXPECT_NEAR(hitPoint.x, c.hitPoint.x, 1e-6);
        EXPECT_NEAR(hitPoint.y, c.hitPoint.y, 1e-6);
    } else {
        EXPECT_EQ(offset, untouchedOffset);
        EXPECT_EQ(hitPoint, untouchedPoint);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WallTest,
    testing::Values(
        NoWall("Inside", {0.0f, 0.0f}, 0.1f),
        // Corners exactly on a wall (1.25 + 0.25 = 1.5 in float) are not outside.
        NoWall("OnTheRightWall", {1.25f, 0.0f}, 0.5f), NoWall("OnTheTopLeftCorner", {-1.25f, 1.25f}, 0.5f),
        NoWall("OnTheBottomWall", {0.0f, -1.25f}, 0.5f),
        // Partly outside: walls are tried left, top, right, bottom, and within a
        // wall the corners bottom left, bottom right, top right, top left.
        WallCase{"Right", {1.48f, 0.0f}, 0.1f, true, {-1.0f, 0.0f}, 0.03f, {1.53f, -0.05f}},
        WallCase{"Left", {-1.48f, 0.0f}, 0.1f, true, {1.0f, 0.0f}, 0.03f, {-1.53f, -0.05f}},
        WallCase{"Top", {0.0f, 1.48f}, 0.1f, true, {0.0f, -1.0f}, 0.03f, {0.05f, 1.53f}},
        WallCase{"Bottom", {0.0f, -1.48f}, 0.1f, true, {0.0f, 1.0f}, 0.03f, {-0.05f, -1.53f}},
        WallCase{"TopRightAnswersTop", {1.48f, 1.48f}, 0.1f, true, {0.0f, -1.0f}, 0.03f, {1.53f, 1.53f}},
        WallCase{"TopLeftAnswersLeft", {-1.48f, 1.48f}, 0.1f, true, {1.0f, 0.0f}, 0.03f, {-1.53f, 1.43f}},
        WallCase{"BottomLeftAnswersLeft", {-1.48f, -1.48f}, 0.1f, true, {1.0f, 0.0f}, 0.03f, {-1.53f, -1.53f}},
        WallCase{"BottomRightAnswersRight", {1.48f, -1.48f}, 0.1f, true, {-1.0f, 0.0f}, 0.03f, {1.53f, -1.53f}},
        // Wholly outside: the bottom-left corner comes first, which is the
        // shallowest corner beyond the top or right wall and the deepest one
        // beyond the left or bottom wall.
        WallCase{"BeyondRightShallowCorner", {2.0f, 0.0f}, 0.1f, true, {-1.0f, 0.0f}, 0.45f, {1.95f, -0.05f}},
        WallCase{"BeyondTopShallowCorner", {0.0f, 2.0f}, 0.1f, true, {0.0f, -1.0f}, 0.45f, {-0.05f, 1.95f}},
        WallCase{"BeyondLeftDeepCorner", {-2.0f, 0.0f}, 0.1f, true, {1.0f, 0.0f}, 0.55f, {-2.05f, -0.05f}},
        WallCase{"BeyondBottomDeepCorner", {0.0f, -2.0f}, 0.1f, true, {0.0f, 1.0f}, 0.55f, {-0.05f, -2.05f}}),
    [](const testing::TestParamInfo<WallCase>& info) { return info.param.name; });

// --- CPU step ----------------------------------------------------------------

class CpuStep : public testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) {
            bodies[i].StartRecording(&log, i);
            world.AddBody(&bodies[i]);
        }
    }

    void Place(int i, glm::vec2 center, glm::vec2 velocity)
    {
        bodies[i].SetShape(center.x, center.y, 0.1f, 0.1f);
        bodies[i].SetVelocity(velocity.x, velocity.y);
    }

    std::vector<CallRecord> log;
    CRecordingBody bodies[3];
    CPhysicsWorld world;
};

TEST_F(CpuStep, PairsThenWallsThenIntegrationBodyByBody)
{
    // Each body sticks 0.03 out of a different wall, moving further out.
    Place(0, {-1.48f, 0.0f}, {-1.0f, 0.0f});
    Place(1, {0.0f, 1.48f}, {0.0f, 1.0f});
    Place(2, {1.48f, 0.0f}, {1.0f, 0.0f});

    world.Step(0.01f);

    struct Expected {
        CallRecord::Kind kind;
        int body;
        int other;
    };
    const Expected order[] = {
        {CallRecord::Collide, 0, 0},  {CallRecord::Collide, 0, 1},    {CallRecord::Collide, 0, 2},
        {CallRecord::Contact, 0, -1}, {CallRecord::Integrate, 0, -1}, {CallRecord::Collide, 1, 1},
        {CallRecord::Collide, 1, 2},  {CallRecord::Contact, 1, -1},   {CallRecord::Integrate, 1, -1},
        {CallRecord::Collide, 2, 2},  {CallRecord::Contact, 2, -1},   {CallRecord::Integrate, 2, -1},
    };
    ASSERT_EQ(log.size(), std::size(order));
    for (std::size_t k = 0; k < log.size(); ++k) {
        EXPECT_EQ(log[k].kind, order[k].kind) << "call " << k;
        EXPECT_EQ(log[k].body, order[k].body) << "call " << k;
        EXPECT_EQ(log[k].other, order[k].other) << "call " << k;
    }

    // The wall responses: the wall normal, the corner depth, a blank collider
    // and no partner; each body is back inside before it is integrated.
    const glm::vec2 wallNormals[] = {{1.0f, 0.0f}, {0.0f, -1.0f}, {-1.0f, 0.0f}};
    const glm::vec2 positionsInside[] = {{-1.45f, 0.0f}, {0.0f, 1.45f}, {1.45f, 0.0f}};
    const glm::vec2 velocitiesTurned[] = {{0.7f, 0.0f}, {0.0f, -0.7f}, {-0.7f, 0.0f}};
    const std::size_t contactAt[] = {3, 7, 10};
    for (int i = 0; i < 3; ++i) {
        const CallRecord& contact = log[contactAt[i]];
        EXPECT_EQ(contact.normal, wallNormals[i]);
        EXPECT_NEAR(contact.offset, 0.03f, 1e-6);
        EXPECT_EQ(contact.hitBody, nullptr);
        EXPECT_EQ(contact.hitColliderValue.Width, 0.0f);
        EXPECT_EQ(contact.hitColliderValue.Center, glm::vec2(0.0f, 0.0f));

        const CallRecord& integration = log[contactAt[i] + 1];
        EXPECT_NEAR(integration.position.x, positionsInside[i].x, 1e-6) << "body " << i;
        EXPECT_NEAR(integration.position.y, positionsInside[i].y, 1e-6) << "body " << i;
        EXPECT_NEAR(integration.velocity.x, velocitiesTurned[i].x, 1e-6) << "body " << i;
        EXPECT_NEAR(integration.velocity.y, velocitiesTurned[i].y, 1e-6) << "body " << i;
    }
}

TEST_F(CpuStep, LaterPairsStillSeeTheCollidersOfTheLastIntegrate)
{
    // 0 and 1 touch, and so do 1 and 2; 0 and 2 are too far apart.
    Place(0, {0.0f, 0.0f}, {0.0f, 0.0f});
    Place(1, {0.02f, 0.0f}, {1.0f, 0.0f});
    Place(2, {0.04f, 0.0f}, {0.0f, 0.0f});

    world.Step(0.0f);

    // (0, 1) pushes body 1 to 0.06. (1, 2) still sees body 1's collider at
    // 0.02, so body 1 is pushed back by 0.04 and reflected a second time.
    std::vector<int> contactsOf(3, 0);
    for (const CallRecord& r : log) {
        contactsOf[r.body] += r.kind == CallRecord::Contact ? 1 : 0;
    }
    EXPECT_EQ(contactsOf, (std::vector<int>{1, 2, 1}));
    EXPECT_NEAR(bodies[0].GetPosition().x, -0.04f, 1e-6);
    EXPECT_NEAR(bodies[1].GetPosition().x, 0.02f, 1e-6);
    EXPECT_NEAR(bodies[2].GetPosition().x, 0.08f, 1e-6);
    EXPECT_NEAR(bodies[1].GetVelocity().x, 0.49f, 1e-6); // (1 reflected, times 0.7) twice
}

} // namespace
