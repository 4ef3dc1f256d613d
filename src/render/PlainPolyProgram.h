#pragma once

#include "render/ShaderProgram.h"

// The vertex/fragment program that draws every body: the shared square of
// CBodyMesh, placed by the "ObjectPos" uniform and turned by "Rotation".
class CPlainPolyProgram : public CShaderProgram {
public:
    CPlainPolyProgram();
    ~CPlainPolyProgram() override;

    // folder: the ShaderFiles folder, without a trailing separator. False when
    // a stage could not be built or the program did not link.
    bool LoadProgram(std::string folder) override;

    // Both setters act on the current program, which must be this one.
    void SetObjectPos(float x, float y, float z, float w);
    void SetRotation(float rotation);

    GLint ObjectPosLocation;
    GLint RotationLocation;
};
