#pragma once

#include "app/BuildConfig.h"

#include <glm/vec2.hpp>

#include <cstddef>
#include <cstdint>

// CPU mirror of the storage block "shader_output": one contact per body,
// reset before every collision pass and read back after it. A normal of
// (0, 0) means the body has no contact.
struct CollisionDataBlock {
    glm::vec2 Normals[BuildConfig::bodyCount];
    glm::vec2 HitPoints[BuildConfig::bodyCount];
    float Offsets[BuildConfig::bodyCount];
    std::int32_t HitBodyIndices[BuildConfig::bodyCount];
};

static_assert(sizeof(CollisionDataBlock) == 24 * BuildConfig::bodyCount, "CollisionDataBlock must be tightly packed");
static_assert(offsetof(CollisionDataBlock, HitPoints) == 8 * BuildConfig::bodyCount);
static_assert(offsetof(CollisionDataBlock, Offsets) == 16 * BuildConfig::bodyCount);
static_assert(offsetof(CollisionDataBlock, HitBodyIndices) == 20 * BuildConfig::bodyCount);
