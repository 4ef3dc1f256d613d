// The CPU world step of this configuration, on the scene the application
// starts with. Reported per step (the benchmark's time) and per pair test:
// a step makes bodyCount * (bodyCount + 1) / 2 CollideWith calls.

#include "app/BuildConfig.h"
#include "app/StartLayout.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace {

static_assert(BuildConfig::collisionExecutor == CollisionExecutor::Cpu, "the CPU step runs in Cpu configurations");

constexpr int N = BuildConfig::bodyCount;
constexpr long long kPairTestsPerStep = static_cast<long long>(N) * (N + 1) / 2;

// A fixed frame time, so that runs of different lengths see the same frames.
constexpr float kFrameTime = 1.0f / 60.0f;

// The bodies scatter, fall and pile up, and contacts cost more than misses.
// Restarting the scene after this many frames keeps every measurement on the
// same stretch of the application's first seconds, however many steps the
// library decides to run.
constexpr int kFramesPerRun = 100;

const char* ShapeName()
{
    return BuildConfig::bodyShape == BodyShape::Box ? "Box" : "Circle";
}

// The application's scene without its graphics: the bodies get no mesh and
// no program, so nothing here needs a GL context.
struct CpuScene {
    CpuScene()
    {
        for (CRigidBody& body : bodies) {
            world.AddBody(&body);
        }
        Restart();
    }

    void Restart()
    {
        for (int i = 0; i < N; ++i) {
            const BodyStart start = StartOf(i);
            bodies[i].SetShape(start.position.x, start.position.y, kBodySize, kBodySize);
            bodies[i].SetVelocity(start.velocity.x, start.velocity.y);
        }
    }

    CRigidBody bodies[N];
    CPhysicsWorld world;
};

void CpuStep(benchmark::State& state)
{
    static CpuScene scene; // up to 1000 bodies: not on the stack
    scene.Restart();
    int frame = 0;
    double stepSeconds = 0.0;

    // Manual timing: only Step is measured, not the restarts.
    for (auto _ : state) {
        if (frame == kFramesPerRun) {
            scene.Restart();
            frame = 0;
        }
        const auto start = std::chrono::steady_clock::now();
        scene.world.Step(kFrameTime);
        const auto end = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        stepSeconds += seconds;
        ++frame;
    }

    const double steps = static_cast<double>(state.iterations());
    state.counters["ns_per_pair_test"] = stepSeconds * 1e9 / (steps * static_cast<double>(kPairTestsPerStep));
    state.counters["ms_per_step"] = stepSeconds * 1e3 / steps;
    state.counters["pair_tests_per_step"] = static_cast<double>(kPairTestsPerStep);
    state.counters["bodies"] = N;
    state.SetLabel(std::string(ShapeName()) + ", " + std::to_string(N) + " bodies");
}

const std::string kBenchmarkName = std::string("CpuStep/") + ShapeName() + "/" + std::to_string(N);

benchmark::internal::Benchmark* const registered =
    benchmark::RegisterBenchmark(kBenchmarkName.c_str(), CpuStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
