// Levels as players get them: each level built from many random deals and
// searched by the headless autopilot. Per deal: won or lost, the time left,
// the machine time, and the least the fish must press into beams and balls on
// its easiest way home (the route planner's measure). Per level: deals won,
// time left and machine time (min/median/max), and each lost deal's press
// beside the hardest press a won deal of that level came through (the deal
// the autopilot is shown by default is one: its winning replay is kept), so a
// loss in a tighter maze than any win is told apart from one the search missed.
//
//   build/release/bench/deals [DEALS per level, default 24] [LEVEL]...
#include "app/autoplay.h"
#include "pilot/pilot.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace kelp_app;

namespace {

// The deals the autopilot is shown by default, level by level; they are left
// out of the study, and known to be won.
constexpr uint32_t ShownDeals[6] = {4661, 4662, 4663, 19, 19, 20};

struct Played {
    uint32_t deal = 0;
    bool won = false;
    float timeLeft = 0, press = 0, closest = 0;
    double seconds = 0;
};

std::vector<uint32_t> RandomDeals(int level, int count) {
    std::mt19937 dice(uint32_t(7919 * level));
    std::uniform_int_distribution<uint32_t> any(1, 2147483646);
    std::vector<uint32_t> deals;
    while (int(deals.size()) < count) {
        uint32_t deal = any(dice);
        if (std::find(std::begin(ShownDeals), std::end(ShownDeals), deal) == std::end(ShownDeals))
            deals.push_back(deal);
    }
    return deals;
}

float PressOf(int level, uint32_t deal) {
    kelp::Level built(level, deal);
    kelp_pilot::RouteMap map;
    map.plan();
    return map.leastPress();
}

Played Play(int level, uint32_t deal) {
    Played played{deal};
    played.press = PressOf(level, deal);
    auto start = std::chrono::steady_clock::now();
    AutoplayResult result = autoplayLevel(level, deal);
    played.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    played.won = result.won;
    played.timeLeft = result.timeLeft;
    played.closest = result.closest;
    return played;
}

struct Spread {
    double min = 0, median = 0, max = 0;
};

Spread SpreadOf(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}

void Study(int level, int count) {
    std::vector<Played> plays;
    for (uint32_t deal : RandomDeals(level, count)) {
        plays.push_back(Play(level, deal));
        const Played& p = plays.back();
        std::printf("level %d deal %10u: %s  press %6.1f  %6.1f s left  %5.1f s searched%s\n", level, p.deal,
                    p.won ? "won " : "lost", double(p.press), double(p.timeLeft), p.seconds,
                    p.won ? "" : ("  (fish came within " + std::to_string(int(p.closest)) + " of home)").c_str());
        std::fflush(stdout);
    }
    std::vector<double> left, seconds;
    float hardestWon = PressOf(level, ShownDeals[level - 1]);
    int won = 0;
    for (const Played& p : plays) {
        seconds.push_back(p.seconds);
        if (!p.won) continue;
        ++won, left.push_back(p.timeLeft);
        hardestWon = std::max(hardestWon, p.press);
    }
    Spread l = SpreadOf(left), s = SpreadOf(seconds);
    std::printf("level %d: %d of %d deals won; time left %.1f/%.1f/%.1f s; searched %.1f/%.1f/%.1f s "
                "(min/median/max); the hardest press won through %.1f\n",
                level, won, count, l.min, l.median, l.max, s.min, s.median, s.max, double(hardestWon));
    for (const Played& p : plays)
        if (!p.won)
            std::printf("  deal %u lost: %s\n", p.deal,
                        p.press > hardestWon ? "the maze: tighter than any deal won" : "the search: a won deal was as tight");
}

}  // namespace

int main(int argc, char** argv) {
    InitSystemLayer();
    int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 24;
    std::vector<int> levels;
    for (int i = 2; i < argc; ++i)
        if (int level = std::atoi(argv[i]); level >= 1 && level <= 6) levels.push_back(level);
    if (levels.empty()) levels = {1, 2, 3, 4, 5, 6};
    for (int level : levels) Study(level, count);
}
