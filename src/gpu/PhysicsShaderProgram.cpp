#include "gpu/PhysicsShaderProgram.h"

#include "app/LifetimeTrace.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int N = BuildConfig::bodyCount;

// Shader writes to storage buffers are incoherent, and
// GL_SHADER_STORAGE_BARRIER_BIT orders them only against later shader
// accesses. Mapping a buffer and glGetBufferSubData are buffer updates, which
// GL orders after earlier shader writes only behind
// GL_BUFFER_UPDATE_BARRIER_BIT; so the barriers in front of client access
// (before the uploads, before the read-back) carry both bits. Client writes
// through an unmapped mapping reach later commands without any barrier.
// Nothing stays mapped, so GL_CLIENT_MAPPED_BUFFER_BARRIER_BIT has no work.
constexpr GLbitfield kClientAccessBarriers = GL_SHADER_STORAGE_BARRIER_BIT | GL_BUFFER_UPDATE_BARRIER_BIT;

} // namespace

CPhysicsShaderProgram::CPhysicsShaderProgram()
    : ColliderSize(0.1f, 0.1f)
    , PosLocation(0)
    , ThisPosLocation(0)
    , BodyDataBuffer(0)
    , CollisionDataBuffer(0)
    , ColliderBuffer(0)
    , mapFailureReported(false)
{
    // Placeholder bodies, in single precision: the first pass of a run sees
    // these, because the world step writes the real bodies only after it.
    for (int j = 0; j < N; ++j) {
        const float s = std::sin(static_cast<float>(2 * j) * 0.1f);
        BodyData.Positions[j] = glm::vec2(s, 0.5f);
        BodyData.Velocities[j] = glm::vec2(0.5f * s, 0.5f * s);
    }
    for (int i = 0; i < N; ++i) {
        CollisionData.Normals[i] = glm::vec2(0.0f, 0.0f);
        CollisionData.HitPoints[i] = glm::vec2(0.0f, 0.0f);
        CollisionData.Offsets[i] = 0.0f;
        CollisionData.HitBodyIndices[i] = -1;
    }
}

CPhysicsShaderProgram::~CPhysicsShaderProgram()
{
    CORVANE_TRACE_DESTROYED("CPhysicsShaderProgram");
}

bool CPhysicsShaderProgram::LoadProgram(std::string path)
{
    // A repeated load replaces the earlier program and its buffers rather
    // than leaking them; a failed one leaves the object as if never loaded.
    ReleaseGlObjects();

    ProgramID = glCreateProgram();
    const GLuint computeShader = LoadShaderFromFile(path, GL_COMPUTE_SHADER);
    if (computeShader == 0) {
        glDeleteProgram(ProgramID);
        ProgramID = 0;
        std::printf("Could not find Compute Shader \n");
        std::printf("Press Enter to Continue \n");
        std::fflush(stdout); // the prompt must show before the read blocks
        // One character, discarded. At end of file, or with no standard
        // input at all, getchar yields EOF at once and start-up goes on.
        std::getchar();
        return false;
    }

    glAttachShader(ProgramID, computeShader);
    // Only flagged for deletion: it stays attached and is freed with the
    // program, so a reload does not leak it.
    glDeleteShader(computeShader);
    glLinkProgram(ProgramID);

    GLint programSuccess = GL_FALSE;
    glGetProgramiv(ProgramID, GL_LINK_STATUS, &programSuccess);
    if (programSuccess != GL_TRUE) {
        std::printf("Error linking program %d!\n", ProgramID);
        PrintProgramLog(ProgramID);
        return false;
    }

    // Looked up for the report only; the pass never sets either.
    PosLocation = LocateUniform("pos");
    ThisPosLocation = LocateUniform("thisPos");

    CreateStorageBuffers();
    return true;
}

void CPhysicsShaderProgram::RunCollisionPass()
{
    if (BodyDataBuffer == 0 || CollisionDataBuffer == 0 || ColliderBuffer == 0) {
        // Not loaded: nothing to fill, dispatch or read. The cleared mirror
        // tells the step there are no contacts, and the walls still work.
        ClearMirror();
        return;
    }

    glMemoryBarrier(kClientAccessBarriers);
    if (!ClearCollisionData() || !UploadBodyData()) {
        // The GPU holds stale or partial input: dispatching would hand last
        // frame's contacts back as new ones. The mirror is already cleared.
        glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
        return;
    }
    glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT);
    glDispatchCompute(N, N, 1);
    glMemoryBarrier(kClientAccessBarriers);
    ReadCollisionData();
}

