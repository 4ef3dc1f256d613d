// Body drawing on a real context, read back from the default framebuffer:
// each body's square lands where the arena-to-screen mapping puts it, the
// world draws every body once in index order, later bodies cover earlier
// ones, and a body hands its position and rotation to the program. Built
// once per body shape: both draw the same square.
#include "RenderTestSupport.h"

#include "app/BuildConfig.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "render/BodyMesh.h"
#include "render/PlainPolyProgram.h"

#include <GL/glew.h>
#include <glm/vec2.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

namespace {

constexpr int N = BuildConfig::bodyCount;
static_assert(N == 3, "the layouts below place three bodies");

// The vertex stage maps the arena, -1.5 to 1.5 on both axes, onto the whole
// viewport; the mesh is a square of side 0.02 around the body's centre.
constexpr double kArenaHalfExtent = 1.5;
constexpr double kSquareHalfSide = 0.01;

// The clear colour of the application and the colour that the shipped
// fragment stage writes, (1.0, 0.6, 0.1), in 8 bits per channel.
constexpr float kClearGrey = 0.3f;
constexpr std::array<int, 3> kGrey = {77, 77, 77};
constexpr std::array<int, 3> kBodyColour = {255, 153, 26};
// Float-to-byte conversion may round either way; the fixture's colours come
// out of a little more arithmetic.
constexpr int kTolerance = 1;
constexpr int kPositionColourTolerance = 2;

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;

    std::array<int, 3> At(int x, int y) const
    {
        const unsigned char* p = &rgba[4 * (static_cast<size_t>(y) * width + x)];
        return {p[0], p[1], p[2]};
    }
};

Frame ReadFrame()
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    Frame frame;
    frame.width = viewport[2];
    frame.height = viewport[3];
    frame.rgba.resize(4 * static_cast<size_t>(frame.width) * frame.height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGBA, GL_UNSIGNED_BYTE, frame.rgba.data());
    return frame;
}

// Arena coordinate to window coordinate along an axis of `size` pixels;
// pixel i spans [i, i + 1] and has its centre at i + 0.5.
double ToWindow(double arena, int size)
{
    return (arena / kArenaHalfExtent + 1.0) / 2.0 * size;
}

bool Near(const std::array<int, 3>& actual, const std::array<int, 3>& expected, int tolerance = kTolerance)
{
    for (int c = 0; c < 3; ++c) {
        if (std::abs(actual[c] - expected[c]) > tolerance) {
            return false;
        }
    }
    return true;
}

std::string Describe(const std::array<int, 3>& colour)
{
    std::ostringstream text;
    text << "(" << colour[0] << ", " << colour[1] << ", " << colour[2] << ")";
    return text.str();
}

// The colour the colour_by_position fixture gives a body: fract(centre * 20)
// in red and green, blue 1.
std::array<int, 3> PositionColour(glm::vec2 centre)
{
    const auto channel = [](float v) {
        const double scaled = static_cast<double>(v) * 20.0;
        return static_cast<int>(std::lround((scaled - std::floor(scaled)) * 255.0));
    };
    return {channel(centre.x), channel(centre.y), 255};
}

// Records the order in which the world draws its bodies, then draws.
class CRecordingBody : public CRigidBody {
public:
    void Draw() override
    {
        if (drawLog != nullptr) {
            drawLog->push_back(index);
        }
        CRigidBody::Draw();
    }

    int index = -1;
    std::vector<int>* drawLog = nullptr;
};

// Counts what the draws in its lifetime hand to the pipeline, before any
// clipping.
class CPrimitiveCount {
public:
    CPrimitiveCount()
    {
        glGenQueries(1, &query);
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    }
    ~CPrimitiveCount()
    {
        glDeleteQueries(1, &query);
    }
    GLuint Finish()
    {
        glEndQuery(GL_PRIMITIVES_GENERATED);
        GLuint count = 0;
        glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
        return count;
    }

private:
    GLuint query = 0;
};

