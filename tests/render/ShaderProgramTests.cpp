// The shader-program base on a real context: reading and compiling source
// files, printing info logs, making a program current and freeing it. Every
// failure row compares the console output exactly and checks that no shader
// or program object is left behind.
#include "RenderTestSupport.h"

#include "render/ShaderProgram.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// The base with nothing of its own: LoadProgram is not under test here.
class CBareProgram : public CShaderProgram {
public:
    bool LoadProgram(std::string) override
    {
        return false;
    }
};

const std::string kRealVertexFile = std::string(CORVANE_SOURCE_SHADER_DIR) + "/LPlainPolygonProgram2D.glvs";
const std::string kRealFragmentFile = std::string(CORVANE_SOURCE_SHADER_DIR) + "/LPlainPolygonProgram2D.glfs";

// What LoadShaderFromFile prints when a source does not compile. An empty
// compiler log prints nothing after the source.
std::string CompileFailureOutput(GLuint shader, const std::string& source, const std::string& log)
{
    return "Unable to compile shader " + std::to_string(shader) + "!\n\nSource:\n" + source + "\n" +
           (log.empty() ? std::string() : log + "\n");
}

// The shader number at the head of a compile-failure message, or 0.
GLuint PrintedShaderName(const std::string& output)
{
    const std::string head = "Unable to compile shader ";
    if (output.compare(0, head.size(), head) != 0) {
        return 0;
    }
    return static_cast<GLuint>(std::strtoul(output.c_str() + head.size(), nullptr, 10));
}

// A vertex source of several megabytes: a long run of comment lines, then
// the given main.
std::string HugeVertexSource(const std::string& mainFunction)
{
    std::string source = "#version 430 core\n";
    const std::string filler = "// filler that makes this source far larger than any buffer of fixed size\n";
    while (source.size() < 4u * 1024u * 1024u) {
        source += filler;
    }
    return source + mainFunction;
}

class ShaderProgramBase : public GlTest {
protected:
    CBareProgram program;
};

// --- LoadShaderFromFile: files that cannot be opened -------------------------

struct UnreadablePath {
    const char* what;
    std::string path;
};

class UnreadableSource : public ShaderProgramBase, public testing::WithParamInterface<UnreadablePath> {};

TEST_P(UnreadableSource, PrintsThePathAndCreatesNoShader)
{
    const std::string path = GetParam().path;
    const auto before = LiveShadersAndPrograms();
    GLuint shader = 1234;

    const std::string output = CaptureOutput([&] { shader = program.LoadShaderFromFile(path, GL_VERTEX_SHADER); });

    EXPECT_EQ(output, "Unable to open file " + path + "\n");
    EXPECT_EQ(shader, 0u);
    EXPECT_EQ(LiveShadersAndPrograms(), before);
}

INSTANTIATE_TEST_SUITE_P(Paths, UnreadableSource,
                         testing::Values(UnreadablePath{"MissingFile", RenderFixture("no_such_file.glvs")},
                                         // A folder opens as a stream on Linux but holds no text.
                                         UnreadablePath{"Folder", RenderFixture("compile_failure")},
                                         UnreadablePath{"EmptyPath", ""}),
                         [](const testing::TestParamInfo<UnreadablePath>& info) { return info.param.what; });

// --- LoadShaderFromFile: sources that do not compile -------------------------

struct BrokenSource {
    const char* what;
    // The file is made by the test when it is not a fixture.
    std::string fixture;
    std::string generated;
};

class UncompilableSource : public ShaderProgramBase, public testing::WithParamInterface<BrokenSource> {};

