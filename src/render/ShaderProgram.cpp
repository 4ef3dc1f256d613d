#include "render/ShaderProgram.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

CShaderProgram::CShaderProgram() : ProgramID(0) {}

CShaderProgram::~CShaderProgram()
{
    // Called explicitly so the base's own slot runs, as a destructor must.
    CShaderProgram::FreeProgram();
}

void CShaderProgram::FreeProgram()
{
    // Forget the name once it is deleted: a second call must not delete a
    // name that GL may since have handed to another object.
    if (ProgramID != 0) {
        glDeleteProgram(ProgramID);
        ProgramID = 0;
    }
}

bool CShaderProgram::Bind()
{
    glUseProgram(ProgramID);
    return true;
}

GLuint CShaderProgram::LoadShaderFromFile(std::string path, GLenum shaderType)
{
    GLuint shaderID = 0;

    // A folder opens as a stream on Linux but cannot be read: treat it like a
    // file that is not there rather than compiling an empty source.
    std::error_code error;
    std::ifstream sourceFile;
    if (!std::filesystem::is_directory(path, error)) {
        sourceFile.open(path.c_str());
    }
    if (!sourceFile.is_open()) {
        std::printf("Unable to open file %s\n", path.c_str());
        return shaderID;
    }

    const std::string shaderString((std::istreambuf_iterator<char>(sourceFile)), std::istreambuf_iterator<char>());

    shaderID = glCreateShader(shaderType);
    const GLchar* shaderSource = shaderString.c_str();
    glShaderSource(shaderID, 1, &shaderSource, nullptr);
    glCompileShader(shaderID);

    GLint shaderCompiled = GL_FALSE;
    glGetShaderiv(shaderID, GL_COMPILE_STATUS, &shaderCompiled);
    if (shaderCompiled != GL_TRUE) {
        std::printf("Unable to compile shader %d!\n\nSource:\n%s\n", shaderID, shaderSource);
        PrintShaderLog(shaderID);
        glDeleteShader(shaderID);
        shaderID = 0;
    }
    return shaderID;
}

namespace {

using GetParameter = void(GLAPIENTRY*)(GLuint, GLenum, GLint*);
using GetInfoLog = void(GLAPIENTRY*)(GLuint, GLsizei, GLsizei*, GLchar*);

// Programs and shaders keep their logs alike; only the entry points differ.
// The buffer is sized by GL's own report, which counts the terminating NUL.
void PrintInfoLog(GLuint name, GetParameter getParameter, GetInfoLog getInfoLog)
{
    GLint infoLogLength = 0;
    GLint maxLength = 0;
    getParameter(name, GL_INFO_LOG_LENGTH, &maxLength);
    if (maxLength <= 0) {
        return; // an empty log has length 0; no buffer is needed
    }

    std::vector<char> infoLog(static_cast<size_t>(maxLength));
    getInfoLog(name, maxLength, &infoLogLength, infoLog.data());
    if (infoLogLength > 0) {
        std::printf("%s\n", infoLog.data());
    }
}

} // namespace

void CShaderProgram::PrintProgramLog(GLuint program)
{
    if (!glIsProgram(program)) {
        std::printf("Name %d is not a program\n", program);
        return;
    }
    PrintInfoLog(program, glGetProgramiv, glGetProgramInfoLog);
}

void CShaderProgram::PrintShaderLog(GLuint shader)
{
    if (!glIsShader(shader)) {
        std::printf("Name %d is not a shader\n", shader);
        return;
    }
    PrintInfoLog(shader, glGetShaderiv, glGetShaderInfoLog);
}

GLint CShaderProgram::LocateUniform(const char* name)
{
    const GLint location = glGetUniformLocation(ProgramID, name);
    if (location == -1) {
        std::printf("%s is not a valid glsl program variable!\n", name);
    }
    return location;
}
