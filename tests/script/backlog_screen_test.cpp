// The backlog and the music room, opened by the engine's main loop over a game screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "graphics/bitmap.h"
#include "graphics/image_formats.h"
#include "graphics/pixel_ops.h"
#include "platform/input_state.h"
#include "platform/messages.h"
#include "script/engine_fixture.h"
#include "ui/backlog_screen.h"
#include "ui/music_room.h"
#include "ui/system_screen.h"

namespace zre {
namespace {

using test::GameFolder;
using test::TestEngine;

class SystemScreens : public ::testing::Test {
protected:
    SystemScreens() {
        auto s = std::make_unique<Screen>();
        s->attachWindow(800, 600);
        s->input = &input;
        e.setScreen(std::move(s));
        e.mode = EngineMode::Game;
        // The arrows: 40 x 40, green (the key colour) around a white square.
        for (const char* name : {"pageup2", "pageup1", "pagedown1", "pagedown2"}) {
            for (const char* state : {"_off", "_on"}) {
                auto b = makeBitmap(40, 40);
                fillBitmap(*b, 0x00FF00);
                for (int y = 10; y < 30; ++y)
                    for (int x = 10; x < 30; ++x) std::fill_n(b->pixel(x, y), 3, uint8_t{255});
                auto bytes = encodeGfb(*b, false, false);
                folder.write(std::string("syspict/") + name + state + ".gfb", std::string(bytes.begin(), bytes.end()));
            }
        }
    }

    void open(EngineMode m) {
        e.requestMode(m, 1);
        e.runFrame();
        ASSERT_EQ(e.mode, m);
    }
    void frame() { e.runFrame(); }
    void click(int32_t x, int32_t y) {
        Message m;
        m.kind = MessageKind::LButtonUp;
        m.x = x;
        m.y = y;
        e.handleInput(m);
        frame();
    }
    void key(int32_t code) {
        Message m;
        m.kind = MessageKind::KeyUp;
        m.key = code;
        e.handleInput(m);
        frame();
    }
    BacklogController& backlog() { return *dynamic_cast<BacklogController*>(e.screen->tasks.at(0).get()); }
    MusicRoomController& room() { return *dynamic_cast<MusicRoomController*>(e.screen->tasks.at(0).get()); }
    // The tops of the message layers, from id 10 on.
    std::vector<int32_t> messageTops() {
        std::vector<int32_t> tops;
        for (int32_t id = kBacklogFirstMessageId; id <= kBacklogLastMessageId + 1; ++id)
            if (Layer* l = e.screen->getLayer(id)) tops.push_back(l->destRect.top);
        return tops;
    }
    void fill(int n) {
        for (int i = 0; i < n; ++i) e.backlog.push_back("message " + std::to_string(i));
    }

