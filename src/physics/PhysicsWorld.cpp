#include "physics/PhysicsWorld.h"

#include "app/LifetimeTrace.h"
#include "gpu/PhysicsShaderProgram.h"
#include "physics/RigidBody.h"
#include "physics/UnitVector.h"

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

namespace {

constexpr int N = BuildConfig::bodyCount;

// A contact from the GPU moves the body by this much along its normal,
// whatever depth the pass reported.
constexpr float kGpuContactOffset = 0.05f;

// The four walls as (nx, ny, c): a point p is outside when dot(n, p) + c < 0.
// Normals point into the arena, which spans -1.5 to 1.5 on both axes.
const glm::vec3 kPlanes[4] = {
    glm::vec3(1.0f, 0.0f, 1.5f),  // left
    glm::vec3(0.0f, -1.0f, 1.5f), // top
    glm::vec3(-1.0f, 0.0f, 1.5f), // right
    glm::vec3(0.0f, 1.0f, 1.5f),  // bottom
};

} // namespace

CPhysicsWorld::CPhysicsWorld() : PhysicsProgram(nullptr), ColliderCount(0), Colliders{}, BodyCount(0), Bodies{} {}

CPhysicsWorld::~CPhysicsWorld()
{
    CORVANE_TRACE_DESTROYED("CPhysicsWorld");
}

int CPhysicsWorld::AddBody(CRigidBody* body)
{
    Bodies[BodyCount] = body;
    AddCollider(body->GetCollider());
    BodyCount += 1;
    return ColliderCount - 1;
}

int CPhysicsWorld::AddCollider(BoxCollider* collider)
{
    Colliders[ColliderCount] = collider;
    return ColliderCount++;
}

void CPhysicsWorld::SetPhysicsProgram(CPhysicsShaderProgram* program)
{
    PhysicsProgram = program;
}

glm::vec2 CPhysicsWorld::CollideWithWalls(const BoxCollider& collider, glm::vec2& hitPoint, float& offset)
{
    // Only the first penetrating (wall, corner) pair counts: a body outside
    // two walls answers the one that comes first in kPlanes this frame.
    glm::vec2 normal(0.0f, 0.0f);
    bool found = false;
    for (const glm::vec3& plane : kPlanes) {
        for (const glm::vec2& corner : collider.Corners) {
            const glm::vec2 P = collider.Center + corner;
            const float s = (P.x * plane.x + P.y * plane.y) + plane.z;
            if (s < 0.0f && !found) {
                normal = glm::vec2(plane.x, plane.y);
                offset = -s;
                hitPoint = P;
                found = true;
            }
        }
    }
    if (glm::length(normal) != 0.0f) {
        normal = glm::normalize(normal);
    }
    return normal;
}

void CPhysicsWorld::Step(float dt)
{
    if constexpr (BuildConfig::collisionExecutor == CollisionExecutor::Gpu) {
        StepGpu(dt);
    } else {
        StepCpu(dt);
    }
}

void CPhysicsWorld::StepGpu(float dt)
{
    for (int i = 0; i < N; ++i) {
        glm::vec2 HitPoint(0.0f, 0.0f);
        glm::vec2 normal(0.0f, 0.0f);
        float fOffset = 0.0f;
        int i_HitBodyIdx = -1;
        PhysicsProgram->GetCollisionData(i, HitPoint, normal, fOffset, i_HitBodyIdx);

        CRigidBody* partner = nullptr;
        if (0 <= i_HitBodyIdx && i_HitBodyIdx < N) {
            partner = Bodies[i_HitBodyIdx];
        } else {
            i_HitBodyIdx = 0;
        }

        // Only body i responds; its partner answers its own entry. A normal
        // with a NaN or infinite component is no contact: a bad read-back
        // must not poison a body. Any other non-zero normal counts, however
        // short or long.
        if (IsFinite(normal) && normal != glm::vec2(0.0f, 0.0f)) {
            Bodies[i]->ResolveContact(UnitVector(normal), HitPoint, Bodies[i_HitBodyIdx]->GetCollider(),
                                      kGpuContactOffset, partner);
        }

        AnswerWalls(*Bodies[i]);
        Bodies[i]->Integrate(static_cast<double>(dt));
    }

    for (int j = 0; j < N; ++j) {
        PhysicsProgram->SetBodyData(j, Bodies[j]->GetPosition(), Bodies[j]->GetVelocity());
    }
}

void CPhysicsWorld::StepCpu(float dt)
{
    // Every unordered pair once per frame, at the turn of its lower index;
    // the call with j == i does nothing.
    for (int i = 0; i < N; ++i) {
        for (int j = i; j < N; ++j) {
            Bodies[i]->CollideWith(Bodies[j]);
        }
        AnswerWalls(*Bodies[i]);
        Bodies[i]->Integrate(static_cast<double>(dt));
    }
}

void CPhysicsWorld::AnswerWalls(CRigidBody& body)
{
    glm::vec2 HitPoint(0.0f, 0.0f);
    float fOffset = 0.0f;
    BoxCollider HitCollider;
    const glm::vec2 normal = CollideWithWalls(*body.GetCollider(), HitPoint, fOffset);
    if (normal.x != 0.0f || normal.y != 0.0f) {
        body.ResolveContact(normal, HitPoint, &HitCollider, fOffset, nullptr);
    }
}

void CPhysicsWorld::DrawBodies()
{
    // Index order: with no depth test a later body covers an earlier one.
    for (int i = 0; i < N; ++i) {
        Bodies[i]->Draw();
    }
}
