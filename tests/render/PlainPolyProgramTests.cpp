// The polygon program on a real context: built from the shipped sources and
// from fixture folders that are missing a file, do not compile, do not link
// or lack a uniform. Output is compared exactly; after FreeProgram no shader
// or program object of a load remains.
#include "RenderTestSupport.h"

#include "render/PlainPolyProgram.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kRealFolder = CORVANE_SOURCE_SHADER_DIR;
const std::string kVertexFileName = "LPlainPolygonProgram2D.glvs";
const std::string kFragmentFileName = "LPlainPolygonProgram2D.glfs";

const std::string kObjectPosMissing = "ObjectPos is not a valid glsl program variable!\n";
const std::string kRotationMissing = "Rotation is not a valid glsl program variable!\n";

GLuint CurrentProgram()
{
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    return static_cast<GLuint>(current);
}

// What PrintProgramLog prints for the program: its log and a line end, or
// nothing for an empty log.
std::string PrintedLog(GLuint program)
{
    const std::string log = ProgramLog(program);
    return log.empty() ? std::string() : log + "\n";
}

// The stages attached to a program, by type.
std::vector<GLenum> AttachedStages(GLuint program)
{
    GLuint shaders[4] = {};
    GLsizei count = 0;
    glGetAttachedShaders(program, 4, &count, shaders);
    std::vector<GLenum> stages;
    for (GLsizei i = 0; i < count; ++i) {
        GLint type = 0;
        glGetShaderiv(shaders[i], GL_SHADER_TYPE, &type);
        stages.push_back(static_cast<GLenum>(type));
    }
    return stages;
}

GLint LinkStatus(GLuint program)
{
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked;
}

class PlainPolyProgramLoad : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glUseProgram(0);
        before = LiveShadersAndPrograms();
    }

    // Loads, capturing what is printed.
    std::string Load(const std::string& folder)
    {
        return CaptureOutput([&] { loaded = program.LoadProgram(folder); });
    }

    // Freeing the program must take every object of the load with it.
    void ExpectNothingLeftAfterFree()
    {
        glUseProgram(0);
        program.FreeProgram();
        EXPECT_EQ(LiveShadersAndPrograms(), before);
    }

    CPlainPolyProgram program;
    bool loaded = false;
    std::set<GLuint> before;
};

TEST_F(PlainPolyProgramLoad, ShippedSourcesLoadSilentlyWithBothUniformsActive)
{
    const std::string output = Load(kRealFolder);

    EXPECT_EQ(output, "");
    EXPECT_TRUE(loaded);
    ASSERT_NE(program.ProgramID, 0u);
    EXPECT_EQ(LinkStatus(program.ProgramID), GL_TRUE);
    EXPECT_EQ(CurrentProgram(), program.ProgramID);

    // Each uniform is active in the vertex stage, of the agreed type, at the
    // location the program keeps.
    struct Row {
        const char* name;
        GLenum type;
        GLint location;
    };
    const Row rows[] = {{"ObjectPos", GL_FLOAT_VEC4, program.ObjectPosLocation},
                        {"Rotation", GL_FLOAT, program.RotationLocation}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const GLuint index = glGetProgramResourceIndex(program.ProgramID, GL_UNIFORM, row.name);
        ASSERT_NE(index, GL_INVALID_INDEX);
        const GLenum properties[3] = {GL_TYPE, GL_LOCATION, GL_REFERENCED_BY_VERTEX_SHADER};
        GLint values[3] = {};
        glGetProgramResourceiv(program.ProgramID, GL_UNIFORM, index, 3, properties, 3, nullptr, values);
        EXPECT_EQ(static_cast<GLenum>(values[0]), row.type);
        EXPECT_NE(row.location, -1);
        EXPECT_EQ(values[1], row.location);
        EXPECT_EQ(values[2], 1);
    }

    // The shaders were flagged for deletion: only the program keeps them.
    ExpectNothingLeftAfterFree();
}

