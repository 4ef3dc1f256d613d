#pragma once

struct GLFWwindow;

// The window every Corvane program draws in: an OpenGL 4.3 core-profile
// context, not resizable, made current on the calling thread. Null when the
// window library has no display or no such context. The library must have
// been initialised (glfwInit).
GLFWwindow* OpenCoreWindow(int width, int height, const char* title, bool visible = true);

// Loads the GL entry points of the current context, including those the
// loader does not find advertised (core profiles list no extensions).
bool LoadGlEntryPoints();

// For tests and tools: initialises the window library, opens a core window
// and loads GL, with the viewport covering the window. On failure it says
// why on standard output, shuts the library down and returns null.
GLFWwindow* StartStandaloneGl(int width, int height, const char* title, bool visible = true);
