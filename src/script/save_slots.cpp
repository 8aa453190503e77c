// Saved games: the slot files, the records a save adds to scope 0, the load that replaces
// every scope, and the restore that rebuilds the picture and the looping sounds from the
// records and resumes the script where it was saved.
#include "script/save_slots.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "data/file_access.h"
#include "data/slot_file.h"
#include "graphics/layer.h"
#include "graphics/pixel_ops.h"
#include "platform/file_system.h"
#include "platform/input_state.h"
#include "platform/message_box.h"
#include "script/engine.h"

namespace zre {

namespace {

// "ゲームデータの読み込みに失敗しました。" / "Debug Message"
constexpr char kSlotReadFailed[] =
    "\x83\x51\x81\x5b\x83\x80\x83\x66\x81\x5b\x83\x5e\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8"
    "\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
constexpr char kDebugCaption[] = "Debug Message";
// "セーブデータを書き込めませんでした。" / "エラー"
constexpr char kSlotWriteFailed[] =
    "\x83\x5a\x81\x5b\x83\x75\x83\x66\x81\x5b\x83\x5e\x82\xf0\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9"
    "\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
constexpr char kErrorCaption[] = "\x83\x47\x83\x89\x81\x5b";

constexpr std::string_view kLayerRecord = "$save_layer";
constexpr std::string_view kSoundRecord = "$save_sound";

// A slot is a thumbnail and at most 64 tables; a file far larger than any game writes is
// not read into memory.
constexpr uint64_t kMaxSlotBytes = 64ull << 20;

// The scopes a slot file holds, checked whole: the file was a slot, its thumbnail lies
// inside it, and every block names an existing scope and holds a complete table.
struct SlotImage {
    std::array<std::optional<VariableTable>, kScopeCount> scopes;
    int firstScope = -1;  // the scope of the first block
};

std::optional<SlotImage> readSlotImage(std::string_view path) {
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path, kMaxSlotBytes);
    if (!bytes) return std::nullopt;
    SlotImage image;
    ByteReader in(bytes->data(), bytes->size());
    uint32_t thumbSize = 0;
    if (!readSlotHeader(in, thumbSize) || !in.skip(thumbSize)) return std::nullopt;
    for (int block = 0; block < kScopeCount && in.remaining() > 0; ++block) {
        SlotBlockTag tag;
        if (!readSlotBlockTag(in, tag)) return std::nullopt;  // a tag cut short
        // A block that is not tagged as one is read all the same, after the report.
        if (!tag.tagged) messageBox(kSlotReadFailed, kDebugCaption);
        if (tag.scope < 0 || tag.scope >= kScopeCount) return std::nullopt;
        VariableTable table;
        bool complete = false;
        table.read(in, &complete);
        if (!complete) return std::nullopt;
        if (image.firstScope < 0) image.firstScope = tag.scope;
        image.scopes[tag.scope] = std::move(table);
    }
    // A slot without a single table holds no game to go back to.
    if (image.firstScope < 0) return std::nullopt;
    return image;
}

std::string textOf(const VariableTable& table, std::string_view name) {
    const char* t = table.getText(name);
    return t ? std::string(t) : std::string();
}

// The sound key of a "$save_sound" record: the number after the prefix's eleven characters.
int32_t recordKey(const std::string& name) {
    return name.size() > kSoundRecord.size() ? atoi32(name.c_str() + kSoundRecord.size()) : 0;
}

} // namespace

std::string formatDateStamp(const LocalTime& t, int form) {
    char text[64];
    switch (form) {
    case 0:  // "%04d年%02d月%02d日%02d時%02d分"
        std::snprintf(text, sizeof text, "%04d\x94\x4e%02d\x8c\x8e%02d\x93\xfa%02d\x8e\x9e%02d\x95\xaa", t.year,
                      t.month, t.day, t.hour, t.minute);
        break;
    case 1:  // "%02d月%02d日%02d時%02d分"
        std::snprintf(text, sizeof text, "%02d\x8c\x8e%02d\x93\xfa%02d\x8e\x9e%02d\x95\xaa", t.month, t.day, t.hour,
                      t.minute);
        break;
    case 2: std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d", t.month, t.day, t.hour, t.minute); break;
    case 3: std::snprintf(text, sizeof text, "%04d/%02d/%02d/%02d:%02d", t.year, t.month, t.day, t.hour, t.minute); break;
    default: return {};
    }
    return text;
}

void Engine::dateStamp(std::string& buffer, int form) const {
    if (form < 0 || form > 3) return;
    buffer = formatDateStamp(localTime(), form);
}

std::unique_ptr<Bitmap> Engine::makeThumbnail() const {
    const Screen* game = gameScreen();
    const Layer* front = game ? game->front() : nullptr;
    if (front && front->image && !front->image->empty())
        if (auto thumb = stretchBitmap(*front->image, kThumbnailWidth, kThumbnailHeight)) return thumb;
    // No picture to take: the slot still gets a thumbnail of the size its readers expect.
    return makeBitmap(kThumbnailWidth, kThumbnailHeight);
}

