#pragma once

// The separator between a folder and the name inside it, on this platform.
#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
