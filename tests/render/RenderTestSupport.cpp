#include "RenderTestSupport.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

std::string RenderFixture(const std::string& name)
{
    return std::string(CORVANE_FIXTURE_DIR) + "/render/" + name;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.is_open()) << path;
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    EXPECT_TRUE(file.good()) << path;
}

std::set<GLuint> LiveShadersAndPrograms()
{
    // The driver hands these names out upwards from 1: a fresh name, with a
    // margin for names above a freed gap, bounds the scan.
    const GLuint probe = glCreateShader(GL_VERTEX_SHADER);
    glDeleteShader(probe);
    std::set<GLuint> live;
    for (GLuint name = 1; name < probe + 256; ++name) {
        if (glIsShader(name) || glIsProgram(name)) {
            live.insert(name);
        }
    }
    return live;
}

GLenum TakeGlErrors()
{
    GLenum first = glGetError();
    if (first == GL_NO_ERROR) {
        return first;
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    return first;
}

std::string ShaderLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return {};
    }
    std::vector<char> log(static_cast<size_t>(length));
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    return log.data();
}

std::string ProgramLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) {
        return {};
    }
    std::vector<char> log(static_cast<size_t>(length));
    glGetProgramInfoLog(program, length, nullptr, log.data());
    return log.data();
}

GLuint CompileShader(GLenum stage, const std::string& source)
{
    const GLuint shader = glCreateShader(stage);
    const GLchar* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    return shader;
}

GLuint LinkProgram(const std::string& vertexSource, const std::string& fragmentSource)
{
    const GLuint vertexShader = CompileShader(GL_VERTEX_SHADER, vertexSource);
    const GLuint fragmentShader = CompileShader(GL_FRAGMENT_SHADER, fragmentSource);
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, fragmentShader);
    glLinkProgram(program);
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);
    return program;
}

CScratchFolder::CScratchFolder(const std::string& tag)
{
    // The process id keeps parallel test programs apart.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("corvane-render-" + std::to_string(getpid()) + "-" + tag);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    path = folder.string();
}

CScratchFolder::~CScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}
