#include "graphics/screen.h"

#include <random>

#include "graphics/transitions.h"
#include "platform/input_state.h"
#include "platform/message_box.h"

namespace zre {

namespace {

ScreenHost& windowlessHost() {
    static ScreenHost host;
    return host;
}

} // namespace

int32_t ScreenHost::randomBelow(int32_t n) {
    const int16_t limit = int16_t(n);
    if (n == 0 || limit == 0) return 0;
    std::minstd_rand generator(now());
    const int32_t value = int32_t(generator() & 0x7FFF);
    return value % limit;
}

Screen::Screen() : host_(&windowlessHost()) {}
Screen::Screen(ScreenHost& host) : host_(&host) {}

Screen::~Screen() {
    // Tasks may point at layers and at the message text, so they go first; then the layers
    // from the top down, then the text.
    while (!tasks.empty()) tasks.pop_back();
    while (!layers.empty()) layers.pop_back();
    messageText.reset();
}

void Screen::attachWindow(int32_t width, int32_t height) {
    auto frontLayer = std::make_unique<Layer>();
    frontLayer->createBlank(width, height);
    frontLayer->id = kFrontLayerId;
    layers.push_back(std::move(frontLayer));
    auto compositeLayer = std::make_unique<Layer>();
    compositeLayer->createBlank(width, height);
    compositeLayer->id = kCompositeLayerId;
    layers.push_back(std::move(compositeLayer));
}

Layer* Screen::addLayer(int32_t number, std::string_view fileName, int32_t x, int32_t y, int32_t w,
                        int32_t h, const LayerExtra& extra, int32_t kind) {
    auto layer = std::make_unique<Layer>();
    switch (kind) {
    case LAYER_NORMAL:
        layer->loadPictureSized(fileName, x, y, w, h);
        break;
    case LAYER_MASK:
        if (extra.present)
            layer->loadWithMaskFile(fileName, extra.text, x, y);
        else
            layer->loadSplitMask(fileName, x, y, 0);
        break;
    case LAYER_MASKEX:
        layer->loadSplitMaskSized(fileName, x, y, w, h, 1);
        break;
    case LAYER_TRANS:
        layer->loadPictureSized(fileName, x, y, w, h);
        layer->keyColor = extra.present ? extra.colour : 0;
        break;
    default:
        // No loading rule (choice buttons are built as LAYER_MASKEX): an empty layer.
        break;
    }
    if (!layer->image) {
        messageBox("\x83\x8d\x81[\x83h\x83G\x83\x89\x81[", "Error");  // "load error"
    }
    return insertLayer(number, std::move(layer));
}

Layer* Screen::insertLayer(int32_t number, std::unique_ptr<Layer> layer) {
    if (!layer) return nullptr;
    int32_t position = findLayer(number);
    if (position >= 0) {
        removeLayerAt(position);
    } else {
        position = 1;
        for (int32_t i = int32_t(layers.size()) - 1; i >= 1; --i) {
            if (layers[size_t(i)]->id < number) {
                position = i + 1;
                break;
            }
        }
        if (position > int32_t(layers.size())) position = int32_t(layers.size());
    }
    layer->id = number;
    layer->dirtyRect = layer->destRect;
    Layer* placed = layer.get();
    layers.insert(layers.begin() + position, std::move(layer));
    return placed;
}

int32_t Screen::findLayer(int32_t number) const {
    for (size_t i = 0; i < layers.size(); ++i) {
        if (layers[i]->id == number) return int32_t(i);
    }
    return -1;
}

Layer* Screen::getLayer(int32_t number) const {
    const int32_t position = findLayer(number);
    return position < 0 ? nullptr : layers[size_t(position)].get();
}

void Screen::removeLayer(int32_t number) {
    const int32_t position = findLayer(number);
    if (position >= 0) removeLayerAt(position);
}

void Screen::removeLayerAt(int32_t position) {
    if (position < 0 || position >= int32_t(layers.size())) return;
    Layer* layer = layers[size_t(position)].get();
    finishTasksOn(layer);
    // The finished tasks live until the next updateTasks; they must not keep an address
    // that a new layer may take over.
    for (auto& task : tasks) {
        if (task->target == layer) task->target = nullptr;
    }
    composeDirty = unionRect(composeDirty, layer->destRect);
    layers.erase(layers.begin() + position);
}

void Screen::removeTaggedLayers(int32_t tag) {
    for (int32_t i = int32_t(layers.size()) - 1; i >= 1; --i) {
        if (layers[size_t(i)]->tag == tag) removeLayerAt(i);
    }
}

void Screen::setLayerVisible(int32_t number, int32_t visible) {
    Layer* layer = getLayer(number);
    if (!layer || layer->visible == visible) return;
    layer->visible = visible;
    layer->dirtyRect = layer->destRect;
}

int32_t Screen::freePictureId() const {
    for (size_t i = layers.size(); i-- > 0;) {
        if (layers[i]->id < 1000) return layers[i]->id + 1;
    }
    return 1;
}

int Screen::compose() {
    const int32_t end = findLayer(kCompositeLayerId);
    if (end < 0) return 1;
    Layer& target = *layers[size_t(end)];
    const int32_t first = std::max<int32_t>(firstComposed, 0);
    for (int32_t i = first; i < end; ++i) composeDirty = unionRect(composeDirty, layers[size_t(i)]->dirtyRect);
    composeDirty = intersectRect(composeDirty, kScreenArea);
    if (composeDirty.isEmpty()) return 1;
    for (int32_t i = first; i < end; ++i) target.drawLayer(*layers[size_t(i)], composeDirty);
    if (messageText) messageText->drawDirty(target, composeDirty);
    presentDirty = unionRect(presentDirty, composeDirty);
    composeDirty.setEmpty();
    return 1;
}

int Screen::present() {
    Layer* compositeLayer = composite();
    Layer* frontLayer = front();
    presentDirty = intersectRect(presentDirty, kScreenArea);
    if (!compositeLayer || !frontLayer || presentDirty.isEmpty()) return 0;
    // With a snapshot (an alpha fade), the old picture goes back first and the composite
    // is blended over it.
    Layer* snapshot = getLayer(kSnapshotLayerId);
    if (snapshot && snapshot->image)
        frontLayer->copyOntoThenDraw(*snapshot, *compositeLayer, presentDirty);
    else
        frontLayer->drawLayer(*compositeLayer, presentDirty);
    host_->invalidate(presentDirty);
    host_->pump();
    if (hasTaskOn(compositeLayer)) return 1;  // a fade runs: present the area again next frame
    removeLayer(kSnapshotLayerId);
    presentDirty.setEmpty();
    return 1;
}

void Screen::paint() {
    Layer* frontLayer = front();
    if (!frontLayer || !frontLayer->image) return;
    const Rect& d = frontLayer->destRect;
    host_->paint(*frontLayer->image, d.left, d.top, d.right, d.bottom);
}

void Screen::refresh(const Rect& area) {
    composeDirty = unionRect(composeDirty, area);
    compose();
    present();
    host_->invalidate(area);
    host_->pump();
}

void Screen::refreshLayer(int32_t number) {
    if (Layer* layer = getLayer(number)) refresh(layer->destRect);
}

int Screen::setMessageWindowVisible(int32_t visible) {
    Layer* window = getLayer(kMessageWindowLayerId);
    if (!window || window->visible == visible) return 0;
    window->visible = visible;
    if (messageText) messageText->setVisible(visible != 0);
    if (findLayer(kTextCursorLayerId) >= 0) setLayerVisible(kTextCursorLayerId, visible);
    refresh(window->destRect);
    return 1;
}

int32_t Screen::isMessageWindowVisible() const {
    const Layer* window = getLayer(kMessageWindowLayerId);
    return window ? window->visible : 0;
}

Layer* Screen::front() const { return getLayer(kFrontLayerId); }
Layer* Screen::composite() const { return getLayer(kCompositeLayerId); }

// ---------------------------------------------------------------------------------------------
// Task list.

void Screen::addTask(std::unique_ptr<Task> task) {
    if (!task) return;
    task->screen = this;
    tasks.push_back(std::move(task));
}

int32_t Screen::nextTaskKey() const { return tasks.empty() ? 0 : tasks.back()->key + 1; }

void Screen::startTasks(int32_t key) {
    if (key == -1) return;
    if (input) input->consumeClick();
    const int32_t index = findTask(key);
    if (index >= 0) tasks[size_t(index)]->start();
}

int32_t Screen::findTask(int32_t key) const {
    for (size_t i = 0; i < tasks.size(); ++i) {
        if (tasks[i]->key == key) return int32_t(i);
    }
    return -1;
}

int Screen::hasTaskOn(const Layer* layer) const {
    for (const auto& task : tasks) {
        if (task->target == layer) return 1;
    }
    return 0;
}

void Screen::finishTasksOn(const Layer* layer) {
    for (auto& task : tasks) {
        if (task->target == layer) task->done = 1;
    }
}

int Screen::isBusy() const {
    if (requestedMode != EngineMode::None) return 0;
    for (const auto& task : tasks) {
        if (task->blocking != 0) return 1;
    }
    return 0;
}

uint32_t Screen::idleTime(uint32_t now) const {
    uint32_t least = kWaitsForInput;
    for (const auto& task : tasks) {
        // A finished task leaves at the next update, which may free the script at once.
        if (task->done) return 0;
        least = std::min(least, task->dueIn(now));
    }
    return least;
}

bool Screen::heldUntilInput(uint32_t now) const {
    for (const auto& task : tasks) {
        if (task->done) return false;
        const bool mayProgress = task->blocking != 0 || task->nextKey != -1;
        if (mayProgress && task->dueIn(now) != kWaitsForInput) return false;
    }
    return true;
}

void Screen::updateTasks() {
    for (size_t i = tasks.size(); i-- > 0;) {
        if (tasks[i]->done) tasks.erase(tasks.begin() + std::ptrdiff_t(i));
    }
    // Tasks added during the pass are visited in the same pass; the list only grows here.
    for (size_t i = 0; i < tasks.size(); ++i) {
        Task* task = tasks[i].get();
        if (input && input->clickPending()) task->onClick();
        task->update();
        const int32_t k = task->dueNextKey();
        if (k != -1) startTasks(k);
    }
}

} // namespace zre
