#pragma once

#include "app/BuildConfig.h"
#include "physics/BoxCollider.h"

#include <glm/vec2.hpp>

class CRigidBody;
class CPhysicsShaderProgram;

// Knows every body by pointer and advances them once per frame. The arrays
// have the configuration's fixed capacity; Step and DrawBodies run over all
// bodyCount entries, so exactly bodyCount bodies must be registered before
// the first frame.
class CPhysicsWorld {
public:
    CPhysicsWorld();
    ~CPhysicsWorld();

    CPhysicsWorld(const CPhysicsWorld&) = delete;
    CPhysicsWorld& operator=(const CPhysicsWorld&) = delete;

    // Registers the body and its collider; returns the body's index.
    int AddBody(CRigidBody* body);
    int AddCollider(BoxCollider* collider);
    void SetPhysicsProgram(CPhysicsShaderProgram* program);

    // The wall normal for the first corner outside the arena (walls in the
    // order left, top, right, bottom), or (0, 0); hitPoint and offset are
    // written only when a wall is found.
    static glm::vec2 CollideWithWalls(const BoxCollider& collider, glm::vec2& hitPoint, float& offset);

    // One frame of collision response and integration; dt in seconds.
    void Step(float dt);
    void DrawBodies();

    CPhysicsShaderProgram* PhysicsProgram; // not owned
    int ColliderCount;
    BoxCollider* Colliders[BuildConfig::bodyCount];
    int BodyCount;
    CRigidBody* Bodies[BuildConfig::bodyCount];

private:
    void StepGpu(float dt);
    void StepCpu(float dt);
    void AnswerWalls(CRigidBody& body);
};
