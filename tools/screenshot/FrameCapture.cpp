#include "FrameCapture.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstddef>

std::vector<unsigned char> ReadFrameTopDown(int width, int height)
{
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    std::vector<unsigned char> bottomUp(rowBytes * static_cast<size_t>(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());

    // GL's rows run bottom up, a PNG's top down.
    std::vector<unsigned char> topDown(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * rowBytes), rowBytes,
                    topDown.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(height - 1 - y) * rowBytes));
    }
    return topDown;
}
