// The compute shader of this configuration's body shape against the CPU pair
// test of the same shape: same contacts, and every contact the GPU reports
// for a body is one of that body's real contacts.

#include "gpu/PhysicsShaderProgram.h"
#include "physics/RigidBody.h"
#include "support/StdinRedirect.h"

#include <GL/glew.h>
#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int N = BuildConfig::bodyCount;
constexpr bool kBox = BuildConfig::bodyShape == BodyShape::Box;
constexpr float kSize = 0.1f;
using Layout = std::vector<glm::vec2>;

// Records the response instead of applying it, so bodies stay put while
// every pair is tested.
class CRecordingBody : public CRigidBody {
public:
    void ResolveContact(glm::vec2 normal, glm::vec2 /*hitPoint*/, BoxCollider* /*hitCollider*/, float offset,
                        CRigidBody* /*hitBody*/) override
    {
        hit = true;
        push = normal * offset;
        depth = std::abs(offset);
    }

    bool hit = false;
    glm::vec2 push{0.0f, 0.0f}; // the CPU moves the body by this much
    float depth = 0.0f;
};

struct Contact {
    int partner;
    glm::vec2 direction; // unit direction in which the body is pushed
    float depth;
};

// Every contact of every body, as the CPU step finds them: the lower index
// calls the pair test on the higher one.
std::vector<std::vector<Contact>> CpuContacts(const Layout& positions)
{
    CRecordingBody bodies[N];
    for (int i = 0; i < N; ++i) {
        bodies[i].SetShape(positions[i].x, positions[i].y, kSize, kSize);
    }
    std::vector<std::vector<Contact>> contacts(N);
    for (int i = 0; i < N; ++i) {
        for (int j = i + 1; j < N; ++j) {
            bodies[i].hit = false;
            bodies[j].hit = false;
            if (kBox) {
                bodies[i].CollideAsBox(&bodies[j]);
            } else {
                bodies[i].CollideAsCircle(&bodies[j]);
            }
            if (bodies[i].hit) {
                contacts[i].push_back({j, glm::normalize(bodies[i].push), bodies[i].depth});
                contacts[j].push_back({i, glm::normalize(bodies[j].push), bodies[j].depth});
            }
        }
    }
    return contacts;
}

// The point of the partner's shape that faces the body.
glm::vec2 ExpectedHitPoint(glm::vec2 body, glm::vec2 partner, glm::vec2 direction)
{
    const float half = kSize / 2.0f;
    if (kBox) {
        return partner + glm::clamp(body - partner, glm::vec2(-half), glm::vec2(half));
    }
    return partner + direction * half;
}

std::string ShaderPath()
{
    return std::string(CORVANE_SOURCE_SHADER_DIR) + (kBox ? "/BoxColl.glcs" : "/CircleColl.glcs");
}

class ShaderContacts : public testing::Test {
protected:
    void SetUp() override
    {
        ScopedStdinAtEof stdinAtEof;
        testing::internal::CaptureStdout();
        loaded = program.LoadProgram(ShaderPath());
        const std::string output = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(loaded) << output;
    }

    void RunPass(const Layout& positions)
    {
        for (int i = 0; i < N; ++i) {
            program.SetBodyData(i, positions[i], glm::vec2(0.0f, 0.0f));
        }
        program.Bind();
        program.RunCollisionPass();
        ASSERT_EQ(glGetError(), GL_NO_ERROR);
    }

