#pragma once

#include "gpu/BodyDataBlock.h"
#include "gpu/CollisionDataBlock.h"
#include "render/ShaderProgram.h"

#include <glm/vec2.hpp>

// The GPU collision executor: one compute shader over every ordered pair of
// bodies, with CPU mirrors of its three storage buffers. Each frame the
// caller binds it and runs RunCollisionPass; the world step then reads one
// contact per body (GetCollisionData) and writes the bodies back
// (SetBodyData) for the next pass. The mirrors are fixed-size members, so a
// pass allocates nothing.
class CPhysicsShaderProgram : public CShaderProgram {
public:
    static constexpr int kBodyDataBinding = 1;
    static constexpr int kCollisionDataBinding = 2;
    static constexpr int kColliderBinding = 3;

    CPhysicsShaderProgram();
    ~CPhysicsShaderProgram() override;

    // path: the full path of the compute-shader source file.
    bool LoadProgram(std::string path) override;

    // Upload, dispatch bodyCount x bodyCount x 1 work groups, read back. The
    // caller makes this program current first. Without storage buffers (a
    // failed load), or when an upload cannot map its buffer, only the CPU
    // mirror is cleared: the step then sees no contacts instead of stale ones.
    void RunCollisionPass();

    // Mirror access only; indices 0 to bodyCount - 1, not checked.
    void SetBodyData(int index, glm::vec2 position, glm::vec2 velocity);
    void GetCollisionData(int index, glm::vec2& HitPoint, glm::vec2& normal, float& fOffset, int& i_HitBodyIdx) const;

    BodyDataBlock BodyData;
    CollisionDataBlock CollisionData;
    glm::vec2 ColliderSize;
    GLint PosLocation;
    GLint ThisPosLocation;
    GLuint BodyDataBuffer;
    GLuint CollisionDataBuffer;
    GLuint ColliderBuffer;

private:
    void CreateStorageBuffers();
    void CreateStorageBuffer(GLuint& buffer, GLsizeiptr size, const void* data, const char* blockName,
                             GLuint bindingPoint);
    void ReleaseGlObjects();
    void ClearMirror();
    // Both need the storage buffers; false when theirs could not be filled.
    bool ClearCollisionData();
    bool UploadBodyData();
    bool CopyToBuffer(GLuint buffer, const void* data, GLsizeiptr size);
    void ReadCollisionData();

    // A failed glMapBuffer is reported once per run, not every frame.
    bool mapFailureReported;
};
