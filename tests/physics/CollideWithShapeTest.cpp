// CollideWith runs the pair test of the configuration's body shape. This file
// is built once in a box and once in a circle configuration; the same pairs
// give different outcomes in the two.

#include "PhysicsTestSupport.h"

#include "app/BuildConfig.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Outcome {
    glm::vec2 caller;
    glm::vec2 other;
};

struct ShapeCase {
    std::string name;
    glm::vec2 otherCenter; // the caller sits at the origin; both are 0.1 by 0.1
    Outcome asBox;
    Outcome asCircle;
};

PRINT_CASE_AS_NAME(ShapeCase)

class CollideWithShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(CollideWithShape, UsesTheConfiguredForm)
{
    const ShapeCase& c = GetParam();
    CRigidBody caller;
    CRigidBody other;
    caller.SetShape(0.0f, 0.0f, 0.1f, 0.1f);
    other.SetShape(c.otherCenter.x, c.otherCenter.y, 0.1f, 0.1f);

    caller.CollideWith(&other);

    const Outcome& expected = BuildConfig::bodyShape == BodyShape::Box ? c.asBox : c.asCircle;
    EXPECT_NEAR(caller.GetPosition().x, expected.caller.x, 1e-6);
    EXPECT_NEAR(caller.GetPosition().y, expected.caller.y, 1e-6);
    EXPECT_NEAR(other.GetPosition().x, expected.other.x, 1e-6);
    EXPECT_NEAR(other.GetPosition().y, expected.other.y, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Cases, CollideWithShape,
                         testing::Values(
                             // Boxes touch only within a quarter of their size; circles within the radius.
                             ShapeCase{"BoxesMissCirclesTouch",
                                       {0.04f, 0.0f},
                                       {{0.0f, 0.0f}, {0.04f, 0.0f}},
                                       {{-0.01f, 0.0f}, {0.05f, 0.0f}}},
                             // Boxes move apart by (0.1 - 0.02) / 2 each, circles by 0.05 - 0.02.
                             ShapeCase{"BothTouchButMoveDifferently",
                                       {0.02f, 0.0f},
                                       {{-0.04f, 0.0f}, {0.06f, 0.0f}},
                                       {{-0.03f, 0.0f}, {0.05f, 0.0f}}}),
                         [](const testing::TestParamInfo<ShapeCase>& info) { return info.param.name; });

} // namespace