TEST_F(PlainPolyProgramLoad, MissingVertexFileIsReportedAndTheRestStillRuns)
{
    CScratchFolder folder("missing-vertex");
    std::filesystem::copy_file(kRealFolder + "/" + kFragmentFileName, folder.File(kFragmentFileName));

    const std::string output = Load(folder.Path());

    // Attaching the 0 of the missing stage is the error found at the end; a
    // program of the fragment stage alone links, so it has no uniforms.
    EXPECT_EQ(output, "Unable to open file " + folder.Path() + "/" + kVertexFileName + "\n" + kObjectPosMissing +
                          kRotationMissing + "Error binding shader! invalid value\n" + PrintedLog(program.ProgramID));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(AttachedStages(program.ProgramID), std::vector<GLenum>{GL_FRAGMENT_SHADER});
    EXPECT_EQ(LinkStatus(program.ProgramID), GL_TRUE); // the link was attempted
    EXPECT_EQ(program.ObjectPosLocation, -1);
    EXPECT_EQ(program.RotationLocation, -1);
    TakeGlErrors();
    ExpectNothingLeftAfterFree();
}

TEST_F(PlainPolyProgramLoad, MissingFolderReportsBothFilesAndTheFailedLink)
{
    const std::string folder = RenderFixture("no_such_folder");

    const std::string output = Load(folder);

    const std::string log = ProgramLog(program.ProgramID);
    ASSERT_FALSE(log.empty());
    const std::string id = std::to_string(program.ProgramID);
    EXPECT_EQ(output, "Unable to open file " + folder + "/" + kVertexFileName + "\n" + "Unable to open file " + folder +
                          "/" + kFragmentFileName + "\n" + "Error linking program " + id + "!\n" + log + "\n" +
                          kObjectPosMissing + kRotationMissing + "Error binding shader! invalid value\n" + log + "\n");
    EXPECT_FALSE(loaded);
    TakeGlErrors();
    ExpectNothingLeftAfterFree();
}

TEST_F(PlainPolyProgramLoad, VertexStageThatDoesNotCompileIsReported)
{
    const std::string folder = RenderFixture("compile_failure");
    const std::string source = ReadWholeFile(folder + "/" + kVertexFileName);
    const GLuint reference = CompileShader(GL_VERTEX_SHADER, source);
    const std::string compileLog = ShaderLog(reference);
    glDeleteShader(reference);
    ASSERT_FALSE(compileLog.empty());
    before = LiveShadersAndPrograms();

    const std::string output = Load(folder);

    // The shader's number is printed before it is deleted; read it back.
    const std::string head = "Unable to compile shader ";
    ASSERT_EQ(output.compare(0, head.size(), head), 0) << output;
    const std::string number = output.substr(head.size(), output.find('!') - head.size());
    EXPECT_EQ(output, head + number + "!\n\nSource:\n" + source + "\n" + compileLog + "\n" + kObjectPosMissing +
                          kRotationMissing + "Error binding shader! invalid value\n" + PrintedLog(program.ProgramID));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(AttachedStages(program.ProgramID), std::vector<GLenum>{GL_FRAGMENT_SHADER});
    TakeGlErrors();
    ExpectNothingLeftAfterFree();
}

TEST_F(PlainPolyProgramLoad, LinkFailureLogIsCutTo511CharactersThenPrintedWhole)
{
    const std::string output = Load(RenderFixture("link_failure"));

    const std::string log = ProgramLog(program.ProgramID);
    ASSERT_GT(log.size(), 511u) << "the fixture must fail to link with a long log";
    const std::string id = std::to_string(program.ProgramID);
    // The link report keeps what fits a 512-character buffer with its NUL;
    // the report of the GL error that making the unlinked program current
    // raised prints the log whole.
    EXPECT_EQ(output, "Error linking program " + id + "!\n" + log.substr(0, 511) + "\n" + kObjectPosMissing +
                          kRotationMissing + "Error binding shader! invalid operation\n" + log + "\n");
    EXPECT_FALSE(loaded);
    EXPECT_EQ(LinkStatus(program.ProgramID), GL_FALSE);
    EXPECT_EQ(program.ObjectPosLocation, -1);
    EXPECT_EQ(program.RotationLocation, -1);
    TakeGlErrors();
    ExpectNothingLeftAfterFree();
}

