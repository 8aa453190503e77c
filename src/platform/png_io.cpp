#include "platform/png_io.h"

#include <png.h>

#include <cstring>
#include <new>

#include "platform/picture_files.h"

namespace zre {

namespace {

// libpng reports errors by longjmp to the setjmp in runEncode / runDecode. Every function
// between them is either libpng's or one of these callbacks, none of which holds an object
// with a destructor when it hands control back to libpng's error path.
[[noreturn]] void onPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onPngWarning(png_structp, png_const_charp) {}

void writeToVector(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    bool ok = true;
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) png_error(png, "out of memory");
}

void flushNothing(png_structp) {}

bool runEncode(png_structp png, png_infop info, png_bytep* rows, int width, int height,
               std::vector<uint8_t>* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, writeToVector, flushNothing);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

struct ReadState {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

void readFromMemory(png_structp png, png_bytep out, size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (length > state->size - state->pos) png_error(png, "truncated");
    std::memcpy(out, state->data + state->pos, length);
    state->pos += length;
}

struct DecodeTarget {
    int width = 0;
    int height = 0;
    std::vector<uint8_t>* out = nullptr;     // the bottom-up BGR rows
    std::vector<uint8_t>* scratch = nullptr; // BGRA rows when the picture has alpha
    std::vector<png_bytep>* rows = nullptr;
};

// Sizes the buffers; false when memory runs out.
bool prepareRows(DecodeTarget* t, size_t rowBytes, bool alpha) {
    const size_t stride = size_t(strideFor(t->width));
    try {
        t->out->assign(stride * size_t(t->height), 0);
        t->rows->resize(size_t(t->height));
        if (alpha) t->scratch->assign(rowBytes * size_t(t->height), 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int y = 0; y < t->height; ++y) {
        // PNG rows run top-down; ours bottom-up.
        (*t->rows)[size_t(y)] = alpha ? t->scratch->data() + size_t(y) * rowBytes
                                      : t->out->data() + size_t(t->height - 1 - y) * stride;
    }
    return true;
}

bool runDecode(png_structp png, png_infop info, ReadState* state, DecodeTarget* t) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, state, readFromMemory);
    png_set_user_limits(png, kMaxPictureSide, kMaxPictureSide);
    png_read_info(png, info);
    png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
    if (w == 0 || h == 0 || w > png_uint_32(kMaxPictureSide) || h > png_uint_32(kMaxPictureSide)) return false;
    if (uint64_t(strideFor(int(w))) * h > kMaxPictureBytes) return false;
    t->width = int(w);
    t->height = int(h);

    png_set_expand(png);        // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    if ((channels != 3 && channels != 4) || rowBytes != size_t(channels) * w) return false;
    if (!prepareRows(t, rowBytes, channels == 4)) return false;
    png_read_image(png, t->rows->data());
    return true;
}

} // namespace

bool encodePngBgr(const uint8_t* bits, int width, int height, int stride, std::vector<uint8_t>& out) {
    out.clear();
    if (!bits || width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
        stride < width * 3) {
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        // libpng takes non-const rows but only reads them when writing.
        rows[size_t(y)] = const_cast<png_bytep>(bits + size_t(height - 1 - y) * size_t(stride));
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    bool ok = runEncode(png, info, rows.data(), width, height, &out);
    png_destroy_write_struct(&png, &info);
    if (!ok) out.clear();
    return ok;
}

bool decodePngBgr(const uint8_t* data, size_t size, int& width, int& height, std::vector<uint8_t>& bitsBottomUp) {
    width = height = 0;
    bitsBottomUp.clear();
    if (!data || size < 8 || png_sig_cmp(data, 0, 8) != 0) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onPngError, onPngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    ReadState state{data, size, 0};
    std::vector<uint8_t> scratch;
    std::vector<png_bytep> rows;
    DecodeTarget target;
    target.out = &bitsBottomUp;
    target.scratch = &scratch;
    target.rows = &rows;
    bool ok = runDecode(png, info, &state, &target);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        bitsBottomUp.clear();
        return false;
    }
    if (!scratch.empty()) {
        // Alpha composited over black: each channel scaled by alpha / 255, rounded.
        const size_t stride = size_t(strideFor(target.width));
        const size_t rowBytes = size_t(target.width) * 4;
        for (int y = 0; y < target.height; ++y) {
            const uint8_t* src = scratch.data() + size_t(y) * rowBytes;
            uint8_t* dst = bitsBottomUp.data() + size_t(target.height - 1 - y) * stride;
            for (int x = 0; x < target.width; ++x, src += 4, dst += 3) {
                unsigned a = src[3];
                dst[0] = uint8_t((src[0] * a + 127) / 255);
                dst[1] = uint8_t((src[1] * a + 127) / 255);
                dst[2] = uint8_t((src[2] * a + 127) / 255);
            }
        }
    }
    width = target.width;
    height = target.height;
    return true;
}

} // namespace zre
