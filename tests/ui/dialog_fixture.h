#pragma once
// Runs a modal dialog headless over a known game picture from scripted input, and reads the
// screenshots taken while it is open.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/rect.h"
#include "platform/platform.h"
#include "platform/platform_fixture.h"
#include "platform/png_io.h"
#include "platform/window.h"
#include "support/test_support.h"

namespace zre::test {

class DialogRunTest : public HeadlessTest {
protected:
    // Starts the platform with the input lines and the screenshots, and shows a green ramp
    // (green = x / 4) in the window for the dialog to freeze.
    void startOverPicture(const std::string& input, std::vector<std::pair<uint32_t, std::string>> shots) {
        writeFile(dir.file("input.txt"), input);
        HeadlessOptions options;
        options.inputFile = dir.file("input.txt");
        options.screenshots = std::move(shots);
        start(options);
        frozen = makeBitmap(800, 600);
        for (int32_t y = 0; y < 600; ++y)
            for (int32_t x = 0; x < 800; ++x) frozen->pixel(x, y)[1] = static_cast<uint8_t>(x / 4);
        presentFront(frozen->bits, 800, 600, frozen->stride(), 0, 0, 800, 600);
    }

    // The window shows the frozen picture again.
    void expectPictureRestored() const {
        const WindowPicture& shown = windowPicture();
        ASSERT_EQ(shown.bits.size(), frozen->byteCount());
        EXPECT_TRUE(std::equal(shown.bits.begin(), shown.bits.end(), frozen->bits));
    }

    static std::string clickOn(uint32_t ms, const Rect& r) {
        return std::to_string(ms) + " click " + std::to_string((r.left + r.right) / 2) + " " +
               std::to_string((r.top + r.bottom) / 2) + "\n";
    }

    // A screenshot, 800 pixels wide; at(x, y) is its BGR pixel, y counted from the top.
    struct Shot {
        int width = 0;
        int height = 0;
        std::vector<uint8_t> bits;
        bool load(const std::string& path) {
            std::vector<uint8_t> bytes = readFile(path);
            return decodePngBgr(bytes.data(), bytes.size(), width, height, bits) && width == 800;
        }
        const uint8_t* at(int32_t x, int32_t y) const {
            const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
            return bits.data() + size_t(height - 1 - y) * stride + size_t(x) * 3;
        }
    };

    TempDir dir;
    std::unique_ptr<Bitmap> frozen;
    std::vector<MessageKind> passedOn;
};

} // namespace zre::test
