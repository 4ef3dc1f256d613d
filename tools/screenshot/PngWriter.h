#pragma once

#include <string>
#include <vector>

// Writes an 8-bit RGB image as a PNG file. rgb holds width * height pixels,
// rows from the top of the picture down. Returns false if the file could not
// be written.
//
// The encoder is deliberately small: one fixed-Huffman deflate block whose
// only back-references repeat the previous byte or the previous pixel, which
// is all a picture of flat colours needs to stay small.
bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);
