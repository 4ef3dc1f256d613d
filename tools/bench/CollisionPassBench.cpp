#include <benchmark/benchmark.h>

// The GPU collision pass of this configuration.

#include "BenchContext.h"

#include "app/BuildConfig.h"
#include "app/StartLayout.h"
#include "gpu/PhysicsShaderProgram.h"

#include <glm/vec2.hpp>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int N = BuildConfig::bodyCount;

// Loaded once per process, since the benchmark function runs several times.
// Never deleted: its GL objects end with the context, and no GL call may
// follow DestroyBenchContext. Null when the shader is missing or fails.
CPhysicsShaderProgram* LoadedProgram(std::string& error)
{
    static CPhysicsShaderProgram* program = nullptr;
    static std::string loadError;
    static bool tried = false;
    if (!tried) {
        tried = true;
        const std::string path = std::string(CORVANE_BENCH_SHADER_DIR) +
                                 (BuildConfig::bodyShape == BodyShape::Box ? "/BoxColl.glcs" : "/CircleColl.glcs");
        if (!std::ifstream(path).is_open()) {
            // LoadProgram would wait for a key press.
            loadError = "compute shader not found: " + path;
        } else {
            program = new CPhysicsShaderProgram();
            if (!program->LoadProgram(path)) {
                loadError = "the compute shader did not load: " + path;
                delete program; // the context is still current here
                program = nullptr;
            }
            std::fflush(stdout); // its messages, before the benchmark's own lines
        }
    }
    error = loadError;
    return program;
}

// One RunCollisionPass with the real shader of this configuration's shape,
// on the application's start layout. Wall-clock time, since the work runs on the
// GL implementation's threads, not on the calling one.
void BM_GpuCollisionPass(benchmark::State& state)
{
    if (!BenchContextAvailable()) {
        state.SkipWithError("no OpenGL 4.3 context (no display?)");
        return;
    }
    std::string error;
    CPhysicsShaderProgram* loaded = LoadedProgram(error);
    if (loaded == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    CPhysicsShaderProgram& program = *loaded;

    for (int i = 0; i < N; ++i) {
        const BodyStart start = StartOf(i);
        program.SetBodyData(i, start.position, start.velocity);
    }
    program.Bind();

    for (auto _ : state) {
        program.RunCollisionPass();
        benchmark::DoNotOptimize(program.CollisionData);
        benchmark::ClobberMemory();
    }

    int contacts = 0;
    for (int i = 0; i < N; ++i) {
        contacts += program.CollisionData.Normals[i] != glm::vec2(0.0f, 0.0f) ? 1 : 0;
    }
    state.counters["bodies"] = N;
    state.counters["contacts"] = contacts;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(N) * N);
}

} // namespace

BENCHMARK(BM_GpuCollisionPass)->Unit(benchmark::kMillisecond)->UseRealTime();
