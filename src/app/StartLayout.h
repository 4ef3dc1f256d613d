#pragma once

#include <glm/vec2.hpp>

#include <cmath>

// Where the application's bodies start, shared with the benchmarks that
// measure its scene. Body i sits on y = 0 at x = s and moves at (10 s, 10 s),
// with s = sin(0.1 i) in single precision; every collider is 0.1 by 0.1
// (in circle configurations: diameter 0.1).
struct BodyStart {
    glm::vec2 position;
    glm::vec2 velocity;
};

inline constexpr float kBodySize = 0.1f;

inline BodyStart StartOf(int index)
{
    const float s = std::sin(static_cast<float>(index) * 0.1f);
    return BodyStart{glm::vec2(s, 0.0f), glm::vec2(10.0f * s, 10.0f * s)};
}
