#pragma once
// The readers of the three picture formats behind Bitmap::load, GefBitmap::load and
// GfbBitmap::load. They read from a byte stream so that the same code serves an open file
// handle, a byte buffer (the tool, the fuzzers) and a package member alike. Each reader checks every size against what the source really holds
// before it allocates, and leaves the bitmap empty (no store, 0 x 0) when it refuses.
#include <cstdint>

#include "data/byte_stream.h"
#include "graphics/bitmap.h"

namespace zre {

// Why a picture was refused; Ok when it was accepted.
enum class PictureStatus {
    Ok,
    Truncated,      // the file ends before its header or its pixel data does
    BadSignature,   // not "BM", "GGEF" or "GFB "
    Unsupported,    // not 24 bits per pixel, compressed BMP, header kind we do not read
    TooLarge,       // width, height or pixel bytes beyond what any picture may have
    Malformed,      // sizes in the header that contradict each other, a broken stream
};

// A short English reason for a refusal, for tools.
const char* pictureStatusText(PictureStatus status);

class FileHandle;

// Each reads from the stream's position on.
using PictureReader = PictureStatus (*)(Bitmap& bitmap, ByteStream& source);
PictureStatus readBmp(Bitmap& bitmap, ByteStream& source);
PictureStatus readGef(Bitmap& bitmap, ByteStream& source);
PictureStatus readGfb(Bitmap& bitmap, ByteStream& source);

// What the load methods of the bitmap classes do: reader on the handle's bytes from its
// position; 1 accepted, 0 refused. A closed handle reads as empty, refused as truncated.
int loadFromHandle(Bitmap& bitmap, FileHandle& file, PictureReader reader);

// The checks every reader makes on a header's size before anything is allocated.
PictureStatus checkPictureSize(int32_t width, int32_t height);

// What every reader does last: makes the store for width x height (sizes already checked)
// and reads n bytes of pixels into it from source (n at most the store's size; pixels
// beyond stay black). On a refusal the bitmap is left empty.
PictureStatus readPixels(Bitmap& bitmap, ByteStream& source, int32_t width, int32_t height, uint64_t n);
// Leaves the bitmap empty (no store, 0 x 0), as every refusal does.
void clearPicture(Bitmap& bitmap);

} // namespace zre
