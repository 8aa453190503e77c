#pragma once
// One picture of a Screen: its image (and optional per-channel mask), its number in the
// stack, where it shows (destRect) and which part of the image shows (srcRect), the area it
// has changed since it was last drawn, its key colour, alpha and visibility.
#include <cstdint>
#include <memory>
#include <string_view>

#include "graphics/bitmap.h"
#include "graphics/rect.h"

namespace zre {

// Layer numbers with a fixed role.
constexpr int32_t kFrontLayerId = 0;             // the front buffer the window shows
constexpr int32_t kMessageWindowLayerId = 1001;  // the message window picture
constexpr int32_t kTextCursorLayerId = 1500;     // the text cursor, shown with the window
constexpr int32_t kCompositeLayerId = 2000;      // everything composed, before presentation
constexpr int32_t kSnapshotLayerId = 2001;       // the old picture during an alpha fade

// Layer kinds as the scripts name them (any other name maps to 0).
enum LayerKind : int32_t {
    LAYER_NORMAL = 0,
    LAYER_MASK = 1,
    LAYER_MASKEX = 2,
    LAYER_TRANS = 3,
    LAYER_BUTTON = 5,
};

class Layer {
public:
    Layer() = default;
    virtual ~Layer() = default;
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    // 1, or 0 when the bitmap cannot be made (the layer then has no image). destRect and
    // srcRect become (0, 0, width, height) either way.
    int createBlank(int32_t width, int32_t height);
    // image from the file (an empty bitmap when it is missing or refused); srcRect = the
    // image's bounds, destRect = those bounds at (x, y).
    void loadPicture(std::string_view fileName, int32_t x, int32_t y);
    // w = 0: as loadPicture. Otherwise only the top-left w x h of the picture shows, at (x, y).
    void loadPictureSized(std::string_view fileName, int32_t x, int32_t y, int32_t w, int32_t h);
    void loadWithMaskFile(std::string_view fileName, std::string_view maskFileName, int32_t x, int32_t y);
    // One file, picture and mask side by side: split 0 left/right halves, nonzero
    // top/bottom halves (the second half takes the odd pixel). No image when a half
    // cannot be cut.
    void loadSplitMask(std::string_view fileName, int32_t x, int32_t y, int32_t split);
    void loadSplitMaskSized(std::string_view fileName, int32_t x, int32_t y, int32_t w, int32_t h,
                            int32_t split);
    void moveTo(int32_t x, int32_t y);
    void moveSource(int32_t x, int32_t y);
    // Copies source's image from its (0, 0), plainly, into this image at source.destRect.
    void copyOnto(const Layer& source);

    // New layer holding crops of image (and mask) at that rectangle, with destRect and srcRect
    // (0, 0, width, height); its image is null when the crop cannot be made. Null when this
    // layer has no image.
    virtual std::unique_ptr<Layer> cutRegion(int32_t left, int32_t top, int32_t right, int32_t bottom) const;
    // Copies of image and mask with the same alpha, rectangles, key colour and visibility;
    // id and tag are not copied.
    virtual std::unique_ptr<Layer> clone() const;
    // Draws source into this image over source.destRect clipped to clip: mask, key colour,
    // alpha, source cropping and stretching. The pixels are those of the crop, stretch, blend
    // and blit sequence through a working region rounded up to 8 pixels; only the pixels
    // inside the clipped area are written. Empties source.dirtyRect.
    virtual void drawLayer(Layer& source, const Rect& clip);
    // copyOnto(below) followed by drawLayer(source, clip): the old picture goes back, the
    // source is drawn over it. When below covers exactly the area drawn and the source is a
    // plain picture (the snapshot and the composite of an alpha fade), both happen in one
    // pass over the pixels.
    void copyOntoThenDraw(const Layer& below, Layer& source, const Rect& clip);

    bool hasImage() const { return image != nullptr; }

    std::unique_ptr<Bitmap> image;  // may be null only after a failed load
    std::unique_ptr<Bitmap> mask;   // per-pixel, per-channel weights of image; optional
    int32_t id = 0;
    int32_t tag = 0;
    int32_t alpha = 0;              // 0 opaque; 1..256 weight over what lies below
    Rect destRect;
    Rect srcRect;
    Rect dirtyRect;
    uint32_t keyColor = 0;          // 0x00BBGGRR; 0 means no key colour
    int32_t visible = 1;
};

} // namespace zre
