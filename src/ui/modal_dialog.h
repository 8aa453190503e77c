#pragma once
// What the game's own modal windows share: the look of a dialog drawn over the frozen game
// picture (face colours, raised frame with caption bar and close box, push buttons, text in
// the dialog face) and the message loop that runs one until it ends.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/bitmap.h"
#include "graphics/rect.h"
#include "platform/messages.h"

namespace zre {

class GameFont;

struct DialogColour {
    uint8_t r, g, b;
};
namespace dialog_colour {
inline constexpr DialogColour kFace{212, 208, 200};
inline constexpr DialogColour kLight{255, 255, 255};
inline constexpr DialogColour kShadow{128, 128, 128};
inline constexpr DialogColour kDark{64, 64, 64};
inline constexpr DialogColour kBlack{0, 0, 0};
} // namespace dialog_colour

// The frame's border on each side and the caption bar's height (within the frame).
inline constexpr int32_t kDialogBorder = 3;
inline constexpr int32_t kDialogCaptionHeight = 20;
// The dialog face's em height in pixels (9 points).
inline constexpr int32_t kDialogFaceHeight = 12;

// The name of the dialog face (Shift JIS).
const std::string& dialogFaceName();
// The dialog face, regular or bold; created once.
const GameFont& dialogFont();
const GameFont& dialogCaptionFont();

void fillRect(Bitmap& b, Rect r, DialogColour c);
// A raised (or, with the colours swapped, sunken) edge one pixel wide inside r.
void drawEdge(Bitmap& b, const Rect& r, DialogColour topLeft, DialogColour bottomRight);
inline Rect insetRect(const Rect& r, int32_t d) { return {r.left + d, r.top + d, r.right - d, r.bottom - d}; }

// Draws Shift JIS text with its cell top at y, clipped to clip; returns the pen x after it.
int32_t drawDialogText(Bitmap& b, const GameFont& font, int32_t x, int32_t y, std::string_view sjis, DialogColour c,
                       const Rect& clip);
int32_t dialogTextWidth(const GameFont& font, std::string_view sjis);

// The close box of a frame, top right in the caption bar.
Rect dialogCloseBoxRect(const Rect& frame);
// The frame, face filled, with the caption (Shift JIS) in its bar and the close box; a
// disabled close box has its cross greyed.
void drawDialogFrame(Bitmap& b, const Rect& frame, std::string_view captionSjis, bool closeEnabled = true);
// A push button with its label centred; the default one has a dark outline, the focused one
// a dotted focus rectangle inside.
void drawPushButton(Bitmap& b, const Rect& r, std::string_view labelSjis, bool isDefault, bool focused = false);

// The frame of a dialog with a client area of the given size, centred on picture.
Rect centredDialogFrame(const Bitmap& picture, int32_t clientWidth, int32_t clientHeight);
// The top-left of a frame's client area, below the caption bar.
inline int32_t dialogClientX(const Rect& frame) { return frame.left + kDialogBorder; }
inline int32_t dialogClientY(const Rect& frame) { return frame.top + kDialogBorder + kDialogCaptionHeight; }

// A modal window: takes the messages while open and draws itself over the frozen picture.
class ModalDialog {
public:
    explicit ModalDialog(const Bitmap& frozen) : frozen_(frozen) {}
    virtual ~ModalDialog();
    // One message. True when the dialog has ended.
    virtual bool handle(const Message& message) = 0;
    // The frozen picture with the dialog on it, drawn again after a change.
    const Bitmap& picture();

protected:
    // Draws the dialog onto a copy of the frozen picture (where it was drawn before).
    virtual void draw(Bitmap& b) = 0;
    // Asks for the dialog to be drawn again.
    void changed() { dirty_ = true; }

    const Bitmap& frozen_;

private:
    std::unique_ptr<Bitmap> picture_;
    bool dirty_ = true;
};

// A copy of what the window shows now.
std::unique_ptr<Bitmap> captureWindowPicture();

// Shows the dialog and gives it every message until it ends; no frame of the game runs
// meanwhile. Destroy and Quit go to passOn, which may end the process; the loop then ends
// as well. Returns false when it ended that way. The window shows `restore` afterwards.
bool runModalDialog(ModalDialog& dialog, const Bitmap& restore, const std::function<void(const Message&)>& passOn);

} // namespace zre
