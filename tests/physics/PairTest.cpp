// The two CPU pair-test forms, called directly so that both run in this one
// configuration: thresholds, the axis choice, the response of both bodies.

#include "PhysicsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

namespace {

using PairForm = void (CRigidBody::*)(CRigidBody*);

const PairForm kBox = &CRigidBody::CollideAsBox;
const PairForm kCircle = &CRigidBody::CollideAsCircle;

struct Placement {
    glm::vec2 center;
    glm::vec2 size; // width and height; the width is the circle's diameter
};

// Both bodies start with these velocities, so every reflection shows.
const glm::vec2 kVelocityA(1.0f, 0.5f);
const glm::vec2 kVelocityB(-1.0f, 0.5f);

struct PairCase {
    std::string name;
    PairForm form;
    Placement a; // calls the form
    Placement b; // the other body
    bool contact;
    glm::vec2 expectedA;
    glm::vec2 expectedB;
    glm::vec2 expectedVelocityA;
    glm::vec2 expectedVelocityB;
};

PRINT_CASE_AS_NAME(PairCase)

// Reflections of kVelocityA and kVelocityB with restitution 0.7.
const glm::vec2 kAAboutX(-0.7f, 0.35f); // about (1, 0) or (-1, 0)
const glm::vec2 kBAboutX(0.7f, 0.35f);
const glm::vec2 kAAboutY(0.7f, -0.35f); // about (0, 1) or (0, -1)
const glm::vec2 kBAboutY(-0.7f, -0.35f);

PairCase NoContact(std::string name, PairForm form, Placement a, Placement b)
{
    return PairCase{std::move(name), form, a, b, false, a.center, b.center, kVelocityA, kVelocityB};
}

void Place(CRigidBody& body, const Placement& p, glm::vec2 velocity)
{
    body.SetShape(p.center.x, p.center.y, p.size.x, p.size.y);
    body.SetVelocity(velocity.x, velocity.y);
}

void ExpectNear(glm::vec2 actual, glm::vec2 expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-6) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-6) << what;
}

class PairTest : public testing::TestWithParam<PairCase> {};

TEST_P(PairTest, ContactMovesAndReflectsBothBodies)
{
    const PairCase& c = GetParam();
    CRigidBody a;
    CRigidBody b;
    Place(a, c.a, kVelocityA);
    Place(b, c.b, kVelocityB);

    (a.*c.form)(&b);

    if (c.contact) {
        ExpectNear(a.GetPosition(), c.expectedA, "position of the caller");
        ExpectNear(b.GetPosition(), c.expectedB, "position of the other body");
        ExpectNear(a.GetVelocity(), c.expectedVelocityA, "velocity of the caller");
        ExpectNear(b.GetVelocity(), c.expectedVelocityB, "velocity of the other body");
    } else {
        EXPECT_EQ(a.GetPosition(), c.a.center);
        EXPECT_EQ(b.GetPosition(), c.b.center);
        EXPECT_EQ(a.GetVelocity(), kVelocityA);
        EXPECT_EQ(b.GetVelocity(), kVelocityB);
    }
    EXPECT_TRUE(BodyIsFinite(a));
    EXPECT_TRUE(BodyIsFinite(b));
    // Tests read collider centres, which only Integrate moves.
    EXPECT_EQ(a.GetCollider()->Center, c.a.center);
    EXPECT_EQ(b.GetCollider()->Center, c.b.center);
}

const glm::vec2 kTenth(0.1f, 0.1f);

// Box contacts: equal boxes touch only when their centres are less than a
// quarter of the size apart on both axes; each body then moves by
// (caller width - distance) / 2 along the dominant axis, away from the other.
const float kDiagonalOffset = (std::sqrt(0.0008f) - 0.1f) / 2.0f;  // centres (0.02, 0.02) apart
const float kYDominantOffset = (std::sqrt(0.0005f) - 0.1f) / 2.0f; // centres (0.01, -0.02) apart

