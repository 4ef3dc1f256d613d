#pragma once

struct GLFWwindow;

// The window and OpenGL 4.3 core context that GL tests draw into: created
// once per test program by GlTestMain, 800 by 800 like the application's,
// current on the main thread, with the loader initialised.
GLFWwindow* TestWindow();

// Reads the RGB pixel at (x, y) of the current read buffer, origin bottom left.
struct Rgb {
    unsigned char r, g, b;
};
Rgb ReadPixel(int x, int y);
