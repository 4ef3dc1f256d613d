#include "app/Statistics.h"

void WriteStatistics(std::ostream& out, double frameTimeSum, int frameCount, double computeTimeSum, int sampleSize)
{
    const double mean = frameTimeSum / frameCount;
    out << "Frametime:" << mean * 1000.0 << "  ComputeTime:" << computeTimeSum / frameCount * 1000.0
        << "  fps: " << 1.0 / mean << "  SampleSize: " << sampleSize << std::endl;
}
