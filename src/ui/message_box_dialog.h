#pragma once
// The message box drawn by the game itself, in the window over the frozen game picture, for
// desktops whose own boxes cannot show Japanese text. It looks like the game's other dialogs:
// the caption, an icon, the text wrapped to lines and the buttons OK or はい(Y) / いいえ(N).
// Enter (or Space) presses the focused button, which is the first one until Tab or an arrow
// key moves the focus; Escape answers いいえ (OK in an OK box), Y and N their buttons. Keys act
// on their release, and only keys pressed while the box is open count, so the release of
// the key that opened it and of the key that answers it reach nobody. Closing the window
// does nothing while it is open; its close box answers an OK box only.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/rect.h"
#include "platform/message_box.h"
#include "ui/modal_dialog.h"

namespace zre {

// Splits a Shift JIS text into the lines it is drawn in: at each "\n" ("\r" is dropped), and
// where a line would pass maxWidth pixels, after the last space of a run of single-byte
// words or else before the character that does not fit. Closing punctuation never starts a
// line; it stays at the end of the one before.
std::vector<std::string> wrapDialogText(const GameFont& font, std::string_view sjis, int32_t maxWidth);

class MessageBoxDialog : public ModalDialog {
public:
    // Texts are Shift JIS. The box is centred on frozen.
    MessageBoxDialog(const Bitmap& frozen, std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                     MessageBoxIcon icon);
    ~MessageBoxDialog() override;

    bool handle(const Message& message) override;

    // The answer once the box has ended; until then (and when the window went away while it
    // was open) the answer of Escape.
    MessageBoxResult result() const { return result_; }

    Rect frameRect() const { return frame_; }
    size_t buttonCount() const { return answers_.size(); }
    Rect buttonRect(size_t index) const;
    Rect closeBoxRect() const;
    const std::vector<std::string>& lines() const { return lines_; }
    size_t focus() const { return focus_; }

private:
    void draw(Bitmap& b) override;
    void drawIcon(Bitmap& b) const;
    bool press(MessageBoxResult answer);

    std::string caption_;
    MessageBoxIcon icon_;
    std::vector<std::string> lines_;
    std::vector<MessageBoxResult> answers_;
    std::vector<std::string> labels_;
    MessageBoxResult escapeAnswer_;
    MessageBoxResult result_;
    Rect frame_;
    Rect iconRect_;
    int32_t textLeft_ = 0;
    int32_t textTop_ = 0;
    int32_t lineHeight_ = 0;
    int32_t buttonsLeft_ = 0;
    int32_t buttonsTop_ = 0;
    size_t focus_ = 0;
    std::array<bool, 256> down_{};  // keys pressed while the box is open, not yet released
};

// Shows the box over what the window shows now and runs it until it is answered. Messages
// the box does not take (Destroy, Quit) go to passOn, which may end the process; the box
// then answers as Escape would. The window shows the game picture again afterwards.
MessageBoxResult runMessageBoxDialog(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                     MessageBoxIcon icon, const std::function<void(const Message&)>& passOn);

} // namespace zre
