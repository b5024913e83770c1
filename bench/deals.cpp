// Levels as players get them: each level built from many random deals and
// played by the autopilot without a window. Per deal: won or lost, the time
// left, the machine time, how often the maze was dealt again before the fish
// could get through, and the least the fish must press into beams and balls
// on its easiest way home (the route planner's measure). Per level: deals
// won, time left and machine time (min/median/max), and why each lost deal
// was lost: the maze (tighter than the level allows) or the autopilot.
//
//   build/release/bench/deals [--straight] [--assist SPEED,TIME] [--jobs N] [DEALS per level, default 24] [LEVEL]...
//
// --straight plays as the autopilot does in the window, never going back;
// --assist plays with game speed SPEED % and TIME % more time; --jobs plays
// N deals at a time, each in a process of its own (the world is one per
// process), handing the next deal to whichever finishes first.
#include "app/autoplay.h"
#include "pilot/pilot.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <type_traits>
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
    int jobs = 1;
};
constexpr int MostJobs = 16;

struct Played {
    uint32_t deal = 0;
    bool won = false;
    float timeLeft = 0, press = 0, closest = 0;
    kelp::tvector stuckAt;  // where the fish came nearest home,
    float stuckFor = 0;     // and how long before the clock ran out
    int redeals = 0;
    int tries = 0;  // searches from the start; 0 when played straight
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
    played.tries = result.tries;
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

std::string TriesTaken(const Played& p) {
    if (p.tries == 0) return "";
    return ", " + std::to_string(p.tries) + (p.tries == 1 ? " try" : " tries");
}

std::string WhereHeld(const Played& p) {
    if (p.won) return "";
    return "  (the fish came within " + std::to_string(int(p.closest)) + " of home, at (" +
           std::to_string(int(p.stuckAt.x)) + ", " + std::to_string(int(p.stuckAt.y)) + "))";
}

void PrintPlay(int level, const Played& p) {
    std::printf("level %d deal %10u: %s  dealt again %3d  press %5.1f  %6.1f s left  %6.1f s of machine time%s%s\n",
                level, p.deal, p.won ? "won " : "lost", p.redeals, double(p.press), double(p.timeLeft), p.seconds,
                TriesTaken(p).c_str(), WhereHeld(p).c_str());
    std::fflush(stdout);
}

void PrintLevel(const Study& study, int level, const std::vector<Played>& plays) {
    std::vector<double> left, seconds;
    int won = 0, redealt = 0, firstTry = 0;
    for (const Played& p : plays) {
        seconds.push_back(p.seconds);
        redealt += p.redeals > 0;
        if (p.won) ++won, left.push_back(p.timeLeft);
        firstTry += p.won && p.tries == 1;
    }
    Spread l = SpreadOf(left), s = SpreadOf(seconds);
    std::printf("level %d: %d of %d deals won (%d dealt again); time left %.1f/%.1f/%.1f s; machine time "
                "%.1f/%.1f/%.1f s (min/median/max)\n",
                level, won, study.deals, redealt, l.min, l.median, l.max, s.min, s.median, s.max);
    if (!study.straight) std::printf("  %d deals won on the search's first try\n", firstTry);
    for (const Played& p : plays)
        if (!p.won) std::printf("  deal %u lost: %s\n", p.deal, WhyLost(level, p).c_str());
    std::fflush(stdout);
}

// Every deal of the study, level by level.
struct Work {
    int level = 0;
    uint32_t deal = 0;
};

std::vector<Work> WorkOf(const Study& study) {
    std::vector<Work> work;
    for (int level : study.levels)
        for (uint32_t deal : RandomDeals(level, study.deals)) work.push_back({level, deal});
    return work;
}

// Prints each deal once those before it are in, and each level once its deals are.
class Report {
public:
    Report(const Study& study, const std::vector<Work>& work)
        : study(study), work(work), plays(work.size()), in(work.size()) {}
    void add(size_t index, const Played& played) {
        plays[index] = played;
        in[index] = true;
        for (; printed < work.size() && in[printed]; ++printed) {
            PrintPlay(work[printed].level, plays[printed]);
            size_t end = printed + 1;
            if (end == work.size() || work[end].level != work[printed].level) {
                PrintLevel(study, work[printed].level, {plays.begin() + levelStart, plays.begin() + end});
                levelStart = end;
            }
        }
    }

private:
    const Study& study;
    const std::vector<Work>& work;
    std::vector<Played> plays;
    std::vector<bool> in;
    size_t printed = 0, levelStart = 0;
};

bool WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = write(fd, bytes, size);
        if (n <= 0) return false;
        bytes += n, size -= size_t(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size) {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        ssize_t n = read(fd, bytes, size);
        if (n <= 0) return false;
        bytes += n, size -= size_t(n);
    }
    return true;
}

