#pragma once

#include "app/BuildConfig.h"
#include "gpu/PhysicsShaderProgram.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "render/BodyMesh.h"
#include "render/PlainPolyProgram.h"

#include <memory>
#include <string>

struct GLFWwindow;

// The application: window, frame timing and the scene. One instance lives in
// main's frame; every GL call of the program is made from its thread.
class CEngine {
public:
    CEngine();
    ~CEngine();

    CEngine(const CEngine&) = delete;
    CEngine& operator=(const CEngine&) = delete;

    // Window, context, loader, GL state, shader programs and scene.
    bool Init();
    // Frames until the window is asked to close.
    void Run();
    // One frame: steps 2 to 7 of the loop (timing, events, update, render,
    // statistics, accounting).
    void Frame();
    void Update();
    void Render();

    // The three per-frame calls into the scene.
    void CollisionPass();
    void StepWorld(float dt);
    void DrawScene();

    bool LoadShaders();
    bool LoadMedia();
    // No program current; both programs freed.
    void Close();

    void CheckGlError();
    std::string GetExeDirectory();

    std::string moduleFileName;
    double deltaTime;
    double frameStart;
    double frameTime;
    double frameTimeSum;
    int frameCount;
    int sampleSize;
    double computeStart;
    double computeTime;
    double computeTimeSum;
    int windowWidth;
    int windowHeight;

    // Scene members: constructed in this order, destroyed in reverse.
    CPlainPolyProgram polyProgram;
    CPhysicsShaderProgram physicsProgram;
    CRigidBody bodies[BuildConfig::bodyCount];
    CPhysicsWorld world;

    GLFWwindow* window;

    // The one shared square, created by LoadMedia once a context exists. Its
    // GL objects are released by the bodies; this only frees the object.
    std::unique_ptr<CBodyMesh> bodyMesh;

    // The frame clock in seconds; glfwGetTime unless a test replaces it.
    double (*timeSource)();
};
