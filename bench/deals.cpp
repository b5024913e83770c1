// Levels as players get them: each level built from many random deals and
// played by the autopilot without a window. Per deal: won or lost, the time
// left, the machine time, how often the maze was dealt again before the fish
// could get through, and the least the fish must press into beams and balls
// on its easiest way home (the route planner's measure). Per level: deals
// won, time left and machine time (min/median/max), and why each lost deal
// was lost: the maze (tighter than the level allows) or the autopilot.
//
//   build/release/bench/deals [--straight] [--assist SPEED,TIME] [DEALS per level, default 24] [LEVEL]...
//
// --straight plays as the autopilot does in the window, never going back;
// --assist plays with game speed SPEED % and TIME % more time.
#include "app/autoplay.h"
#include "pilot/pilot.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace kelp_app;

namespace {

// The deals the autopilot is shown by default, level by level; left out of the study.
constexpr uint32_t ShownDeals[6] = {4661, 4662, 4663, 19, 19, 20};

struct Study {
    int deals = 24;
    std::vector<int> levels;
    bool straight = false;
    kelp::Assists assists;
};

struct Played {
    uint32_t deal = 0;
    bool won = false;
    float timeLeft = 0, press = 0, closest = 0;
    kelp::tvector stuckAt;  // where the fish came nearest home,
    float stuckFor = 0;     // and how long before the clock ran out
    int redeals = 0;
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

Played Play(const Study& study, int level, uint32_t deal) {
    Played played;
    played.deal = deal;
    float timeLimit = 0;
    {
        kelp::Level built(level, deal, study.assists);
        timeLimit = kelp::GOAL->deadline;
        played.redeals = kelp::MAZE_REDEALS;
        kelp::RouteMap map;
        map.plan();
        played.press = map.leastPress();
    }
    auto start = std::chrono::steady_clock::now();
    AutoplayResult result = study.straight ? autoplayStraight(level, deal, study.assists)
                                           : autoplayLevel(level, deal, nullptr, {}, study.assists);
    played.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    played.won = result.won;
    played.timeLeft = result.timeLeft;
    played.closest = result.closest;
    played.stuckAt = result.nearestPoint;
    played.stuckFor = timeLimit - result.nearestAt;
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

// A fish still coming nearer home this late was beaten by the clock; one
// that came no nearer for longer was held where it came nearest.
constexpr float StillComing = 20;

std::string WhyLost(int level, const Played& p) {
    if (p.press > kelp::squeezeAllowed(level)) return "the maze: tighter than the level allows, however dealt";
    std::string why = "the autopilot: the fish has a way home it fits, but ";
    if (p.stuckFor < StillComing) return why + "was still on its way when the clock ran out";
    return why + "was held where it came nearest for the last " + std::to_string(int(p.stuckFor)) + " s";
}

void StudyLevel(const Study& study, int level) {
    std::vector<Played> plays;
    for (uint32_t deal : RandomDeals(level, study.deals)) {
        plays.push_back(Play(study, level, deal));
        const Played& p = plays.back();
        std::printf("level %d deal %10u: %s  dealt again %3d  press %5.1f  %6.1f s left  %6.1f s of machine time%s\n",
                    level, p.deal, p.won ? "won " : "lost", p.redeals, double(p.press), double(p.timeLeft), p.seconds,
                    p.won ? "" : ("  (the fish came within " + std::to_string(int(p.closest)) + " of home, at (" +
                                  std::to_string(int(p.stuckAt.x)) + ", " + std::to_string(int(p.stuckAt.y)) + "))").c_str());
        std::fflush(stdout);
    }
    std::vector<double> left, seconds;
    int won = 0, redealt = 0;
    for (const Played& p : plays) {
        seconds.push_back(p.seconds);
        redealt += p.redeals > 0;
        if (p.won) ++won, left.push_back(p.timeLeft);
    }
    Spread l = SpreadOf(left), s = SpreadOf(seconds);
    std::printf("level %d: %d of %d deals won (%d dealt again); time left %.1f/%.1f/%.1f s; machine time "
                "%.1f/%.1f/%.1f s (min/median/max)\n",
                level, won, study.deals, redealt, l.min, l.median, l.max, s.min, s.median, s.max);
    for (const Played& p : plays)
        if (!p.won) std::printf("  deal %u lost: %s\n", p.deal, WhyLost(level, p).c_str());
    std::fflush(stdout);
}

bool ParseAssists(const char* text, kelp::Assists& assists) {
    return std::sscanf(text, "%d,%d", &assists.speedPercent, &assists.moreTimePercent) == 2 && assists.valid();
}

}  // namespace

int main(int argc, char** argv) {
    InitSystemLayer();
    Study study;
    bool counted = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--straight") == 0) {
            study.straight = true;
        } else if (std::strcmp(argv[i], "--assist") == 0 && i + 1 < argc) {
            if (!ParseAssists(argv[++i], study.assists)) {
                std::fprintf(stderr, "deals: --assist wants SPEED,TIME as the settings offer them, e.g. 70,50\n");
                return 2;
            }
        } else if (!counted) {
            study.deals = std::max(1, std::atoi(argv[i]));
            counted = true;
        } else if (int level = std::atoi(argv[i]); level >= 1 && level <= 6) {
            study.levels.push_back(level);
        }
    }
    if (study.levels.empty()) study.levels = {1, 2, 3, 4, 5, 6};
    for (int level : study.levels) StudyLevel(study, level);
}
