#include "ui/message_box_dialog.h"

#include <algorithm>

#include "platform/font.h"
#include "platform/sjis.h"
#include "platform/window.h"

namespace zre {

using namespace dialog_colour;

namespace {

constexpr int32_t kMargin = 12;        // around the icon and text, client edge to content
constexpr int32_t kIconSize = 32;
constexpr int32_t kIconGap = 14;       // icon to text
constexpr int32_t kButtonWidth = 75;   // 50 x 14 dialog units
constexpr int32_t kButtonHeight = 21;
constexpr int32_t kButtonGap = 8;
constexpr int32_t kContentToButtons = 14;
constexpr int32_t kBottomMargin = 10;
constexpr int32_t kMinClientWidth = 120;

// Characters that never begin a line (Shift JIS), the single-byte ones among them too.
bool closesLine(std::string_view ch) {
    if (ch.size() == 1) return std::string_view(",.:;!?)]}%").find(ch[0]) != std::string_view::npos;
    static const std::string closers = utf8ToSjis("、。，．・：；？！゛゜ヽヾゝゞ々ー）〕］｝〉》」』】…‥ぁぃぅぇぉっゃゅょァィゥェォッャュョ％");
    for (size_t i = 0; i + 1 < closers.size(); i += 2)
        if (closers.compare(i, 2, ch) == 0) return true;
    return false;
}

void wrapParagraph(const GameFont& font, std::string_view text, int32_t maxWidth, std::vector<std::string>& out) {
    std::string line;
    int32_t width = 0;
    size_t i = 0;
    while (i < text.size()) {
        const size_t n = isLeadByteAt(text, i) ? 2 : 1;
        const std::string_view ch = text.substr(i, n);
        const int32_t w = dialogTextWidth(font, ch);
        if (line.empty() && ch == " " && !out.empty()) {
            i += n;  // a wrapped line does not begin with the space it was broken at
            continue;
        }
        if (width + w > maxWidth && !line.empty() && !closesLine(ch)) {
            // Break after the last space when the line ends in a single-byte word.
            size_t cut = std::string::npos;
            if (n == 1 && ch != " ") {
                const size_t space = line.rfind(' ');
                bool singleByteTail = space != std::string::npos;
                for (size_t k = space == std::string::npos ? line.size() : space + 1; k < line.size(); ++k)
                    if (static_cast<uint8_t>(line[k]) >= 0x80) singleByteTail = false;
                if (singleByteTail && space > 0) cut = space;
            }
            std::string rest;
            if (cut != std::string::npos) {
                rest = line.substr(cut + 1);
                line.resize(cut);
            }
            out.push_back(line);
            line = rest;
            width = dialogTextWidth(font, line);
            if (line.empty() && ch == " ") {
                i += n;
                continue;
            }
        }
        line += ch;
        width += w;
        i += n;
    }
    out.push_back(line);
}

void drawDisc(Bitmap& b, const Rect& r, DialogColour inside, DialogColour outline) {
    const int32_t size = r.right - r.left;
    const int32_t c2 = size - 1;  // twice the centre, in pixels from r.left / r.top
    const int32_t outer = (size - 1) * (size - 1);
    const int32_t inner = (size - 4) * (size - 4);
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            const int32_t dx = 2 * x - c2;
            const int32_t dy = 2 * y - c2;
            const int32_t d = dx * dx + dy * dy;
            if (d > outer) continue;
            fillRect(b, {r.left + x, r.top + y, r.left + x + 1, r.top + y + 1}, d > inner ? outline : inside);
        }
}

void drawCentredMark(Bitmap& b, const Rect& r, std::string_view mark, DialogColour c) {
    static const std::unique_ptr<GameFont> big = GameFont::create(-22, 1, dialogFaceName());
    int32_t cx = 0;
    int32_t cy = 0;
    big->measure(mark, cx, cy);
    drawDialogText(b, *big, r.left + (r.right - r.left - cx) / 2, r.top + (r.bottom - r.top - cy) / 2, mark, c, r);
}

} // namespace