class BodyDraw : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        ASSERT_EQ(CaptureOutput([&] { EXPECT_TRUE(program.LoadProgram(CORVANE_SOURCE_SHADER_DIR)); }), "");
        mesh = std::make_unique<CBodyMesh>();
        for (int i = 0; i < N; ++i) {
            bodies[i].index = i;
            bodies[i].drawLog = &drawLog;
            bodies[i].SetMesh(mesh.get());
            bodies[i].SetProgram(&program);
            ASSERT_EQ(world.AddBody(&bodies[i]), i);
        }
        glClearColor(kClearGrey, kClearGrey, kClearGrey, 1.0f);
    }

    void Place(const std::array<glm::vec2, N>& positions)
    {
        for (int i = 0; i < N; ++i) {
            bodies[i].SetShape(positions[i].x, positions[i].y, 0.1f, 0.1f);
        }
    }

    // One frame's drawing as the application does it: clear, make the
    // polygon program current, draw the world.
    Frame DrawFrame(CPlainPolyProgram& with)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        with.Bind();
        world.DrawBodies();
        return ReadFrame();
    }

    CPlainPolyProgram program;
    std::unique_ptr<CBodyMesh> mesh;
    CRecordingBody bodies[N];
    CPhysicsWorld world;
    std::vector<int> drawLog;
};

TEST_F(BodyDraw, SquaresLandWhereTheArenaMapsThem)
{
    // Two inside the arena, one beyond its right wall.
    const std::array<glm::vec2, N> positions = {glm::vec2(0.25f, -0.5f), glm::vec2(-1.2f, 0.9f), glm::vec2(1.6f, 0.3f)};
    Place(positions);

    const Frame frame = DrawFrame(program);

    // Every pixel whose centre lies clearly inside a square has the body
    // colour, every pixel clearly outside all of them the grey; pixels whose
    // centre is within half a pixel of an edge may go either way.
    const double halfX = kSquareHalfSide / kArenaHalfExtent / 2.0 * frame.width;
    const double halfY = kSquareHalfSide / kArenaHalfExtent / 2.0 * frame.height;
    std::vector<int> insideCount(N, 0);
    int wrong = 0;
    std::string firstWrong;
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            bool inside = false;
            bool edge = false;
            for (int i = 0; i < N; ++i) {
                const double dx = std::abs(x + 0.5 - ToWindow(positions[i].x, frame.width));
                const double dy = std::abs(y + 0.5 - ToWindow(positions[i].y, frame.height));
                if (dx < halfX - 0.5 && dy < halfY - 0.5) {
                    inside = true;
                    ++insideCount[i];
                } else if (dx <= halfX + 0.5 && dy <= halfY + 0.5) {
                    edge = true;
                }
            }
            if (edge && !inside) {
                continue;
            }
            const std::array<int, 3> expected = inside ? kBodyColour : kGrey;
            if (!Near(frame.At(x, y), expected)) {
                if (wrong++ == 0) {
                    firstWrong = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " +
                                 Describe(frame.At(x, y)) + ", expected " + Describe(expected);
                }
            }
        }
    }
    EXPECT_EQ(wrong, 0) << firstWrong;
    // An open interval of length L holds at least floor(L) pixel centres:
    // the checks above covered the whole inner part of both visible squares,
    // and the body beyond the wall has none.
    const int leastInside =
        static_cast<int>(std::floor(2.0 * (halfX - 0.5))) * static_cast<int>(std::floor(2.0 * (halfY - 0.5)));
    ASSERT_GT(leastInside, 0);
    EXPECT_GE(insideCount[0], leastInside);
    EXPECT_GE(insideCount[1], leastInside);
    EXPECT_EQ(insideCount[2], 0);
}

