#pragma once
// The engine: the one object that owns the game state. Script text and read position, the
// parsed statement, the variable tables, the backlog and the statement queue, both screens,
// the engine mode with its return stack, and the input flags the tasks set.
//
// Scripts are interpreted straight from their text: a statement is cut out at the read
// position, split into its elements and executed; control flow moves the read position
// over blocks or to recorded offsets and script addresses ("file:offset").
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/engine_mode.h"
#include "graphics/screen.h"
#include "platform/local_time.h"
#include "script/engine_services.h"
#include "script/speaker_codes.h"
#include "script/variable_table.h"
#include "ui/message_tasks.h"

namespace zre {

class ScreenActions;
class Engine;
struct Message;

// The engine's side of the message and choice tasks (text_commands.cpp).
std::unique_ptr<TextActions> makeTextActions(Engine& engine);

// The files the engine keeps beside the game.
constexpr char kSystemDataPath[] = "./dat/system.dat";
constexpr char kGameDataPath[] = "./dat/game.dat";
constexpr char kSystemScriptPath[] = "./system.zre";

// Bits of Engine::inputFlags, set by the message and choice tasks.
struct InputFlag {
    static constexpr int32_t MenuKeys = 1;    // text waits for a click: the menu keys work
    static constexpr int32_t ChoiceOpen = 2;  // a choice is open
};

// Class bits of the statement just read (statementFlags). A keyword or command keeps its
// table index in the low 16 bits.
struct StatementFlag {
    static constexpr uint32_t IndexMask = 0xFFFFu;
    static constexpr uint32_t BlockClose = 1u << 16;    // ended by "}"
    static constexpr uint32_t BlockOpen = 1u << 17;     // ended by "{"
    static constexpr uint32_t Ended = 1u << 18;         // ended by ";"
    static constexpr uint32_t IsKeyword = 1u << 19;
    static constexpr uint32_t IsCommand = 1u << 20;
    static constexpr uint32_t IsPrint = 1u << 21;
    static constexpr uint32_t IsAssignment = 1u << 22;
};

// Control keywords, by their index in the keyword table.
enum class KeywordId : int { If, Else, ElseIf, Sw, Case, While, Break, Goto, Call, Return };

// Commands, by their index in the command table.
enum class CommandId : int {
    Draw, Del, Clear, Select, ShowLayer, Movie, RegisterText, SetSysParam, Anime, Move,
    PlayBgm, PlaySound, StopBgm, StopSound, Blank, PlayCD, StopCD, ShowText, Wait, Random,
    SetPage, SetPageConst, SetPageHook, Flash, Shake
};

constexpr int kScopeCount = 64;
constexpr size_t kBacklogLimit = 301;

// Index in the keyword (or command) table of a name compared ignoring case, or -1.
int keywordIndex(std::string_view name);
int commandIndex(std::string_view name);
// The value of a LAYER_* or SHOW_* constant name (case-sensitive); 0 for any other text.
// A null text is reported ("謎のパラメータ参照") and gives 0.
int32_t constantValue(const char* text);
// The seventh field of a Draw group as the layer takes it: nothing when missing or "0"; the
// key colour of a LAYER_TRANS layer; the mask file name otherwise.
LayerExtra drawExtra(const char* text, int32_t kind);
// Creates the folder part of a data file path ("./dat") when it is missing.
void makeFolderOf(std::string_view path);

class Engine {
public:
    explicit Engine(EngineServices services);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void setScreen(std::unique_ptr<Screen> s) { screen = std::move(s); }

    // The main loop and the shell's entries (engine_loop.cpp).
    void run();
    // One frame: tasks, composition, presentation and the message pump, then, once nothing
    // blocks, the mode switch the screen asks for. True while frames must go on; false when
    // the main loop goes back to its statements.
    bool runFrame();
    // Window input: keys, mouse and wheel as the window procedure receives them.
    void handleInput(const Message& message);
    void onKeyUp(int key);
    void onLeftButtonUp(int32_t x, int32_t y);
    void onRightButtonUp();
    void setMessageWindowVisible(int party, int visible);
    void applySettings();
    // Parks the current screen and shows the system screen of mode.
    void enterSystemScreen(EngineMode mode);
    void parkScreen();

