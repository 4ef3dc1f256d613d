// The body on its own: construction, the collider, integration, the moves
// that leave the collider behind, the contact response and the clamp helper.

#include "PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace {

TEST(RigidBodyDefaults, ConstructedBodyHasTheDocumentedValues)
{
    CRigidBody body;

    EXPECT_EQ(body.GetPosition(), glm::vec2(1.0f, 1.0f));
    EXPECT_EQ(body.GetVelocity(), glm::vec2(-1.0f, 1.0f));
    EXPECT_EQ(body.Angle, 0.0f);
    EXPECT_EQ(body.Restitution, 0.7f);
    EXPECT_EQ(body.Gravity, 5.0f);
    EXPECT_EQ(body.VertexBuffer, 0u);
    EXPECT_EQ(body.VertexArray, 0u);
    EXPECT_EQ(body.Program, nullptr);
    // The collider is blank, not placed at the body's position.
    EXPECT_EQ(body.GetCollider(), &body.Collider);
    EXPECT_EQ(body.Collider.Center, glm::vec2(0.0f, 0.0f));
    EXPECT_EQ(body.Collider.Width, 0.0f);
    EXPECT_EQ(body.Collider.Height, 0.0f);
}

// --- Collider construction -------------------------------------------------

struct ColliderCase {
    std::string name;
    std::function<BoxCollider()> make;
    glm::vec2 center;
    float width;
    float height;
    glm::vec2 corners[4]; // bottom left, bottom right, top right, top left
};

PRINT_CASE_AS_NAME(ColliderCase)

class ColliderConstruction : public testing::TestWithParam<ColliderCase> {};

TEST_P(ColliderConstruction, CentreSizeAndCornersInOrder)
{
    const ColliderCase& c = GetParam();
    const BoxCollider collider = c.make();

    EXPECT_EQ(collider.Center, c.center);
    EXPECT_EQ(collider.Width, c.width);
    EXPECT_EQ(collider.Height, c.height);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(collider.Corners[k], c.corners[k]) << "corner " << k;
    }
}

BoxCollider ColliderOfShapedBody(float x, float y, float w, float h)
{
    CRigidBody body;
    body.SetShape(x, y, w, h);
    EXPECT_EQ(body.GetPosition(), glm::vec2(x, y)) << "SetShape places the body on the collider";
    return *body.GetCollider();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ColliderConstruction,
    testing::Values(
        ColliderCase{"Blank", [] { return BoxCollider(); }, {0.0f, 0.0f}, 0.0f, 0.0f, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}},
        ColliderCase{"Square",
                     [] { return BoxCollider(0.3f, -0.2f, 0.1f, 0.1f); },
                     {0.3f, -0.2f},
                     0.1f,
                     0.1f,
                     {{-0.05f, -0.05f}, {0.05f, -0.05f}, {0.05f, 0.05f}, {-0.05f, 0.05f}}},
        ColliderCase{"WideAndFlat",
                     [] { return BoxCollider(1.0f, 2.0f, 0.5f, 0.25f); },
                     {1.0f, 2.0f},
                     0.5f,
                     0.25f,
                     {{-0.25f, -0.125f}, {0.25f, -0.125f}, {0.25f, 0.125f}, {-0.25f, 0.125f}}},
        ColliderCase{"ThroughSetShape",
                     [] { return ColliderOfShapedBody(0.3f, -0.2f, 0.1f, 0.1f); },
                     {0.3f, -0.2f},
                     0.1f,
                     0.1f,
                     {{-0.05f, -0.05f}, {0.05f, -0.05f}, {0.05f, 0.05f}, {-0.05f, 0.05f}}}),
    [](const testing::TestParamInfo<ColliderCase>& info) { return info.param.name; });

// --- Integration -----------------------------------------------------------

// 1 + 2^-24 lies exactly halfway between 1 and the next float. A time step a
// little above 2^-24 therefore rounds a unit-speed position up from 1 when the
// sum is formed in double; rounding dt to float first would give 2^-24 and a
// tie that rounds to even, back to 1.
const double kJustAboveHalfUlp = std::ldexp(1.0, -24) + std::ldexp(1.0, -50);
const float kOneUp = std::nextafter(1.0f, 2.0f); // 1 + 2^-23

// (1 + 2^-22) - (3 * 2^-24 - 2^-50) = 1 + 2^-24 + 2^-50: again just above the
// midpoint, so the velocity rounds up to 1 + 2^-23. In float, dt would round
// to 3 * 2^-24 and the difference to a tie that rounds down to 1.
const float kVelocityBefore = 1.0f + std::ldexp(1.0f, -22);
const double kJustBelowThreeHalfUlps = 3.0 * std::ldexp(1.0, -24) - std::ldexp(1.0, -50);

