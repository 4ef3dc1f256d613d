#include "physics/RigidBody.h"

#include "app/BuildConfig.h"
#include "app/LifetimeTrace.h"
#include "physics/UnitVector.h"
#include "render/BodyMesh.h"
#include "render/GlLoaded.h"
#include "render/PlainPolyProgram.h"

#include <glm/common.hpp>
#include <glm/geometric.hpp>

namespace {

// Coincident centres give no direction to push along. Both pair forms then
// separate the bodies along the y axis (the axis a tie keeps in the box
// form), so no non-finite value ever reaches a body.
const glm::vec2 kCoincidentNormal(0.0f, 1.0f);

} // namespace

CRigidBody::CRigidBody()
    : Velocity(-1.0f, 1.0f)
    , Position(1.0f, 1.0f)
    , Angle(0.0f)
    , Restitution(0.7f)
    , Gravity(5.0f)
    , Collider()
    , VertexBuffer(0)
    , VertexArray(0)
    , Program(nullptr)
{
}

CRigidBody::~CRigidBody()
{
    CORVANE_TRACE_DESTROYED("CRigidBody");
    ReleaseGraphics();
}

void CRigidBody::Integrate(double dt)
{
    // Explicit Euler: the position advances with the velocity from before
    // gravity is applied. Sums in double, stored in float.
    Position.y = static_cast<float>(Position.y + Velocity.y * dt);
    Position.x = static_cast<float>(Position.x + Velocity.x * dt);
    Collider.Center = Position;
    Velocity.y = static_cast<float>(Velocity.y - Gravity * dt);
}

void CRigidBody::Draw()
{
    // A body that was never given a program has nothing to draw with; this
    // also keeps GL-free uses of bodies (tests, tools) away from GL.
    if (Program == nullptr || !GlLoaded()) {
        return;
    }
    Program->SetObjectPos(Position.x, Position.y, 0.0f, 0.0f);
    Program->SetRotation(Angle);
    glBindVertexArray(VertexArray);
    glDrawArrays(GL_TRIANGLES, 0, CBodyMesh::kVertexCount);
    glBindVertexArray(0);
}

void CRigidBody::SetVelocity(float x, float y)
{
    Velocity = glm::vec2(x, y);
}

void CRigidBody::SetPosition(glm::vec2 p)
{
    Position = p;
}

void CRigidBody::AddVelocity(float dx, float dy)
{
    Velocity += glm::vec2(dx, dy);
}

void CRigidBody::ResolveContact(glm::vec2 normal, glm::vec2 /*hitPoint*/, BoxCollider* /*hitCollider*/, float offset,
                                CRigidBody* /*hitBody*/)
{
    // Reflection whatever the direction of motion: a body already moving
    // away is turned back. No mass, no impulse exchange, no friction.
    Velocity = (Velocity - normal * glm::dot(normal, Velocity) * 2.0f) * Restitution;
    Position.x += normal.x * offset;
    Position.y += normal.y * offset;
}

void CRigidBody::CollideWith(CRigidBody* other)
{
    if constexpr (BuildConfig::bodyShape == BodyShape::Box) {
        CollideAsBox(other);
    } else {
        CollideAsCircle(other);
    }
}

void CRigidBody::CollideAsBox(CRigidBody* other)
{
    if (other == this) {
        return;
    }
    BoxCollider* a = GetCollider();
    BoxCollider* b = other->GetCollider();

    const glm::vec2 AtoBVec = b->Center - a->Center;
    const glm::vec2 ClosestPoint = ClosestPointInBox(AtoBVec, a->Width / 2.0f, a->Height / 2.0f);
    const glm::vec2 otherClosestPoint = ClosestPointInBox(-AtoBVec, b->Width / 2.0f, b->Height / 2.0f);

    // Subtracting the other box's closest point (not adding it) means equal
    // boxes touch only when their centres are closer than a quarter of the
    // size on both axes. Kept as the benchmark's own contact rule.
    const glm::vec2 AToClosestPoint = AtoBVec - otherClosestPoint;
    if (!(glm::abs(AToClosestPoint.x) < a->Width / 2.0f && glm::abs(AToClosestPoint.y) < a->Height / 2.0f)) {
        return;
    }

    const float offset = (glm::length(AtoBVec) - a->Width) / 2.0f;

    glm::vec2 normal = AtoBVec;
    if (glm::abs(normal.x) > glm::abs(normal.y)) {
        normal.y = 0.0f;
    } else {
        normal.x = 0.0f; // a tie keeps the y axis
    }
    // UnitVector, not glm::normalize: a separation so small that its square
    // underflows must still give a unit vector.
    normal = normal == glm::vec2(0.0f) ? kCoincidentNormal : UnitVector(normal);

    // The normal points from this body to the other and the offset is
    // negative, so this body moves away against the normal, the other with it.
    ResolveContact(normal, ClosestPoint, b, offset, other);
    other->ResolveContact(-normal, otherClosestPoint, b, offset, other);
}

void CRigidBody::CollideAsCircle(CRigidBody* other)
{
    if (other == this) {
        return;
    }
    BoxCollider* a = GetCollider();
    BoxCollider* b = other->GetCollider();

    const float radius = a->Width / 2.0f; // Width is the diameter
    const glm::vec2 vFromToVec = a->Center - b->Center;
    const float distance = glm::length(vFromToVec);
    if (!(distance < radius)) {
        return;
    }

    // Points from the other body towards this one; the offset is positive.
    const glm::vec2 normal = distance == 0.0f ? kCoincidentNormal : glm::normalize(vFromToVec);
    const float offset = radius - distance;
    const glm::vec2 vHitPoint = b->Center + normal * (b->Width / 2.0f);

    ResolveContact(normal, vHitPoint, b, offset, nullptr);
    other->ResolveContact(-normal, vHitPoint, b, offset, nullptr);
}

glm::vec2 CRigidBody::ClosestPointInBox(glm::vec2 v, float halfWidth, float halfHeight) const
{
    return glm::vec2(glm::min(glm::max(v.x, -halfWidth), halfWidth), glm::min(glm::max(v.y, -halfHeight), halfHeight));
}

void CRigidBody::SetShape(float x, float y, float width, float height)
{
    Position = glm::vec2(x, y);
    Collider = BoxCollider(x, y, width, height);
}

void CRigidBody::SetMesh(CBodyMesh* mesh)
{
    VertexBuffer = mesh->VertexBuffer;
    VertexArray = mesh->VertexArray;
}

void CRigidBody::SetProgram(CPlainPolyProgram* program)
{
    Program = program;
}

BoxCollider* CRigidBody::GetCollider()
{
    return &Collider;
}

glm::vec2 CRigidBody::GetPosition() const
{
    return Position;
}

glm::vec2 CRigidBody::GetVelocity() const
{
    return Velocity;
}

void CRigidBody::ReleaseGraphics()
{
    // Every body holds the same two mesh names: the first body released
    // deletes them, and GL ignores the later deletions. A body that never
    // got graphics, or a process without a loaded GL, makes no GL call.
    const bool hasGraphics = VertexBuffer != 0 || VertexArray != 0 || Program != nullptr;
    if (hasGraphics && GlLoaded()) {
        glUseProgram(0);
        glDeleteBuffers(1, &VertexBuffer);
        glDeleteVertexArrays(1, &VertexArray);
    }
    Program = nullptr;
}
