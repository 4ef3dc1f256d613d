// The GL side of CPhysicsShaderProgram: loading, the storage buffers and the
// collision pass, driven by fixture shaders that write known patterns.

#include "gpu/PhysicsShaderProgram.h"
#include "support/StdinRedirect.h"

#include <GL/glew.h>
#include <glm/vec2.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

constexpr int N = BuildConfig::bodyCount;
static_assert(N == 50, "the fixtures under tests/fixtures/gpu are written for 50 bodies");

std::string Fixture(const char* name)
{
    return std::string(CORVANE_FIXTURE_DIR) + "/gpu/" + name;
}

std::string RealShader(const char* name)
{
    return std::string(CORVANE_SOURCE_SHADER_DIR) + "/" + name;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void DrainGlErrors()
{
    while (glGetError() != GL_NO_ERROR) {
    }
}

// Loads with standard input at end of file and standard output captured.
bool Load(CPhysicsShaderProgram& program, const std::string& path, std::string* output = nullptr)
{
    ScopedStdinAtEof stdinAtEof;
    testing::internal::CaptureStdout();
    const bool loaded = program.LoadProgram(path);
    const std::string printed = testing::internal::GetCapturedStdout();
    if (output != nullptr) {
        *output = printed;
    }
    return loaded;
}

GLint BoundBuffer(GLenum binding)
{
    GLint name = -1;
    glGetIntegerv(binding, &name);
    return name;
}

// Fills every slot of the result mirror with something a clear must undo.
void DirtyCollisionMirror(CPhysicsShaderProgram& program)
{
    for (int i = 0; i < N; ++i) {
        program.CollisionData.Normals[i] = glm::vec2(1.0f, 2.0f);
        program.CollisionData.HitPoints[i] = glm::vec2(3.0f, 4.0f);
        program.CollisionData.Offsets[i] = 5.0f;
        program.CollisionData.HitBodyIndices[i] = 7;
    }
}

// Bodies 0 and 1 overlap as boxes; the rest sit apart on a grid.
void PlaceOneTouchingPair(CPhysicsShaderProgram& program)
{
    for (int i = 0; i < N; ++i) {
        const glm::vec2 p(-1.3f + 0.2f * static_cast<float>(i % 14), 0.8f + 0.2f * static_cast<float>(i / 14));
        program.SetBodyData(i, p, glm::vec2(0.0f, 0.0f));
    }
    program.SetBodyData(0, glm::vec2(0.0f, 0.0f), glm::vec2(0.0f, 0.0f));
    program.SetBodyData(1, glm::vec2(0.01f, 0.0f), glm::vec2(0.0f, 0.0f));
}

void ExpectOnlyPairTouches(const CPhysicsShaderProgram& program)
{
    EXPECT_EQ(program.CollisionData.Normals[0], glm::vec2(-1.0f, 0.0f));
    EXPECT_EQ(program.CollisionData.HitBodyIndices[0], 1);
    EXPECT_EQ(program.CollisionData.Normals[1], glm::vec2(1.0f, 0.0f));
    EXPECT_EQ(program.CollisionData.HitBodyIndices[1], 0);
    for (int i = 2; i < N; ++i) {
        EXPECT_EQ(program.CollisionData.Normals[i], glm::vec2(0.0f, 0.0f)) << "body " << i;
    }
}

void ExpectNoContacts(const CPhysicsShaderProgram& program)
{
    for (int i = 0; i < N; ++i) {
        EXPECT_EQ(program.CollisionData.Normals[i], glm::vec2(0.0f, 0.0f)) << "body " << i;
        EXPECT_EQ(program.CollisionData.HitPoints[i], glm::vec2(0.0f, 0.0f)) << "body " << i;
        EXPECT_EQ(program.CollisionData.Offsets[i], -1.0f) << "body " << i;
    }
}

float ReadFloat(const unsigned char* bytes, size_t offset)
{
    float value = 0.0f;
    std::memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

} // namespace

// --- Loading ---------------------------------------------------------------

TEST(PhysicsProgramLoad, CreatesTheThreeStorageBuffersFromTheMirrors)
{
    CPhysicsShaderProgram program;
    program.SetBodyData(3, glm::vec2(0.25f, -0.5f), glm::vec2(1.0f, 2.0f));
    ASSERT_TRUE(Load(program, RealShader("BoxColl.glcs")));
    EXPECT_EQ(glGetError(), GL_NO_ERROR);

    struct Expected {
        GLuint buffer;
        GLuint binding;
        const char* block;
        GLint size;
        const void* mirror;
    };
    const Expected buffers[] = {
        {program.BodyDataBuffer, 1, "shader_data", 800, &program.BodyData},
        {program.CollisionDataBuffer, 2, "shader_output", 1200, &program.CollisionData},
        {program.ColliderBuffer, 3, "BoxColliders", 8, &program.ColliderSize},
    };
    for (const Expected& e : buffers) {
        SCOPED_TRACE(e.block);
        ASSERT_NE(e.buffer, 0u);
        ASSERT_TRUE(glIsBuffer(e.buffer));

        GLint attachedTo = 0;
        glGetIntegeri_v(GL_SHADER_STORAGE_BUFFER_BINDING, e.binding, &attachedTo);
        EXPECT_EQ(static_cast<GLuint>(attachedTo), e.buffer);

        const GLuint blockIndex = glGetProgramResourceIndex(program.ProgramID, GL_SHADER_STORAGE_BLOCK, e.block);
        ASSERT_NE(blockIndex, GL_INVALID_INDEX);
        const GLenum property = GL_BUFFER_BINDING;
        GLint blockBinding = -1;
        glGetProgramResourceiv(program.ProgramID, GL_SHADER_STORAGE_BLOCK, blockIndex, 1, &property, 1, nullptr,
                               &blockBinding);
        EXPECT_EQ(blockBinding, static_cast<GLint>(e.binding));

        glBindBuffer(GL_COPY_READ_BUFFER, e.buffer);
        GLint size = 0;
        GLint usage = 0;
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_USAGE, &usage);
        EXPECT_EQ(size, e.size);
        EXPECT_EQ(usage, GL_DYNAMIC_COPY);
        unsigned char contents[1200] = {};
        glGetBufferSubData(GL_COPY_READ_BUFFER, 0, e.size, contents);
        glBindBuffer(GL_COPY_READ_BUFFER, 0);
        EXPECT_EQ(std::memcmp(contents, e.mirror, static_cast<size_t>(e.size)), 0);
    }
    EXPECT_EQ(program.ColliderSize, glm::vec2(0.1f, 0.1f));
    EXPECT_EQ(BoundBuffer(GL_SHADER_STORAGE_BUFFER_BINDING), 0);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

struct UniformCase {
    const char* name;
    std::string path;
    const char* expectedOutput;
    bool uniformsActive;
};

class PhysicsProgramUniforms : public testing::TestWithParam<UniformCase> {};

TEST_P(PhysicsProgramUniforms, LoadsAndWarnsOnlyAboutMissingUniforms)
{
    const UniformCase& c = GetParam();
    CPhysicsShaderProgram program;
    std::string output;
    ASSERT_TRUE(Load(program, c.path, &output));
    EXPECT_EQ(output, c.expectedOutput);
    EXPECT_EQ(program.PosLocation != -1, c.uniformsActive);
    EXPECT_EQ(program.ThisPosLocation != -1, c.uniformsActive);
    EXPECT_NE(program.CollisionDataBuffer, 0u);
    // UsesUniforms lacks two of the three blocks: still no GL error.
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Shaders, PhysicsProgramUniforms,
                         testing::Values(UniformCase{"Box", RealShader("BoxColl.glcs"), "", true},
                                         UniformCase{"Circle", RealShader("CircleColl.glcs"), "", true},
                                         UniformCase{"WithoutUniforms", Fixture("EchoInputs.glcs"),
                                                     "pos is not a valid glsl program variable!\n"
                                                     "thisPos is not a valid glsl program variable!\n",
                                                     false},
                                         UniformCase{"UsesUniforms", Fixture("UsesUniforms.glcs"), "", true}),
                         [](const testing::TestParamInfo<UniformCase>& info) { return std::string(info.param.name); });

// Standard input in the states a missing shader may meet: at end of file,
// closed altogether, or holding two characters of which one must remain.
class ScopedStdin {
public:
    enum Mode { AtEof, Closed, HoldsAb };

    explicit ScopedStdin(Mode mode) : saved(dup(STDIN_FILENO))
    {
        if (mode == AtEof) {
            const int devNull = open("/dev/null", O_RDONLY);
            dup2(devNull, STDIN_FILENO);
            close(devNull);
        } else if (mode == Closed) {
            close(STDIN_FILENO);
        } else {
            int fds[2] = {-1, -1};
            if (pipe(fds) == 0) {
                const ssize_t written = write(fds[1], "ab", 2);
                (void)written;
                close(fds[1]);
                dup2(fds[0], STDIN_FILENO);
                close(fds[0]);
            }
        }
        std::clearerr(stdin);
    }

    ~ScopedStdin()
    {
        dup2(saved, STDIN_FILENO);
        close(saved);
        std::clearerr(stdin);
    }

    ScopedStdin(const ScopedStdin&) = delete;
    ScopedStdin& operator=(const ScopedStdin&) = delete;

private:
    int saved;
};

class PhysicsProgramMissingFile : public testing::TestWithParam<ScopedStdin::Mode> {};

TEST_P(PhysicsProgramMissingFile, ReportsAndFailsWithoutWaitingOnAnEmptyStdin)
{
    const std::string path = Fixture("NoSuchShader.glcs");
    CPhysicsShaderProgram program;
    bool loaded = true;
    // Capture first: with stdin closed, the capture file would take fd 0.
    testing::internal::CaptureStdout();
    {
        ScopedStdin input(GetParam());
        loaded = program.LoadProgram(path);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Unable to open file " + path + "\nCould not find Compute Shader \nPress Enter to Continue \n");
    EXPECT_FALSE(loaded);
    EXPECT_EQ(program.ProgramID, 0u);
    EXPECT_EQ(program.BodyDataBuffer, 0u);
    EXPECT_EQ(program.CollisionDataBuffer, 0u);
    EXPECT_EQ(program.ColliderBuffer, 0u);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Stdin, PhysicsProgramMissingFile, testing::Values(ScopedStdin::AtEof, ScopedStdin::Closed),
                         [](const testing::TestParamInfo<ScopedStdin::Mode>& info) {
                             return std::string(info.param == ScopedStdin::AtEof ? "AtEof" : "Closed");
                         });

TEST(PhysicsProgramLoad, MissingFileConsumesExactlyOneCharacter)
{
    CPhysicsShaderProgram program;
    testing::internal::CaptureStdout();
    ScopedStdin input(ScopedStdin::HoldsAb);
    EXPECT_FALSE(program.LoadProgram(Fixture("NoSuchShader.glcs")));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::getchar(), 'b');
    EXPECT_EQ(std::getchar(), EOF);
}

TEST(PhysicsProgramLoad, ShaderThatDoesNotCompileIsReportedAndLeavesNoProgram)
{
    const std::string path = Fixture("DoesNotCompile.glcs");
    CPhysicsShaderProgram program;
    std::string output;
    EXPECT_FALSE(Load(program, path, &output));

    const std::string head = "Unable to compile shader ";
    const std::string tail = "Could not find Compute Shader \nPress Enter to Continue \n";
    EXPECT_EQ(output.compare(0, head.size(), head), 0) << output;
    EXPECT_NE(output.find("!\n\nSource:\n" + ReadFile(path) + "\n"), std::string::npos) << output;
    ASSERT_GE(output.size(), tail.size());
    EXPECT_EQ(output.substr(output.size() - tail.size()), tail);
    EXPECT_EQ(program.ProgramID, 0u);
    EXPECT_EQ(program.CollisionDataBuffer, 0u);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

TEST(PhysicsProgramLoad, LinkFailureKeepsTheProgramButCreatesNoBuffers)
{
    CPhysicsShaderProgram program;
    std::string output;
    EXPECT_FALSE(Load(program, Fixture("DoesNotLink.glcs"), &output));

    ASSERT_NE(program.ProgramID, 0u);
    EXPECT_TRUE(glIsProgram(program.ProgramID));
    const std::string head = "Error linking program " + std::to_string(program.ProgramID) + "!\n";
    EXPECT_EQ(output.compare(0, head.size(), head), 0) << output;
    EXPECT_GT(output.size(), head.size()) << "the program log follows";
    EXPECT_EQ(output.find("not a valid glsl program variable"), std::string::npos);
    EXPECT_EQ(program.BodyDataBuffer, 0u);
    EXPECT_EQ(program.CollisionDataBuffer, 0u);
    EXPECT_EQ(program.ColliderBuffer, 0u);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
}

TEST(PhysicsProgramLoad, ReloadReleasesTheEarlierProgramShaderAndBuffers)
{
    CPhysicsShaderProgram program;
    ASSERT_TRUE(Load(program, RealShader("BoxColl.glcs")));
    const GLuint oldProgram = program.ProgramID;
    const GLuint oldBuffers[3] = {program.BodyDataBuffer, program.CollisionDataBuffer, program.ColliderBuffer};
    GLuint oldShader = 0;
    GLsizei shaderCount = 0;
    glGetAttachedShaders(oldProgram, 1, &shaderCount, &oldShader);
    ASSERT_EQ(shaderCount, 1);

    // A failed reload creates nothing that could take over the old names.
    EXPECT_FALSE(Load(program, Fixture("NoSuchShader.glcs")));
    EXPECT_FALSE(glIsProgram(oldProgram));
    EXPECT_FALSE(glIsShader(oldShader));
    for (GLuint buffer : oldBuffers) {
        EXPECT_FALSE(glIsBuffer(buffer)) << "buffer " << buffer;
    }
    EXPECT_EQ(program.ProgramID, 0u);
    EXPECT_EQ(program.CollisionDataBuffer, 0u);

    ASSERT_TRUE(Load(program, RealShader("BoxColl.glcs")));
    PlaceOneTouchingPair(program);
    program.Bind();
    program.RunCollisionPass();
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
    ExpectOnlyPairTouches(program);
}

// --- The pass --------------------------------------------------------------

TEST(CollisionPass, ResultsLandAtTheirByteOffsetsFor50Bodies)
{
    CPhysicsShaderProgram program;
    ASSERT_TRUE(Load(program, Fixture("LayoutPattern.glcs")));
    program.Bind();
    program.RunCollisionPass();
    ASSERT_EQ(glGetError(), GL_NO_ERROR);

    ASSERT_EQ(sizeof(program.CollisionData), 1200u);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&program.CollisionData);
    for (int i = 0; i < N; ++i) {
        SCOPED_TRACE(i);
        const float f = static_cast<float>(i);
        const size_t k = static_cast<size_t>(i);
        EXPECT_EQ(ReadFloat(bytes, 0 + 8 * k), 1000.0f + f);
        EXPECT_EQ(ReadFloat(bytes, 4 + 8 * k), 2000.0f + f);
        EXPECT_EQ(ReadFloat(bytes, 400 + 8 * k), 3000.0f + f);
        EXPECT_EQ(ReadFloat(bytes, 404 + 8 * k), 4000.0f + f);
        EXPECT_EQ(ReadFloat(bytes, 800 + 4 * k), 5000.0f + f);
        std::int32_t index = 0;
        std::memcpy(&index, bytes + 1000 + 4 * k, sizeof(index));
        EXPECT_EQ(index, 6000 + i);

        glm::vec2 hitPoint;
        glm::vec2 normal;
        float offset = 0.0f;
        int hitBody = 0;
        program.GetCollisionData(i, hitPoint, normal, offset, hitBody);
        EXPECT_EQ(normal, glm::vec2(1000.0f + f, 2000.0f + f));
        EXPECT_EQ(hitPoint, glm::vec2(3000.0f + f, 4000.0f + f));
        EXPECT_EQ(offset, 5000.0f + f);
        EXPECT_EQ(hitBody, 6000 + i);
    }
    EXPECT_EQ(BoundBuffer(GL_SHADER_STORAGE_BUFFER_BINDING), 0);
    EXPECT_EQ(BoundBuffer(GL_ARRAY_BUFFER_BINDING), 0);
}

TEST(CollisionPass, FirstPassSeesThePlaceholderBodiesAndTheColliderSize)
{
    CPhysicsShaderProgram program;
    ASSERT_TRUE(Load(program, Fixture("EchoInputs.glcs")));
    program.Bind();
    program.RunCollisionPass();
    ASSERT_EQ(glGetError(), GL_NO_ERROR);

    for (int j = 0; j < N; ++j) {
        SCOPED_TRACE(j);
        const float s = std::sin(static_cast<float>(2 * j) * 0.1f);
        EXPECT_EQ(program.CollisionData.HitPoints[j], glm::vec2(s, 0.5f));
        EXPECT_EQ(program.CollisionData.Normals[j], glm::vec2(0.5f * s, 0.5f * s));
        EXPECT_EQ(program.CollisionData.Offsets[j], 0.1f);
        EXPECT_EQ(program.CollisionData.HitBodyIndices[j], 100 + j);
    }
}

TEST(CollisionPass, BodiesTheShaderSkipsAreClearedButKeepTheirLastIndex)
{
    CPhysicsShaderProgram program;
    ASSERT_TRUE(Load(program, Fixture("EchoInputs.glcs")));
    program.Bind();
    program.RunCollisionPass(); // every placeholder body lies above y = 0

    // Even bodies drop below y = 0, so the shader writes nothing for them.
    for (int j = 0; j < N; ++j) {
        const float y = j % 2 == 0 ? -1.0f : 0.25f;
        program.SetBodyData(j, glm::vec2(static_cast<float>(j), y), glm::vec2(-2.0f, 3.0f));
    }
    program.Bind();
    program.RunCollisionPass();
    ASSERT_EQ(glGetError(), GL_NO_ERROR);

    for (int j = 0; j < N; ++j) {
        SCOPED_TRACE(j);
        EXPECT_EQ(program.CollisionData.HitBodyIndices[j], 100 + j);
        if (j % 2 == 0) {
            EXPECT_EQ(program.CollisionData.Normals[j], glm::vec2(0.0f, 0.0f));
            EXPECT_EQ(program.CollisionData.HitPoints[j], glm::vec2(0.0f, 0.0f));
            EXPECT_EQ(program.CollisionData.Offsets[j], -1.0f);
        } else {
            EXPECT_EQ(program.CollisionData.HitPoints[j], glm::vec2(static_cast<float>(j), 0.25f));
            EXPECT_EQ(program.CollisionData.Normals[j], glm::vec2(-2.0f, 3.0f));
        }
    }
}

TEST(CollisionPass, ShaderThatWritesNothingLeavesNoContacts)
{
    CPhysicsShaderProgram program;
    ASSERT_TRUE(Load(program, Fixture("UsesUniforms.glcs")));
    DirtyCollisionMirror(program);
    program.Bind();
    program.RunCollisionPass();
    ASSERT_EQ(glGetError(), GL_NO_ERROR);
    ExpectNoContacts(program);
    for (int i = 0; i < N; ++i) {
        EXPECT_EQ(program.CollisionData.HitBodyIndices[i], 7);
    }
}

class CollisionPassAfterFailedLoad : public testing::TestWithParam<const char*> {};

TEST_P(CollisionPassAfterFailedLoad, OnlyClearsTheMirror)
{
    CPhysicsShaderProgram program;
    ASSERT_FALSE(Load(program, Fixture(GetParam())));
    DrainGlErrors();
    DirtyCollisionMirror(program);

    // Binding a program that did not link is an error of its own, which
    // the caller's Bind raises; the pass must add none.
    program.Bind();
    DrainGlErrors();
    program.RunCollisionPass();
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
    ExpectNoContacts(program);
    for (int i = 0; i < N; ++i) {
        EXPECT_EQ(program.CollisionData.HitBodyIndices[i], 7);
    }
    glUseProgram(0);
}

INSTANTIATE_TEST_SUITE_P(Failures, CollisionPassAfterFailedLoad,
                         testing::Values("NoSuchShader.glcs", "DoesNotCompile.glcs", "DoesNotLink.glcs"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             const std::string file = info.param;
                             return file.substr(0, file.find('.'));
                         });

enum class MappedByTest { CollisionData, BodyData };

class CollisionPassMapFailure : public testing::TestWithParam<MappedByTest> {};

TEST_P(CollisionPassMapFailure, ReportsOnceAndHandsBackNoStaleContacts)
{
    CPhysicsShaderProgram program;
    ASSERT_TRUE(Load(program, RealShader("BoxColl.glcs")));
    PlaceOneTouchingPair(program);
    program.Bind();
    program.RunCollisionPass();
    ExpectOnlyPairTouches(program);

    // A buffer that is already mapped cannot be mapped again.
    const GLuint blocked =
        GetParam() == MappedByTest::CollisionData ? program.CollisionDataBuffer : program.BodyDataBuffer;
    glBindBuffer(GL_COPY_WRITE_BUFFER, blocked);
    ASSERT_NE(glMapBuffer(GL_COPY_WRITE_BUFFER, GL_READ_ONLY), nullptr);

    testing::internal::CaptureStdout();
    for (int frame = 0; frame < 3; ++frame) {
        program.Bind();
        program.RunCollisionPass();
        ExpectNoContacts(program);
        EXPECT_EQ(program.CollisionData.HitBodyIndices[0], 1) << "index slots keep the last read-back";
        EXPECT_EQ(BoundBuffer(GL_SHADER_STORAGE_BUFFER_BINDING), 0);
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Unable to map storage buffer " + std::to_string(blocked) + "!\n");
    DrainGlErrors();

    glBindBuffer(GL_COPY_WRITE_BUFFER, blocked);
    glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
    testing::internal::CaptureStdout();
    program.Bind();
    program.RunCollisionPass();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
    ExpectOnlyPairTouches(program);
}

INSTANTIATE_TEST_SUITE_P(Buffers, CollisionPassMapFailure,
                         testing::Values(MappedByTest::CollisionData, MappedByTest::BodyData),
                         [](const testing::TestParamInfo<MappedByTest>& info) {
                             return std::string(info.param == MappedByTest::CollisionData ? "CollisionData"
                                                                                          : "BodyData");
                         });
