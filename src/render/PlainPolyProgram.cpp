#include "render/PlainPolyProgram.h"

#include "app/LifetimeTrace.h"
#include "render/PathSeparator.h"

#include <GL/glu.h>

#include <cstdio>

CPlainPolyProgram::CPlainPolyProgram() : ObjectPosLocation(0), RotationLocation(0) {}

CPlainPolyProgram::~CPlainPolyProgram()
{
    CORVANE_TRACE_DESTROYED("CPlainPolyProgram");
}

bool CPlainPolyProgram::LoadProgram(std::string folder)
{
    // A second load must not leak the first program.
    FreeProgram();

    // Every step runs whatever failed before it, so each failure is reported
    // and the result says whether the program is usable.
    const std::string VertexShaderPath = folder + kPathSeparator + "LPlainPolygonProgram2D.glvs";
    const GLuint vertexShader = LoadShaderFromFile(VertexShaderPath, GL_VERTEX_SHADER);
    const std::string FragmentShaderPath = folder + kPathSeparator + "LPlainPolygonProgram2D.glfs";
    const GLuint fragmentShader = LoadShaderFromFile(FragmentShaderPath, GL_FRAGMENT_SHADER);

    ProgramID = glCreateProgram();
    glAttachShader(ProgramID, vertexShader);
    glAttachShader(ProgramID, fragmentShader);
    glLinkProgram(ProgramID);

    GLint success = 0;
    glGetProgramiv(ProgramID, GL_LINK_STATUS, &success);
    if (success == 0) {
        GLchar infoLog[512] = {};
        glGetProgramInfoLog(ProgramID, 512, nullptr, infoLog);
        std::printf("Error linking program %d!\n%s\n", ProgramID, infoLog);
    }

    glUseProgram(ProgramID);

    // Attached shaders live on with the program and are freed with it.
    glDeleteShader(vertexShader);
    glDeleteShader(fragmentShader);

    ObjectPosLocation = LocateUniform("ObjectPos");
    RotationLocation = LocateUniform("Rotation");

    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        std::printf("Error binding shader! %s\n", reinterpret_cast<const char*>(gluErrorString(error)));
        PrintProgramLog(ProgramID);
    }

    return vertexShader != 0 && fragmentShader != 0 && success != 0;
}

void CPlainPolyProgram::SetObjectPos(float x, float y, float z, float w)
{
    glUniform4f(ObjectPosLocation, x, y, z, w);
}

void CPlainPolyProgram::SetRotation(float rotation)
{
    glUniform1f(RotationLocation, rotation);
}
