#include "platform/picture_files.h"

#include "platform/file_system.h"
#include "platform/png_io.h"

namespace zre {

namespace {

bool endsWithBmp(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return ext == ".bmp";
}

} // namespace

void appendBmpInfoHeader(ByteWriter& out, int32_t width, int32_t height, uint32_t imageSize) {
    out.u32(uint32_t(kBmpInfoHeaderSize));
    out.i32(width);
    out.i32(height);  // positive: rows bottom-up
    out.u16(1);
    out.u16(24);
    out.u32(0);  // uncompressed
    out.u32(imageSize);
    out.zeros(16);  // resolutions, colour counts
}

size_t appendBmp24(ByteWriter& out, const uint8_t* bits, int32_t width, int32_t height, size_t stride,
                   bool recordImageSize) {
    const size_t start = out.size();
    const size_t rowBytes = size_t(strideFor(width));
    const uint32_t imageBytes = uint32_t(rowBytes * size_t(height));
    out.text("BM");
    out.u32(uint32_t(kBmpHeadersSize) + imageBytes);
    out.u32(0);
    out.u32(uint32_t(kBmpHeadersSize));
    appendBmpInfoHeader(out, width, height, recordImageSize ? imageBytes : 0);
    if (imageBytes == 0) return out.size() - start;
    if (stride == rowBytes) {
        out.bytes(bits, imageBytes);
    } else {
        const size_t pixelBytes = size_t(width) * 3;
        for (int32_t row = 0; row < height; ++row) {
            out.bytes(bits + size_t(row) * stride, pixelBytes);
            out.zeros(rowBytes - pixelBytes);
        }
    }
    return out.size() - start;
}

std::vector<uint8_t> encodeBmp24(const uint8_t* bits, int width, int height, int stride) {
    if (!bits || width <= 0 || height <= 0 || stride < width * 3) return {};
    ByteWriter out;
    appendBmp24(out, bits, width, height, size_t(stride), true);
    return std::move(out.buffer());
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
