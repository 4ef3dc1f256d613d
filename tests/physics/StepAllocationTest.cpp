// A world step allocates nothing. This program replaces the global
// allocation functions to count every call made while steps run.

#include "PhysicsTestSupport.h"

#include "app/BuildConfig.h"
#include "gpu/PhysicsShaderProgram.h"
#include "physics/PhysicsWorld.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* Allocate(std::size_t size)
{
    if (counting.load()) {
        allocations.fetch_add(1);
    }
    return std::malloc(size == 0 ? 1 : size);
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment)
{
    if (counting.load()) {
        allocations.fetch_add(1);
    }
    const std::size_t a = static_cast<std::size_t>(alignment);
    return std::aligned_alloc(a, (size + a - 1) / a * a);
}

void* OrThrow(void* p)
{
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

} // namespace

void* operator new(std::size_t size)
{
    return OrThrow(Allocate(size));
}
void* operator new[](std::size_t size)
{
    return OrThrow(Allocate(size));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return OrThrow(AllocateAligned(size, alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return OrThrow(AllocateAligned(size, alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return AllocateAligned(size, alignment);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept
{
    std::free(p);
}

namespace {

constexpr int N = BuildConfig::bodyCount;

long CountAllocations(void (*work)())
{
    allocations.store(0);
    counting.store(true);
    work();
    counting.store(false);
    return allocations.load();
}

void* volatile escaped = nullptr;

TEST(StepAllocation, TheCounterSeesAnAllocation)
{
    // Without this the zero below could come from a counter that is never
    // reached.
    const long seen = CountAllocations([] {
        escaped = ::operator new(16);
        ::operator delete(escaped);
    });
    EXPECT_EQ(seen, 1);
}

CRigidBody bodies[N];
CPhysicsShaderProgram program;
CPhysicsWorld world;

TEST(StepAllocation, ManyStepsAllocateNothing)
{
    // The application's start layout: a sine curve with overlapping
    // neighbours, so contacts and wall hits happen while the steps run.
    for (int i = 0; i < N; ++i) {
        const float s = std::sin(static_cast<float>(i) * 0.1f);
        bodies[i].SetShape(s, 0.0f, 0.1f, 0.1f);
        bodies[i].SetVelocity(10.0f * s, 10.0f * s);
        world.AddBody(&bodies[i]);
        // Only read by the GPU-fed step: a contact for every body.
        program.CollisionData.Normals[i] = glm::vec2(0.0f, 1.0f);
        program.CollisionData.HitBodyIndices[i] = (i + 1) % N;
    }
    world.SetPhysicsProgram(&program);

    const long seen = CountAllocations([] {
        for (int frame = 0; frame < 500; ++frame) {
            world.Step(0.016f);
        }
    });

    EXPECT_EQ(seen, 0);
    for (int i = 0; i < N; ++i) {
        EXPECT_TRUE(BodyIsFinite(bodies[i])) << "body " << i;
    }
}

} // namespace