    GameFolder folder;
    TestEngine e;
    InputState input;
};

TEST_F(SystemScreens, BacklogOpensWithTheNewestThatFit) {
    fill(10);
    open(EngineMode::Backlog);
    // 7 x 48 = 336 is the first sum above 299.
    EXPECT_EQ(messageTops(), (std::vector<int32_t>{0, 48, 96, 144, 192, 240, 288}));
    EXPECT_EQ(backlog().first, 3);
    EXPECT_EQ(e.screen->getLayer(kBacklogFirstMessageId)->destRect.left, 40);
    // The game picture under a black layer whose mask lets about 80/256 of it through.
    ASSERT_NE(e.screen->getLayer(kBacklogShadeId), nullptr);
    ASSERT_NE(e.screen->getLayer(kBacklogShadeId)->mask, nullptr);
    EXPECT_EQ(e.screen->getLayer(kBacklogShadeId)->mask->pixel(400, 300)[0], 0xAF);
    EXPECT_EQ(e.screen->getLayer(kButtonNormalBase + 1)->keyColor, 65280u);
    // The right button goes back to the game.
    Message r;
    r.kind = MessageKind::RButtonUp;
    e.handleInput(r);
    frame();
    EXPECT_EQ(e.mode, EngineMode::Game);
}

TEST_F(SystemScreens, BacklogScrollsToBothEndsAndStops) {
    fill(10);
    open(EngineMode::Backlog);
    key(vk::Prior);  // the page key presses the up arrow
    EXPECT_EQ(backlog().first, 2);
    EXPECT_EQ(messageTops(), (std::vector<int32_t>{0, 48, 96, 144, 192, 240, 288, 336}));
    // Five back stops at the oldest; further presses change nothing.
    click(760, 170);
    EXPECT_EQ(backlog().first, 0);
    const std::vector<int32_t> atOldest = messageTops();
    EXPECT_EQ(atOldest.size(), 10u);
    click(760, 170);
    key(vk::Up);
    EXPECT_EQ(backlog().first, 0);
    EXPECT_EQ(messageTops(), atOldest);
    // The arrow that was pressed is off again and left hovered.
    EXPECT_EQ(e.screen->getLayer(kButtonHoverBase + 1)->visible, 1);
    EXPECT_EQ(e.screen->getLayer(kButtonNormalBase + 1)->visible, 0);

    // Forward: the messages that leave the top go, the rest start at id 10 again.
    key(vk::Next);
    EXPECT_EQ(backlog().first, 1);
    EXPECT_EQ(messageTops().front(), 0);
    EXPECT_EQ(messageTops().size(), 9u);
    click(760, 390);
    click(760, 390);
    EXPECT_EQ(backlog().first, 9);  // the newest at the top, and no further
    EXPECT_EQ(messageTops(), (std::vector<int32_t>{0}));
    Message wheel;
    wheel.kind = MessageKind::MouseWheel;
    wheel.wheel = -1;
    e.handleInput(wheel);
    frame();
    EXPECT_EQ(backlog().first, 9);
    // Back again: the layers come back down in their places.
    key(vk::Prior);
    EXPECT_EQ(messageTops(), (std::vector<int32_t>{0, 48}));
}

TEST_F(SystemScreens, BacklogTwoLineMessages) {
    fill(3);
    e.backlog.push_back("first line/nsecond line, ./voice/x.ogg");
    e.backlog.push_back("last");
    open(EngineMode::Backlog);
    // All five fit (48 + 48 + 48 + 72 + 48 = 264): the two-line one takes 72.
    EXPECT_EQ(messageTops(), (std::vector<int32_t>{0, 48, 96, 144, 216}));
    const Layer* two = e.screen->getLayer(kBacklogFirstMessageId + 3);
    const Layer* one = e.screen->getLayer(kBacklogFirstMessageId + 4);
    ASSERT_TRUE(two->hasImage() && one->hasImage());
    ASSERT_NE(two->mask, nullptr);
    EXPECT_EQ(two->destRect.height(), one->destRect.height() + 24);
    // The second line is drawn into the lower half (what follows the comma is not shown).
    bool lowerDrawn = false;
    for (int y = 24; y < two->destRect.height() && !lowerDrawn; ++y)
        for (int x = 0; x < two->mask->width() && !lowerDrawn; ++x) lowerDrawn = two->mask->pixel(x, y)[0] > 128;
    EXPECT_TRUE(lowerDrawn);
    EXPECT_LT(two->destRect.width(), 300);
    EXPECT_EQ(backlogPitch("a/nb"), 72);
    EXPECT_EQ(backlogPitch("a, b/nc"), 48);
}

TEST_F(SystemScreens, EmptyBacklogShowsNothing) {
    open(EngineMode::Backlog);
    EXPECT_TRUE(messageTops().empty());
    for (int32_t x : {170, 260, 330, 390}) click(760, x);
    EXPECT_TRUE(messageTops().empty());
    EXPECT_EQ(backlog().first, 0);
}

TEST_F(SystemScreens, MusicRoomSelectsThenPlays) {
    e.testSound.lengths = {{"./bgm/m-06.ogg", 1000}, {"./bgm/m-07.ogg", 1000}};
    open(EngineMode::MusicRoom);
    ASSERT_EQ(room().buttonCount(), 27);
    EXPECT_EQ(room().buttons[kMusicStopButton].on, 1);
    // Track 5 (x 64..311, y 272..295): lit, nothing played yet.
    click(100, 280);
    EXPECT_EQ(room().track, 5);
    EXPECT_EQ(room().buttons[5].on, 1);
    EXPECT_TRUE(e.testSound.log.empty());
    click(340, 300);  // play
    EXPECT_EQ(e.testSound.log, (std::vector<std::string>{"play 0 ./bgm/m-06.ogg 1 1"}));
    EXPECT_EQ(room().buttons[kMusicStopButton].on, 0);
    click(100, 320);  // track 6 plays at once
    EXPECT_EQ(e.testSound.log.back(), "play 0 ./bgm/m-07.ogg 1 1");
    EXPECT_EQ(room().buttons[5].on, 0);
    EXPECT_EQ(room().buttons[6].on, 1);
    EXPECT_EQ(room().buttons[kMusicPlayButton].on, 1);
    // A click on empty space lets go of the track; the music goes on.
    click(400, 500);
    EXPECT_EQ(room().track, -1);
    EXPECT_EQ(room().buttons[6].on, 0);
    EXPECT_TRUE(e.testSound.isPlaying(kMusicKey));
    click(400, 300);  // stop
    EXPECT_EQ(e.testSound.log.back(), "stop 0");
    EXPECT_EQ(room().buttons[kMusicPlayButton].on, 0);
}

TEST_F(SystemScreens, MusicRoomNextWrapsAndBackLeavesMusicPlaying) {
    e.testSound.lengths = {{"./bgm/m-01.ogg", 1000}};
    open(EngineMode::MusicRoom);
    click(600, 70);  // track 11 (right column, first row): selected
    click(600, 510);  // track 22 (y 504..527): plays at once, since one was selected
    EXPECT_EQ(e.testSound.log.back(), "play 0 ./bgm/m-23.ogg 1 1");
    click(450, 300);  // next: 22 wraps to 0
    EXPECT_EQ(room().track, 0);
    EXPECT_EQ(e.testSound.log.back(), "play 0 ./bgm/m-01.ogg 1 1");
    EXPECT_EQ(room().buttons[kMusicNextButton].on, 0);
    EXPECT_EQ(room().buttons[0].on, 1);
    EXPECT_EQ(room().buttons[22].on, 0);
    EXPECT_STREQ(musicTrackFile(20), "./bgm/m-21.ogg");
    EXPECT_STREQ(musicTrackFile(21), "./bgm/m-21.ogg");
    // Back queues the way to the title and keeps the music.
    click(100, 540);
    ASSERT_EQ(e.statementQueue.size(), 1u);
    EXPECT_EQ(e.statementQueue.front(), "SetPage(1, 1)");
    frame();
    EXPECT_FALSE(e.screen->isBusy());
    EXPECT_TRUE(e.testSound.isPlaying(kMusicKey));
    e.runQueued();
    e.runFrame();
    EXPECT_EQ(e.mode, EngineMode::Title);
    EXPECT_EQ(e.testSound.log.back(), "play 0 ./bgm/m-01.ogg 1 1");
    EXPECT_TRUE(e.testSound.isPlaying(kMusicKey));
}

TEST_F(SystemScreens, SetPageReachesTheMusicRoom) {
    e.executeNow("SetPage(9, 1)");
    frame();
    EXPECT_EQ(e.mode, EngineMode::MusicRoom);
}

} // namespace
} // namespace zre
