#pragma once

// An OpenGL 4.3 core context for the GPU benchmarks, created once before the
// benchmarks run. Without a display there is none, and GPU benchmarks skip.
bool CreateBenchContext();
bool BenchContextAvailable();
void DestroyBenchContext();
