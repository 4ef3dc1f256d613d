#pragma once

#include <vector>

// Reads the RGB pixels of the current read buffer (the back buffer, before
// the swap), rows from the top of the picture down, as WritePng wants them.
std::vector<unsigned char> ReadFrameTopDown(int width, int height);
