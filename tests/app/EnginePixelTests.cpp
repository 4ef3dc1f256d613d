// What a frame shows: after a number of frames with a fixed time step, one
// square per body at the position the body reports.
#include "EngineFixture.h"

#include <GL/glew.h>
#include <glm/geometric.hpp>

#include <cmath>
#include <vector>

namespace {

constexpr int kSize = 800;
constexpr double kArenaHalfExtent = 1.5;
constexpr double kSquareHalfSide = 0.01; // the shared mesh

// Arena coordinate to the pixel column (or row) whose centre it falls in.
int ToPixel(double arena)
{
    return static_cast<int>(std::floor((arena / kArenaHalfExtent + 1.0) / 2.0 * kSize));
}

bool IsBodyColour(const unsigned char* rgba)
{
    // The fragment stage's colour stands out from the 0.3 grey clear colour.
    return rgba[0] > 200 && rgba[2] < 100;
}

// Number of 4-connected regions of body-coloured pixels.
int CountSquares(const std::vector<unsigned char>& pixels)
{
    std::vector<bool> seen(kSize * kSize, false);
    std::vector<int> stack;
    int regions = 0;
    for (int start = 0; start < kSize * kSize; ++start) {
        if (seen[start] || !IsBodyColour(&pixels[4 * start])) {
            continue;
        }
        ++regions;
        stack.push_back(start);
        seen[start] = true;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            const int x = p % kSize;
            const int y = p / kSize;
            const int neighbours[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
            for (const auto& n : neighbours) {
                if (n[0] < 0 || n[0] >= kSize || n[1] < 0 || n[1] >= kSize) {
                    continue;
                }
                const int q = n[1] * kSize + n[0];
                if (!seen[q] && IsBodyColour(&pixels[4 * q])) {
                    seen[q] = true;
                    stack.push_back(q);
                }
            }
        }
    }
    return regions;
}

class EnginePixels : public EngineTest {};

TEST_F(EnginePixels, FrameShowsOneSquarePerBodyWhereTheBodyIs)
{
    engine->timeSource = &FixedStepClock;
    for (int frame = 0; frame < 20; ++frame) {
        engine->Frame();
    }

    // The same drawing as the last frame's, read before the swap.
    glClear(GL_COLOR_BUFFER_BIT);
    engine->DrawScene();
    std::vector<unsigned char> pixels(4 * kSize * kSize);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());

    int visible = 0;
    for (int i = 0; i < BuildConfig::bodyCount; ++i) {
        SCOPED_TRACE(i);
        const glm::vec2 p = engine->bodies[i].GetPosition();
        for (int j = 0; j < i; ++j) {
            ASSERT_GT(glm::length(p - engine->bodies[j].GetPosition()), 4 * kSquareHalfSide) << "squares overlap";
        }
        if (std::fabs(p.x) > kArenaHalfExtent || std::fabs(p.y) > kArenaHalfExtent) {
            continue;
        }
        ++visible;
        const int x = ToPixel(p.x);
        const int y = ToPixel(p.y);
        EXPECT_TRUE(IsBodyColour(&pixels[4 * (y * kSize + x)])) << "centre " << x << "," << y;
        // Just outside the square on either side: background.
        const int reach = static_cast<int>(std::ceil(kSquareHalfSide / (2 * kArenaHalfExtent) * kSize)) + 2;
        EXPECT_FALSE(IsBodyColour(&pixels[4 * (y * kSize + x + reach)]));
        EXPECT_FALSE(IsBodyColour(&pixels[4 * (y * kSize + x - reach)]));
        EXPECT_FALSE(IsBodyColour(&pixels[4 * ((y + reach) * kSize + x)]));
        EXPECT_FALSE(IsBodyColour(&pixels[4 * ((y - reach) * kSize + x)]));
    }
    EXPECT_EQ(visible, BuildConfig::bodyCount);
    EXPECT_EQ(CountSquares(pixels), visible);
    // The clear colour everywhere else.
    const unsigned char* corner = &pixels[0];
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_NEAR(corner[channel], 0.3 * 255, 1.0);
    }
}

} // namespace
