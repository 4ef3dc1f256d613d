#pragma once

#include <ostream>

// Writes one statistics line and flushes it:
//   Frametime:<ms>  ComputeTime:<ms>  fps: <1/s>  SampleSize: <frames>
// The three values use the stream's default float format (six significant
// digits, %g rules), so the stream must not carry other float flags.
void WriteStatistics(std::ostream& out, double frameTimeSum, int frameCount, double computeTimeSum, int sampleSize);
