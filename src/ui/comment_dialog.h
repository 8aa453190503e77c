#pragma once
// The save comment dialog: a small modal window drawn over the frozen game picture, with
// the label, an edit box with a caret and the OK button. It runs its own message loop, so
// no frame of the game runs while it is open, and it ends only when OK (or Enter) confirms a
// valid comment: the close box and Escape do nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/bitmap.h"
#include "graphics/rect.h"
#include "platform/messages.h"
#include "ui/modal_dialog.h"

namespace zre {

class GameFont;

// The comment as typed: Shift JIS, never more than kCommentBytes bytes and never a broken
// double-byte character.
class CommentEdit {
public:
    static constexpr size_t kCommentBytes = 24;

    // Appends the typed characters (UTF-8) one by one; a character without a Shift JIS form,
    // or one that would not fit, is refused.
    void type(std::string_view utf8);
    // Removes the last character (both bytes of a double-byte one).
    void backspace();
    void clear() { text_.clear(); }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// A comment the save can keep: no byte below 0x21 (control codes and the half-width space)
// and no 0x5C, tested byte by byte, so a double-byte character with a 0x5C trail byte is
// refused as well.
bool isStorableComment(std::string_view sjis);

class CommentDialog : public ModalDialog {
public:
    // Frozen: the game picture the dialog is drawn over (800 x 600, or any size; the dialog
    // is centred on it).
    explicit CommentDialog(const Bitmap& frozen);
    ~CommentDialog() override;

    // One message. True once the comment has been confirmed (comment() holds it).
    bool handle(const Message& message) override;
    const std::string& comment() const { return comment_; }
    const CommentEdit& edit() const { return edit_; }
    const std::string& composition() const { return composition_; }

    // Where the parts are, in coordinates of the game picture.
    Rect frameRect() const { return frame_; }
    Rect editRect() const;
    Rect okRect() const;
    Rect closeBoxRect() const;

private:
    void draw(Bitmap& b) override;
    Rect client(int32_t x, int32_t y, int32_t w, int32_t h) const;
    bool confirm();

    const GameFont& font_;
    Rect frame_;
    int32_t clientX_ = 0;
    int32_t clientY_ = 0;
    CommentEdit edit_;
    std::string composition_;  // UTF-8, shown at the caret while an input method composes
    std::string comment_;
    bool returnDown_ = false;
};

// Shows the dialog over what the window shows now and runs it until a comment is
// confirmed; returns it (Shift JIS). Messages the dialog does not take (Destroy, Quit) go
// to passOn, which may end the process. The window shows the game picture again afterwards.
std::string runCommentDialog(const std::function<void(const Message&)>& passOn);

} // namespace zre
