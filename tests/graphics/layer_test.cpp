#include "graphics/layer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "graphics/bitmap.h"
#include "graphics/image_formats.h"
#include "graphics/pixel_ops.h"
#include "support/test_support.h"

namespace zre {
namespace {

uint8_t hashByte(int32_t x, int32_t y, int32_t c, uint32_t seed) {
    uint32_t h = uint32_t(x) * 73856093u ^ uint32_t(y) * 19349663u ^ uint32_t(c) * 83492791u ^ seed * 2654435761u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return uint8_t(h);
}

std::unique_ptr<Bitmap> patterned(int32_t w, int32_t h, uint32_t seed) {
    auto b = makeBitmap(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int32_t c = 0; c < 3; ++c) b->pixel(x, y)[c] = hashByte(x, y, c, seed);
    return b;
}

// Mask bytes with plenty of the extremes 0 and 255 among arbitrary weights.
std::unique_ptr<Bitmap> maskPattern(int32_t w, int32_t h, uint32_t seed) {
    auto b = patterned(w, h, seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                uint8_t& v = b->pixel(x, y)[c];
                if (v < 64) v = 0;
                else if (v > 192) v = 255;
            }
    return b;
}

std::unique_ptr<Bitmap> solid(int32_t w, int32_t h, uint8_t b, uint8_t g, uint8_t r) {
    auto bm = makeBitmap(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            bm->pixel(x, y)[0] = b;
            bm->pixel(x, y)[1] = g;
            bm->pixel(x, y)[2] = r;
        }
    return bm;
}

std::unique_ptr<Layer> pictureLayer(std::unique_ptr<Bitmap> image, int32_t x, int32_t y) {
    auto l = std::make_unique<Layer>();
    l->srcRect = image->bounds;
    l->destRect = image->bounds;
    l->destRect.moveTo(x, y);
    l->image = std::move(image);
    return l;
}

// drawLayer as the literal sequence of whole-bitmap steps: crop the working region of the
// target, crop and stretch the source, crop it at the working region, blend or key, blend
// by alpha, blit back. The compositor's fast path must give the same pixels.
void referenceDrawLayer(Layer& target, Layer& source, const Rect& clip) {
    if (!target.image || target.image->empty()) return;
    source.dirtyRect.setEmpty();
    const Rect shown = intersectRect(source.destRect, clip);
    if (shown.isEmpty() || source.visible == 0 || !source.image || source.image->empty()) return;
    const int32_t w = shown.width(), h = shown.height();
    const int32_t wide = (w + 7) / 8 * 8;
    const Rect work{shown.left, shown.top, shown.left + wide, shown.bottom};
    Rect local = work;
    local.offset(-source.destRect.left, -source.destRect.top);

    std::unique_ptr<Bitmap> below = target.image->crop(work.left, work.top, work.right, work.bottom);
    std::unique_ptr<Bitmap> saved;
    if (source.alpha != 0) saved = below->clone();

    const Rect& src = source.srcRect;
    const Rect& dest = source.destRect;
    std::unique_ptr<Bitmap> ownP, ownM;
    const Bitmap* p = source.image.get();
    const Bitmap* m = source.mask.get();
    if (p->width() != src.width() || p->height() != src.height()) {
        ownP = p->crop(src.left, src.top, src.right, src.bottom);
        p = ownP.get();
        if (m) {
            ownM = m->crop(src.left, src.top, src.right, src.bottom);
            m = ownM.get();
        }
    }
    if (dest.width() != src.width() || dest.height() != src.height()) {
        if (!p) return;
        ownP = stretchBitmap(*p, dest.width(), dest.height());
        p = ownP.get();
        if (m) {
            ownM = stretchBitmap(*m, dest.width(), dest.height());
            m = ownM.get();
        }
    }
    if (!p) return;
    std::unique_ptr<Bitmap> pc = p->crop(local.left, local.top, local.right, local.bottom);
    std::unique_ptr<Bitmap> mc;
    if (source.mask) mc = m ? m->crop(local.left, local.top, local.right, local.bottom) : makeBitmap(wide, h);

    bool composed = false;
    if (source.mask) {
        blendMasked(*below, *pc, *mc);
        composed = true;
    } else if (source.keyColor != 0) {
        blitKeyed(*below, *pc, source.keyColor);
        composed = true;
    }
    if (source.alpha != 0) {
        if (composed)
            blendConstant(*below, *saved, 256 - source.alpha);
        else
            blendConstant(*below, *pc, source.alpha);
        composed = true;
    }
    blitBitmap(*target.image, composed ? *below : *pc, shown.left, shown.top, w, h);
}

bool samePixels(const Bitmap& a, const Bitmap& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int32_t y = 0; y < a.height(); ++y)
        if (std::memcmp(a.row(y), b.row(y), size_t(a.width()) * 3) != 0) return false;
    return true;
}

struct DrawCase {
    const char* name;
    std::function<std::unique_ptr<Layer>()> make;
    Rect clip = Rect{0, 0, 800, 600};
    int32_t targetWidth = 800;
    int32_t targetHeight = 600;
    bool drawsSomething = true;
};

constexpr uint32_t kMagenta = 0x00FF00FF;

// A picture with exact key pixels in a grid and near-key pixels beside them.
std::unique_ptr<Bitmap> keyedPicture(int32_t w, int32_t h, uint32_t seed) {
    auto b = patterned(w, h, seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* px = b->pixel(x, y);
            if ((x + y) % 3 == 0) {
                px[0] = 0xFF; px[1] = 0x00; px[2] = 0xFF;
            } else if ((x + y) % 7 == 0) {
                px[0] = 0xFF; px[1] = 0x01; px[2] = 0xFF;
            }
        }
    return b;
}

std::vector<DrawCase> drawCases() {
    std::vector<DrawCase> cases;
    auto plain = [](int32_t w, int32_t h, int32_t x, int32_t y, uint32_t seed) {
        return pictureLayer(patterned(w, h, seed), x, y);
    };
    auto masked = [=](int32_t w, int32_t h, int32_t x, int32_t y, uint32_t seed) {
        auto l = plain(w, h, x, y, seed);
        l->mask = maskPattern(w, h, seed + 100);
        return l;
    };
    auto keyed = [](int32_t w, int32_t h, int32_t x, int32_t y, uint32_t seed) {
        auto l = pictureLayer(keyedPicture(w, h, seed), x, y);
        l->keyColor = kMagenta;
        return l;
    };
    cases.push_back({"opaque", [=] { return plain(100, 50, 10, 20, 1); }});
    cases.push_back({"mask partly off the left", [=] { return masked(120, 60, -7, 13, 2); }});
    cases.push_back({"white mask darkens", [=] {
                         auto l = plain(64, 33, 100, 100, 3);
                         l->mask = solid(64, 33, 255, 255, 255);
                         return l;
                     }});
    cases.push_back({"missing mask reads as zero weights", [=] {
                         auto l = plain(40, 40, 300, 200, 4);
                         l->mask = std::make_unique<Bitmap>();
                         return l;
                     }});
    cases.push_back({"key colour", [=] { return keyed(90, 45, 17, 400, 5); }});
    for (int32_t alpha : {1, 128, 256}) {
        cases.push_back({"alpha plain", [=] {
                             auto l = plain(77, 41, 211, 133, 6);
                             l->alpha = alpha;
                             return l;
                         }});
        cases.push_back({"alpha with mask", [=] {
                             auto l = masked(77, 41, 211, 133, 7);
                             l->alpha = alpha;
                             return l;
                         }});
        cases.push_back({"alpha with key", [=] {
                             auto l = keyed(77, 41, 211, 133, 8);
                             l->alpha = alpha;
                             return l;
                         }});
    }
    cases.push_back({"srcRect smaller than the image", [=] {
                         auto l = masked(200, 150, 50, 60, 9);
                         l->srcRect = Rect{0, 0, 64, 40};
                         l->destRect = Rect{50, 60, 114, 100};
                         return l;
                     }});
    cases.push_back({"srcRect moved to a frame", [=] {
                         auto l = masked(200, 150, 50, 60, 10);
                         l->srcRect = Rect{0, 0, 50, 50};
                         l->destRect = Rect{50, 60, 100, 110};
                         l->moveSource(133, 117);  // partly past the picture: zeros there
                         return l;
                     }});
    cases.push_back({"srcRect the image's size but moved (no crop)", [=] {
                         auto l = masked(60, 30, 5, 5, 11);
                         l->moveSource(13, 7);
                         return l;
                     }});
    cases.push_back({"stretch up", [=] {
                         auto l = plain(40, 30, 400, 300, 12);
                         l->destRect = Rect{400, 300, 497, 361};
                         return l;
                     }});
    cases.push_back({"stretch down with mask", [=] {
                         auto l = masked(120, 90, 500, 20, 13);
                         l->destRect = Rect{500, 20, 550, 53};
                         return l;
                     }});
    cases.push_back({"crop and stretch with mask and alpha", [=] {
                         auto l = masked(160, 120, 600, 400, 14);
                         l->srcRect = Rect{20, 10, 100, 70};
                         l->destRect = Rect{600, 400, 731, 477};
                         l->alpha = 128;
                         return l;
                     }});
    cases.push_back({"crop and stretch with key", [=] {
                         auto l = keyed(160, 120, 10, 450, 15);
                         l->srcRect = Rect{0, 0, 64, 64};
                         l->destRect = Rect{10, 450, 138, 578};
                         return l;
                     }});
    cases.push_back({"5 px wide at x = 795", [=] {
                         auto l = masked(5, 30, 795, 10, 16);
                         l->alpha = 77;
                         return l;
                     }});
    cases.push_back({"partly off the bottom right", [=] {
                         auto l = plain(50, 50, 780, 590, 17);
                         l->alpha = 200;
                         return l;
                     }});
    cases.push_back({"off the top", [=] { return keyed(50, 50, 300, -31, 18); }});
    cases.push_back({"clipped to a small area", [=] { return masked(300, 200, 0, 0, 19); }, Rect{30, 30, 61, 47}});
    cases.push_back({"invisible", [=] {
                         auto l = plain(50, 50, 0, 0, 20);
                         l->visible = 0;
                         return l;
                     }, Rect{0, 0, 800, 600}, 800, 600, false});
    cases.push_back({"empty image with a size", [=] {
                         auto l = std::make_unique<Layer>();
                         l->image = std::make_unique<Bitmap>();
                         l->srcRect = Rect{0, 0, 64, 64};
                         l->destRect = Rect{8, 8, 72, 72};
                         return l;
                     }, Rect{0, 0, 800, 600}, 800, 600, false});
    cases.push_back({"mask of another size", [=] {
                         auto l = plain(70, 50, 120, 220, 21);
                         l->mask = maskPattern(45, 61, 22);
                         return l;
                     }});
    cases.push_back({"mask of another size, cropped", [=] {
                         auto l = plain(70, 50, 120, 220, 23);
                         l->mask = maskPattern(45, 61, 24);
                         l->srcRect = Rect{0, 0, 40, 40};
                         l->destRect = Rect{120, 220, 160, 260};
                         l->moveSource(10, 12);
                         return l;
                     }});
    cases.push_back({"mask and key: the mask wins", [=] {
                         auto l = masked(64, 64, 250, 250, 25);
                         l->keyColor = kMagenta;
                         return l;
                     }});
    cases.push_back({"odd-sized target, layer past its edges", [=] { return masked(50, 40, -9, 3, 26); },
                     Rect{0, 0, 800, 600}, 37, 23});
    cases.push_back({"odd-sized target, stretched", [=] {
                         auto l = plain(10, 10, 5, -4, 27);
                         l->destRect = Rect{5, -4, 44, 31};
                         l->alpha = 33;
                         return l;
                     }, Rect{0, 0, 800, 600}, 37, 23});
    return cases;
}

TEST(LayerDraw, FastPathMatchesTheLiteralSequence) {
    for (const DrawCase& c : drawCases()) {
        SCOPED_TRACE(c.name);
        Layer fast, reference;
        fast.image = patterned(c.targetWidth, c.targetHeight, 99);
        reference.image = fast.image->clone();
        auto before = fast.image->clone();
        auto a = c.make();
        auto b = c.make();
        a->dirtyRect = a->destRect;
        fast.drawLayer(*a, c.clip);
        referenceDrawLayer(reference, *b, c.clip);
        EXPECT_TRUE(samePixels(*fast.image, *reference.image));
        EXPECT_EQ(c.drawsSomething, !samePixels(*fast.image, *before));
        EXPECT_TRUE(a->dirtyRect.isEmpty());
    }
}

TEST(LayerDraw, SnapshotAndDrawInOnePassMatchesTheTwoSteps) {
    struct Case {
        const char* name;
        Rect snapshotArea;
        int32_t snapshotWidth, snapshotHeight;  // of its image
        int32_t alpha;
        uint32_t key;
        Rect clip;
    };
    const Rect full{0, 0, 800, 600};
    const Case cases[] = {
        {"whole screen, alpha 128", full, 800, 600, 128, 0, full},
        {"whole screen, alpha 0", full, 800, 600, 0, 0, full},
        {"part, alpha 1", {13, 7, 421, 333}, 408, 326, 1, 0, {13, 7, 421, 333}},
        {"part, alpha 256", {13, 7, 421, 333}, 408, 326, 256, 0, {13, 7, 421, 333}},
        {"snapshot image too small", {0, 0, 100, 100}, 60, 100, 90, 0, {0, 0, 100, 100}},
        {"snapshot larger than the area", {0, 0, 300, 300}, 300, 300, 90, 0, {50, 50, 200, 200}},
        {"area larger than the snapshot", {50, 50, 200, 200}, 150, 150, 90, 0, {0, 0, 300, 300}},
        {"keyed composite", full, 800, 600, 90, 0x00FF00FF, full},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Layer fused, twoSteps;
        fused.image = patterned(800, 600, 41);
        twoSteps.image = fused.image->clone();
        Layer snapshot;
        snapshot.image = patterned(c.snapshotWidth, c.snapshotHeight, 42);
        snapshot.destRect = c.snapshotArea;
        auto a = pictureLayer(keyedPicture(800, 600, 43), 0, 0);
        auto b = pictureLayer(keyedPicture(800, 600, 43), 0, 0);
        a->alpha = b->alpha = c.alpha;
        a->keyColor = b->keyColor = c.key;
        fused.copyOntoThenDraw(snapshot, *a, c.clip);
        twoSteps.copyOnto(snapshot);
        referenceDrawLayer(twoSteps, *b, c.clip);
        EXPECT_TRUE(samePixels(*fused.image, *twoSteps.image));
    }
}

TEST(LayerDraw, ByteFormulas) {
    Layer target;
    target.image = solid(16, 1, 0, 0, 0);
    // Mask 255 gives (255 * 255) >> 8 = 254, not the picture itself.
    auto white = pictureLayer(solid(8, 1, 255, 255, 255), 0, 0);
    white->mask = solid(8, 1, 255, 255, 255);
    target.drawLayer(*white, Rect{0, 0, 16, 1});
    EXPECT_EQ(254, target.image->pixel(3, 0)[1]);
    // A missing mask: the picture does not show, the pixels behind become (v * 255) >> 8.
    auto behind = pictureLayer(solid(8, 1, 255, 255, 255), 8, 0);
    target.drawLayer(*behind, Rect{0, 0, 16, 1});
    auto hidden = pictureLayer(solid(8, 1, 9, 9, 9), 8, 0);
    hidden->mask = std::make_unique<Bitmap>();
    target.drawLayer(*hidden, Rect{0, 0, 16, 1});
    EXPECT_EQ(254, target.image->pixel(10, 0)[0]);
    // Alpha 128: a 255 source over 0 gives 127; alpha 256 without mask is opaque.
    Layer over;
    over.image = solid(8, 1, 0, 0, 0);
    auto half = pictureLayer(solid(8, 1, 255, 255, 255), 0, 0);
    half->alpha = 128;
    over.drawLayer(*half, Rect{0, 0, 8, 1});
    EXPECT_EQ(127, over.image->pixel(0, 0)[2]);
    auto full = pictureLayer(solid(8, 1, 200, 100, 50), 0, 0);
    full->alpha = 256;
    over.drawLayer(*full, Rect{0, 0, 8, 1});
    EXPECT_EQ(200, over.image->pixel(7, 0)[0]);
    EXPECT_EQ(50, over.image->pixel(7, 0)[2]);
}

// Every source byte over every target byte, for every alpha and every mask weight: the
// vector kernels must give the byte formulas exactly.
TEST(LayerDraw, BlendsAreExactForEveryByte) {
    auto rows = makeBitmap(256, 256);  // byte value = column (source) or row (target)
    auto columns = makeBitmap(256, 256);
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 256; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                columns->pixel(x, y)[c] = uint8_t(x);
                rows->pixel(x, y)[c] = uint8_t(y);
            }
    int wrong = 0;
    auto check = [&](int32_t alpha, int32_t weight) {
        Layer target;
        target.image = rows->clone();
        auto source = pictureLayer(columns->clone(), 0, 0);
        source->alpha = alpha;
        if (weight >= 0) {
            source->mask = makeBitmap(256, 256);
            std::memset(source->mask->bits, weight, source->mask->byteCount());
        }
        target.drawLayer(*source, Rect{0, 0, 256, 256});
        for (int32_t y = 0; y < 256; ++y)
            for (int32_t x = 0; x < 256; ++x) {
                int32_t v = weight >= 0 ? (x * weight + y * (255 - weight)) >> 8 : x;
                if (alpha != 0) v = (v * alpha + y * (256 - alpha)) >> 8;
                if (target.image->pixel(x, y)[1] != v) ++wrong;
            }
    };
    for (int32_t alpha = 0; alpha <= 256; ++alpha) check(alpha, -1);
    for (int32_t weight = 0; weight <= 255; ++weight) check(0, weight);
    for (int32_t alpha : {1, 77, 128, 255, 256})
        for (int32_t weight : {0, 1, 128, 254, 255}) check(alpha, weight);
    EXPECT_EQ(0, wrong);
}

