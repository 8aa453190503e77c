#pragma once
// The save screen (mode 4) and the load screen (mode 5): ten slot rows per page, ten pages,
// page arrows that wrap around, a preview (thumbnail, date, title and comment), back and OK.
// A slot is chosen with a first click and confirmed with a second click or OK.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/bitmap.h"
#include "ui/system_screen.h"

namespace zre {

// What the save and load screens ask of the engine beyond the common screen actions.
class SaveLoadActions {
public:
    virtual ~SaveLoadActions() = default;
    // $save_comment in the game variables; null leaves it without value.
    virtual void setSaveComment(const char* comment) = 0;
    virtual std::string sceneTitle() const = 0;      // the scoped $scene_title
    virtual std::string currentDate() const = 0;     // the date stamp of form 3
    virtual std::unique_ptr<Bitmap> gameThumbnail() const = 0;
    virtual int saveSlot(std::string_view path) = 0;
    virtual int readSlotInfo(std::string_view path, std::string& title, std::string& comment,
                             std::string& time) const = 0;
    virtual std::unique_ptr<Bitmap> loadThumbnail(std::string_view path) const = 0;
    // The comment dialog: returns once the player confirmed a comment.
    virtual std::string askComment() = 0;
};

// Layer ids of the screen besides the buttons'.
constexpr int32_t kSaveHoverPictureLayer = 2;  // hidden: the source of the hovered buttons
constexpr int32_t kPreviewThumbnailLayer = 3;
constexpr int32_t kPreviewDateLayer = 4;
constexpr int32_t kPreviewTitleLayer = 5;

constexpr int32_t kSlotRows = 10;
constexpr int32_t kSlotPages = 10;

// Builds the save screen (save) or the load screen.
std::unique_ptr<Screen> buildSaveLoadScreen(const SystemScreenContext& context, bool save);

class SaveLoadController : public ScreenController {
public:
    SaveLoadController(std::vector<ScreenButton> buttonList, ScreenActions& engineActions,
                       SaveLoadActions& slots, Screen& screen, bool save);
    int update() override;
    void onButton(int32_t k) override;

    // Stores the page and redraws the page number and the slot rows.
    void drawSlotPage(int32_t newPage);
    void showThumbnail(std::unique_ptr<Bitmap> bitmap);
    void showDate(std::string_view text);
    void showTitle(std::string_view title, std::string_view comment);

    // The slot file of row (0 .. 9) on the current page.
    std::string rowPath(int32_t row) const;

    bool save;
    int32_t selected = 0;  // button index of the selected row; 0: none
    int32_t page = 0;

private:
    void turnPage(int32_t k, int32_t by);
    void saveInto(const std::string& path);
    void loadFrom(const std::string& path);
    void preview(int32_t row);

    SaveLoadActions& slots_;
    Screen& screen_;
};

} // namespace zre