TEST_P(UncompilableSource, PrintsNumberSourceAndLogThenDeletesTheShader)
{
    CScratchFolder scratch(std::string("uncompilable-") + GetParam().what);
    std::string path = GetParam().fixture;
    if (path.empty()) {
        path = scratch.File("generated.glvs");
        WriteWholeFile(path, GetParam().generated);
    }
    const std::string source = ReadWholeFile(path);

    // The compiler's own log for the same text, to compare the print with.
    const GLuint reference = CompileShader(GL_VERTEX_SHADER, source);
    const std::string log = ShaderLog(reference);
    glDeleteShader(reference);
    ASSERT_FALSE(log.empty()) << "the fixture must make the compiler say why";

    const auto before = LiveShadersAndPrograms();
    GLuint shader = 1234;
    const std::string output = CaptureOutput([&] { shader = program.LoadShaderFromFile(path, GL_VERTEX_SHADER); });

    const GLuint printed = PrintedShaderName(output);
    ASSERT_NE(printed, 0u) << output.substr(0, 200);
    EXPECT_TRUE(output == CompileFailureOutput(printed, source, log))
        << "output of " << output.size() << " characters:\n"
        << output.substr(0, 2000);
    EXPECT_EQ(shader, 0u);
    EXPECT_FALSE(glIsShader(printed));
    EXPECT_EQ(LiveShadersAndPrograms(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, UncompilableSource,
    testing::Values(BrokenSource{"UndeclaredName", RenderFixture("compile_failure/LPlainPolygonProgram2D.glvs"), ""},
                    BrokenSource{"EmptyFile", RenderFixture("empty.glsl"), ""},
                    // Several megabytes, printed whole: nothing is cut at a buffer size.
                    BrokenSource{"HugeFile", "", HugeVertexSource("void main() { gl_Position = Undeclared; }\n")}),
    [](const testing::TestParamInfo<BrokenSource>& info) { return info.param.what; });

TEST_F(ShaderProgramBase, InvalidStageReportsShaderZero)
{
    const std::string source = ReadWholeFile(kRealVertexFile);
    const auto before = LiveShadersAndPrograms();
    GLuint shader = 1234;

    const std::string output =
        CaptureOutput([&] { shader = program.LoadShaderFromFile(kRealVertexFile, GL_TEXTURE_2D); });

    // No shader object exists, so the compile status stays false and the
    // log printer finds no shader named 0.
    EXPECT_EQ(output, "Unable to compile shader 0!\n\nSource:\n" + source + "\nName 0 is not a shader\n");
    EXPECT_EQ(shader, 0u);
    EXPECT_EQ(LiveShadersAndPrograms(), before);
    EXPECT_EQ(TakeGlErrors(), static_cast<GLenum>(GL_INVALID_ENUM));
}

// --- LoadShaderFromFile: sources that compile --------------------------------

struct GoodSource {
    const char* what;
    GLenum stage;
    std::string fixture;
    std::string generated;
};

class CompilableSource : public ShaderProgramBase, public testing::WithParamInterface<GoodSource> {};

TEST_P(CompilableSource, YieldsACompiledShaderOfTheWholeFileSilently)
{
    CScratchFolder scratch(std::string("compilable-") + GetParam().what);
    std::string path = GetParam().fixture;
    if (path.empty()) {
        path = scratch.File("generated.glvs");
        WriteWholeFile(path, GetParam().generated);
    }
    const std::string source = ReadWholeFile(path);
    GLuint shader = 0;

    const std::string output = CaptureOutput([&] { shader = program.LoadShaderFromFile(path, GetParam().stage); });

    EXPECT_EQ(output, "");
    ASSERT_NE(shader, 0u);
    ASSERT_TRUE(glIsShader(shader));
    GLint type = 0;
    GLint compiled = GL_FALSE;
    GLint sourceLength = 0;
    glGetShaderiv(shader, GL_SHADER_TYPE, &type);
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    glGetShaderiv(shader, GL_SHADER_SOURCE_LENGTH, &sourceLength);
    EXPECT_EQ(static_cast<GLenum>(type), GetParam().stage);
    EXPECT_EQ(compiled, GL_TRUE);
    // The length GL reports counts the terminating NUL.
    EXPECT_EQ(static_cast<size_t>(sourceLength), source.size() + 1);
    glDeleteShader(shader); // the caller owns it
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CompilableSource,
    testing::Values(GoodSource{"RealVertexStage", GL_VERTEX_SHADER, kRealVertexFile, ""},
                    GoodSource{"RealFragmentStage", GL_FRAGMENT_SHADER, kRealFragmentFile, ""},
                    GoodSource{"HugeFile", GL_VERTEX_SHADER, "",
                               HugeVertexSource("void main() { gl_Position = vec4(0.0, 0.0, 0.0, 1.0); }\n")}),
    [](const testing::TestParamInfo<GoodSource>& info) { return info.param.what; });

// --- PrintProgramLog and PrintShaderLog --------------------------------------

TEST_F(ShaderProgramBase, NamesOfTheWrongKindAreReported)
{
    const GLuint shader = glCreateShader(GL_VERTEX_SHADER);
    const GLuint other = glCreateProgram();
    const GLuint unused = 900000;

    struct Row {
        bool programLog;
        GLuint name;
        std::string expected;
    };
    const Row rows[] = {
        {true, 0, "Name 0 is not a program\n"},
        {true, shader, "Name " + std::to_string(shader) + " is not a program\n"},
        {true, unused, "Name 900000 is not a program\n"},
        {false, 0, "Name 0 is not a shader\n"},
        {false, other, "Name " + std::to_string(other) + " is not a shader\n"},
        {false, unused, "Name 900000 is not a shader\n"},
    };
    for (const Row& row : rows) {
        const std::string output = CaptureOutput([&] {
            if (row.programLog) {
                program.PrintProgramLog(row.name);
            } else {
                program.PrintShaderLog(row.name);
            }
        });
        EXPECT_EQ(output, row.expected);
    }
    glDeleteShader(shader);
    glDeleteProgram(other);
}

TEST_F(ShaderProgramBase, EmptyLogsPrintNothing)
{
    const GLuint shader = CompileShader(GL_VERTEX_SHADER, ReadWholeFile(kRealVertexFile));
    const GLuint linked = LinkProgram(ReadWholeFile(kRealVertexFile), ReadWholeFile(kRealFragmentFile));
    GLint shaderLogLength = -1;
    GLint programLogLength = -1;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &shaderLogLength);
    glGetProgramiv(linked, GL_INFO_LOG_LENGTH, &programLogLength);
    ASSERT_EQ(shaderLogLength, 0);
    ASSERT_EQ(programLogLength, 0);

    EXPECT_EQ(CaptureOutput([&] { program.PrintShaderLog(shader); }), "");
    EXPECT_EQ(CaptureOutput([&] { program.PrintProgramLog(linked); }), "");

    glDeleteShader(shader);
    glDeleteProgram(linked);
}

TEST_F(ShaderProgramBase, LogsArePrintedWholeWithALineEnd)
{
    // A program log far longer than the 512 characters that the link report
    // of the polygon program keeps: this printer keeps all of it.
    const GLuint unlinked = LinkProgram(ReadWholeFile(RenderFixture("link_failure/LPlainPolygonProgram2D.glvs")),
                                        ReadWholeFile(RenderFixture("link_failure/LPlainPolygonProgram2D.glfs")));
    const std::string programLog = ProgramLog(unlinked);
    ASSERT_GT(programLog.size(), 600u);
    const GLuint broken =
        CompileShader(GL_VERTEX_SHADER, ReadWholeFile(RenderFixture("compile_failure/LPlainPolygonProgram2D.glvs")));
    const std::string shaderLog = ShaderLog(broken);
    ASSERT_FALSE(shaderLog.empty());

    EXPECT_EQ(CaptureOutput([&] { program.PrintProgramLog(unlinked); }), programLog + "\n");
    EXPECT_EQ(CaptureOutput([&] { program.PrintShaderLog(broken); }), shaderLog + "\n");

    glDeleteProgram(unlinked);
    glDeleteShader(broken);
}

// --- Bind and FreeProgram ----------------------------------------------------

TEST_F(ShaderProgramBase, BindMakesTheProgramCurrent)
{
    program.ProgramID = LinkProgram(ReadWholeFile(kRealVertexFile), ReadWholeFile(kRealFragmentFile));
    glUseProgram(0);

    EXPECT_TRUE(program.Bind());

    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), program.ProgramID);
    glUseProgram(0);
}

