// A long run with the real clock: 20,000 frames keep every body finite and
// the process's memory flat.
#include "EngineFixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace {

long ResidentKilobytes()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

bool AllBodiesFinite(const CEngine& engine)
{
    for (const CRigidBody& body : engine.bodies) {
        const glm::vec2 p = body.GetPosition();
        const glm::vec2 v = body.GetVelocity();
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(v.x) || !std::isfinite(v.y)) {
            return false;
        }
    }
    return true;
}

class EngineSoak : public EngineTest {};

TEST_F(EngineSoak, TwentyThousandFramesStayFiniteWithFlatMemory)
{
    testing::internal::CaptureStdout();
    // Warm up first: the driver settles its caches in the first frames.
    for (int frame = 0; frame < 1000; ++frame) {
        engine->Frame();
    }
    const long residentAfterWarmUp = ResidentKilobytes();

    for (int frame = 1; frame <= 20000; ++frame) {
        engine->Frame();
        if (frame % 1000 == 0) {
            ASSERT_TRUE(AllBodiesFinite(*engine)) << "frame " << frame;
        }
    }
    const long residentAtEnd = ResidentKilobytes();
    const std::string output = testing::internal::GetCapturedStdout();

    EXPECT_GT(residentAfterWarmUp, 0);
    EXPECT_LE(residentAtEnd - residentAfterWarmUp, 1024) << "kB gained over 20,000 frames";
    // 21,000 frames: a statistics line in frames 501, 1001, ..., 20,501,
    // and nothing else.
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 41) << output;
    size_t lineStart = 0;
    while (lineStart < output.size()) {
        const size_t lineEnd = output.find('\n', lineStart);
        const std::string line = output.substr(lineStart, lineEnd - lineStart);
        EXPECT_EQ(line.rfind("Frametime:", 0), 0u) << line;
        EXPECT_NE(line.find("  SampleSize: 500"), std::string::npos) << line;
        lineStart = lineEnd + 1;
    }
}

} // namespace