TEST_F(PlainPolyProgramLoad, UniformTheCompilerRemovedIsReportedAndIgnored)
{
    const std::string output = Load(RenderFixture("missing_uniform"));

    EXPECT_EQ(output, kObjectPosMissing);
    EXPECT_TRUE(loaded); // a linked program still draws
    EXPECT_EQ(program.ObjectPosLocation, -1);
    EXPECT_NE(program.RotationLocation, -1);
    EXPECT_EQ(CurrentProgram(), program.ProgramID);

    // GL ignores a setter at location -1, without an error.
    program.SetObjectPos(1.0f, 2.0f, 3.0f, 4.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ExpectNothingLeftAfterFree();
}

TEST_F(PlainPolyProgramLoad, ErrorPendingFromBeforeIsReportedWithTheProgramLog)
{
    glEnable(0xFFFF); // an invalid capability: GL_INVALID_ENUM stays pending

    const std::string output = Load(kRealFolder);

    // The program itself is fine; the error is reported all the same.
    EXPECT_EQ(output, "Error binding shader! invalid enumerant\n" + PrintedLog(program.ProgramID));
    EXPECT_TRUE(loaded);
    EXPECT_EQ(CurrentProgram(), program.ProgramID);
    ExpectNothingLeftAfterFree();
}

TEST_F(PlainPolyProgramLoad, LoadingAgainReplacesTheFirstProgram)
{
    Load(kRealFolder);
    const auto afterFirst = LiveShadersAndPrograms();
    ASSERT_EQ(afterFirst.size(), before.size() + 3); // program and its two shaders

    const std::string output = Load(kRealFolder);

    EXPECT_EQ(output, "");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(LiveShadersAndPrograms().size(), afterFirst.size());
    EXPECT_EQ(CurrentProgram(), program.ProgramID);
    ExpectNothingLeftAfterFree();
}

TEST_F(PlainPolyProgramLoad, DestructionFreesEverythingTheLoadMade)
{
    {
        CPlainPolyProgram scoped;
        CaptureOutput([&] { EXPECT_TRUE(scoped.LoadProgram(kRealFolder)); });
        EXPECT_EQ(LiveShadersAndPrograms().size(), before.size() + 3);
        glUseProgram(0);
    }
    EXPECT_EQ(LiveShadersAndPrograms(), before);
}

TEST_F(PlainPolyProgramLoad, SettersWriteTheCurrentProgram)
{
    CPlainPolyProgram other;
    CaptureOutput([&] {
        EXPECT_TRUE(other.LoadProgram(kRealFolder));
        EXPECT_TRUE(program.LoadProgram(kRealFolder));
    });
    ASSERT_NE(other.ObjectPosLocation, -1);
    // The same sources give the same locations in both programs.
    ASSERT_EQ(other.ObjectPosLocation, program.ObjectPosLocation);
    ASSERT_EQ(other.RotationLocation, program.RotationLocation);

    struct Row {
        CPlainPolyProgram* current;
        CPlainPolyProgram* untouched;
    };
    const Row rows[] = {{&program, &other}, {&other, &program}};
    for (const Row& row : rows) {
        for (CPlainPolyProgram* each : {&program, &other}) {
            each->Bind();
            each->SetObjectPos(0.0f, 0.0f, 0.0f, 0.0f);
            each->SetRotation(0.0f);
        }

        // The setters of `program`, whichever program is current.
        row.current->Bind();
        program.SetObjectPos(0.25f, -0.5f, 0.125f, 2.0f);
        program.SetRotation(0.75f);

        GLfloat objectPos[4] = {};
        GLfloat rotation = 0.0f;
        glGetUniformfv(row.current->ProgramID, row.current->ObjectPosLocation, objectPos);
        glGetUniformfv(row.current->ProgramID, row.current->RotationLocation, &rotation);
        EXPECT_EQ(objectPos[0], 0.25f);
        EXPECT_EQ(objectPos[1], -0.5f);
        EXPECT_EQ(objectPos[2], 0.125f);
        EXPECT_EQ(objectPos[3], 2.0f);
        EXPECT_EQ(rotation, 0.75f);

        glGetUniformfv(row.untouched->ProgramID, row.untouched->ObjectPosLocation, objectPos);
        glGetUniformfv(row.untouched->ProgramID, row.untouched->RotationLocation, &rotation);
        EXPECT_EQ(objectPos[0], 0.0f);
        EXPECT_EQ(objectPos[3], 0.0f);
        EXPECT_EQ(rotation, 0.0f);
    }
    glUseProgram(0);
}

} // namespace