// A worker process: plays the deal whose index it is sent, sends back what
// came of it, and ends when sent none.
struct Worker {
    pid_t pid = -1;
    int tasks = -1, results = -1;
    size_t playing = SIZE_MAX;
};

constexpr uint32_t NoMoreWork = UINT32_MAX;
static_assert(std::is_trivially_copyable_v<Played>, "sent whole through a pipe");

[[noreturn]] void WorkOn(const Study& study, const std::vector<Work>& work, int tasks, int results) {
    InitSystemLayer();
    uint32_t index = 0;
    while (ReadAll(tasks, &index, sizeof index) && index != NoMoreWork) {
        Played played = Play(study, work[index].level, work[index].deal);
        if (!WriteAll(results, &index, sizeof index) || !WriteAll(results, &played, sizeof played)) _exit(1);
    }
    _exit(0);
}

// The child closes its elders' pipes: each worker's are held by the study alone.
Worker StartWorker(const Study& study, const std::vector<Work>& work, const std::vector<Worker>& elders) {
    int tasks[2], results[2];
    if (pipe(tasks) != 0) return {};
    if (pipe(results) != 0) {
        close(tasks[0]), close(tasks[1]);
        return {};
    }
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        for (const Worker& elder : elders) close(elder.tasks), close(elder.results);
        close(tasks[1]), close(results[0]);
        WorkOn(study, work, tasks[0], results[1]);
    }
    close(tasks[0]), close(results[1]);
    if (pid < 0) close(tasks[1]), close(results[0]);
    return {pid, tasks[1], results[0]};
}

bool Hand(Worker& worker, size_t& next, size_t count) {
    uint32_t index = next < count ? uint32_t(next++) : NoMoreWork;
    worker.playing = index == NoMoreWork ? SIZE_MAX : index;
    return WriteAll(worker.tasks, &index, sizeof index);
}

bool TakeResult(Worker& worker, const std::vector<Work>& work, Report& report) {
    uint32_t index = 0;
    Played played;
    if (ReadAll(worker.results, &index, sizeof index) && ReadAll(worker.results, &played, sizeof played) &&
        index == worker.playing) {
        report.add(index, played);
        return true;
    }
    const Work& lost = work[worker.playing];
    std::fprintf(stderr, "deals: the process playing level %d deal %u ended before it\n", lost.level, lost.deal);
    return false;
}

void StopWorkers(std::vector<Worker>& workers, bool atOnce) {
    for (Worker& w : workers) {
        close(w.tasks), close(w.results);
        if (atOnce) kill(w.pid, SIGTERM);
        waitpid(w.pid, nullptr, 0);
    }
}

// The deals played `study.jobs` at a time. False, having said why, if a
// worker could not be started or ended before its deal did.
bool StudyInParallel(const Study& study, const std::vector<Work>& work) {
    Report report(study, work);
    std::vector<Worker> workers;
    size_t next = 0, done = 0;
    bool whole = true;
    for (int j = 0; j < study.jobs && next < work.size() && whole; ++j) {
        Worker worker = StartWorker(study, work, workers);
        if (worker.pid > 0) workers.push_back(worker);
        whole = worker.pid > 0 && Hand(workers.back(), next, work.size());
        if (!whole) std::fprintf(stderr, "deals: could not start a worker process\n");
    }
    while (done < work.size() && whole) {
        std::vector<pollfd> waiting;
        for (const Worker& w : workers) waiting.push_back({w.playing == SIZE_MAX ? -1 : w.results, POLLIN, 0});
        if (poll(waiting.data(), waiting.size(), -1) < 0) continue;
        for (size_t w = 0; w < workers.size() && whole; ++w) {
            if (waiting[w].revents == 0) continue;
            whole = TakeResult(workers[w], work, report) && Hand(workers[w], next, work.size());
            done += whole;
        }
    }
    StopWorkers(workers, !whole);
    return whole;
}

void StudyInTurn(const Study& study, const std::vector<Work>& work) {
    InitSystemLayer();
    Report report(study, work);
    for (size_t i = 0; i < work.size(); ++i) report.add(i, Play(study, work[i].level, work[i].deal));
}

bool ParseAssists(const char* text, kelp::Assists& assists) {
    return std::sscanf(text, "%d,%d", &assists.speedPercent, &assists.moreTimePercent) == 2 && assists.valid();
}

}  // namespace

int main(int argc, char** argv) {
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
        } else if (std::strcmp(argv[i], "--jobs") == 0 && i + 1 < argc) {
            study.jobs = std::atoi(argv[++i]);
            if (study.jobs < 1 || study.jobs > MostJobs) {
                std::fprintf(stderr, "deals: --jobs wants from 1 to %d deals at a time\n", MostJobs);
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
    std::vector<Work> work = WorkOf(study);
    if (study.jobs == 1) StudyInTurn(study, work);
    else if (!StudyInParallel(study, work)) return 1;
}