void Engine::updateSaveRecords() {
    // The resume position: the statement being executed, or, for a choice, the message
    // before it, so that loading asks the question again after its text.
    int32_t offset = statementStart;
    const size_t end = cursorOffset();
    if (hasScript() && static_cast<size_t>(statementStart) < end) {
        std::string_view source(text() + statementStart, end - statementStart);
        if (source.find("Select") != std::string_view::npos)
            offset = static_cast<int32_t>(end) + findBackward("print");
    }
    std::string script = scriptName + ":" + std::to_string(offset);
    setInScope(0, "$save_script", script.c_str());
    setInScopeNumber(0, "$save_nest", depth);
    std::string time;
    dateStamp(time, 3);
    setInScope(0, "$save_time", time.c_str());

    // A looping sound that has ended by now is not restarted by a load.
    VariableTable& records = scopes[0];
    for (int i = static_cast<int>(records.size()) - 1; i >= 0; --i) {
        const std::string& name = records.entries()[i].name;
        if (name.compare(0, kSoundRecord.size() - 1, kSoundRecord.substr(0, kSoundRecord.size() - 1)) != 0) continue;
        if (!sound.isPlaying(recordKey(name))) records.removeAt(i);
    }
}

int Engine::saveSlot(std::string_view path) {
    ByteWriter out;
    std::unique_ptr<Bitmap> thumb = makeThumbnail();
    writeSlotHeader(out, bmpImageSize(thumb->width(), thumb->height()));
    thumb->writeBmp(out);
    thumb.reset();
    updateSaveRecords();
    for (int i = 0; i < kScopeCount; ++i) {
        if (scopes[i].empty()) continue;
        writeSlotBlockTag(out, i);
        scopes[i].write(out);
    }
    // The previous save stays whole until the new one is complete on disk.
    makeFolderOf(path);
    if (!writeFileAtomically(path, out.buffer())) {
        messageBox(kSlotWriteFailed, kErrorCaption, MessageBoxButtons::Ok, MessageBoxIcon::Error);
        return 0;
    }
    return 1;
}

int Engine::loadSlot(std::string_view path) {
    std::optional<SlotImage> image = readSlotImage(path);
    if (!image) {
        // A file that is there but damaged is reported; the game goes on as it was.
        if (hostKind(path) == HostKind::File) messageBox(kSlotReadFailed, kDebugCaption);
        return 0;
    }
    for (int i = 0; i < kScopeCount; ++i) {
        if (image->scopes[i])
            scopes[i] = std::move(*image->scopes[i]);
        else
            scopes[i].clear();
    }
    return 1;
}

void Engine::restoreGame() {
    freeArgs();
    if (screen) {
        for (int32_t id = screen->freePictureId() - 1; id >= 2; --id) screen->removeLayer(id);
    }
    sound.stopAll();
    setMessageText(" ");

    // The records are copied first: parsing a Draw record works on the engine's arguments.
    const std::vector<VariableEntry> records = scopes[0].entries();
    for (const VariableEntry& record : records) {
        if (!record.value) continue;
        if (record.name.compare(0, kLayerRecord.size(), kLayerRecord) == 0) {
            if (!screen) continue;
            parseStatement(*record.value);
            const char* file = argText(3);
            int32_t kind = constantValue(argText(9));
            screen->addLayer(argNumber(2), file ? file : "", argNumber(4), argNumber(5), argNumber(6),
                             argNumber(7), drawExtra(argText(8), kind), kind);
            freeArgs();
        } else if (record.name.compare(0, kSoundRecord.size(), kSoundRecord) == 0) {
            sound.play(recordKey(record.name), *record.value, 1, 1);
        }
    }

    int32_t nest = scopes[0].getNumber("$save_nest");
    depth = nest < 0 ? 0 : std::min<int32_t>(nest, kScopeCount - 1);
    // Blocks opened past the last table belong to the game that was left.
    overflow_.clear();
    const char* script = scopes[0].getText("$save_script");
    jumpTo(script ? script : "");

    if (screen) {
        screen->show(SHOW_ALPHA, 1000);
        if (screen->input) {
            screen->input->clickX = 0;
            screen->input->clickY = 1;
        }
    }
}

int Engine::readSlotInfo(std::string_view path, std::string& title, std::string& comment, std::string& time) const {
    std::optional<SlotImage> image = readSlotImage(path);
    if (!image) return 0;
    const VariableTable& records = *image->scopes[image->firstScope];
    title = textOf(records, "$scene_title");
    comment = textOf(records, "$save_comment");
    time = textOf(records, "$save_time");
    return 1;
}

std::unique_ptr<Bitmap> Engine::loadThumbnail(std::string_view path) const {
    std::optional<std::vector<uint8_t>> bytes = readWholeFile(path, kMaxSlotBytes);
    if (!bytes) return nullptr;
    ByteReader in(bytes->data(), bytes->size());
    uint32_t thumbSize = 0;
    if (!readSlotHeader(in, thumbSize)) return nullptr;
    const size_t at = static_cast<size_t>(in.position());
    std::vector<uint8_t> picture(bytes->begin() + at, bytes->begin() + at + thumbSize);
    FileHandle handle(std::make_unique<MemoryStream>(std::move(picture)));
    auto bitmap = std::make_unique<Bitmap>();
    if (!bitmap->load(handle) || bitmap->empty()) return nullptr;
    return bitmap;
}

void EngineSaveSlots::restore(std::string_view slotPath) {
    if (!engine_ || !engine_->loadSlot(slotPath)) return;
    // The old picture does not show through while the saved one fades in.
    if (engine_->screen)
        if (Layer* front = engine_->screen->front(); front && front->image && !front->image->empty())
            std::memset(front->image->bits, 0, front->image->byteCount());
    engine_->restoreGame();
}

} // namespace zre
