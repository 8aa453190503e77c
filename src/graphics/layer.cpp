#include "graphics/layer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/image_formats.h"
#include "graphics/pixel_ops.h"
#include "graphics/row_kernels.h"


namespace zre {

int Layer::createBlank(int32_t width, int32_t height) {
    auto blank = std::make_unique<Bitmap>();
    const bool made = blank->create(width, height) != 0;
    image = made ? std::move(blank) : nullptr;
    destRect = Rect{0, 0, width, height};
    srcRect = destRect;
    return made ? 1 : 0;
}

void Layer::loadPicture(std::string_view fileName, int32_t x, int32_t y) {
    image = loadImageFile(fileName);
    srcRect = image->bounds;
    destRect = srcRect;
    destRect.moveTo(x, y);
}

void Layer::loadPictureSized(std::string_view fileName, int32_t x, int32_t y, int32_t w, int32_t h) {
    if (w == 0) {
        loadPicture(fileName, x, y);
        return;
    }
    image = loadImageFile(fileName);
    srcRect = Rect{0, 0, w, h};
    destRect = Rect{x, y, wrapAdd(x, w), wrapAdd(y, h)};
}

void Layer::loadWithMaskFile(std::string_view fileName, std::string_view maskFileName, int32_t x, int32_t y) {
    loadPicture(fileName, x, y);
    mask = loadImageFile(maskFileName);
}

void Layer::loadSplitMask(std::string_view fileName, int32_t x, int32_t y, int32_t split) {
    std::unique_ptr<Bitmap> whole = loadImageFile(fileName);
    const int32_t width = whole->width();
    const int32_t height = whole->height();
    Rect picture;
    if (split == 0) {
        picture = Rect{0, 0, width / 2, height};
        image = whole->crop(0, 0, width / 2, height);
        mask = whole->crop(width / 2, 0, width, height);
    } else {
        picture = Rect{0, 0, width, height / 2};
        image = whole->crop(0, 0, width, height / 2);
        mask = whole->crop(0, height / 2, width, height);
    }
    srcRect = picture;
    destRect = picture;
    destRect.moveTo(x, y);
}

void Layer::loadSplitMaskSized(std::string_view fileName, int32_t x, int32_t y, int32_t w, int32_t h,
                               int32_t split) {
    loadSplitMask(fileName, x, y, split);
    srcRect = Rect{0, 0, w, h};
    destRect = Rect{x, y, wrapAdd(x, w), wrapAdd(y, h)};
}

void Layer::moveTo(int32_t x, int32_t y) { destRect.moveTo(x, y); }

void Layer::moveSource(int32_t x, int32_t y) { srcRect.moveTo(x, y); }

void Layer::copyOnto(const Layer& source) {
    if (!image || !source.image || source.image->empty()) return;
    const Rect& d = source.destRect;
    blitBitmap(*image, *source.image, d.left, d.top, d.width(), d.height());
}

std::unique_ptr<Layer> Layer::cutRegion(int32_t left, int32_t top, int32_t right, int32_t bottom) const {
    if (!image) return nullptr;
    auto cut = std::make_unique<Layer>();
    cut->image = image->crop(left, top, right, bottom);
    if (mask) cut->mask = mask->crop(left, top, right, bottom);
    cut->destRect = Rect{0, 0, right - left, bottom - top};
    cut->srcRect = cut->destRect;
    return cut;
}

std::unique_ptr<Layer> Layer::clone() const {
    auto copy = std::make_unique<Layer>();
    if (image) copy->image = image->clone();
    if (mask) copy->mask = mask->clone();
    copy->alpha = alpha;
    copy->destRect = destRect;
    copy->srcRect = srcRect;
    copy->keyColor = keyColor;
    copy->visible = visible;
    return copy;
}

// ---------------------------------------------------------------------------------------------
// drawLayer.
//
// The pixels are defined by a sequence of whole-bitmap steps: crop the target under a working
// region, crop the source at srcRect, stretch it to the displayed size, crop that at the
// working region, blend or key it, blend by alpha, blit the block back. Every one of those
// steps is a per-byte (blends) or per-pixel (keyed copy) function of the bytes at the same
// place, so each target pixel depends only on the target, source and mask pixels that end
// up at its place. We therefore read those pixels where they already are and write the
// result straight into the target, row by row, without building the intermediate bitmaps.
// Columns of the working region past the clipped width are never copied back, so they need
// not be computed. Only stretching needs a whole intermediate picture, since a scaled pixel
// depends on its neighbours; it is built exactly as the sequence builds it.

namespace {

enum class Combine { Copy, Masked, Keyed };

// Where a source or mask pixel lies: a bitmap read at an offset; outside it (or when there
// is no bitmap) the pixel is zero, as the crops of the sequence make it.
struct SourceView {
    const Bitmap* bitmap = nullptr;
    int32_t offsetX = 0;
    int32_t offsetY = 0;