INSTANTIATE_TEST_SUITE_P(
    Box, PairTest,
    testing::Values(PairCase{"ApartOnX",
                             kBox,
                             {{0.0f, 0.0f}, kTenth},
                             {{0.02f, 0.0f}, kTenth},
                             true,
                             {-0.04f, 0.0f},
                             {0.06f, 0.0f},
                             kAAboutX,
                             kBAboutX},
                    PairCase{"ApartOnNegativeX",
                             kBox,
                             {{0.0f, 0.0f}, kTenth},
                             {{-0.02f, 0.0f}, kTenth},
                             true,
                             {0.04f, 0.0f},
                             {-0.06f, 0.0f},
                             kAAboutX,
                             kBAboutX},
                    PairCase{"JustInsideAQuarter",
                             kBox,
                             {{0.0f, 0.0f}, kTenth},
                             {{0.024f, 0.0f}, kTenth},
                             true,
                             {-0.038f, 0.0f},
                             {0.062f, 0.0f},
                             kAAboutX,
                             kBAboutX},
                    NoContact("ExactlyAQuarterIsNoContact", kBox, {{0.0f, 0.0f}, kTenth}, {{0.025f, 0.0f}, kTenth}),
                    NoContact("BeyondAQuarter", kBox, {{0.0f, 0.0f}, kTenth}, {{0.03f, 0.0f}, kTenth}),
                    PairCase{"TieKeepsTheYAxis",
                             kBox,
                             {{0.0f, 0.0f}, kTenth},
                             {{0.02f, 0.02f}, kTenth},
                             true,
                             {0.0f, kDiagonalOffset},
                             {0.02f, 0.02f - kDiagonalOffset},
                             kAAboutY,
                             kBAboutY},
                    PairCase{"YDominant",
                             kBox,
                             {{0.0f, 0.0f}, kTenth},
                             {{0.01f, -0.02f}, kTenth},
                             true,
                             {0.0f, -kYDominantOffset},
                             {0.01f, -0.02f + kYDominantOffset},
                             kAAboutY,
                             kBAboutY},
                    NoContact("InsideOnXBeyondOnY", kBox, {{0.0f, 0.0f}, kTenth}, {{0.02f, 0.03f}, kTenth}),
                    // A small partner is clamped less, so the caller reaches it further out:
                    // 0.035 + 0.01 < 0.05. The offset uses the caller's width.
                    PairCase{"SmallPartnerReachedFurther",
                             kBox,
                             {{0.0f, 0.0f}, kTenth},
                             {{0.035f, 0.0f}, {0.02f, 0.02f}},
                             true,
                             {-0.0325f, 0.0f},
                             {0.0675f, 0.0f},
                             kAAboutX,
                             kBAboutX},
                    NoContact("SmallCallerDoesNotReach", kBox, {{0.035f, 0.0f}, {0.02f, 0.02f}},
                              {{0.0f, 0.0f}, kTenth}),
                    // The offset comes from the width even when the contact is on y.
                    PairCase{"TallCallerOffsetUsesWidth",
                             kBox,
                             {{0.0f, 0.0f}, {0.1f, 0.2f}},
                             {{0.0f, 0.04f}, kTenth},
                             true,
                             {0.0f, -0.03f},
                             {0.0f, 0.07f},
                             kAAboutY,
                             kBAboutY}),
    [](const testing::TestParamInfo<PairCase>& info) { return info.param.name; });

// Circle contacts: the caller's radius (half its width) against the distance
// of the centres; each body moves by radius - distance away from the other.
INSTANTIATE_TEST_SUITE_P(
    Circle, PairTest,
    testing::Values(PairCase{"ApartOnX",
                             kCircle,
                             {{0.0f, 0.0f}, kTenth},
                             {{0.04f, 0.0f}, kTenth},
                             true,
                             {-0.01f, 0.0f},
                             {0.05f, 0.0f},
                             kAAboutX,
                             kBAboutX},
                    NoContact("ExactlyTheRadiusIsNoContact", kCircle, {{0.0f, 0.0f}, kTenth}, {{0.05f, 0.0f}, kTenth}),
                    NoContact("BeyondTheRadius", kCircle, {{0.0f, 0.0f}, kTenth}, {{0.06f, 0.0f}, kTenth}),
                    // Distance 0.04 along (0.6, 0.8); the normal (-0.6, -0.8) points at the
                    // caller. Reflections: (1, 0.5) + 2 n and (-1, 0.5) + 0.4 (0.6, 0.8).
                    PairCase{"Oblique",
                             kCircle,
                             {{0.0f, 0.0f}, kTenth},
                             {{0.024f, 0.032f}, kTenth},
                             true,
                             {-0.006f, -0.008f},
                             {0.03f, 0.04f},
                             {-0.14f, -0.77f},
                             {-0.532f, 0.574f}},
                    NoContact("LargePartnerIgnored", kCircle, {{0.0f, 0.0f}, kTenth}, {{0.06f, 0.0f}, {0.5f, 0.5f}}),
                    PairCase{"LargeCallerReaches",
                             kCircle,
                             {{0.06f, 0.0f}, {0.5f, 0.5f}},
                             {{0.0f, 0.0f}, kTenth},
                             true,
                             {0.25f, 0.0f},
                             {-0.19f, 0.0f},
                             kAAboutX,
                             kBAboutX}),
    [](const testing::TestParamInfo<PairCase>& info) { return info.param.name; });

