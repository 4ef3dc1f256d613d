// The GPU-fed world step, driven through the physics program's CPU mirrors:
// contacts are written into the result mirror as a collision pass would leave
// them, and the step's write-back is read from the input mirror. No GL.

#include "PhysicsTestSupport.h"

#include "app/BuildConfig.h"
#include "gpu/PhysicsShaderProgram.h"
#include "physics/PhysicsWorld.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

static_assert(BuildConfig::bodyCount == 3 && BuildConfig::collisionExecutor == CollisionExecutor::Gpu,
              "these tests expect a three-body GPU configuration");

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// --- The mirrors before any pass ------------------------------------------------

TEST(PhysicsProgramMirrors, PlaceholderBodiesBeforeTheFirstWriteBack)
{
    const CPhysicsShaderProgram program;
    // sin(0.2 j) in single precision: 2j as a float times 0.1f.
    const float s[3] = {0.0f, std::sin(0.2f), std::sin(0.4f)};
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(program.BodyData.Positions[j], glm::vec2(s[j], 0.5f)) << "body " << j;
        EXPECT_EQ(program.BodyData.Velocities[j], glm::vec2(0.5f * s[j], 0.5f * s[j])) << "body " << j;
    }
    EXPECT_EQ(program.ColliderSize, glm::vec2(0.1f, 0.1f));
}

TEST(PhysicsProgramMirrors, NoContactBeforeAnyPass)
{
    const CPhysicsShaderProgram program;
    for (int i = 0; i < 3; ++i) {
        glm::vec2 hitPoint(5.0f, 5.0f);
        glm::vec2 normal(5.0f, 5.0f);
        float offset = 5.0f;
        int hitBody = 5;
        program.GetCollisionData(i, hitPoint, normal, offset, hitBody);
        EXPECT_EQ(hitPoint, glm::vec2(0.0f, 0.0f)) << "body " << i;
        EXPECT_EQ(normal, glm::vec2(0.0f, 0.0f)) << "body " << i;
        EXPECT_EQ(offset, 0.0f) << "body " << i;
        EXPECT_EQ(hitBody, -1) << "body " << i;
    }
}

// --- The step --------------------------------------------------------------------

// Three bodies well away from the walls and from each other; body 1 sits at
// the origin and receives the contact under test.
class GpuStep : public testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) {
            bodies[i].SetShape(starts[i].x, starts[i].y, 0.1f, 0.1f);
            bodies[i].SetVelocity(velocities[i].x, velocities[i].y);
            bodies[i].StartRecording(&log, i);
            world.AddBody(&bodies[i]);
        }
        world.SetPhysicsProgram(&program);
    }

    void SetContact(int i, glm::vec2 normal, glm::vec2 hitPoint, float offset, int hitBody)
    {
        program.CollisionData.Normals[i] = normal;
        program.CollisionData.HitPoints[i] = hitPoint;
        program.CollisionData.Offsets[i] = offset;
        program.CollisionData.HitBodyIndices[i] = hitBody;
    }

    std::vector<const CallRecord*> ContactsOf(int i) const
    {
        std::vector<const CallRecord*> contacts;
        for (const CallRecord& r : log) {
            if (r.kind == CallRecord::Contact && r.body == i) {
                contacts.push_back(&r);
            }
        }
        return contacts;
    }

    void ExpectUntouched(int i)
    {
        EXPECT_TRUE(ContactsOf(i).empty()) << "body " << i;
        EXPECT_EQ(bodies[i].GetPosition(), starts[i]) << "body " << i;
        EXPECT_EQ(bodies[i].GetVelocity(), velocities[i]) << "body " << i;
    }

    const glm::vec2 starts[3] = {{-0.5f, 0.25f}, {0.0f, 0.0f}, {0.5f, -0.25f}};
    const glm::vec2 velocities[3] = {{0.5f, -0.5f}, {1.0f, 2.0f}, {-1.0f, 1.0f}};
    std::vector<CallRecord> log;
    CRecordingBody bodies[3];
    CPhysicsShaderProgram program;
    CPhysicsWorld world;
};

struct GpuContactCase {
    std::string name;
    glm::vec2 normal;
    glm::vec2 hitPoint;
    float offset;
    int hitBody;
    bool responds;
    glm::vec2 expectedMove;     // of body 1, before integration
    double moveTolerance;       // 0: exact
    glm::vec2 expectedVelocity; // of body 1: (1, 2) reflected about the unit normal, times 0.7
    int partner;                // expected hitBody argument; -1: none
    int colliderOf;             // whose collider is passed
};

