#pragma once

#include "physics/BoxCollider.h"
#include "physics/RigidBody.h"

#include <glm/vec2.hpp>

#include <cmath>
#include <ostream>
#include <vector>

namespace glm {

// Readable failure messages for vector expectations.
inline void PrintTo(const vec2& v, std::ostream* os)
{
    *os << "(" << v.x << ", " << v.y << ")";
}

} // namespace glm

// Table rows print as their name in failure messages, not as their bytes.
// Used next to each row type, inside the test file's own namespace.
#define PRINT_CASE_AS_NAME(Case)                                                                                       \
    [[maybe_unused]] void PrintTo(const Case& c, std::ostream* os)                                                     \
    {                                                                                                                  \
        *os << c.name;                                                                                                 \
    }

inline bool IsFiniteVec(glm::vec2 v)
{
    return std::isfinite(v.x) && std::isfinite(v.y);
}

// Every value a step can write into a body.
inline bool BodyIsFinite(CRigidBody& body)
{
    return IsFiniteVec(body.GetPosition()) && IsFiniteVec(body.GetVelocity()) &&
           IsFiniteVec(body.GetCollider()->Center);
}

// One call seen by a CRecordingBody.
struct CallRecord {
    enum Kind { Collide, Contact, Integrate };
    Kind kind;
    int body;  // index of the body that received the call
    int other; // Collide: index of the partner; otherwise -1
    // Contact: the arguments of ResolveContact.
    glm::vec2 normal;
    float offset;
    const BoxCollider* hitCollider; // compared, never read: it may be gone
    BoxCollider hitColliderValue;   // a copy taken during the call
    const CRigidBody* hitBody;
    // Integrate: the body's state when the call arrived.
    glm::vec2 position;
    glm::vec2 velocity;
};

// A body that logs the world's calls to it and then behaves as a plain body,
// so the order of a step and the arguments of its responses become visible.
class CRecordingBody : public CRigidBody {
public:
    void StartRecording(std::vector<CallRecord>* log, int index)
    {
        Log = log;
        Index = index;
    }

    void CollideWith(CRigidBody* other) override
    {
        Log->push_back({CallRecord::Collide,
                        Index,
                        static_cast<CRecordingBody*>(other)->Index,
                        {},
                        0.0f,
                        nullptr,
                        BoxCollider(),
                        nullptr,
                        {},
                        {}});
        CRigidBody::CollideWith(other);
    }

    void ResolveContact(glm::vec2 normal, glm::vec2 hitPoint, BoxCollider* hitCollider, float offset,
                        CRigidBody* hitBody) override
    {
        Log->push_back({CallRecord::Contact,
                        Index,
                        -1,
                        normal,
                        offset,
                        hitCollider,
                        hitCollider != nullptr ? *hitCollider : BoxCollider(),
                        hitBody,
                        {},
                        {}});
        CRigidBody::ResolveContact(normal, hitPoint, hitCollider, offset, hitBody);
    }

    void Integrate(double dt) override
    {
        Log->push_back(
            {CallRecord::Integrate, Index, -1, {}, 0.0f, nullptr, BoxCollider(), nullptr, Position, Velocity});
        CRigidBody::Integrate(dt);
    }

private:
    std::vector<CallRecord>* Log = nullptr;
    int Index = -1;
};