struct IntegrateCase {
    std::string name;
    glm::vec2 position;
    glm::vec2 velocity;
    float gravity;
    double dt;
    glm::vec2 expectedPosition;
    glm::vec2 expectedVelocity;
};

PRINT_CASE_AS_NAME(IntegrateCase)

class Integration : public testing::TestWithParam<IntegrateCase> {};

TEST_P(Integration, EulerStepSnapsTheCollider)
{
    const IntegrateCase& c = GetParam();
    CRigidBody body;
    // The collider starts elsewhere, so the snap is visible.
    body.SetShape(-0.9f, 0.9f, 0.1f, 0.1f);
    body.SetPosition(c.position);
    body.SetVelocity(c.velocity.x, c.velocity.y);
    body.Gravity = c.gravity;

    body.Integrate(c.dt);

    EXPECT_EQ(body.GetPosition(), c.expectedPosition);
    EXPECT_EQ(body.GetVelocity(), c.expectedVelocity);
    EXPECT_EQ(body.GetCollider()->Center, body.GetPosition());
    EXPECT_EQ(body.GetCollider()->Width, 0.1f) << "integration keeps the size";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Integration,
    testing::Values(
        // 0.1, 0.2 and 2 - 0.5 each round to the float literal of the same value.
        IntegrateCase{"TenthOfASecond", {0.0f, 0.0f}, {1.0f, 2.0f}, 5.0f, 0.1, {0.1f, 0.2f}, {1.0f, 1.5f}},
        IntegrateCase{"ZeroTimeStep", {0.3f, -0.7f}, {-2.0f, 4.0f}, 5.0f, 0.0, {0.3f, -0.7f}, {-2.0f, 4.0f}},
        // The position moves with the velocity from before gravity: 0.5 + (-1)(0.5).
        IntegrateCase{"PositionUsesOldVelocity", {0.25f, 0.5f}, {0.5f, -1.0f}, 4.0f, 0.5, {0.5f, 0.0f}, {0.5f, -3.0f}},
        IntegrateCase{"PositionSumsRoundInDouble",
                      {1.0f, 1.0f},
                      {1.0f, 1.0f},
                      0.0f,
                      kJustAboveHalfUlp,
                      {kOneUp, kOneUp},
                      {1.0f, 1.0f}},
        IntegrateCase{"VelocityDifferenceRoundsInDouble",
                      {0.0f, 0.0f},
                      {0.0f, kVelocityBefore},
                      1.0f,
                      kJustBelowThreeHalfUlps,
                      {0.0f, static_cast<float>(static_cast<double>(kVelocityBefore) * kJustBelowThreeHalfUlps)},
                      {0.0f, kOneUp}}),
    [](const testing::TestParamInfo<IntegrateCase>& info) { return info.param.name; });

// --- Moves that leave the collider behind ------------------------------------

struct PositionOnlyMoveCase {
    std::string name;
    std::function<void(CRigidBody&)> move;
    glm::vec2 expectedPosition;
};

PRINT_CASE_AS_NAME(PositionOnlyMoveCase)

class PositionOnlyMove : public testing::TestWithParam<PositionOnlyMoveCase> {};

TEST_P(PositionOnlyMove, ColliderKeepsItsCentreUntilIntegrate)
{
    const PositionOnlyMoveCase& c = GetParam();
    CRigidBody body;
    body.SetShape(0.25f, -0.25f, 0.1f, 0.1f);

    c.move(body);

    EXPECT_EQ(body.GetPosition(), c.expectedPosition);
    EXPECT_EQ(body.GetCollider()->Center, glm::vec2(0.25f, -0.25f));

    body.Integrate(0.0);
    EXPECT_EQ(body.GetCollider()->Center, c.expectedPosition);
}

INSTANTIATE_TEST_SUITE_P(Cases, PositionOnlyMove,
                         testing::Values(PositionOnlyMoveCase{"SetPosition",
                                                              [](CRigidBody& b) {
                                                                  b.SetPosition({0.5f, 0.5f});
                                                              },
                                                              {0.5f, 0.5f}},
                                         PositionOnlyMoveCase{
                                             "ResolveContact",
                                             [](CRigidBody& b) {
                                                 b.ResolveContact({0.0f, 1.0f}, {}, nullptr, 0.5f, nullptr);
                                             },
                                             {0.25f, 0.25f}}),
                         [](const testing::TestParamInfo<PositionOnlyMoveCase>& info) { return info.param.name; });

TEST(RigidBodyVelocity, SetAndAddVelocity)
{
    CRigidBody body;
    body.SetVelocity(0.5f, -2.0f);
    EXPECT_EQ(body.GetVelocity(), glm::vec2(0.5f, -2.0f));
    body.AddVelocity(0.25f, 3.0f);
    EXPECT_EQ(body.GetVelocity(), glm::vec2(0.75f, 1.0f));
}

