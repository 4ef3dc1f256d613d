#include "BenchContext.h"

#include <benchmark/benchmark.h>

#include <cstdio>

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    if (!CreateBenchContext()) {
        std::fprintf(stderr, "No OpenGL 4.3 context (no display?): the GPU benchmarks are skipped.\n");
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (BenchContextAvailable()) {
        DestroyBenchContext();
    }
    return 0;
}
