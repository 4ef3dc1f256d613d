#pragma once

#include <glm/common.hpp>
#include <glm/geometric.hpp>
#include <glm/vec2.hpp>

#include <cmath>

inline bool IsFinite(glm::vec2 v)
{
    return std::isfinite(v.x) && std::isfinite(v.y);
}

// The unit vector along v, for any finite v other than (0, 0). Ordinary
// vectors get glm::normalize's own result; at the extremes it fails (a
// squared length that underflows gives inf and NaN, one that overflows gives
// (0, 0)), so such a vector is first scaled by its largest component.
inline glm::vec2 UnitVector(glm::vec2 v)
{
    const glm::vec2 unit = glm::normalize(v);
    if (IsFinite(unit) && unit != glm::vec2(0.0f, 0.0f)) {
        return unit;
    }
    return glm::normalize(v / glm::max(glm::abs(v.x), glm::abs(v.y)));
}
