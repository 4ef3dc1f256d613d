#pragma once

#include <GL/glew.h>

// True once the GL entry points are loaded. Objects that may also live in
// GL-free code (physics tests, tools) test it before their GL calls.
inline bool GlLoaded()
{
    return glUseProgram != nullptr;
}
