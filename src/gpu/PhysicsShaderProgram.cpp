#include "gpu/PhysicsShaderProgram.h"

#include "app/LifetimeTrace.h"

#include <cmath>

namespace {

constexpr int N = BuildConfig::bodyCount;

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
    (void)path; // TODO(gpu): build the compute program and its storage buffers
    return false;
}

void CPhysicsShaderProgram::RunCollisionPass()
{
    ClearCollisionData();
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

void CPhysicsShaderProgram::CreateStorageBuffers() {}

void CPhysicsShaderProgram::ClearCollisionData()
{
    // HitBodyIndices is left alone: each slot keeps the last read-back.
    for (int i = 0; i < N; ++i) {
        CollisionData.Normals[i] = glm::vec2(0.0f, 0.0f);
        CollisionData.HitPoints[i] = glm::vec2(0.0f, 0.0f);
        CollisionData.Offsets[i] = -1.0f;
    }
}

void CPhysicsShaderProgram::UploadBodyData() {}

void CPhysicsShaderProgram::ReadCollisionData() {}