    bool rowValid(int32_t y) const {
        return bitmap && !bitmap->empty() && y + offsetY >= 0 && y + offsetY < bitmap->height();
    }
    // Displayed columns [x0, x0 + n) map to [begin, end) of valid ones (as counts from x0).
    void columns(int32_t x0, int32_t n, int32_t& begin, int32_t& end) const {
        const int32_t base = x0 + offsetX;
        begin = std::clamp(-base, 0, n);
        end = std::clamp(bitmap->width() - base, begin, n);
    }
    const uint8_t* at(int32_t x, int32_t y) const { return bitmap->pixel(x + offsetX, y + offsetY); }
};

} // namespace

void Layer::drawLayer(Layer& source, const Rect& clip) {
    if (!image || image->empty()) return;
    source.dirtyRect.setEmpty();
    const Rect shown = intersectRect(source.destRect, clip);
    if (shown.isEmpty() || source.visible == 0 || !source.image || source.image->empty()) return;

    const Rect& dest = source.destRect;
    const Rect& src = source.srcRect;
    const bool hasMask = source.mask != nullptr;
    const Combine combine = hasMask ? Combine::Masked : source.keyColor != 0 ? Combine::Keyed : Combine::Copy;
    // Weight 256 gives the composed or copied bytes themselves ((v * 256 + g * 0) >> 8 = v),
    // exactly as without alpha; the composite keeps 256 after every fade.
    const int32_t a = source.alpha == 256 ? 0 : source.alpha;

    // The source at displayed size, as views into the pictures.
    SourceView picture{source.image.get()};
    SourceView weights{source.mask.get()};
    const bool cropped = source.image->width() != src.width() || source.image->height() != src.height();
    const bool stretched = dest.width() != src.width() || dest.height() != src.height();
    std::unique_ptr<Bitmap> stretchedPicture, stretchedMask;
    if (stretched) {
        // The part at srcRect, scaled to the displayed size; null when it cannot be made.
        auto displayed = [&](const Bitmap& whole) -> std::unique_ptr<Bitmap> {
            std::unique_ptr<Bitmap> part;
            const Bitmap* from = &whole;
            if (cropped) {
                part = whole.crop(src.left, src.top, src.right, src.bottom);
                from = part.get();
            }
            return from ? stretchBitmap(*from, dest.width(), dest.height()) : nullptr;
        };
        stretchedPicture = displayed(*source.image);
        if (!stretchedPicture) return;  // nothing to show at that size
        picture = SourceView{stretchedPicture.get()};
        if (hasMask) {
            stretchedMask = displayed(*source.mask);
            weights = SourceView{stretchedMask.get()};
        }
    } else if (cropped) {
        picture.offsetX = weights.offsetX = src.left;
        picture.offsetY = weights.offsetY = src.top;
    }

    // Only target pixels inside the target bitmap are ever written back.
    const Rect area = intersectRect(shown, image->bounds);
    if (area.isEmpty()) return;
    const int32_t n = area.width();
    const int32_t x0 = area.left - dest.left;  // first column, displayed coordinates
    std::vector<uint8_t> zeros;
    auto zeroRow = [&]() -> const uint8_t* {
        if (zeros.empty()) zeros.assign(size_t(n) * 3, 0);
        return zeros.data();
    };

    for (int32_t ty = area.top; ty < area.bottom; ++ty) {
        const int32_t y = ty - dest.top;  // displayed row
        uint8_t* row = image->pixel(area.left, ty);

        int32_t pb = 0, pe = 0, mb = 0, me = 0;
        const bool pRow = picture.rowValid(y);
        if (pRow) picture.columns(x0, n, pb, pe);
        const bool mRow = combine == Combine::Masked && weights.rowValid(y);
        if (mRow) weights.columns(x0, n, mb, me);

        // Runs between the points where the source or the mask starts or stops being read.
        int32_t cuts[6] = {0, pb, pe, mb, me, n};
        std::sort(cuts, cuts + 6);
        for (int i = 0; i + 1 < 6; ++i) {
            const int32_t c0 = cuts[i], c1 = cuts[i + 1];
            if (c0 >= c1) continue;
            uint8_t* t = row + size_t(c0) * 3;
            const size_t count = size_t(c1 - c0);
            const uint8_t* p = (pRow && c0 >= pb && c1 <= pe) ? picture.at(x0 + c0, y) : zeroRow();
            switch (combine) {
            case Combine::Copy:
                if (a == 0)
                    std::memmove(t, p, count * 3);
                else
                    blendRowAlpha(t, p, t, count * 3, a);
                break;
            case Combine::Masked: {
                const uint8_t* m = (mRow && c0 >= mb && c1 <= me) ? weights.at(x0 + c0, y) : zeroRow();
                blendRowMasked(t, p, m, count * 3, a);
                break;
            }
            case Combine::Keyed:
                copyRowKeyed(t, p, count, source.keyColor, a);
                break;
            }
        }
    }
}

void Layer::copyOntoThenDraw(const Layer& below, Layer& source, const Rect& clip) {
    const Rect area = intersectRect(source.destRect, clip);
    const Rect& dest = source.destRect;
    const Rect& under = below.destRect;
    const bool onePass = image && !image->empty() && below.image && !below.image->empty() && source.image &&
                         !source.image->empty() && source.visible != 0 && !source.mask && source.keyColor == 0 &&
                         !area.isEmpty() && area == under && intersectRect(area, image->bounds) == area &&
                         below.image->width() >= under.width() && below.image->height() >= under.height() &&
                         source.image->width() == source.srcRect.width() &&
                         source.image->height() == source.srcRect.height() && dest.width() == source.srcRect.width() &&
                         dest.height() == source.srcRect.height();
    if (!onePass) {
        copyOnto(below);
        drawLayer(source, clip);
        return;
    }
    // Every pixel of the area is first the old picture and then the source over it, so the
    // result is the source blended over the old picture directly.
    source.dirtyRect.setEmpty();
    const size_t bytes = size_t(area.width()) * 3;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        uint8_t* t = image->pixel(area.left, y);
        const uint8_t* p = source.image->pixel(area.left - dest.left, y - dest.top);
        const uint8_t* g = below.image->pixel(area.left - under.left, y - under.top);
        if (source.alpha == 0 || source.alpha == 256)
            std::memmove(t, p, bytes);
        else
            blendRowAlpha(t, p, g, bytes, source.alpha);
    }
}

} // namespace zre
