#pragma once

#include "physics/BoxCollider.h"

#include <GL/glew.h>
#include <glm/vec2.hpp>

class CBodyMesh;
class CPlainPolyProgram;

// One body of the arena: a point with a velocity and an axis-aligned
// collider, integrated by explicit Euler steps under downward gravity.
//
// Invariant: right after SetShape and right after every Integrate,
// Collider.Center == Position. ResolveContact and SetPosition move Position
// alone, so collision tests keep reading the older centre until the next
// Integrate.
//
// Bodies live by value in the application's array and are never deleted
// through a base pointer, hence no virtual destructor.
class CRigidBody {
public:
    CRigidBody();
    ~CRigidBody();

    // A body shares GL names with every other body; a copy would release
    // them twice.
    CRigidBody(const CRigidBody&) = delete;
    CRigidBody& operator=(const CRigidBody&) = delete;

    virtual void Integrate(double dt);
    virtual void Draw();
    virtual void SetVelocity(float x, float y);
    virtual void SetPosition(glm::vec2 p);
    virtual void AddVelocity(float dx, float dy);
    virtual void ResolveContact(glm::vec2 normal, glm::vec2 hitPoint, BoxCollider* hitCollider, float offset,
                                CRigidBody* hitBody);
    // The pair test of the configuration's body shape.
    virtual void CollideWith(CRigidBody* other);

    // Both pair-test forms exist in every configuration; CollideWith picks one.
    void CollideAsBox(CRigidBody* other);
    void CollideAsCircle(CRigidBody* other);
    glm::vec2 ClosestPointInBox(glm::vec2 v, float halfWidth, float halfHeight) const;

    void SetShape(float x, float y, float width, float height);
    void SetMesh(CBodyMesh* mesh);
    void SetProgram(CPlainPolyProgram* program);

    BoxCollider* GetCollider();
    glm::vec2 GetPosition() const;
    glm::vec2 GetVelocity() const;

    glm::vec2 Velocity;
    glm::vec2 Position;
    float Angle;
    float Restitution;
    float Gravity;
    BoxCollider Collider;
    GLuint VertexBuffer;
    GLuint VertexArray;
    CPlainPolyProgram* Program; // not owned

private:
    void ReleaseGraphics();
};