TEST(LayerDraw, NothingWithoutImagesButTheSourceIsCleaned) {
    Layer target;
    target.image = patterned(20, 20, 1);
    auto before = target.image->clone();
    Layer source;
    source.destRect = Rect{0, 0, 10, 10};
    source.dirtyRect = source.destRect;
    target.drawLayer(source, Rect{0, 0, 20, 20});
    EXPECT_TRUE(source.dirtyRect.isEmpty());
    EXPECT_TRUE(samePixels(*before, *target.image));
    Layer noTarget;
    auto picture = pictureLayer(patterned(4, 4, 2), 0, 0);
    noTarget.drawLayer(*picture, Rect{0, 0, 20, 20});  // must not crash
}

TEST(LayerOps, CreateBlankAndLoads) {
    Layer blank;
    EXPECT_EQ(1, blank.createBlank(30, 20));
    EXPECT_EQ((Rect{0, 0, 30, 20}), blank.destRect);
    EXPECT_EQ(blank.destRect, blank.srcRect);
    Layer refused;
    EXPECT_EQ(0, refused.createBlank(0, 5));
    EXPECT_FALSE(refused.hasImage());

    test::TempDir dir;
    const std::string sideBySide = dir.file("pair.bmp");
    ASSERT_EQ(1, patterned(7, 5, 3)->save(sideBySide));

    Layer split;
    split.loadSplitMask(sideBySide, 10, 20, 0);
    ASSERT_TRUE(split.image && split.mask);
    EXPECT_EQ(3, split.image->width());
    EXPECT_EQ(4, split.mask->width());  // the second half takes the odd column
    EXPECT_EQ((Rect{0, 0, 3, 5}), split.srcRect);
    EXPECT_EQ((Rect{10, 20, 13, 25}), split.destRect);
    auto whole = loadImageFile(sideBySide);
    EXPECT_EQ(0, std::memcmp(whole->pixel(3, 2), split.mask->pixel(0, 2), 3));

    Layer stacked;
    stacked.loadSplitMaskSized(sideBySide, 1, 2, 6, 2, 1);
    ASSERT_TRUE(stacked.image && stacked.mask);
    EXPECT_EQ(2, stacked.image->height());
    EXPECT_EQ(3, stacked.mask->height());
    EXPECT_EQ((Rect{0, 0, 6, 2}), stacked.srcRect);
    EXPECT_EQ((Rect{1, 2, 7, 4}), stacked.destRect);

    Layer missing;
    missing.loadSplitMask(dir.file("none.bmp"), 0, 0, 0);
    EXPECT_FALSE(missing.hasImage());
    Layer missingPlain;
    missingPlain.loadPictureSized(dir.file("none.bmp"), 4, 4, 0, 0);
    ASSERT_TRUE(missingPlain.hasImage());  // an empty image, not none
    EXPECT_TRUE(missingPlain.image->empty());
    EXPECT_TRUE(missingPlain.destRect.isEmpty());

    Layer sized;
    sized.loadPictureSized(sideBySide, 5, 6, 2, 3);
    EXPECT_EQ((Rect{0, 0, 2, 3}), sized.srcRect);
    EXPECT_EQ((Rect{5, 6, 7, 9}), sized.destRect);
}

