#pragma once

#include <string>

// Full path of the running executable; empty when the system cannot say.
std::string ExecutablePath();

// The folder part of path: characters are removed from the end up to and
// including the last separator. A path without a separator gives "".
std::string DirectoryOf(const std::string& path, char separator);