TEST_F(ShaderProgramBase, BindWithoutAProgramMakesNoneCurrent)
{
    const GLuint other = LinkProgram(ReadWholeFile(kRealVertexFile), ReadWholeFile(kRealFragmentFile));
    glUseProgram(other);
    ASSERT_EQ(program.ProgramID, 0u);

    EXPECT_TRUE(program.Bind());

    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    glDeleteProgram(other);
}

TEST_F(ShaderProgramBase, BindOfAnUnlinkedProgramLeavesTheErrorPending)
{
    program.ProgramID = glCreateProgram();

    EXPECT_TRUE(program.Bind());

    EXPECT_EQ(TakeGlErrors(), static_cast<GLenum>(GL_INVALID_OPERATION));
}

TEST_F(ShaderProgramBase, FreeProgramDeletesOnceAndForgetsTheName)
{
    const auto before = LiveShadersAndPrograms();
    program.ProgramID = LinkProgram(ReadWholeFile(kRealVertexFile), ReadWholeFile(kRealFragmentFile));
    const GLuint name = program.ProgramID;

    program.FreeProgram();
    EXPECT_EQ(program.ProgramID, 0u);
    EXPECT_FALSE(glIsProgram(name));
    EXPECT_EQ(LiveShadersAndPrograms(), before); // its shaders went with it

    // A second call deletes nothing, not even an object that took the name since.
    const GLuint successor = glCreateProgram();
    program.FreeProgram();
    EXPECT_TRUE(glIsProgram(successor));
    glDeleteProgram(successor);
}

TEST_F(ShaderProgramBase, DestructionFreesTheProgram)
{
    const auto before = LiveShadersAndPrograms();
    GLuint name = 0;
    {
        CBareProgram loaded;
        loaded.ProgramID = LinkProgram(ReadWholeFile(kRealVertexFile), ReadWholeFile(kRealFragmentFile));
        name = loaded.ProgramID;
        ASSERT_TRUE(glIsProgram(name));
    }
    EXPECT_FALSE(glIsProgram(name));
    EXPECT_EQ(LiveShadersAndPrograms(), before);

    // One that was never loaded holds no name and raises no error.
    {
        CBareProgram neverLoaded;
    }
}

} // namespace
