#pragma once

#include "app/Engine.h"
#include "support/StdinRedirect.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

// A replacement clock for CEngine::timeSource: every reading is 1/120 s
// after the previous one, so frames take a fixed, known time.
inline double FixedStepClock()
{
    static double now = 0.0;
    return now += 1.0 / 120.0;
}

// Starts a whole application (window, context, shaders from bin/ShaderFiles,
// scene) as main does, and shuts it down in main's order. Standard input is
// at end of file so a failed compute-shader load never waits for a key.
class EngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        glfwSetErrorCallback(
            [](int code, const char* description) { std::printf("GLFW error %d: %s\n", code, description); });
        engine = std::make_unique<CEngine>();
        testing::internal::CaptureStdout();
        const bool started = engine->Init();
        startupOutput = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started) << startupOutput;
    }

    void TearDown() override
    {
        engine.reset();
        glfwTerminate();
    }

    ScopedStdinAtEof stdinAtEof;
    std::unique_ptr<CEngine> engine;
    std::string startupOutput;
};
