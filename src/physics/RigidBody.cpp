#include "physics/RigidBody.h"

// TODO(physics): the body.
CRigidBody::CRigidBody()
    : Velocity(-1.0f, 1.0f)
    , Position(1.0f, 1.0f)
    , Angle(0.0f)
    , Restitution(0.7f)
    , Gravity(5.0f)
    , VertexBuffer(0)
    , VertexArray(0)
    , Program(nullptr)
{
}
CRigidBody::~CRigidBody() {}
void CRigidBody::Integrate(double) {}
void CRigidBody::Draw() {}
void CRigidBody::SetVelocity(float x, float y)
{
    Velocity = glm::vec2(x, y);
}
void CRigidBody::SetPosition(glm::vec2 p)
{
    Position = p;
}
void CRigidBody::AddVelocity(float, float) {}
void CRigidBody::ResolveContact(glm::vec2, glm::vec2, BoxCollider*, float, CRigidBody*) {}
void CRigidBody::CollideWith(CRigidBody*) {}
void CRigidBody::CollideAsBox(CRigidBody*) {}
void CRigidBody::CollideAsCircle(CRigidBody*) {}
glm::vec2 CRigidBody::ClosestPointInBox(glm::vec2 v, float, float) const
{
    return v;
}
void CRigidBody::SetShape(float x, float y, float w, float h)
{
    Position = glm::vec2(x, y);
    Collider = BoxCollider(x, y, w, h);
}
void CRigidBody::SetMesh(CBodyMesh*) {}
void CRigidBody::SetProgram(CPlainPolyProgram* p)
{
    Program = p;
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
void CRigidBody::ReleaseGraphics() {}
