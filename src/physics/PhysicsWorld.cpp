#include "physics/PhysicsWorld.h"

// TODO(physics): the world.
CPhysicsWorld::CPhysicsWorld() : PhysicsProgram(nullptr), ColliderCount(0), Colliders{}, BodyCount(0), Bodies{} {}
CPhysicsWorld::~CPhysicsWorld() {}
int CPhysicsWorld::AddBody(CRigidBody* body)
{
    Bodies[BodyCount++] = body;
    return BodyCount - 1;
}
int CPhysicsWorld::AddCollider(BoxCollider* c)
{
    Colliders[ColliderCount] = c;
    return ColliderCount++;
}
void CPhysicsWorld::SetPhysicsProgram(CPhysicsShaderProgram* p)
{
    PhysicsProgram = p;
}
glm::vec2 CPhysicsWorld::CollideWithWalls(const BoxCollider&, glm::vec2&, float&)
{
    return glm::vec2(0.0f);
}
void CPhysicsWorld::Step(float) {}
void CPhysicsWorld::DrawBodies() {}
void CPhysicsWorld::StepGpu(float) {}
void CPhysicsWorld::StepCpu(float) {}
void CPhysicsWorld::AnswerWalls(CRigidBody&) {}
