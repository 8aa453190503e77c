#include "sounds.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "data/byte_io.h"
#include "platform/vorbis_encoder.h"
#include "sound/wave_reader.h"

namespace demo {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Mono samples in -1 .. 1 while composing.
struct Track {
    explicit Track(double seconds, int rate) : rate(rate), s(static_cast<size_t>(seconds * rate), 0.0) {}
    int rate;
    std::vector<double> s;
};

double midiHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// A plucked or struck note: a few harmonics under an exponential decay, with a short attack
// so that it starts without a click.
void note(Track& t, double at, double length, double hz, double level, double decay, double brightness = 0.4) {
    const size_t from = static_cast<size_t>(at * t.rate);
    const size_t count = static_cast<size_t>(length * t.rate);
    for (size_t i = 0; i < count && from + i < t.s.size(); ++i) {
        const double x = double(i) / t.rate;
        const double attack = std::min(1.0, x / 0.01);
        const double release = std::min(1.0, (length - x) / 0.05);
        const double env = attack * release * std::exp(-x * decay);
        double v = std::sin(2 * kPi * hz * x) + brightness * std::sin(4 * kPi * hz * x) +
                   brightness * 0.4 * std::sin(6 * kPi * hz * x);
        t.s[from + i] += level * env * v;
    }
}

// A bell: inharmonic partials that ring long.
void bell(Track& t, double at, double hz, double level) {
    const double partials[][3] = {{1.0, 1.0, 1.2}, {2.76, 0.5, 2.0}, {5.4, 0.25, 3.5}, {8.9, 0.12, 5.0}};
    const size_t from = static_cast<size_t>(at * t.rate);
    for (size_t i = from; i < t.s.size(); ++i) {
        const double x = double(i - from) / t.rate;
        const double attack = std::min(1.0, x / 0.003);
        double v = 0;
        for (const auto& p : partials) v += p[1] * std::exp(-x * p[2]) * std::sin(2 * kPi * hz * p[0] * x);
        t.s[i] += level * attack * v;
    }
}

std::vector<int16_t> toPcm(const Track& left, const Track& right) {
    std::vector<int16_t> out(left.s.size() * 2);
    for (size_t i = 0; i < left.s.size(); ++i) {
        out[2 * i] = static_cast<int16_t>(std::lround(std::clamp(left.s[i], -1.0, 1.0) * 32767));
        out[2 * i + 1] = static_cast<int16_t>(std::lround(std::clamp(right.s[i], -1.0, 1.0) * 32767));
    }
    return out;
}

std::vector<int16_t> toPcm(const Track& mono) {
    std::vector<int16_t> out(mono.s.size());
    for (size_t i = 0; i < mono.s.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(std::clamp(mono.s[i], -1.0, 1.0) * 32767));
    return out;
}

std::vector<uint8_t> oggStereo(const Track& l, const Track& r) {
    std::vector<int16_t> pcm = toPcm(l, r);
    return zre::encodeVorbis(pcm.data(), l.s.size(), 2, l.rate);
}

std::vector<uint8_t> oggMono(const Track& t) {
    std::vector<int16_t> pcm = toPcm(t);
    return zre::encodeVorbis(pcm.data(), t.s.size(), 1, t.rate);
}

std::vector<uint8_t> waveMono(const Track& t) {
    const std::vector<int16_t> pcm = toPcm(t);
    std::vector<uint8_t> bytes(pcm.size() * 2);
    for (size_t i = 0; i < pcm.size(); ++i) zre::storeU16(bytes.data() + 2 * i, static_cast<uint16_t>(pcm[i]));
    const auto rate = static_cast<uint32_t>(t.rate);
    return zre::waveFileImage(zre::PcmFormat{1, 1, rate, rate * 2, 2, 16}, bytes.data(), bytes.size());
}

// Music that loops: arpeggios over a chord progression, every note ending inside the loop
// so that the seam is as quiet as any beat.
std::vector<uint8_t> music(const std::vector<std::vector<int>>& chords, double beat, double level, double decay) {
    const int rate = 44100;
    const double bar = beat * 4;
    Track l(bar * double(chords.size()), rate), r(bar * double(chords.size()), rate);
    for (size_t c = 0; c < chords.size(); ++c) {
        const std::vector<int>& chord = chords[c];
        const double start = bar * double(c);
        // The bass on the first beat, the arpeggio over eight steps, a little to each side.
        note(l, start, bar - 0.02, midiHz(chord[0] - 12), level * 0.8, decay * 0.5, 0.2);
        note(r, start, bar - 0.02, midiHz(chord[0] - 12), level * 0.8, decay * 0.5, 0.2);
        for (int step = 0; step < 8; ++step) {
            const int pitch = chord[size_t(step) % chord.size()] + (step >= 4 ? 12 : 0);
            const double at = start + step * beat / 2;
            const double pan = (step % 2 == 0) ? 0.7 : 0.4;
            note(l, at, beat * 1.5, midiHz(pitch), level * pan, decay);
            note(r, at, beat * 1.5, midiHz(pitch), level * (1.1 - pan), decay);
        }
    }
    return oggStereo(l, r);
}

// Waves on the shore: noise through a low-pass filter, swelling twice in the loop; the
// swell's period divides the loop, so the seam falls into a trough.
std::vector<uint8_t> waves() {
    const int rate = 44100;
    const double seconds = 6.0;
    Track l(seconds, rate), r(seconds, rate);
    std::mt19937 random(20261211);
    double fl = 0, fr = 0;
    for (size_t i = 0; i < l.s.size(); ++i) {
        const double x = double(i) / rate;
        const double swell = 0.15 + 0.85 * std::pow(std::sin(kPi * x / 3.0), 2);
        const double nl = double(random()) / double(std::mt19937::max()) * 2 - 1;
        const double nr = double(random()) / double(std::mt19937::max()) * 2 - 1;
        fl += 0.06 * (nl - fl);
        fr += 0.06 * (nr - fr);
        l.s[i] = 1.6 * swell * fl;
        r.s[i] = 1.6 * swell * fr;
    }
    return oggStereo(l, r);
}

// A voice: a voiced tone gliding through syllables, with two formant-like partials.
std::vector<uint8_t> voice(double pitch, int syllables, uint32_t seed) {
    const int rate = 22050;
    const double syllable = 0.22;
    Track t(syllable * syllables + 0.3, rate);
    std::mt19937 random(seed);
    double phase = 0;
    for (int k = 0; k < syllables; ++k) {
        const double hz = pitch * (0.9 + 0.25 * double(random() % 100) / 100.0);
        const double formant = 2.0 + double(random() % 4);
        const size_t from = static_cast<size_t>((0.1 + k * syllable) * rate);
        const size_t count = static_cast<size_t>(syllable * 0.9 * rate);
        for (size_t i = 0; i < count; ++i) {
            const double x = double(i) / rate;
            const double env = std::sin(kPi * x / (syllable * 0.9));
            phase += 2 * kPi * hz * (1.0 - 0.1 * x) / rate;
            t.s[from + i] += 0.22 * env * (std::sin(phase) + 0.5 * std::sin(formant * phase) + 0.2 * std::sin(5 * phase));
        }
    }
    return oggMono(t);
}

} // namespace

