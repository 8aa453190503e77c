// The sound commands: PlayBgm, PlaySound, StopBgm and StopSound. Every sound the scripts
// play is streamed and the music always loops. A fade is a volume-fade task on the
// screen's task list that does not hold the script up; it drives the whole class volume
// and puts the configured one back when it ends.
#include "script/engine.h"
#include "ui/effect_tasks.h"

namespace zre {

namespace {

constexpr int32_t kStream = 1;

} // namespace

void Engine::soundCommand(CommandId id) {
    // Counted as the statement reader delivers them; the form with a fade has one more.
    const int count = argCount();
    // The fade task joins the screen's list unstarted; the caller starts it after play.
    // Without a screen there is no task list to fade on, and the forms without a fade run.
    auto addFade = [&](int32_t kind, int32_t duration, int32_t from, int32_t to) {
        const int32_t key = screen->nextTaskKey();
        addVolumeFade(*screen, key, duration, kind, from, to, 0, sound);
        return key;
    };
    auto startFade = [&](int32_t key) { screen->startTasks(key); };

    switch (id) {
    case CommandId::PlayBgm: {
        const char* file = argText(2);
        const std::string_view path = file ? file : "";
        if (count == 4 && screen) {
            const int32_t fade = addFade(kMusicKey, argNumber(3), 0, sound.getBgmVolume());
            sound.setBgmVolume(0);
            sound.play(kMusicKey, path, kStream, 1);
            startFade(fade);
        } else {
            sound.play(kMusicKey, path, kStream, 1);
        }
        setRecord("$save_sound", kMusicKey, file);
        break;
    }
    case CommandId::PlaySound: {
        const int32_t key = argNumber(2) + kEffectKeyBase;
        const char* effect = argText(3);
        const std::string_view effectPath = effect ? effect : "";
        const int32_t loop = argNumber(4);
        sound.collectFinished();
        if (count == 6 && screen) {
            const int32_t fade = addFade(key, argNumber(5), 0, sound.getEffectVolume());
            sound.setEffectVolume(0);
            sound.play(key, effectPath, kStream, loop);
            startFade(fade);
        } else {
            sound.play(key, effectPath, kStream, loop);
        }
        if (loop != 0) setRecord("$save_sound", key, effect);
        break;
    }
    case CommandId::StopBgm:
        if (count == 3 && screen) {
            startFade(addFade(kMusicKey, argNumber(2), sound.getBgmVolume(), 0));
        } else {
            sound.stop(kMusicKey);
            sound.remove(kMusicKey);
        }
        clearRecord("$save_sound", kMusicKey);
        break;
    case CommandId::StopSound: {
        const int32_t key = argNumber(2) + kEffectKeyBase;
        if (count == 4 && screen) {
            startFade(addFade(key, argNumber(3), sound.getEffectVolume(), 0));
        } else {
            sound.stop(key);
            sound.remove(key);
        }
        clearRecord("$save_sound", key);
        break;
    }
    default:
        break;
    }
}

} // namespace zre
