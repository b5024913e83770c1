// Every sound, synthesised: plucked notes, a tick, a drum, zaps and a hum.
#include "assets.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

constexpr float Tau = float(2 * M_PI);

// The loudness budget. The loudest moment the game can make is every sound
// here at its peak at once, as loud as the game plays it: both red-beam hum
// channels at full loudness, the warning drums of a red beam's two balls, a
// tick, a note and both blue-beam sounds. Their peaks sum to no more than
// -1 dBFS, so the mix never clips. The hums sit well under the rest, as
// background.
struct Budget {
    const char* sound;
    float peak;     // of full scale
    int playedAtOnce;
};

constexpr Budget Budgets[] = {
    {"note", 0.26f, 1},         // each of do, re, mi, fa
    {"tick", 0.15f, 1},
    {"warning_drum", 0.10f, 2},
    {"beam_bound", 0.09f, 1},
    {"beam_touch", 0.07f, 1},
    {"redbeam", 0.05f, 2},
};

constexpr float LoudestMoment() {
    float sum = 0;
    for (const Budget& b : Budgets) sum += b.peak * b.playedAtOnce;
    return sum;
}
static_assert(LoudestMoment() <= 0.891f, "the loudest moment must stay 1 dB under full scale");

constexpr float PeakOf(std::string_view sound) {
    for (const Budget& b : Budgets)
        if (b.sound == sound) return b.peak;
    return 0;
}

std::vector<float> Silence(int hertz, float seconds) {
    return std::vector<float>(size_t(std::lround(hertz * seconds)), 0.0f);
}

// Short fades at both ends so no sound starts or stops with a click.
void FadeEnds(std::vector<float>& s, int hertz, float inSeconds, float outSeconds) {
    size_t in = size_t(hertz * inSeconds), out = size_t(hertz * outSeconds);
    for (size_t i = 0; i < in && i < s.size(); ++i) s[i] *= float(i) / in;
    for (size_t i = 0; i < out && i < s.size(); ++i) s[s.size() - 1 - i] *= float(i) / out;
}

void Normalise(std::vector<float>& s, float peak) {
    float loudest = 0;
    for (float v : s) loudest = std::max(loudest, std::fabs(v));
    if (loudest > 0)
        for (float& v : s) v *= peak / loudest;
}

// A soft bell-like pluck: a few partials, each decaying at its own pace.
std::vector<float> Note(float frequency, float seconds) {
    const int hertz = 22050;
    auto s = Silence(hertz, seconds);
    const float partials[][3] = {{1, 1.0f, 7}, {2, 0.45f, 11}, {3, 0.18f, 16}, {4.2f, 0.08f, 24}};
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / hertz;
        for (const auto& p : partials) s[i] += p[1] * std::exp(-p[2] * t) * std::sin(Tau * frequency * p[0] * t);
    }
    FadeEnds(s, hertz, 0.004f, 0.03f);
    Normalise(s, PeakOf("note"));
    return s;
}

std::vector<float> Tick() {
    const int hertz = 11025;
    auto s = Silence(hertz, 0.22f);
    Dice dice(3);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / hertz;
        s[i] = std::exp(-38 * t) * std::sin(Tau * 1760 * t) + 0.5f * std::exp(-90 * t) * dice.Between(-1, 1) +
               0.4f * std::exp(-20 * t) * std::sin(Tau * 880 * t);
    }
    FadeEnds(s, hertz, 0.001f, 0.02f);
    Normalise(s, PeakOf("tick"));
    return s;
}

// Low drum hits with falling pitch, in a slow warning rhythm.
std::vector<float> WarningDrum() {
    const int hertz = 22050;
    auto s = Silence(hertz, 3.28f);
    Dice dice(7);
    const float hits[] = {0.0f, 0.41f, 0.82f, 1.23f, 1.64f, 2.05f, 2.46f, 2.87f};
    for (size_t h = 0; h < std::size(hits); ++h) {
        float loudness = h % 2 ? 0.6f : 1.0f;
        size_t start = size_t(hits[h] * hertz);
        float phase = 0;
        for (size_t i = start; i < s.size(); ++i) {
            float t = float(i - start) / hertz;
            float pitch = 55 + 70 * std::exp(-18 * t);
            phase += Tau * pitch / hertz;
            s[i] += loudness * (std::exp(-5.5f * t) * std::sin(phase) + 0.25f * std::exp(-40 * t) * dice.Between(-1, 1));
        }
    }
    FadeEnds(s, hertz, 0.002f, 0.25f);
    Normalise(s, PeakOf("warning_drum"));
    return s;
}

float Saw(float phase) { return 2 * (phase - std::floor(phase + 0.5f)); }

// An electric zap: a buzzing saw sweeping down, with crackle.
std::vector<float> BeamBound() {
    const int hertz = 11025;
    auto s = Silence(hertz, 0.34f);
    Dice dice(13);
    float phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / hertz;
        phase += (900 * std::exp(-6 * t) + 120) / hertz;
        float buzz = Saw(phase) * (0.6f + 0.4f * std::sin(Tau * 60 * t));
        s[i] = std::exp(-7 * t) * (buzz + 0.35f * dice.Between(-1, 1));
    }
    FadeEnds(s, hertz, 0.003f, 0.04f);
    Normalise(s, PeakOf("beam_bound"));
    return s;
}

// A crackle: sparse random discharges over a faint buzz.
std::vector<float> BeamTouch() {
    const int hertz = 11025;
    auto s = Silence(hertz, 1.02f);
    Dice dice(19);
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / hertz;
        s[i] = 0.12f * Saw(100 * t) * std::sin(Tau * 3 * t);
    }
    for (int spark = 0; spark < 70; ++spark) {
        size_t start = size_t(dice.Between(0, 0.95f) * hertz);
        float loudness = dice.Between(0.3f, 1.0f);
        for (size_t k = 0; k < 140 && start + k < s.size(); ++k)
            s[start + k] += loudness * std::exp(-float(k) / 25) * dice.Between(-1, 1);
    }
    FadeEnds(s, hertz, 0.005f, 0.06f);
    Normalise(s, PeakOf("beam_touch"));
    return s;
}

// A mains hum that loops without a seam: every component completes whole
// periods in the half second, so the last sample leads into the first.
std::vector<float> RedBeam() {
    const int hertz = 22050;
    auto s = Silence(hertz, 0.5f);
    const float harmonics[][2] = {{100, 1.0f}, {200, 0.55f}, {300, 0.35f}, {500, 0.2f}, {700, 0.12f}, {1300, 0.05f}};
    for (size_t i = 0; i < s.size(); ++i) {
        float t = float(i) / hertz;
        float tremble = 1 + 0.25f * std::sin(Tau * 8 * t);  // 4 whole wobbles
        for (const auto& h : harmonics) s[i] += tremble * h[1] * std::sin(Tau * h[0] * t);
    }
    Normalise(s, PeakOf("redbeam"));
    return s;
}

}  // namespace

std::vector<Sound> MakeSounds() {
    return {
        {"beam_bound.wav", 11025, 16, BeamBound()},
        {"beam_touch.wav", 11025, 8, BeamTouch()},
        {"do.wav", 22050, 16, Note(523.25f, 0.18f)},
        {"re.wav", 22050, 16, Note(587.33f, 0.14f)},
        {"mi.wav", 22050, 16, Note(659.25f, 0.18f)},
        {"fa.wav", 22050, 16, Note(698.46f, 0.28f)},
        {"tick.wav", 11025, 16, Tick()},
        {"warning_drum.wav", 22050, 16, WarningDrum()},
        {"redbeam.wav", 22050, 16, RedBeam()},
    };
}