    // Once per process before the first pass: system data or the first-run build, the game
    // data, and the message window.
    void startUp();
    // The preamble of every game pass: title requested, start function entered.
    void beginPass();

    // "./dat/system.dat": "ARGS    " then systemVars. 1 on success, 0 otherwise.
    int saveSystemData(std::string_view path);
    int loadSystemData(std::string_view path);

    // Save slots (save_slots.cpp). saveSlot: 1 when the file was replaced whole; a failed
    // write is reported and leaves the previous file. loadSlot reads and checks the whole
    // file before it replaces the 64 scopes: 1 loaded, 0 with the game untouched.
    int saveSlot(std::string_view path);
    void updateSaveRecords();
    int loadSlot(std::string_view path);
    void restoreGame();
    // Title, comment and time of a slot for the slot list; 0 when it is no readable slot.
    int readSlotInfo(std::string_view path, std::string& title, std::string& comment, std::string& time) const;
    std::unique_ptr<Bitmap> loadThumbnail(std::string_view path) const;
    // The game picture at 300 x 225 (the parked game screen while a system screen shows).
    std::unique_ptr<Bitmap> makeThumbnail() const;
    // The local time in form 0 .. 3; another form leaves buffer as it is.
    void dateStamp(std::string& buffer, int form) const;
    // Where dateStamp reads the time; tests set a fixed one.
    LocalTime (*localTime)() = localTimeNow;

    // Mode requests of the screens, keys and scripts.
    void requestMode(EngineMode m, int32_t push);
    void returnToPreviousMode();
    EngineMode previousMode() const;
    void resetMode(EngineMode m);

    // Variables through the visible scopes: depth down to the "scope" entry of scopes[depth],
    // then scope 0.
    const char* getScoped(std::string_view name) const;
    void setScoped(std::string_view name, const char* text);
    void setScopedNumber(std::string_view name, int32_t n);
    void setInScope(int i, std::string_view name, const char* text);
    void setInScopeNumber(int i, std::string_view name, int32_t n);
    void setSystem(std::string_view name, const char* text);
    void substituteScoped(std::string& text) const;

    // Script text. loadScript ends the process when the file cannot be read.
    void loadScript(std::string_view name);
    void freeScript();
    bool hasScript() const { return !scriptText.empty(); }
    size_t textLength() const { return scriptText.empty() ? 0 : scriptText.size() - 1; }
    const char* text() const { return scriptText.empty() ? "" : scriptText.data(); }
    void resetPosition();
    // One statement of the script text: read, parse, execute and free it. With
    // topLevelOnly the statement is executed only outside every block (the scan of the
    // game variables). False at the end of the text.
    bool step(bool topLevelOnly = false);
    // 1 when a statement was read into statement, 0 at the end of the text.
    int readStatement();
    void parseStatement(std::string_view text);
    void freeArgs() { args.clear(); }
    int argCount() const { return static_cast<int>(args.size()); }
    int32_t argNumber(int i) const;
    const char* argText(int i) const;
    // Bytes from cursor up to and including the "}" that closes n open blocks.
    int32_t skipBlock(int n);
    void jumpTo(std::string_view address);
    // Offset (zero or negative) from cursor back to the last occurrence of pattern.
    int32_t findBackward(std::string_view pattern);
    void registerLabels(std::string_view fileName);
    void registerFunctions(std::string_view fileName);
    // Loads the script, positioned at its start, with its labels and functions indexed.
    void indexScript(std::string_view fileName);
    void buildIndex(std::string_view systemScript);
    void collectGameVariables(std::string_view dataFile);