TEST(LayerOps, CutCloneCopyOnto) {
    auto l = pictureLayer(patterned(20, 10, 4), 3, 4);
    l->mask = maskPattern(20, 10, 5);
    l->id = 7;
    l->tag = 1;
    l->alpha = 9;
    l->keyColor = 0x123456;
    l->visible = 0;
    auto cut = l->cutRegion(2, 3, 12, 8);
    ASSERT_TRUE(cut && cut->image && cut->mask);
    EXPECT_EQ((Rect{0, 0, 10, 5}), cut->destRect);
    EXPECT_EQ(0, std::memcmp(cut->image->pixel(0, 0), l->image->pixel(2, 3), 30));
    EXPECT_EQ(0, std::memcmp(cut->mask->pixel(1, 1), l->mask->pixel(3, 4), 3));
    Layer none;
    EXPECT_EQ(nullptr, none.cutRegion(0, 0, 1, 1));
    auto failed = l->cutRegion(0, 0, 0, 0);  // no crop can be made of an empty rectangle
    ASSERT_TRUE(failed);
    EXPECT_FALSE(failed->hasImage());

    auto copy = l->clone();
    EXPECT_EQ(0, copy->id);
    EXPECT_EQ(0, copy->tag);
    EXPECT_EQ(9, copy->alpha);
    EXPECT_EQ(l->destRect, copy->destRect);
    EXPECT_EQ(0x123456u, copy->keyColor);
    EXPECT_EQ(0, copy->visible);
    EXPECT_TRUE(samePixels(*copy->mask, *l->mask));

    Layer target;
    target.image = makeBitmap(30, 20);
    target.copyOnto(*l);  // plain copy at l's destRect: no mask, key or alpha
    EXPECT_EQ(0, std::memcmp(target.image->pixel(3, 4), l->image->pixel(0, 0), 60));
    EXPECT_EQ(0, target.image->pixel(2, 4)[0] | target.image->pixel(2, 4)[1] | target.image->pixel(2, 4)[2]);
}

} // namespace
} // namespace zre

namespace zre {
namespace {

// Scripts may put a layer at any int and move it by any int: coordinates wrap as the
// original's 32-bit words did instead of overflowing (found by the script fuzzer).
TEST(RectArithmetic, CoordinatesWrapAtTheEndsOfTheIntRange) {
    Rect r{2147483600, 0, 2147483647, 10};
    r.offset(100, 0);
    EXPECT_EQ(r.left, -2147483596);
    EXPECT_EQ(r.right, -2147483549);
    EXPECT_EQ(r.width(), 47);
    r.moveTo(-2147483647, 5);
    EXPECT_EQ(r.left, -2147483647);
    EXPECT_EQ(r.width(), 47);
    EXPECT_EQ((Rect{-2147483647 - 1, 0, 2147483647, 1}).width(), -1);
    EXPECT_EQ(wrapAdd(2147483647, 100000), -2147383649);
}

} // namespace
} // namespace zre
