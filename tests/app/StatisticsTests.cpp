#include "app/Statistics.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

struct StatisticsCase {
    const char* name;
    double frameTimeSum;
    int frameCount;
    double computeTimeSum;
    const char* expected;
};

class StatisticsLine : public testing::TestWithParam<StatisticsCase> {};

TEST_P(StatisticsLine, MatchesTheDocumentedFormat)
{
    const StatisticsCase& c = GetParam();
    std::ostringstream out;
    WriteStatistics(out, c.frameTimeSum, c.frameCount, c.computeTimeSum, 500);
    EXPECT_EQ(out.str(), c.expected);
}

// Sums over 500 frames, so the means are the sums / 500. The texts follow
// printf's %g with six significant digits: no trailing zeros, exponent
// notation below 1e-4 and from 1e6 on.
INSTANTIATE_TEST_SUITE_P(
    Values, StatisticsLine,
    testing::Values(StatisticsCase{"Example", 0.0125 * 500, 500, 0.004 * 500,
                                   "Frametime:12.5  ComputeTime:4  fps: 80  SampleSize: 500\n"},
                    StatisticsCase{"CpuComputeIsZero", 0.001 * 500, 500, 0.0,
                                   "Frametime:1  ComputeTime:0  fps: 1000  SampleSize: 500\n"},
                    StatisticsCase{"SixSignificantDigits", 0.0123456789 * 500, 500, 0.00098765432 * 500,
                                   "Frametime:12.3457  ComputeTime:0.987654  fps: 81  SampleSize: 500\n"},
                    StatisticsCase{"FastFramesSwitchToExponent", 2e-10 * 500, 500, 5e-11 * 500,
                                   "Frametime:2e-07  ComputeTime:5e-08  fps: 5e+09  SampleSize: 500\n"},
                    StatisticsCase{"SlowFramesSwitchToExponent", 1234.5 * 500, 500, 1000.0 * 500,
                                   "Frametime:1.2345e+06  ComputeTime:1e+06  fps: 0.000810045  SampleSize: 500\n"},
                    StatisticsCase{"LastPlainAndFirstExponent", 0.1 * 500, 500, 1e-7 * 500,
                                   "Frametime:100  ComputeTime:0.0001  fps: 10  SampleSize: 500\n"},
                    // The first line of a run: 501 collision passes divided by 500 frames.
                    StatisticsCase{"FirstLineComputeSum", 0.002 * 500, 500, 0.001 * 501,
                                   "Frametime:2  ComputeTime:1.002  fps: 500  SampleSize: 500\n"}),
    [](const testing::TestParamInfo<StatisticsCase>& info) { return std::string(info.param.name); });

TEST(StatisticsLine, EndsWithAFlush)
{
    // The line end must flush: a pipe reader sees each line as it is written.
    struct CountingBuf : std::stringbuf {
        int syncs = 0;
        int sync() override
        {
            ++syncs;
            return std::stringbuf::sync();
        }
    } counting;
    std::ostream out(&counting);
    WriteStatistics(out, 1.0, 500, 0.0, 500);
    EXPECT_EQ(counting.syncs, 1);
}

} // namespace
