#include "PngWriter.h"

#include <cstdint>
#include <fstream>

namespace {

std::uint32_t Crc32(const unsigned char* data, size_t size, std::uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::uint32_t Adler32(const std::vector<unsigned char>& data)
{
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (unsigned char byte : data) {
        a = (a + byte) % 65521u;
        b = (b + a) % 65521u;
    }
    return (b << 16) | a;
}

// Deflate writes its bits least significant first; Huffman codes go in with
// their most significant bit first.
class CBitWriter {
public:
    void Bits(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i) {
            Bit((value >> i) & 1u);
        }
    }
    void Code(std::uint32_t code, int length)
    {
        for (int i = length - 1; i >= 0; --i) {
            Bit((code >> i) & 1u);
        }
    }
    std::vector<unsigned char> Finish()
    {
        if (used != 0) {
            bytes.push_back(current);
        }
        return bytes;
    }

private:
    void Bit(std::uint32_t bit)
    {
        current = static_cast<unsigned char>(current | (bit << used));
        if (++used == 8) {
            bytes.push_back(current);
            current = 0;
            used = 0;
        }
    }

    std::vector<unsigned char> bytes;
    unsigned char current = 0;
    int used = 0;
};

// The fixed literal/length code of deflate.
void LiteralOrLength(CBitWriter& out, int symbol)
{
    if (symbol < 144) {
        out.Code(0x30u + symbol, 8);
    } else if (symbol < 256) {
        out.Code(0x190u + (symbol - 144), 9);
    } else if (symbol < 280) {
        out.Code(static_cast<std::uint32_t>(symbol - 256), 7);
    } else {
        out.Code(0xC0u + (symbol - 280), 8);
    }
}

void Match(CBitWriter& out, int length, int distance)
{
    static const int base[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int extra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    int code = 28;
    while (base[code] > length) {
        --code;
    }
    LiteralOrLength(out, 257 + code);
    out.Bits(static_cast<std::uint32_t>(length - base[code]), extra[code]);
    // Distances 1 to 4 are the codes 0 to 3, five bits, no extra bits.
    out.Code(static_cast<std::uint32_t>(distance - 1), 5);
}

std::vector<unsigned char> Deflate(const std::vector<unsigned char>& data)
{
    CBitWriter out;
    out.Bits(1, 1); // last block
    out.Bits(1, 2); // fixed Huffman codes
    size_t i = 0;
    while (i < data.size()) {
        int bestLength = 0;
        int bestDistance = 0;
        for (int distance : {1, 3}) {
            if (i < static_cast<size_t>(distance)) {
                continue;
            }
            int length = 0;
            while (length < 258 && i + length < data.size() && data[i + length] == data[i + length - distance]) {
                ++length;
            }
            if (length > bestLength) {
                bestLength = length;
                bestDistance = distance;
            }
        }
        if (bestLength >= 3) {
            Match(out, bestLength, bestDistance);
            i += static_cast<size_t>(bestLength);
        } else {
            LiteralOrLength(out, data[i]);
            ++i;
        }
    }
    LiteralOrLength(out, 256); // end of block
    return out.Finish();
}

void PutU32(std::vector<unsigned char>& bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<unsigned char>(value >> shift));
    }
}

void Chunk(std::ofstream& file, const char type[4], const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> bytes;
    PutU32(bytes, static_cast<std::uint32_t>(data.size()));
    bytes.insert(bytes.end(), type, type + 4);
    bytes.insert(bytes.end(), data.begin(), data.end());
    PutU32(bytes, Crc32(bytes.data() + 4, bytes.size() - 4));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb)
{
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3) {
        return false;
    }

    // Every row starts with filter type 0: the bytes as they are.
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(width * 3 + 1) * height);
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(y) * width * 3;
        raw.insert(raw.end(), row, row + width * 3);
    }

    std::vector<unsigned char> zlib = {0x78, 0x01}; // deflate, 32K window, no dictionary
    const std::vector<unsigned char> deflated = Deflate(raw);
    zlib.insert(zlib.end(), deflated.begin(), deflated.end());
    PutU32(zlib, Adler32(raw));

    std::vector<unsigned char> header;
    PutU32(header, static_cast<std::uint32_t>(width));
    PutU32(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace

    std::ofstream file(path, std::ios::binary);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    file.write(reinterpret_cast<const char*>(signature), sizeof(signature));
    Chunk(file, "IHDR", header);
    Chunk(file, "IDAT", zlib);
    Chunk(file, "IEND", {});
    return file.good();
}
