#include "app/Engine.h"

#include "app/ExePath.h"
#include "app/ShutdownSignal.h"
#include "app/StartLayout.h"
#include "app/Statistics.h"
#include "render/GlLoaded.h"
#include "render/GlWindow.h"
#include "render/PathSeparator.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <iostream>

CEngine::CEngine() : windowWidth(800), windowHeight(800), window(nullptr), timeSource(&glfwGetTime)
{
    deltaTime = 0.0;
    frameStart = 0.0;
    frameTime = 0.0;
    frameTimeSum = 0.0;
    computeStart = 0.0;
    computeTime = 0.0;
    computeTimeSum = 0.0;
    frameCount = 0;
    sampleSize = BuildConfig::sampleSize;
}

CEngine::~CEngine()
{
    Close();
}

bool CEngine::Init()
{
    glfwInit(); // a failure shows up as a missing window
    window = OpenCoreWindow(windowWidth, windowHeight, "Corvane");
    if (window == nullptr) {
        std::cout << "Failed to create GLFW window" << std::endl;
        glfwTerminate();
        return false;
    }

    if (!LoadGlEntryPoints()) {
        std::cout << "Failed to initialize GLEW" << std::endl;
        return false;
    }

    int width = 0;
    int height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    glViewport(0, 0, width, height);
    glClearColor(0.3f, 0.3f, 0.3f, 1.0f);
    glfwSwapInterval(0); // the frame rate is the measurement: never wait for the display
    CheckGlError();

    if (!LoadShaders()) {
        std::printf("Unable to load shader programs!\n");
        return false;
    }
    if (!LoadMedia()) {
        std::printf("Unable to load media!\n");
        return false;
    }
    return true;
}

void CEngine::CheckGlError()
{
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        std::printf("Error initializing OpenGL! %s\n", reinterpret_cast<const char*>(gluErrorString(error)));
        std::printf("GlError");
    }
}

std::string CEngine::GetExeDirectory()
{
    moduleFileName = ExecutablePath();
    return DirectoryOf(moduleFileName, kPathSeparator);
}

void CEngine::Run()
{
    for (;;) {
        if (ShutdownRequested()) {
            glfwSetWindowShouldClose(window, GLFW_TRUE);
        }
        if (glfwWindowShouldClose(window)) {
            return;
        }
        Frame();
    }
}

void CEngine::Frame()
{
    frameStart = timeSource();
    glfwPollEvents();
    Update();
    Render();

    // The test comes before this frame's own time is added: the first line
    // appears in frame sampleSize + 1 and averages frames 1 to sampleSize.
    if (frameCount >= sampleSize) {
        WriteStatistics(std::cout, frameTimeSum, frameCount, computeTimeSum, sampleSize);
        frameCount = 0;
        frameTimeSum = 0.0;
        computeTimeSum = 0.0;
    }

    frameTime = timeSource() - frameStart;
    deltaTime = frameTime;
    frameTimeSum += frameTime;
    frameCount += 1;
}

void CEngine::Update()
{
    if constexpr (BuildConfig::collisionExecutor == CollisionExecutor::Gpu) {
        computeStart = timeSource();
        CollisionPass();
        computeTime = timeSource() - computeStart;
        computeTimeSum += computeTime;
    }
    StepWorld(static_cast<float>(deltaTime));
}

void CEngine::Render()
{
    glClear(GL_COLOR_BUFFER_BIT);
    DrawScene();
    glfwSwapBuffers(window);
}

void CEngine::CollisionPass()
{
    physicsProgram.Bind();
    physicsProgram.RunCollisionPass();
}

void CEngine::StepWorld(float dt)
{
    world.Step(dt);
}

void CEngine::DrawScene()
{
    polyProgram.Bind();
    world.DrawBodies();
}

bool CEngine::LoadShaders()
{
    const std::string exePath = GetExeDirectory();
    const std::string shaderFolder = exePath + kPathSeparator + "ShaderFiles";

    if (!polyProgram.LoadProgram(shaderFolder)) {
        std::printf("Unable to load basic shader!\n");
        return false;
    }
    polyProgram.Bind();

    if constexpr (BuildConfig::collisionExecutor == CollisionExecutor::Cpu) {
        return true;
    }

    const std::string ComputeShaderFilename =
        BuildConfig::bodyShape == BodyShape::Box ? "BoxColl.glcs" : "CircleColl.glcs";
    if (!physicsProgram.LoadProgram(shaderFolder + kPathSeparator + ComputeShaderFilename)) {
        // Not fatal: the pass then finds no contacts and the walls still work.
        std::printf("Unable to load physics shader!\n");
    }
    physicsProgram.Bind();
    world.SetPhysicsProgram(&physicsProgram);
    return true;
}

bool CEngine::LoadMedia()
{
    bodyMesh = std::make_unique<CBodyMesh>();

    // Bodies start on a sine curve along y = 0, each moving diagonally with
    // a speed taken from the same curve.
    for (int i = 0; i < BuildConfig::bodyCount; ++i) {
        const BodyStart start = StartOf(i);
        CRigidBody& body = bodies[i];
        body.SetShape(start.position.x, start.position.y, kBodySize, kBodySize);
        body.SetVelocity(start.velocity.x, start.velocity.y);
        body.SetMesh(bodyMesh.get());
        body.SetProgram(&polyProgram);
        world.AddBody(&body);
    }
    return true;
}

void CEngine::Close()
{
    // Without a loaded GL (start-up failed before the loader) there is
    // nothing current to unbind and no program was created.
    if (GlLoaded()) {
        glUseProgram(0);
    }
    polyProgram.FreeProgram();
    physicsProgram.FreeProgram();
}
