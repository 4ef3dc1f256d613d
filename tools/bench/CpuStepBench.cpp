#include <benchmark/benchmark.h>

// The CPU world step of this configuration.
