#pragma once

// The configuration of this build. Every constant here is fixed when the
// program is compiled: the build system defines the three CORVANE_* macros
// for each executable (see cmake/CorvaneConfigurations.cmake), and nothing
// reads a command line, a file or the environment to change them.

#if !defined(CORVANE_COLLISION_EXECUTOR) || !defined(CORVANE_BODY_SHAPE) || !defined(CORVANE_BODY_COUNT)
#error "BuildConfig.h needs CORVANE_COLLISION_EXECUTOR, CORVANE_BODY_SHAPE and CORVANE_BODY_COUNT"
#endif

enum class CollisionExecutor { Gpu, Cpu };
enum class BodyShape { Box, Circle };

struct BuildConfig {
    static constexpr CollisionExecutor collisionExecutor = CollisionExecutor::CORVANE_COLLISION_EXECUTOR;
    static constexpr BodyShape bodyShape = BodyShape::CORVANE_BODY_SHAPE;
    static constexpr int bodyCount = CORVANE_BODY_COUNT;
    static constexpr int sampleSize = 500;
};

static_assert(BuildConfig::bodyCount > 0, "a configuration needs at least one body");
