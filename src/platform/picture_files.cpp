#include "platform/picture_files.h"

#include "platform/file_system.h"
#include "platform/png_io.h"

namespace zre {

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

bool endsWithBmp(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext == ".bmp";
}

} // namespace

std::vector<uint8_t> encodeBmp24(const uint8_t* bits, int width, int height, int stride) {
    std::vector<uint8_t> out;
    if (!bits || width <= 0 || height <= 0 || stride < width * 3) return out;
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(height);
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + imageBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height)); // positive: rows bottom-up
    put16(out, 1);
    put16(out, 24);
    put32(out, 0); // uncompressed
    put32(out, imageBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int row = 0; row < height; ++row) {
        const uint8_t* src = bits + static_cast<size_t>(row) * static_cast<size_t>(stride);
        out.insert(out.end(), src, src + width * 3);
        out.resize(out.size() + (rowBytes - static_cast<uint32_t>(width) * 3), 0);
    }
    return out;
}

bool writePictureFile(const std::string& path, const uint8_t* bits, int width, int height, int stride) {
    std::vector<uint8_t> bytes;
    if (endsWithBmp(path)) {
        bytes = encodeBmp24(bits, width, height, stride);
        if (bytes.empty()) return false;
    } else if (!encodePngBgr(bits, width, height, stride, bytes)) {
        return false;
    }
    return writeHostFileAtomically(path, bytes.data(), bytes.size());
}

} // namespace zre