TEST_F(BodyDraw, WorldDrawsEveryBodyOnceInIndexOrderWhereverItIs)
{
    // Inside, far outside, and on the lower left corner.
    Place({glm::vec2(0.0f, 0.0f), glm::vec2(40.0f, -25.0f), glm::vec2(-1.5f, -1.5f)});

    CPrimitiveCount primitives;
    glClear(GL_COLOR_BUFFER_BIT);
    program.Bind();
    world.DrawBodies();

    EXPECT_EQ(drawLog, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(primitives.Finish(), 2u * N); // two triangles per body
}

struct Stacking {
    const char* what;
    // Which body index sits at each of three positions from left to right,
    // each 0.01 (half a square) to the right of the one before.
    std::array<int, N> indexAt;
};

class BodyDrawStacking : public BodyDraw, public testing::WithParamInterface<Stacking> {};

TEST_P(BodyDrawStacking, HigherIndexCoversLowerWhereTheyOverlap)
{
    // A program whose colour tells the bodies apart by their centres.
    CPlainPolyProgram colourByPosition;
    ASSERT_EQ(CaptureOutput([&] { EXPECT_TRUE(colourByPosition.LoadProgram(RenderFixture("colour_by_position"))); }),
              "");
    for (CRecordingBody& body : bodies) {
        body.SetProgram(&colourByPosition);
    }

    const float y = -0.4125f;
    const float left = 0.3025f;
    std::array<glm::vec2, N> positions;
    for (int slot = 0; slot < N; ++slot) {
        positions[GetParam().indexAt[slot]] = glm::vec2(left + 0.01f * slot, y);
    }
    Place(positions);
    for (int i = 0; i < N; ++i) {
        for (int j = i + 1; j < N; ++j) {
            ASSERT_NE(PositionColour(positions[i]), PositionColour(positions[j])) << "bodies must differ in colour";
        }
    }

    const Frame frame = DrawFrame(colourByPosition);

    // The squares split the row into strips half a square wide: the first
    // covered by one body, the middle ones by two, the last by one again.
    // Each strip shows the highest index among the bodies that cover it.
    const int row = static_cast<int>(std::floor(ToWindow(y, frame.height)));
    for (int strip = 0; strip <= N; ++strip) {
        const double middle = left - kSquareHalfSide + 0.01 * strip + 0.005;
        const double window = ToWindow(middle, frame.width);
        const int column = static_cast<int>(std::floor(window));
        const double stripHalfWidth = ToWindow(0.005, frame.width) - ToWindow(0.0, frame.width);
        ASSERT_LT(std::abs(column + 0.5 - window), stripHalfWidth - 0.5) << "sample pixel too close to an edge";

        int top = -1;
        for (int i = 0; i < N; ++i) {
            if (std::abs(middle - positions[i].x) < kSquareHalfSide) {
                top = std::max(top, i);
            }
        }
        ASSERT_NE(top, -1);
        EXPECT_TRUE(Near(frame.At(column, row), PositionColour(positions[top]), kPositionColourTolerance))
            << "strip " << strip << " at pixel (" << column << ", " << row << ") shows "
            << Describe(frame.At(column, row)) << ", body " << top << " is "
            << Describe(PositionColour(positions[top]));
    }
    EXPECT_EQ(drawLog, (std::vector<int>{0, 1, 2}));
}

INSTANTIATE_TEST_SUITE_P(EveryOrder, BodyDrawStacking,
                         testing::Values(Stacking{"Ascending", {0, 1, 2}}, Stacking{"Descending", {2, 1, 0}},
                                         Stacking{"HighestInTheMiddle", {0, 2, 1}},
                                         Stacking{"LowestInTheMiddle", {1, 0, 2}},
                                         Stacking{"HighestOnTheLeft", {2, 0, 1}},
                                         Stacking{"LowestOnTheRight", {1, 2, 0}}),
                         [](const testing::TestParamInfo<Stacking>& info) { return info.param.what; });

TEST_F(BodyDraw, BodyHandsItsPositionAndRotationToTheProgram)
{
    bodies[0].SetShape(0.25f, -0.5f, 0.1f, 0.1f);
    program.Bind();
    // Values that a draw must overwrite.
    program.SetObjectPos(9.0f, 9.0f, 9.0f, 9.0f);
    program.SetRotation(1.0f);

    CPrimitiveCount primitives;
    bodies[0].Draw();
    const GLuint drawn = primitives.Finish();

    GLfloat objectPos[4] = {};
    GLfloat rotation = -1.0f;
    glGetUniformfv(program.ProgramID, program.ObjectPosLocation, objectPos);
    glGetUniformfv(program.ProgramID, program.RotationLocation, &rotation);
    EXPECT_EQ(objectPos[0], 0.25f);
    EXPECT_EQ(objectPos[1], -0.5f);
    EXPECT_EQ(objectPos[2], 0.0f);
    EXPECT_EQ(objectPos[3], 0.0f);
    EXPECT_EQ(rotation, 0.0f);
    EXPECT_EQ(drawn, 2u);

    GLint boundArray = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundArray);
    EXPECT_EQ(boundArray, 0);
}

TEST_F(BodyDraw, BodyWithoutAProgramDrawsNothing)
{
    bodies[0].SetProgram(nullptr);
    program.Bind();

    CPrimitiveCount primitives;
    bodies[0].Draw();

    EXPECT_EQ(primitives.Finish(), 0u);
}

TEST_F(BodyDraw, FirstBodyDestroyedReleasesTheSharedMesh)
{
    CBodyMesh shared;
    auto first = std::make_unique<CRigidBody>();
    auto second = std::make_unique<CRigidBody>();
    for (CRigidBody* body : {first.get(), second.get()}) {
        body->SetMesh(&shared);
        body->SetProgram(&program);
    }
    program.Bind();

    first.reset();

    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    EXPECT_FALSE(glIsBuffer(shared.VertexBuffer));
    EXPECT_FALSE(glIsVertexArray(shared.VertexArray));

    // The second deletes names that no longer exist: no error.
    second.reset();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