void CPhysicsShaderProgram::SetBodyData(int index, glm::vec2 position, glm::vec2 velocity)
{
    BodyData.Positions[index] = position;
    BodyData.Velocities[index] = velocity;
}

void CPhysicsShaderProgram::GetCollisionData(int index, glm::vec2& HitPoint, glm::vec2& normal, float& fOffset,
                                             int& i_HitBodyIdx) const
{
    HitPoint = CollisionData.HitPoints[index];
    normal = CollisionData.Normals[index];
    fOffset = CollisionData.Offsets[index];
    i_HitBodyIdx = CollisionData.HitBodyIndices[index];
}

void CPhysicsShaderProgram::CreateStorageBuffers()
{
    CreateStorageBuffer(BodyDataBuffer, sizeof(BodyData), &BodyData, "shader_data", kBodyDataBinding);
    CreateStorageBuffer(CollisionDataBuffer, sizeof(CollisionData), &CollisionData, "shader_output",
                        kCollisionDataBinding);
    CreateStorageBuffer(ColliderBuffer, sizeof(ColliderSize), &ColliderSize, "BoxColliders", kColliderBinding);
}

void CPhysicsShaderProgram::CreateStorageBuffer(GLuint& buffer, GLsizeiptr size, const void* data,
                                                const char* blockName, GLuint bindingPoint)
{
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffer);
    glBufferData(GL_SHADER_STORAGE_BUFFER, size, data, GL_DYNAMIC_COPY);
    // A shader without this block (or one the compiler dropped as unused)
    // gets no assignment. Passing GL_INVALID_INDEX on would leave a GL error
    // pending for whoever calls glGetError next.
    const GLuint blockIndex = glGetProgramResourceIndex(ProgramID, GL_SHADER_STORAGE_BLOCK, blockName);
    if (blockIndex != GL_INVALID_INDEX) {
        glShaderStorageBlockBinding(ProgramID, blockIndex, bindingPoint);
    }
    glBindBufferBase(GL_SHADER_STORAGE_BUFFER, bindingPoint, buffer);
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
}

void CPhysicsShaderProgram::ReleaseGlObjects()
{
    FreeProgram();
    const GLuint buffers[3] = {BodyDataBuffer, CollisionDataBuffer, ColliderBuffer};
    if (buffers[0] != 0 || buffers[1] != 0 || buffers[2] != 0) {
        glDeleteBuffers(3, buffers); // GL skips the 0 names
    }
    BodyDataBuffer = 0;
    CollisionDataBuffer = 0;
    ColliderBuffer = 0;
}

void CPhysicsShaderProgram::ClearMirror()
{
    // HitBodyIndices is left alone: each slot keeps the last read-back.
    for (int i = 0; i < N; ++i) {
        CollisionData.Normals[i] = glm::vec2(0.0f, 0.0f);
        CollisionData.HitPoints[i] = glm::vec2(0.0f, 0.0f);
        CollisionData.Offsets[i] = -1.0f;
    }
}

bool CPhysicsShaderProgram::ClearCollisionData()
{
    ClearMirror();
    // The buffer stays bound; UploadBodyData rebinds the target.
    return CopyToBuffer(CollisionDataBuffer, &CollisionData, sizeof(CollisionData));
}

bool CPhysicsShaderProgram::UploadBodyData()
{
    const bool copied = CopyToBuffer(BodyDataBuffer, &BodyData, sizeof(BodyData));
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
    return copied;
}

bool CPhysicsShaderProgram::CopyToBuffer(GLuint buffer, const void* data, GLsizeiptr size)
{
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffer);
    void* mapped = glMapBuffer(GL_SHADER_STORAGE_BUFFER, GL_WRITE_ONLY);
    bool copied = false;
    if (mapped != nullptr) {
        std::memcpy(mapped, data, static_cast<size_t>(size));
        // GL_FALSE: the store was lost while mapped (a mode switch, say).
        copied = glUnmapBuffer(GL_SHADER_STORAGE_BUFFER) == GL_TRUE;
    }
    if (!copied && !mapFailureReported) {
        std::printf("Unable to map storage buffer %u!\n", buffer);
        mapFailureReported = true;
    }
    return copied;
}

void CPhysicsShaderProgram::ReadCollisionData()
{
    // Synchronous: GL waits for the dispatch before it copies.
    glBindBuffer(GL_ARRAY_BUFFER, CollisionDataBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(CollisionData), &CollisionData);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}
