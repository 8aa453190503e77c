#pragma once
// What the player sees in one engine mode: layers ordered by number, the task list, the
// message text, the window it paints into, the dirty areas and the requested mode.
//
// Frame order (driven by the main loop): updateTasks, compose, present, message pump.
// The Screen reaches the clock, the Control key, the window and the message pump only
// through its ScreenHost, so tests drive it with virtual time and the shell supplies the
// real window.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/engine_mode.h"
#include "graphics/layer.h"
#include "graphics/rect.h"
#include "graphics/task.h"
#include "platform/window.h"

namespace zre {

struct InputState;

// The composed area: fixed, whatever the client size.
constexpr int32_t kScreenWidth = kGameWidth;
constexpr int32_t kScreenHeight = kGameHeight;
constexpr Rect kScreenArea{0, 0, kScreenWidth, kScreenHeight};

// Transition kinds as the scripts name them.
enum ShowKind : int32_t {
    SHOW_NONE = 0,
    SHOW_NORMAL = 1,
    SHOW_ALPHA = 2,
    SHOW_BRUSH = 3,
    SHOW_VLINE = 4,
    SHOW_VLINE2 = 5,
    SHOW_HLINE = 6,
    SHOW_HLINE2 = 7,
    SHOW_RECT = 9,
    SHOW_MASK = 10,
};

// What a Screen needs of the window system. The defaults are those of a screen without a
// window: a clock stopped at 0, no Control key, nothing to invalidate, pump or paint.
class ScreenHost {
public:
    virtual ~ScreenHost() = default;
    // The wrapping millisecond clock.
    virtual uint32_t now() { return 0; }
    // The Control key is down, or was pressed since the last query.
    virtual bool controlHeld() { return false; }
    // Marks an area of the window for repainting, without erasing.
    virtual void invalidate(const Rect& /*area*/) {}
    // Runs the message pump once (which dispatches paint requests to Screen::paint). When
    // nothing is queued it may sleep up to waitMs for the next message.
    virtual void pump(uint32_t /*waitMs*/ = 0) {}
    // Copies the width x height block at (0, 0) of the front buffer to (x, y) of the window.
    virtual void paint(const Bitmap& /*front*/, int32_t /*x*/, int32_t /*y*/, int32_t /*width*/,
                       int32_t /*height*/) {}
    // 0 for n = 0, otherwise a number below n (n taken as signed 16-bit), drawn from a
    // generator seeded with the clock: deterministic for a given time.
    virtual int32_t randomBelow(int32_t n);
};

// The message text as the compositor sees it: drawn over every picture layer whenever an
// area is composed. Implemented by the message renderer.
class TextOverlay {
public:
    virtual ~TextOverlay() = default;
    virtual void drawDirty(Layer& composite, const Rect& area) = 0;
    virtual void setVisible(bool visible) = 0;
};

// The seventh argument of a layer: nothing, a mask file name (LAYER_MASK) or a key colour
// (LAYER_TRANS).
struct LayerExtra {
    bool present = false;
    std::string text;     // mask file name
    uint32_t colour = 0;  // key colour 0x00BBGGRR

    static LayerExtra none() { return {}; }
    static LayerExtra maskFile(std::string name) { return {true, std::move(name), 0}; }
    static LayerExtra keyColour(uint32_t value) { return {value != 0, {}, value}; }
};

class Screen {
public:
    Screen();                          // no window: the default host
    explicit Screen(ScreenHost& host); // host must outlive the screen
    ~Screen();
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    ScreenHost& host() { return *host_; }

    // Creates the front layer (0) and the composite layer (2000) at the client size.
    void attachWindow(int32_t width, int32_t height);

    // Builds a layer of the kind and inserts it under number; shows "ロードエラー" when the
    // layer ends without an image (it is inserted all the same). Returns the layer.
    Layer* addLayer(int32_t number, std::string_view fileName, int32_t x, int32_t y, int32_t w,
                    int32_t h, const LayerExtra& extra, int32_t kind);
    // Puts the layer into the stack under number, replacing a layer of that number.
    Layer* insertLayer(int32_t number, std::unique_ptr<Layer> layer);
    int32_t findLayer(int32_t number) const;   // position, or -1
    Layer* getLayer(int32_t number) const;     // null when missing
    void removeLayer(int32_t number);
    void removeLayerAt(int32_t position);
    void removeTaggedLayers(int32_t tag);
    void setLayerVisible(int32_t number, int32_t visible);
    int32_t freePictureId() const;

    int compose();
    int present();
    // Composes and starts the transition of that kind (defined with the transitions).
    void show(int32_t kind, int32_t duration);
    // Answers the window's paint request from the front buffer.
    void paint();
    void refresh(const Rect& area);
    void refreshLayer(int32_t number);
    int setMessageWindowVisible(int32_t visible);
    int32_t isMessageWindowVisible() const;

    Layer* front() const;      // layer 0, or null before attachWindow
    Layer* composite() const;  // layer 2000, or null before attachWindow

    // Task list.
    void addTask(std::unique_ptr<Task> task);
    int32_t nextTaskKey() const;
    void startTasks(int32_t key);
    int32_t findTask(int32_t key) const;
    int hasTaskOn(const Layer* layer) const;
    void finishTasksOn(const Layer* layer);
    int isBusy() const;
    void updateTasks();
    // How long the tasks can go without an update: the least of their dueIn at now
    // (kWaitsForInput when every one of them waits for input, or there is none).
    uint32_t idleTime(uint32_t now) const;
    // Every blocking task waits for input only, and no other task will start one: nothing
    // but input can let the script go on (an endless animation beside them changes nothing).
    bool heldUntilInput(uint32_t now) const;

    // Factories of the transition tasks: each builds the task on layer layerId (blocking,
    // not skippable), appends it unstarted and returns 1; -1 when the layer does not exist.
    int addAlphaFade(int32_t key, int32_t layerId, int32_t duration, int32_t startValue, int32_t endValue);
    int addBrush(int32_t key, int32_t layerId, int32_t duration);
    int addLineWipe(int32_t key, int32_t layerId, int32_t duration, bool vertical);
    int addStripe(int32_t key, int32_t layerId, int32_t duration, bool vertical);

    InputState* input = nullptr;                  // the engine's input record, not owned
    std::vector<std::unique_ptr<Layer>> layers;   // sorted by increasing id
    std::vector<std::unique_ptr<Task>> tasks;     // in order of creation
    std::unique_ptr<TextOverlay> messageText;     // null: no text
    Rect composeDirty;
    Rect presentDirty;
    int32_t firstComposed = 1;
    EngineMode requestedMode = EngineMode::None;  // mode switch asked of the engine

private:
    ScreenHost* host_;
};

} // namespace zre
