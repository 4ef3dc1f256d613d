#include <benchmark/benchmark.h>

// The GPU collision pass of this configuration.