    // The interpreter.
    void dispatch();
    void executeNow(std::string_view text);
    void queueStatement(std::string_view text) { statementQueue.emplace_back(text); }
    void runQueued();
    bool hasQueued() const { return !statementQueue.empty(); }
    void pushScope(int own);
    void popScope();
    void skipBlocks(int n);
    void callFunction(const char* name);
    void gotoLabel(const char* name);
    // Blocks opened beyond the last scope table. Their variables live in scope 63; their
    // bookkeeping ("if", "while", "call", ...) is kept per block, so loops and calls nested
    // that deep still close the right blocks.
    int32_t overflowBlocks() const { return static_cast<int32_t>(overflow_.size()); }

    // Commands.
    void executeCommand(int index);
    // Draw, Del, Clear, ShowLayer, Flash, Shake, Move, Anime and Wait.
    void pictureCommand(CommandId id);
    // Save records in scope 0, named prefix + number with at least two digits.
    void setRecord(std::string_view prefix, int32_t number, const char* text);
    // number -1 removes every record of the prefix.
    void clearRecord(std::string_view prefix, int32_t number);
    // Replaces the comma-separated fields first .. first + count - 1 of the record by text;
    // a record with too few fields stays as it is.
    void setRecordFields(std::string_view prefix, int32_t number, std::string_view text, int32_t first,
                         int32_t count);
    // PlayBgm, PlaySound, StopBgm and StopSound (sound_commands.cpp).
    void soundCommand(CommandId id);
    // Pumps messages until the clock has moved on by ms.
    void waitMs(uint32_t ms);
    void printStatement();

    // The message window and choices (text_commands.cpp): Select, RegisterText and ShowText.
    void textCommand(CommandId id);
    // The message window from the $Print_* system variables (RegisterText, applySettings).
    void applyMessageSettings();
    // The blinking text cursor after the last character of the current screen's text.
    void showTextCursor();
    // Replaces the current screen's page by text (no drawing).
    void setMessageText(std::string_view text);

    // Script state.
    std::string scriptName;
    std::vector<char> scriptText;   // the text and one NUL; empty when no script is loaded
    size_t cursor = 0;              // read offset into scriptText
    int32_t position = 0;
    std::string statement;
    int32_t statementStart = 0;
    uint32_t statementFlags = 0;
    std::vector<std::optional<std::string>> args;

    std::deque<std::string> backlog;
    // The speaker codes of the voice channel 1, read from the game folder at the first voice.
    std::optional<SpeakerCodes> speakers;
    std::deque<std::string> statementQueue;

    int32_t depth = 0;
    VariableTable systemVars;
    std::array<VariableTable, kScopeCount> scopes;

    // The services, wired by whoever builds the engine.
    EngineHost& host;
    SoundChannels& sound;
    SaveSlots& saves;
    MoviePlayback& movies;

    // What the system screens may ask of the engine. Declared before the screens, whose
    // controllers refer to it, so it outlives them.
    std::unique_ptr<ScreenActions> screenActions;
    // What the message and choice tasks may do to the engine; outlives the screens too.
    std::unique_ptr<TextActions> textActions = makeTextActions(*this);
    std::unique_ptr<Screen> screen;
    std::unique_ptr<Screen> parkedScreen;
    // The game screen: parked while a system screen shows, else the current one.
    Screen* gameScreen() const { return parkedScreen ? parkedScreen.get() : screen.get(); }
    EngineMode mode = EngineMode::None;
    ModeStack modeStack;
    int32_t inputFlags = 0;             // InputFlag bits
    std::array<int32_t, 2> hiddenBy{};
    // Set by SetPageHook: while nonzero the right mouse button does nothing.
    int32_t rightButtonBlocked = 0;

private:
    int scopeIndex() const;             // depth, kept inside the scope tables
    // The bookkeeping table of the innermost open block.
    VariableTable& block();
    const VariableTable& block() const;
    int lowestVisibleScope() const;
    VariableTable* findVisible(std::string_view name);
    const VariableTable* findVisible(std::string_view name) const;
    size_t cursorOffset() const;
    size_t findText(size_t from, std::string_view pattern) const;
    std::vector<std::string> scriptFiles() const;
    void moveCursor(size_t offset);
    void runKeyword(int index);
    void runAssignment();
    int blocksOutTo(std::string_view entry) const;

    std::vector<VariableTable> overflow_;
};

} // namespace zre