// --- A body against itself --------------------------------------------------

struct SelfCase {
    std::string name;
    PairForm form;
};

PRINT_CASE_AS_NAME(SelfCase)

class SelfCollision : public testing::TestWithParam<SelfCase> {};

TEST_P(SelfCollision, DoesNothing)
{
    CRigidBody body;
    Place(body, {{0.25f, -0.25f}, kTenth}, kVelocityA);

    (body.*GetParam().form)(&body);

    EXPECT_EQ(body.GetPosition(), glm::vec2(0.25f, -0.25f));
    EXPECT_EQ(body.GetVelocity(), kVelocityA);
}

INSTANTIATE_TEST_SUITE_P(Forms, SelfCollision,
                         testing::Values(SelfCase{"Box", kBox}, SelfCase{"Circle", kCircle},
                                         SelfCase{"ConfiguredForm", &CRigidBody::CollideWith}),
                         [](const testing::TestParamInfo<SelfCase>& info) { return info.param.name; });

// --- Centres that give no direction ------------------------------------------

// Coincident centres separate along y: the box caller gets the normal (0, 1)
// and a negative offset, so it moves down; the circle caller moves up. A
// separation too small to normalise keeps its own axis in the box form and
// counts as coincident in the circle form (its length is 0 in float).
INSTANTIATE_TEST_SUITE_P(NoDirection, PairTest,
                         testing::Values(PairCase{"BoxCoincident",
                                                  kBox,
                                                  {{0.25f, 0.25f}, kTenth},
                                                  {{0.25f, 0.25f}, kTenth},
                                                  true,
                                                  {0.25f, 0.2f},
                                                  {0.25f, 0.3f},
                                                  kAAboutY,
                                                  kBAboutY},
                                         PairCase{"CircleCoincident",
                                                  kCircle,
                                                  {{0.25f, 0.25f}, kTenth},
                                                  {{0.25f, 0.25f}, kTenth},
                                                  true,
                                                  {0.25f, 0.3f},
                                                  {0.25f, 0.2f},
                                                  kAAboutY,
                                                  kBAboutY},
                                         PairCase{"BoxTinySeparationOnX",
                                                  kBox,
                                                  {{0.0f, 0.0f}, kTenth},
                                                  {{1e-30f, 0.0f}, kTenth},
                                                  true,
                                                  {-0.05f, 0.0f},
                                                  {0.05f, 0.0f},
                                                  kAAboutX,
                                                  kBAboutX},
                                         PairCase{"BoxTinySeparationOnY",
                                                  kBox,
                                                  {{0.0f, 0.0f}, kTenth},
                                                  {{0.0f, -1e-30f}, kTenth},
                                                  true,
                                                  {0.0f, 0.05f},
                                                  {0.0f, -0.05f},
                                                  kAAboutY,
                                                  kBAboutY},
                                         PairCase{"CircleTinySeparation",
                                                  kCircle,
                                                  {{0.0f, 0.0f}, kTenth},
                                                  {{1e-30f, 0.0f}, kTenth},
                                                  true,
                                                  {0.0f, 0.05f},
                                                  {0.0f, -0.05f},
                                                  kAAboutY,
                                                  kBAboutY}),
                         [](const testing::TestParamInfo<PairCase>& info) { return info.param.name; });

} // namespace