    // Bodies with a GPU contact are exactly those with a CPU contact, and
    // each GPU contact names a real partner and its direction and depth.
    void ExpectAgreesWithCpu(const Layout& positions)
    {
        const std::vector<std::vector<Contact>> cpu = CpuContacts(positions);
        for (int i = 0; i < N; ++i) {
            SCOPED_TRACE("body " + std::to_string(i));
            glm::vec2 hitPoint;
            glm::vec2 normal;
            float offset = 0.0f;
            int partner = -1;
            program.GetCollisionData(i, hitPoint, normal, offset, partner);

            if (cpu[i].empty()) {
                EXPECT_EQ(normal, glm::vec2(0.0f, 0.0f));
                EXPECT_EQ(offset, -1.0f);
                continue;
            }
            ASSERT_TRUE(std::isfinite(normal.x) && std::isfinite(normal.y));
            ASSERT_NE(normal, glm::vec2(0.0f, 0.0f)) << cpu[i].size() << " CPU contacts";
            const Contact* match = nullptr;
            for (const Contact& c : cpu[i]) {
                if (c.partner == partner) {
                    match = &c;
                }
            }
            ASSERT_NE(match, nullptr) << "index " << partner << " is no overlapping partner";
            const glm::vec2 direction = glm::normalize(normal);
            EXPECT_NEAR(direction.x, match->direction.x, 1e-5f);
            EXPECT_NEAR(direction.y, match->direction.y, 1e-5f);
            EXPECT_NEAR(offset, match->depth, 1e-6f);
            EXPECT_GT(offset, 0.0f);
            const glm::vec2 expectedHit = ExpectedHitPoint(positions[i], positions[partner], direction);
            EXPECT_NEAR(hitPoint.x, expectedHit.x, 1e-6f);
            EXPECT_NEAR(hitPoint.y, expectedHit.y, 1e-6f);
        }
    }

    CPhysicsShaderProgram program;
    bool loaded = false;
};

// Bodies 0 and 1 as given; the rest on a grid 0.2 apart, far from both.
Layout PairLayout(glm::vec2 first, glm::vec2 second)
{
    Layout positions(N);
    for (int i = 0; i < N; ++i) {
        positions[i] = glm::vec2(-1.3f + 0.2f * static_cast<float>(i % 14), 0.8f + 0.2f * static_cast<float>(i / 14));
    }
    positions[0] = first;
    positions[1] = second;
    return positions;
}

struct PairCase {
    const char* name;
    glm::vec2 first;
    glm::vec2 second;
    bool contact;
    glm::vec2 firstDirection; // the second body's is the opposite
    float depth;
};

const std::vector<PairCase>& PairCases()
{
    static const std::vector<PairCase> box = {
        {"ApartOnX", {0.0f, 0.0f}, {0.02f, 0.0f}, true, {-1.0f, 0.0f}, 0.04f},
        {"ApartOnY", {0.5f, 0.5f}, {0.5f, 0.49f}, true, {0.0f, 1.0f}, 0.045f},
        {"TieKeepsY", {0.0f, 0.0f}, {0.02f, 0.02f}, true, {0.0f, -1.0f}, (0.1f - std::sqrt(0.0008f)) / 2.0f},
        {"CoincidentLowerIndexGoesDown", {0.3f, 0.3f}, {0.3f, 0.3f}, true, {0.0f, -1.0f}, 0.05f},
        {"QuarterSizeApartTouchNot", {0.0f, 0.0f}, {0.025f, 0.0f}, false, {}, 0.0f},
        {"NothingNearOnlySelfPairs", {-1.0f, -1.0f}, {1.0f, -1.0f}, false, {}, 0.0f},
    };
    static const std::vector<PairCase> circle = {
        {"ApartOnX", {0.0f, 0.0f}, {0.04f, 0.0f}, true, {-1.0f, 0.0f}, 0.01f},
        {"Diagonal",
         {0.0f, 0.0f},
         {0.03f, 0.03f},
         true,
         {-std::sqrt(0.5f), -std::sqrt(0.5f)},
         0.05f - std::sqrt(0.0018f)},
        {"CoincidentLowerIndexGoesUp", {0.3f, 0.3f}, {0.3f, 0.3f}, true, {0.0f, 1.0f}, 0.05f},
        {"RadiusApartTouchNot", {0.0f, 0.0f}, {0.05f, 0.0f}, false, {}, 0.0f},
        {"NothingNearOnlySelfPairs", {-1.0f, -1.0f}, {1.0f, -1.0f}, false, {}, 0.0f},
    };
    return kBox ? box : circle;
}

class ShaderPairContacts : public ShaderContacts, public testing::WithParamInterface<PairCase> {};