// --- Contact response --------------------------------------------------------

struct ContactCase {
    std::string name;
    glm::vec2 velocity;
    glm::vec2 normal;
    float offset;
    float restitution;
    glm::vec2 expectedVelocity;
    glm::vec2 expectedMove;
};

PRINT_CASE_AS_NAME(ContactCase)

class ContactResponse : public testing::TestWithParam<ContactCase> {};

TEST_P(ContactResponse, ReflectsScalesAndMovesAlongTheNormal)
{
    const ContactCase& c = GetParam();
    const glm::vec2 start(0.25f, -0.5f);
    CRigidBody body;
    body.SetShape(start.x, start.y, 0.1f, 0.1f);
    body.SetVelocity(c.velocity.x, c.velocity.y);
    body.Restitution = c.restitution;
    BoxCollider hit(0.0f, 0.0f, 0.1f, 0.1f);
    CRigidBody other;

    body.ResolveContact(c.normal, {9.0f, 9.0f}, &hit, c.offset, &other);

    EXPECT_NEAR(body.GetVelocity().x, c.expectedVelocity.x, 1e-6);
    EXPECT_NEAR(body.GetVelocity().y, c.expectedVelocity.y, 1e-6);
    EXPECT_NEAR(body.GetPosition().x, start.x + c.expectedMove.x, 1e-7);
    EXPECT_NEAR(body.GetPosition().y, start.y + c.expectedMove.y, 1e-7);
    // Each body answers on its own: the partner is only named.
    EXPECT_EQ(other.GetVelocity(), glm::vec2(-1.0f, 1.0f));
    EXPECT_EQ(other.GetPosition(), glm::vec2(1.0f, 1.0f));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ContactResponse,
    testing::Values(
        ContactCase{"TowardsTheNormal", {1.0f, 0.0f}, {1.0f, 0.0f}, 0.02f, 0.7f, {-0.7f, 0.0f}, {0.02f, 0.0f}},
        // Moving away already, and still turned back.
        ContactCase{"AwayFromTheNormal", {-1.0f, 0.0f}, {1.0f, 0.0f}, 0.02f, 0.7f, {0.7f, 0.0f}, {0.02f, 0.0f}},
        ContactCase{"NegativeOffset", {1.0f, -2.0f}, {0.0f, 1.0f}, -0.03f, 0.7f, {0.7f, 1.4f}, {0.0f, -0.03f}},
        // dot = 0.6: (1, 0) - (0.6, 0.8) * 1.2.
        ContactCase{"Oblique", {1.0f, 0.0f}, {0.6f, 0.8f}, 0.1f, 1.0f, {0.28f, -0.96f}, {0.06f, 0.08f}},
        ContactCase{"AlongTheSurface", {2.0f, 0.0f}, {0.0f, -1.0f}, 0.0f, 0.5f, {1.0f, 0.0f}, {0.0f, 0.0f}}),
    [](const testing::TestParamInfo<ContactCase>& info) { return info.param.name; });

// --- ClosestPointInBox -------------------------------------------------------

struct ClampCase {
    std::string name;
    glm::vec2 v;
    float halfWidth;
    float halfHeight;
    glm::vec2 expected;
};

PRINT_CASE_AS_NAME(ClampCase)

class ClosestPointInBox : public testing::TestWithParam<ClampCase> {};

TEST_P(ClosestPointInBox, ClampsEachAxis)
{
    const ClampCase& c = GetParam();
    const CRigidBody body;
    EXPECT_EQ(body.ClosestPointInBox(c.v, c.halfWidth, c.halfHeight), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClosestPointInBox,
                         testing::Values(ClampCase{"Inside", {0.01f, -0.02f}, 0.05f, 0.05f, {0.01f, -0.02f}},
                                         ClampCase{"OnTheCorner", {0.05f, -0.05f}, 0.05f, 0.05f, {0.05f, -0.05f}},
                                         ClampCase{"RightOf", {0.3f, 0.01f}, 0.05f, 0.05f, {0.05f, 0.01f}},
                                         ClampCase{"BelowLeft", {-0.3f, -0.3f}, 0.05f, 0.05f, {-0.05f, -0.05f}},
                                         ClampCase{"AboveANonSquareBox", {0.02f, 1.0f}, 0.1f, 0.02f, {0.02f, 0.02f}},
                                         ClampCase{"ZeroSize", {0.3f, -0.2f}, 0.0f, 0.0f, {0.0f, 0.0f}}),
                         [](const testing::TestParamInfo<ClampCase>& info) { return info.param.name; });

} // namespace
