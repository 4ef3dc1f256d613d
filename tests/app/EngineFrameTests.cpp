// Frame accounting of the loop, driven by a scripted clock instead of real
// time: which frame prints, which frames a line averages, the collision-pass
// sum of the first line and the time step each frame hands to the world.
#include "EngineFixture.h"

#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr bool kGpu = BuildConfig::collisionExecutor == CollisionExecutor::Gpu;
// Clock reads per frame: frame start and end, plus both ends of the pass.
constexpr int kReadsPerFrame = kGpu ? 4 : 2;

// Frame k (from 1) lasts FrameLength(k) seconds; its pass PassLength(k).
double FrameLength(int k)
{
    return 0.001 * (1 + k % 7);
}

double PassLength(int k)
{
    return 0.0001 * (1 + k % 5);
}

// Hands out the readings a frame of the scripted lengths produces, and keeps
// what the engine must have measured from them (end minus start, in double).
class ScriptedClock {
public:
    static double Read()
    {
        const int frame = reads / kReadsPerFrame + 1;
        const int position = reads % kReadsPerFrame;
        ++reads;
        if (position == 0) {
            return origin;
        }
        if (kGpu && position == 1) {
            return origin + kPassStart;
        }
        if (kGpu && position == 2) {
            const double end = origin + kPassStart + PassLength(frame);
            passTimes.push_back(end - (origin + kPassStart));
            return end;
        }
        const double start = origin;
        const double end = origin + FrameLength(frame);
        frameTimes.push_back(end - start);
        origin = end + 0.0005; // time between frames is not measured
        return end;
    }

    static void Reset()
    {
        reads = 0;
        origin = 100.0;
        frameTimes.clear();
        passTimes.clear();
    }

    static constexpr double kPassStart = 0.0002;
    static inline int reads = 0;
    static inline double origin = 100.0;
    static inline std::vector<double> frameTimes; // measured, frame k at k - 1
    static inline std::vector<double> passTimes;
};

double Sum(const std::vector<double>& values, int first, int last)
{
    double sum = 0.0;
    for (int k = first; k <= last; ++k) {
        sum += values.at(static_cast<size_t>(k - 1));
    }
    return sum;
}

std::string ExpectedLine(double frameSum, double computeSum)
{
    const double mean = frameSum / 500;
    std::ostringstream line;
    line << "Frametime:" << mean * 1000.0 << "  ComputeTime:" << computeSum / 500 * 1000.0 << "  fps: " << 1.0 / mean
         << "  SampleSize: 500\n";
    return line.str();
}

class EngineFrames : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ScriptedClock::Reset();
        engine->timeSource = &ScriptedClock::Read;
    }

    // Runs frames up to and including `last`; returns what they printed.
    std::string RunFramesTo(int last)
    {
        testing::internal::CaptureStdout();
        while (framesRun < last) {
            engine->Frame();
            ++framesRun;
        }
        return testing::internal::GetCapturedStdout();
    }

    int framesRun = 0;
};

TEST_F(EngineFrames, PrintsAfterEverySampleOfFrames)
{
    EXPECT_EQ(engine->sampleSize, 500);
    EXPECT_EQ(RunFramesTo(500), "");

    // Frame 501 prints frames 1 to 500; its pass sum holds the passes of
    // frames 1 to 501, still divided by 500.
    const std::string first = RunFramesTo(501);
    const double firstPasses = kGpu ? Sum(ScriptedClock::passTimes, 1, 501) : 0.0;
    EXPECT_EQ(first, ExpectedLine(Sum(ScriptedClock::frameTimes, 1, 500), firstPasses));

    EXPECT_EQ(RunFramesTo(1000), "");

    // Frame 1001 prints frames 501 to 1000 and the passes of 502 to 1001.
    const std::string second = RunFramesTo(1001);
    const double secondPasses = kGpu ? Sum(ScriptedClock::passTimes, 502, 1001) : 0.0;
    EXPECT_EQ(second, ExpectedLine(Sum(ScriptedClock::frameTimes, 501, 1000), secondPasses));
}

TEST_F(EngineFrames, CountsAndSumsRestartAfterEachLine)
{
    RunFramesTo(501);
    // The printing frame is the first of the new sample.
    EXPECT_EQ(engine->frameCount, 1);
    EXPECT_DOUBLE_EQ(engine->frameTimeSum, ScriptedClock::frameTimes[500]);
    EXPECT_DOUBLE_EQ(engine->computeTimeSum, 0.0);
}

TEST_F(EngineFrames, EachFrameStepsWithThePreviousFramesLength)
{
    // Body 0 starts at rest at the origin, clear of every other body and
    // wall, so its vertical speed is gravity times the time steps so far.
    CRigidBody& body = engine->bodies[0];
    ASSERT_EQ(body.GetVelocity(), glm::vec2(0.0f, 0.0f));

    RunFramesTo(1);
    EXPECT_EQ(body.GetVelocity().y, 0.0f) << "frame 1 steps with 0";
    EXPECT_EQ(engine->deltaTime, ScriptedClock::frameTimes[0]);
    EXPECT_EQ(engine->frameTime, ScriptedClock::frameTimes[0]);

    RunFramesTo(2);
    const double dt = static_cast<double>(static_cast<float>(ScriptedClock::frameTimes[0]));
    EXPECT_EQ(body.GetVelocity().y, static_cast<float>(0.0 - 5.0 * dt)) << "frame 2 steps with frame 1's length";
}

TEST_F(EngineFrames, ComputeTimeIsThePassAloneAndOnlyOnTheGpu)
{
    RunFramesTo(3);
    if (kGpu) {
        EXPECT_EQ(engine->computeTime, ScriptedClock::passTimes[2]);
        EXPECT_DOUBLE_EQ(engine->computeTimeSum, Sum(ScriptedClock::passTimes, 1, 3));
    } else {
        EXPECT_EQ(engine->computeTime, 0.0);
        EXPECT_EQ(engine->computeTimeSum, 0.0);
    }
}

} // namespace