TEST_P(ShaderPairContacts, MatchesTheKnownContact)
{
    const PairCase& c = GetParam();
    const Layout positions = PairLayout(c.first, c.second);
    RunPass(positions);
    ExpectAgreesWithCpu(positions);

    const CollisionDataBlock& result = program.CollisionData;
    if (!c.contact) {
        for (int i = 0; i < N; ++i) {
            EXPECT_EQ(result.Normals[i], glm::vec2(0.0f, 0.0f)) << "body " << i;
            EXPECT_EQ(result.Offsets[i], -1.0f) << "body " << i;
        }
        return;
    }
    const glm::vec2 expected[2] = {c.firstDirection, -c.firstDirection};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("body " + std::to_string(i));
        const glm::vec2 direction = glm::normalize(result.Normals[i]);
        EXPECT_NEAR(direction.x, expected[i].x, 1e-6f);
        EXPECT_NEAR(direction.y, expected[i].y, 1e-6f);
        EXPECT_EQ(result.HitBodyIndices[i], 1 - i);
        EXPECT_NEAR(result.Offsets[i], c.depth, 1e-6f);
    }
    for (int i = 2; i < N; ++i) {
        EXPECT_EQ(result.Normals[i], glm::vec2(0.0f, 0.0f)) << "body " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Pairs, ShaderPairContacts, testing::ValuesIn(PairCases()),
                         [](const testing::TestParamInfo<PairCase>& info) { return std::string(info.param.name); });

// Clusters of bodies around a few centres, spread so that some pairs touch
// and others just miss; one body in a cluster typically touches several.
// A few bodies are placed exactly on another one, or diagonally from it.
Layout ClusteredLayout(unsigned seed)
{
    std::mt19937 rng(seed);
    const float reach = kBox ? 0.025f : 0.05f; // contact closer than this (per axis for boxes)
    std::uniform_int_distribution<int> clusterCount(2, 8);
    std::uniform_real_distribution<float> arena(-1.3f, 1.3f);
    std::uniform_real_distribution<float> spreadScale(0.6f, 2.5f);

    const int clusters = clusterCount(rng);
    std::vector<glm::vec2> centres;
    for (int k = 0; k < clusters; ++k) {
        centres.emplace_back(arena(rng), arena(rng));
    }
    std::uniform_real_distribution<float> jitter(-1.0f, 1.0f);
    const float spread = reach * spreadScale(rng);

    Layout positions(N);
    for (int i = 0; i < N; ++i) {
        positions[i] = centres[static_cast<size_t>(i % clusters)] + spread * glm::vec2(jitter(rng), jitter(rng));
    }
    for (int i = clusters; i < N; i += 11) {
        positions[i] = positions[i - clusters]; // coincident with a cluster mate
    }
    for (int i = clusters + 5; i < N; i += 13) {
        positions[i] = positions[i - clusters] + glm::vec2(0.4f * reach, 0.4f * reach);
    }
    return positions;
}

TEST_F(ShaderContacts, AgreesWithTheCpuPairTestOnClusteredLayouts)
{
    int isolatedBodies = 0;
    int crowdedBodies = 0; // touching three or more others
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const Layout positions = ClusteredLayout(seed);
        RunPass(positions);
        ExpectAgreesWithCpu(positions);
        if (HasFatalFailure()) {
            return;
        }
        for (const std::vector<Contact>& contacts : CpuContacts(positions)) {
            isolatedBodies += contacts.empty() ? 1 : 0;
            crowdedBodies += contacts.size() >= 3 ? 1 : 0;
        }
    }
    // The layouts must exercise both sides: bodies with no contact and
    // bodies whose slots several invocations compete for.
    EXPECT_GT(isolatedBodies, 100);
    EXPECT_GT(crowdedBodies, 100);
}

TEST_F(ShaderContacts, SecondPassFindsTheContactsAgain)
{
    // Claims depend on the offsets being reset before every pass; the index
    // slots still hold the first pass's partners.
    const Layout positions = ClusteredLayout(7);
    RunPass(positions);
    ExpectAgreesWithCpu(positions);
    RunPass(positions);
    ExpectAgreesWithCpu(positions);
}

} // namespace
