#include "tools/assetgen/bmp_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

bool WriteBmp(const Canvas& c, const std::string& path, std::string* error) {
    const uint32_t rowBytes = (static_cast<uint32_t>(c.w) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(c.h);
    const uint32_t headerBytes = 14 + 40;
    std::vector<uint8_t> b;
    b.reserve(headerBytes + imageBytes);
    // BITMAPFILEHEADER
    b.push_back('B');
    b.push_back('M');
    Put32(b, headerBytes + imageBytes);
    Put16(b, 0);
    Put16(b, 0);
    Put32(b, headerBytes);
    // BITMAPINFOHEADER: positive height means the bottom row comes first.
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(c.w));
    Put32(b, static_cast<uint32_t>(c.h));
    Put16(b, 1);   // planes
    Put16(b, 24);  // bits per pixel
    Put32(b, 0);   // BI_RGB, no compression
    Put32(b, imageBytes);
    Put32(b, 2835);  // 72 dpi
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = c.h - 1; y >= 0; --y) {
        for (int x = 0; x < c.w; ++x) {
            Rgb p = Pixel(c, x, y);
            b.push_back(p.b);
            b.push_back(p.g);
            b.push_back(p.r);
        }
        for (uint32_t pad = static_cast<uint32_t>(c.w) * 3; pad < rowBytes; ++pad) b.push_back(0);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        *error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) *error = "cannot write " + path;
    return ok;
}
