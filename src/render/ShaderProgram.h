#pragma once

#include <GL/glew.h>

#include <string>

// Base of the two GLSL programs. Owns one GL program object (ProgramID) and
// carries the file loading and info-log printing that both subclasses use.
// Every operation runs on the main thread with the GL context current; all
// messages go to standard output.
class CShaderProgram {
public:
    CShaderProgram();
    virtual ~CShaderProgram();

    CShaderProgram(const CShaderProgram&) = delete;
    CShaderProgram& operator=(const CShaderProgram&) = delete;

    // Builds ProgramID from shader files; what the path names is the subclass's.
    virtual bool LoadProgram(std::string path) = 0;

    // Deletes the program object. Safe to call more than once and before any
    // load: a name of 0 makes no GL call, so it also runs without a loader.
    virtual void FreeProgram();

    // Makes the program current. Always true; a GL error stays pending.
    bool Bind();

    // Reads the whole file and compiles it as one shader of the given stage.
    // Returns the shader name, or 0 after printing why it failed.
    GLuint LoadShaderFromFile(std::string path, GLenum shaderType);

    void PrintProgramLog(GLuint program);
    void PrintShaderLog(GLuint shader);

    GLuint ProgramID;

protected:
    // The location of an active uniform of ProgramID; -1, after a warning on
    // standard output, when the program has no such active uniform.
    GLint LocateUniform(const char* name);
};