PRINT_CASE_AS_NAME(GpuContactCase)

GpuContactCase NoResponse(std::string name, glm::vec2 normal, float offset, int hitBody)
{
    return GpuContactCase{std::move(name), normal, {0.0f, 0.0f}, offset, hitBody, false,
                          {0.0f, 0.0f},    0.0,    {1.0f, 2.0f}, -1,     0};
}

class GpuContact : public GpuStep, public testing::WithParamInterface<GpuContactCase> {};

TEST_P(GpuContact, OnlyTheBodyOfTheEntryRespondsByTheFixedOffset)
{
    const GpuContactCase& c = GetParam();
    SetContact(1, c.normal, c.hitPoint, c.offset, c.hitBody);

    // dt 0: integration changes nothing, so the response is what remains.
    world.Step(0.0f);

    ExpectUntouched(0);
    ExpectUntouched(2);
    if (!c.responds) {
        ExpectUntouched(1);
        return;
    }
    const std::vector<const CallRecord*> contacts = ContactsOf(1);
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0]->offset, 0.05f) << "the reported offset is not used";
    EXPECT_EQ(contacts[0]->hitBody, c.partner < 0 ? nullptr : &bodies[c.partner]);
    EXPECT_EQ(contacts[0]->hitCollider, bodies[c.colliderOf].GetCollider());

    const glm::vec2 moved = bodies[1].GetPosition() - starts[1];
    if (c.moveTolerance == 0.0) {
        EXPECT_EQ(moved, c.expectedMove);
    } else {
        EXPECT_NEAR(moved.x, c.expectedMove.x, c.moveTolerance);
        EXPECT_NEAR(moved.y, c.expectedMove.y, c.moveTolerance);
    }
    EXPECT_NEAR(bodies[1].GetVelocity().x, c.expectedVelocity.x, 1e-6);
    EXPECT_NEAR(bodies[1].GetVelocity().y, c.expectedVelocity.y, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GpuContact,
    testing::Values(
        NoResponse("ZeroNormalWithPartner", {0.0f, 0.0f}, 0.5f, 2),
        NoResponse("ZeroNormalWithoutPartner", {0.0f, 0.0f}, -1.0f, -1),
        NoResponse("ZeroNormalIndexTooLarge", {0.0f, 0.0f}, 1e30f, 3),
        NoResponse("NegativeZeroNormal", {-0.0f, -0.0f}, 0.5f, 0),
        // (0, 3) normalises to exactly (0, 1): the body moves by exactly 0.05.
        GpuContactCase{
            "NormalZeroThree", {0.0f, 3.0f}, {0.0f, 0.0f}, 0.5f, 2, true, {0.0f, 0.05f}, 0.0, {0.7f, -1.4f}, 2, 2},
        GpuContactCase{"IndexMinusOneHasNoPartner",
                       {1.0f, 0.0f},
                       {0.0f, 0.0f},
                       0.5f,
                       -1,
                       true,
                       {0.05f, 0.0f},
                       0.0,
                       {-0.7f, 1.4f},
                       -1,
                       0},
        GpuContactCase{"IndexBodyCountHasNoPartner",
                       {0.0f, -2.0f},
                       {0.0f, 0.0f},
                       0.5f,
                       3,
                       true,
                       {0.0f, -0.05f},
                       0.0,
                       {0.7f, -1.4f},
                       -1,
                       0},
        GpuContactCase{"IndexFarOutOfRange",
                       {0.0f, -2.0f},
                       {0.0f, 0.0f},
                       0.5f,
                       INT_MIN,
                       true,
                       {0.0f, -0.05f},
                       0.0,
                       {0.7f, -1.4f},
                       -1,
                       0},
        // Any length is used as its unit vector, here (0.6, 0.8):
        // (1, 2) - 2 * 2.2 * (0.6, 0.8) = (-1.64, -1.52).
        GpuContactCase{
            "LongOblique", {30.0f, 40.0f}, {0.0f, 0.0f}, 0.5f, 0, true, {0.03f, 0.04f}, 1e-7, {-1.148f, -1.064f}, 0, 0},
        // Lengths whose square underflows or overflows a float still give
        // their unit vector.
        GpuContactCase{
            "TooShortToSquare", {1e-30f, 0.0f}, {0.0f, 0.0f}, 0.5f, 2, true, {0.05f, 0.0f}, 0.0, {-0.7f, 1.4f}, 2, 2},
        // Unit (1, -1) / sqrt 2: (1, 2) + (1, -1) = (2, 1), times 0.7.
        GpuContactCase{"TooLongToSquare",
                       {1e30f, -1e30f},
                       {0.0f, 0.0f},
                       0.5f,
                       0,
                       true,
                       {0.0353553f, -0.0353553f},
                       1e-7,
                       {1.4f, 0.7f},
                       0,
                       0},
        GpuContactCase{"ReportedDepthAndPointIgnored",
                       {-0.5f, 0.0f},
                       {kNaN, kInf},
                       kNaN,
                       2,
                       true,
                       {-0.05f, 0.0f},
                       0.0,
                       {-0.7f, 1.4f},
                       2,
                       2}),
    [](const testing::TestParamInfo<GpuContactCase>& info) { return info.param.name; });

