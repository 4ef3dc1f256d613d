#pragma once

#include "app/BuildConfig.h"

#include <glm/vec2.hpp>

// CPU mirror of the storage block "shader_data", copied byte for byte into
// its buffer before every collision pass (std430: vec2 stride 8).
struct BodyDataBlock {
    glm::vec2 Positions[BuildConfig::bodyCount];
    glm::vec2 Velocities[BuildConfig::bodyCount];
};

static_assert(sizeof(BodyDataBlock) == 16 * BuildConfig::bodyCount, "BodyDataBlock must be tightly packed");
