#include "app/ExePath.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

std::string ExecutablePath()
{
#if defined(_WIN32)
    char buffer[MAX_PATH] = {};
    const HMODULE module = GetModuleHandleA(nullptr);
    if (module != nullptr) {
        GetModuleFileNameA(module, buffer, MAX_PATH);
    }
    return buffer;
#else
    // readlink does not say how long the link is, so grow the buffer until
    // the answer fits with room to spare.
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<size_t>(length) < path.size()) {
            path.resize(static_cast<size_t>(length));
            return path;
        }
        path.resize(path.size() * 2);
    }
#endif
}

std::string DirectoryOf(const std::string& path, char separator)
{
    const std::string::size_type last = path.rfind(separator);
    if (last == std::string::npos) {
        return {};
    }
    return path.substr(0, last);
}