// A normal that cannot be made a unit vector is no contact: nothing the read-
// back holds may put a non-finite value into a body.
struct BadNormalCase {
    std::string name;
    glm::vec2 normal;
};

PRINT_CASE_AS_NAME(BadNormalCase)

class GpuBadNormal : public GpuStep, public testing::WithParamInterface<BadNormalCase> {};

TEST_P(GpuBadNormal, IsNoContactAndEveryBodyStaysFinite)
{
    SetContact(1, GetParam().normal, {0.0f, 0.0f}, 0.5f, 2);

    world.Step(0.0f);

    ExpectUntouched(1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(BodyIsFinite(bodies[i])) << "body " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, GpuBadNormal,
                         testing::Values(BadNormalCase{"NaNOnX", {kNaN, 1.0f}}, BadNormalCase{"NaNOnY", {0.0f, kNaN}},
                                         BadNormalCase{"InfinityOnX", {kInf, 0.0f}},
                                         BadNormalCase{"NegativeInfinityOnY", {0.0f, -kInf}},
                                         BadNormalCase{"InfinityAndNaN", {kInf, kNaN}}),
                         [](const testing::TestParamInfo<BadNormalCase>& info) { return info.param.name; });

TEST_F(GpuStep, WritesEveryIntegratedBodyBackForTheNextPass)
{
    SetContact(1, {0.0f, 1.0f}, {0.0f, 0.0f}, 0.5f, 0);

    world.Step(0.02f);

    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(program.BodyData.Positions[j], bodies[j].GetPosition()) << "body " << j;
        EXPECT_EQ(program.BodyData.Velocities[j], bodies[j].GetVelocity()) << "body " << j;
    }
    // What was written is the state after integration: body 0 moved by
    // 0.02 (0.5, -0.5) and lost 0.02 * 5 of vertical speed.
    EXPECT_NEAR(program.BodyData.Positions[0].x, -0.49f, 1e-6);
    EXPECT_NEAR(program.BodyData.Positions[0].y, 0.24f, 1e-6);
    EXPECT_NEAR(program.BodyData.Velocities[0].y, -0.6f, 1e-6);
}

TEST_F(GpuStep, WallsAndIntegrationFollowTheContactBodyByBody)
{
    SetContact(0, {1.0f, 0.0f}, {0.0f, 0.0f}, 0.5f, 1);
    SetContact(2, {0.0f, 1.0f}, {0.0f, 0.0f}, 0.5f, 1);
    bodies[1].SetShape(1.48f, 0.0f, 0.1f, 0.1f); // sticks out of the right wall

    world.Step(0.01f);

    const std::vector<std::pair<CallRecord::Kind, int>> expected = {
        {CallRecord::Contact, 0},   {CallRecord::Integrate, 0}, {CallRecord::Contact, 1},
        {CallRecord::Integrate, 1}, {CallRecord::Contact, 2},   {CallRecord::Integrate, 2},
    };
    std::vector<std::pair<CallRecord::Kind, int>> actual;
    for (const CallRecord& r : log) {
        actual.emplace_back(r.kind, r.body);
    }
    EXPECT_EQ(actual, expected);
    ASSERT_EQ(log.size(), expected.size());
    EXPECT_EQ(log[2].normal, glm::vec2(-1.0f, 0.0f)) << "body 1 answers the right wall";
    EXPECT_EQ(log[2].hitBody, nullptr);
}

} // namespace
