#pragma once

// Helpers shared by the render tests. Everything here talks to the real GL
// context of the test program; nothing is mocked.

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <set>
#include <string>

// The fixtures of this area: tests/fixtures/render/<name>.
std::string RenderFixture(const std::string& name);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& text);

// Standard output written while f runs, exactly.
template <typename F> std::string CaptureOutput(F&& f)
{
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

// Every name that is a shader or a program object now (they share one name
// space). Two snapshots that differ show a created or a leaked object.
std::set<GLuint> LiveShadersAndPrograms();

// Reads GL's error flags until none is left; returns the first, or GL_NO_ERROR.
GLenum TakeGlErrors();

// Info logs fetched independently of the code under test, sized by GL.
std::string ShaderLog(GLuint shader);
std::string ProgramLog(GLuint program);

// Compiles source as given; the caller deletes the shader.
GLuint CompileShader(GLenum stage, const std::string& source);

// Links the two sources into a new program (whether or not it links); the
// shaders are attached and flagged for deletion, so they go with the program.
GLuint LinkProgram(const std::string& vertexSource, const std::string& fragmentSource);

// A folder of its own under the system's temporary folder, removed with the
// object, for files a test makes itself (copies, generated sources).
class CScratchFolder {
public:
    explicit CScratchFolder(const std::string& tag);
    ~CScratchFolder();

    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    const std::string& Path() const
    {
        return path;
    }
    std::string File(const std::string& name) const
    {
        return path + "/" + name;
    }

private:
    std::string path;
};

// Every GL test starts with no error pending and must leave none behind: a
// test that provokes errors takes them itself.
class GlTest : public testing::Test {
protected:
    void SetUp() override
    {
        TakeGlErrors();
    }
    void TearDown() override
    {
        EXPECT_EQ(TakeGlErrors(), static_cast<GLenum>(GL_NO_ERROR));
    }
};