std::vector<std::string> wrapDialogText(const GameFont& font, std::string_view sjis, int32_t maxWidth) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        // A 0x0A trail byte does not exist in Shift JIS, so a plain search is safe.
        const size_t end = sjis.find('\n', start);
        std::string paragraph(sjis.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        paragraph.erase(std::remove(paragraph.begin(), paragraph.end(), '\r'), paragraph.end());
        std::vector<std::string> wrapped;
        wrapParagraph(font, paragraph, std::max(maxWidth, 1), wrapped);
        lines.insert(lines.end(), wrapped.begin(), wrapped.end());
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

MessageBoxDialog::MessageBoxDialog(const Bitmap& frozen, std::string_view text, std::string_view caption,
                                   MessageBoxButtons buttons, MessageBoxIcon icon)
    : ModalDialog(frozen), caption_(caption), icon_(icon) {
    if (buttons == MessageBoxButtons::YesNo) {
        answers_ = {MessageBoxResult::Yes, MessageBoxResult::No};
        labels_ = {utf8ToSjis("はい(Y)"), utf8ToSjis("いいえ(N)")};
        escapeAnswer_ = MessageBoxResult::No;
    } else {
        answers_ = {MessageBoxResult::Ok};
        labels_ = {"OK"};
        escapeAnswer_ = MessageBoxResult::Ok;
    }
    result_ = escapeAnswer_;

    const GameFont& font = dialogFont();
    int32_t cx = 0;
    font.measure("M", cx, lineHeight_);
    lineHeight_ = std::max(lineHeight_, kDialogFaceHeight);
    const bool hasIcon = icon_ != MessageBoxIcon::None;
    const int32_t textOffset = kMargin + (hasIcon ? kIconSize + kIconGap : 0);
    const int32_t chrome = 2 * kDialogBorder;
    lines_ = wrapDialogText(font, text, std::max(frozen.width() * 5 / 8 - textOffset - kMargin - chrome, 60));

    // The box must fit the picture: lines that would not are left out.
    const int32_t fixedHeight = chrome + kDialogCaptionHeight + kMargin + kContentToButtons + kButtonHeight + kBottomMargin;
    const size_t maxLines = size_t(std::max<int32_t>(1, (frozen.height() - fixedHeight) / lineHeight_));
    if (lines_.size() > maxLines) lines_.resize(maxLines);

    int32_t textWidth = 0;
    for (const std::string& line : lines_) textWidth = std::max(textWidth, dialogTextWidth(font, line));
    const int32_t textHeight = int32_t(lines_.size()) * lineHeight_;
    const int32_t contentHeight = std::max(textHeight, hasIcon ? kIconSize : 0);
    const int32_t buttonsWidth = int32_t(answers_.size()) * kButtonWidth + int32_t(answers_.size() - 1) * kButtonGap;
    const int32_t captionWidth = dialogTextWidth(dialogCaptionFont(), caption_) + 8 + 24;
    const int32_t clientWidth =
        std::max({textOffset + textWidth + kMargin, buttonsWidth + 2 * kMargin, captionWidth, kMinClientWidth});
    const int32_t clientHeight = kMargin + contentHeight + kContentToButtons + kButtonHeight + kBottomMargin;

    frame_ = centredDialogFrame(frozen, clientWidth, clientHeight);
    const int32_t clientX = dialogClientX(frame_);
    const int32_t clientY = dialogClientY(frame_);
    iconRect_ = {clientX + kMargin, clientY + kMargin, clientX + kMargin + kIconSize, clientY + kMargin + kIconSize};
    textLeft_ = clientX + textOffset;
    textTop_ = clientY + kMargin + (contentHeight - textHeight) / 2;
    buttonsLeft_ = clientX + (clientWidth - buttonsWidth) / 2;
    buttonsTop_ = clientY + kMargin + contentHeight + kContentToButtons;
}

MessageBoxDialog::~MessageBoxDialog() = default;

Rect MessageBoxDialog::buttonRect(size_t index) const {
    const int32_t x = buttonsLeft_ + int32_t(index) * (kButtonWidth + kButtonGap);
    return {x, buttonsTop_, x + kButtonWidth, buttonsTop_ + kButtonHeight};
}

Rect MessageBoxDialog::closeBoxRect() const { return dialogCloseBoxRect(frame_); }

bool MessageBoxDialog::press(MessageBoxResult answer) {
    result_ = answer;
    return true;
}

bool MessageBoxDialog::handle(const Message& m) {
    const bool yesNo = answers_.size() == 2;
    switch (m.kind) {
    case MessageKind::KeyDown:
        if (m.key < 0 || m.key >= int32_t(down_.size())) return false;
        down_[size_t(m.key)] = true;
        if (m.key == vk::Tab || m.key == vk::Left || m.key == vk::Right || m.key == vk::Up || m.key == vk::Down) {
            const bool back = m.key == vk::Left || m.key == vk::Up;
            const size_t next = back ? (focus_ + answers_.size() - 1) % answers_.size() : (focus_ + 1) % answers_.size();
            if (next != focus_) {
                focus_ = next;
                changed();
            }
        }
        return false;
    case MessageKind::KeyUp: {
        if (m.key < 0 || m.key >= int32_t(down_.size()) || !down_[size_t(m.key)]) return false;
        down_[size_t(m.key)] = false;
        if (m.key == vk::Return || m.key == vk::Space) return press(answers_[focus_]);
        if (m.key == vk::Escape) return press(escapeAnswer_);
        if (yesNo && m.key == 'Y') return press(MessageBoxResult::Yes);
        if (yesNo && m.key == 'N') return press(MessageBoxResult::No);
        return false;
    }
    case MessageKind::LButtonUp:
        for (size_t i = 0; i < answers_.size(); ++i)
            if (buttonRect(i).contains(m.x, m.y)) return press(answers_[i]);
        return !yesNo && closeBoxRect().contains(m.x, m.y) && press(MessageBoxResult::Ok);
    default:
        // The window's close, the right button, the wheel: the box stays as it is.
        return false;
    }
}

void MessageBoxDialog::drawIcon(Bitmap& b) const {
    const Rect r = iconRect_;
    switch (icon_) {
    case MessageBoxIcon::None: return;
    case MessageBoxIcon::Information:
    case MessageBoxIcon::Question:
        drawDisc(b, r, kLight, {0, 0, 128});
        drawCentredMark(b, r, icon_ == MessageBoxIcon::Question ? "?" : "i", {0, 0, 200});
        return;
    case MessageBoxIcon::Error:
        drawDisc(b, r, {220, 0, 0}, {128, 0, 0});
        for (int32_t d = 0; d < 14; ++d) {
            const int32_t y = r.top + 9 + d;
            fillRect(b, {r.left + 9 + d, y, r.left + 12 + d, y + 1}, kLight);
            fillRect(b, {r.right - 12 - d, y, r.right - 9 - d, y + 1}, kLight);
        }
        return;
    case MessageBoxIcon::Warning: {
        const int32_t size = r.right - r.left;
        for (int32_t y = 1; y < size - 1; ++y) {
            const int32_t half = (y - 1) * (size / 2 - 1) / (size - 3);
            const int32_t mid = r.left + size / 2;
            fillRect(b, {mid - half - 1, r.top + y, mid + half + 1, r.top + y + 1}, kBlack);
            if (y > 2 && y < size - 2 && half > 1)
                fillRect(b, {mid - half + 1, r.top + y, mid + half - 1, r.top + y + 1}, {255, 220, 0});
        }
        drawCentredMark(b, {r.left, r.top + 5, r.right, r.bottom}, "!", kBlack);
        return;
    }
    }
}

void MessageBoxDialog::draw(Bitmap& b) {
    drawDialogFrame(b, frame_, caption_, answers_.size() == 1);
    drawIcon(b);
    const Rect clip = insetRect(frame_, kDialogBorder);
    for (size_t i = 0; i < lines_.size(); ++i)
        drawDialogText(b, dialogFont(), textLeft_, textTop_ + int32_t(i) * lineHeight_, lines_[i], kBlack, clip);
    for (size_t i = 0; i < answers_.size(); ++i) drawPushButton(b, buttonRect(i), labels_[i], i == focus_, i == focus_);
}

MessageBoxResult runMessageBoxDialog(std::string_view text, std::string_view caption, MessageBoxButtons buttons,
                                     MessageBoxIcon icon, const std::function<void(const Message&)>& passOn) {
    // The picture the window shows now stays frozen under the box.
    const std::unique_ptr<Bitmap> frozen = captureWindowPicture();
    MessageBoxDialog dialog(*frozen, text, caption, buttons, icon);
    runModalDialog(dialog, *frozen, passOn);
    return dialog.result();
}

} // namespace zre