std::vector<Sound> makeSounds() {
    std::vector<Sound> sounds;
    // The title chime, played once as the title appears.
    {
        Track l(2.5, 44100), r(2.5, 44100);
        for (auto [at, hz] : {std::pair{0.0, 784.0}, {0.25, 988.0}, {0.5, 1175.0}}) {
            bell(l, at, hz, 0.18);
            bell(r, at + 0.01, hz, 0.18);
        }
        sounds.push_back({"dat/zamu_title.ogg", oggStereo(l, r)});
    }
    // Music: the dusk, the tower at night, the shore.
    sounds.push_back({"bgm/m-01.ogg", music({{60, 64, 67, 72}, {57, 60, 64, 69}, {53, 57, 60, 65}, {55, 59, 62, 67}},
                                            0.5, 0.16, 2.5)});
    sounds.push_back({"bgm/m-02.ogg", music({{57, 60, 64, 69}, {53, 57, 60, 65}, {48, 52, 55, 60}, {52, 55, 59, 64}},
                                            0.7, 0.15, 1.5)});
    sounds.push_back({"bgm/m-03.ogg", music({{53, 57, 60, 65}, {50, 53, 57, 62}, {55, 58, 62, 67}, {48, 52, 55, 60}},
                                            0.6, 0.15, 2.0)});
    // Effects: the looping waves live in the package; the bell is a plain WAVE file.
    sounds.push_back({"pkg:waves.ogg", waves()});
    {
        Track t(2.0, 22050);
        bell(t, 0.0, 523.0, 0.35);
        sounds.push_back({"se/bell.wav", waveMono(t)});
    }
    // Voices: "mi" is Mina (the other voice channel), "ke" the keeper (the male channel).
    sounds.push_back({"voice/mi0001.ogg", voice(260, 5, 1)});
    sounds.push_back({"voice/mi0002.ogg", voice(270, 7, 2)});
    sounds.push_back({"voice/mi0003.ogg", voice(255, 4, 3)});
    sounds.push_back({"voice/ke0001.ogg", voice(115, 8, 4)});
    sounds.push_back({"voice/ke0002.ogg", voice(110, 9, 5)});
    return sounds;
}

} // namespace demo
