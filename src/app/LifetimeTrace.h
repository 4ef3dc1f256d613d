#pragma once

// A test configuration built with CORVANE_TRACE_LIFETIMES observes the
// destruction order of the scene objects through CorvaneTraceDestroyed,
// which the test itself defines. In every other build the macro is empty.
#if defined(CORVANE_TRACE_LIFETIMES)
void CorvaneTraceDestroyed(const char* type, const void* object);
#define CORVANE_TRACE_DESTROYED(type) CorvaneTraceDestroyed(type, this)
#else
#define CORVANE_TRACE_DESTROYED(type) static_cast<void>(0)
#endif
