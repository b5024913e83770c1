// The six levels, all on one shared map of 142 balls and 149 beams.
#include "game/ways.h"
#include "game/world.h"

#include <iterator>

namespace kelp {

namespace {

struct LevelSpec {
    float sx, sy, timeLimit;
    float fishX, fishY;
    float headRadius, bodyRadius, tailRadius;
    bool randomLay;
    float layX, layY;
    float playerX, playerY;
    int hateMode;
    bool dark;
    // The most the fish's widest part may have to press into beams and balls
    // on its easiest way home, as the route planner measures it: above every
    // deal the game's own runs and replays play. A tighter deal is dealt again.
    float squeeze;
};

const LevelSpec Levels[6] = {
    {1, 1, 180, 0, 100, 9, 7.5f, 4, true, 0, 1, 0, -100, 1, false, 8},
    {1, 1, 180, 50, 0, 12.5f, 20, 12.5f, true, 0, 5, 0, -120, 1, false, 8},
    {1, 1, 240, 50, 0, 12.5f, 20, 12.5f, true, 0, 5, 0, -120, 0, false, 8},
    {1.35f, -1.35f, 360, 0, -130, 20, 37.5f, 15, false, 0, 1, -70, -150, 1, true, 10},
    {1.35f, -1.35f, 540, 0, -130, 30, 50, 17.5f, false, 0, 1, -70, -150, 1, false, 18},
    {-1.5f, -1.5f, 600, 0, -130, 30, 50, 17.5f, false, 0, 1, -70, -150, 0, true, 18},
};

enum BallMark { PUSHED = 0, EXACT = 1, EXACT_HIDDEN = 3, HIDDEN = 2 };

struct MapBall {
    float x, y;
    int mark;
};

const MapBall Balls[BallCount] = {
    {-1000, -400, EXACT}, {-1000, -650, PUSHED}, {-600, -650, PUSHED}, {-500, -800, PUSHED},
    {-350, -850, PUSHED}, {-50, -800, PUSHED}, {0, -670, PUSHED}, {300, -650, PUSHED},
    {400, -470, EXACT}, {800, -485, PUSHED}, {900, -600, PUSHED}, {3000, 900, PUSHED},
    {1200, -600, PUSHED}, {1200, -200, PUSHED}, {1000, -200, PUSHED}, {850, 50, PUSHED},
    {800, 300, PUSHED}, {800, 900, PUSHED}, {400, 900, PUSHED}, {0, 900, PUSHED},
    {-100, 900, PUSHED}, {-100, 700, PUSHED}, {-200, 725, PUSHED}, {-1050, 650, EXACT},
    {-1000, 800, PUSHED}, {-1350, 850, PUSHED}, {-1300, 400, PUSHED}, {-1100, 350, PUSHED},
    {-1100, 0, PUSHED}, {-1350, 0, PUSHED}, {-1200, -300, PUSHED}, {-1000, -350, PUSHED},
    {-950, -400, EXACT}, {-930, -550, PUSHED}, {-600, -550, PUSHED}, {-350, -775, PUSHED},
    {300, -450, PUSHED}, {340, -350, EXACT}, {325, 75, PUSHED}, {300, 225, PUSHED},
    {100, 250, EXACT}, {100, -200, PUSHED}, {100, -400, PUSHED}, {0, -500, PUSHED},
    {-200, -500, PUSHED}, {-300, -400, PUSHED}, {-800, -300, PUSHED}, {-600, -300, PUSHED},
    {-400, -300, PUSHED}, {-100, -300, PUSHED}, {-800, -200, PUSHED}, {-700, -200, PUSHED},
    {-600, -200, PUSHED}, {-500, -200, PUSHED}, {-400, -200, PUSHED}, {-300, -200, PUSHED},
    {-100, -200, PUSHED}, {-1000, -100, PUSHED}, {-700, -100, PUSHED}, {-500, -100, PUSHED},
    {-300, -100, PUSHED}, {-990, 15, EXACT_HIDDEN}, {-300, 15, EXACT}, {-100, 50, PUSHED},
    {-100, 150, PUSHED}, {-100, 300, PUSHED}, {100, 300, EXACT}, {300, 300, EXACT},
    {362, 300, EXACT}, {400, 205, EXACT}, {515, 120, EXACT}, {600, 100, PUSHED},
    {650, 50, PUSHED}, {900, -200, PUSHED}, {800, -200, PUSHED}, {650, -150, PUSHED},
    {400, 150, EXACT}, {600, 0, EXACT}, {600, -250, PUSHED}, {800, -250, PUSHED},
    {800, -350, PUSHED}, {400, -350, EXACT}, {450, -410, EXACT_HIDDEN}, {850, -410, EXACT},
    {367.5f, 150, EXACT}, {375, -250, EXACT_HIDDEN}, {700, 200, PUSHED}, {500, 200, PUSHED},
    {500, 300, PUSHED}, {600, 300, PUSHED}, {600, 400, PUSHED}, {700, 400, PUSHED},
    {700, 500, PUSHED}, {700, 600, PUSHED}, {700, 800, PUSHED}, {500, 800, PUSHED},
    {500, 700, PUSHED}, {600, 700, PUSHED}, {600, 600, PUSHED}, {600, 500, PUSHED},
    {500, 500, EXACT}, {500, 440, EXACT}, {400, 400, PUSHED}, {0, 400, PUSHED},
    {0, 600, PUSHED}, {0, 700, PUSHED}, {100, 500, PUSHED}, {400, 500, PUSHED},
    {200, 600, PUSHED}, {400, 600, PUSHED}, {400, 700, PUSHED}, {300, 700, PUSHED},
    {300, 800, PUSHED}, {200, 700, PUSHED}, {100, 600, PUSHED}, {100, 700, PUSHED},
    {100, 800, PUSHED}, {-100, 600, PUSHED}, {-200, -700, PUSHED}, {-200, 350, PUSHED},
    {-250, 300, PUSHED}, {-800, 300, PUSHED}, {-950, 150, PUSHED}, {-950, 50, PUSHED},
    {-260, 50, EXACT}, {-200, 50, EXACT}, {-190, 150, EXACT}, {-250, 150, EXACT},
    {-950, 450, PUSHED}, {-300, 450, PUSHED}, {-300, 525, EXACT}, {-990, 525, EXACT_HIDDEN},
    {875, -100, HIDDEN}, {750, 50, PUSHED}, {-990, 250, EXACT}, {3000, 800, PUSHED},
    {500, 600, PUSHED}, {400, 800, PUSHED}, {800, 800, PUSHED}, {-530, -570, PUSHED},
    {-1050, 525, EXACT_HIDDEN}, {-150, -650, PUSHED},
};

struct BlueBeam {
    int index, a, b;
};

const BlueBeam BlueBeams[] = {
    {1, 0, 1}, {2, 32, 33}, {3, 1, 2}, {4, 33, 34}, {5, 7, 8}, {6, 10, 12}, {7, 125, 63},
    {8, 126, 64}, {13, 2, 3}, {14, 4, 5}, {15, 5, 6}, {16, 8, 9}, {17, 6, 7}, {18, 17, 11},
    {19, 12, 13}, {20, 13, 14}, {21, 14, 15}, {22, 15, 16}, {23, 16, 138}, {24, 20, 21},
    {25, 22, 23}, {26, 23, 24}, {27, 24, 25}, {28, 25, 26}, {29, 26, 27}, {30, 27, 28},
    {31, 28, 29}, {32, 29, 30}, {33, 30, 31}, {34, 18, 17}, {35, 18, 19}, {36, 19, 20}, {37, 31, 0},
    {38, 32, 45}, {39, 44, 45}, {40, 44, 43}, {41, 42, 43}, {42, 42, 41}, {43, 40, 41},
    {44, 40, 39}, {45, 38, 39}, {46, 37, 38}, {47, 36, 37}, {48, 36, 141}, {49, 81, 80},
    {50, 9, 10}, {51, 80, 79}, {52, 73, 74}, {53, 72, 73}, {54, 77, 76}, {55, 71, 72}, {56, 71, 86},
    {57, 86, 87}, {58, 87, 88}, {59, 89, 16}, {60, 89, 90}, {61, 90, 91}, {62, 91, 92},
    {63, 88, 101}, {64, 98, 93}, {65, 93, 94}, {66, 94, 95}, {67, 98, 99}, {68, 96, 97},
    {69, 136, 96}, {70, 100, 136}, {71, 99, 100}, {72, 136, 109}, {73, 108, 109}, {74, 109, 110},
    {75, 111, 112}, {76, 116, 112}, {77, 115, 116}, {78, 106, 107}, {79, 112, 137}, {80, 137, 18},
    {81, 68, 88}, {82, 68, 69}, {83, 69, 70}, {84, 70, 71}, {85, 72, 75}, {86, 74, 75},
    {87, 78, 79}, {88, 77, 78}, {89, 76, 81}, {91, 66, 67}, {92, 66, 65}, {93, 65, 117},
    {94, 22, 21}, {95, 119, 22}, {96, 120, 119}, {97, 120, 121}, {98, 128, 129}, {99, 129, 130},
    {100, 122, 128}, {101, 122, 127}, {102, 122, 123}, {103, 123, 124}, {104, 63, 56},
    {105, 49, 56}, {106, 48, 49}, {107, 47, 48}, {108, 46, 47}, {109, 46, 50}, {110, 51, 58},
    {111, 47, 52}, {112, 53, 59}, {113, 48, 54}, {114, 55, 60}, {115, 59, 60}, {116, 58, 59},
    {117, 57, 58}, {118, 31, 57}, {126, 64, 65}, {128, 103, 104}, {129, 105, 19}, {137, 108, 113},
    {138, 106, 114}, {141, 3, 4}, {142, 135, 11}, {143, 138, 135}, {146, 35, 118}, {147, 139, 35},
};

// Timings in seconds: phase, period, time on.
struct RedBeam {
    int index, a, b;
    float phase, period, onTime;
};

const RedBeam RedBeams[] = {
    {0, 95, 96, 50, 30, 10}, {9, 124, 125, 15, 10, 2}, {10, 127, 126, 17, 10, 2},
    {11, 34, 139, 0, 1, 1}, {12, 4, 35, 15, 5, 3}, {90, 67, 68, 30, 12, 2}, {119, 56, 41, 0, 30, 4},
    {120, 61, 62, 6, 12, 12}, {121, 61, 134, 0, 12, 12}, {122, 134, 131, 0, 12, 6},
    {123, 140, 130, 6, 12, 6}, {124, 128, 121, 0, 15, 8}, {125, 122, 121, 0.75f, 15, 8},
    {127, 103, 102, 10, 5, 2}, {130, 85, 84, 7, 2, 1.8f}, {131, 133, 132, 30, 10, 10},
    {132, 63, 64, 5, 10, 5}, {133, 40, 66, 0, 5, 2}, {134, 39, 67, 17, 5, 2},
    {135, 101, 100, 40, 10, 3}, {136, 82, 83, 20, 10, 10}, {139, 114, 115, 1, 5, 1},
    {140, 0, 32, 10, 5, 1}, {144, 138, 17, 0, 10, 10}, {145, 104, 105, 0, 5, 1},
    {148, 118, 141, 0, 1, 1},
};

static_assert(std::size(BlueBeams) + std::size(RedBeams) == BeamCount);

static_assert(BallCount <= MaxMazeBalls && BeamCount <= MaxMazeBeams);

void IndexMaze() {
    std::vector<tvector> balls;
    for (const BallRef& ball : BALLS) balls.push_back(ball->position);
    std::vector<Bounds> beams;
    for (const BeamRef& beam : BEAMS) {
        tvector a = beam->ballA->position, b = beam->ballB->position;
        beams.push_back({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
    }
    MAZE.build(balls, beams);
}

void BuildMap() {
    LAST_BALL = BallCount - 1;
    LAST_BEAM = BeamCount - 1;
    BALLS.assign(BallCount, nullptr);
    BEAMS.assign(BeamCount, nullptr);
    for (int i = 0; i < BallCount; ++i) {
        const MapBall& m = Balls[i];
        tvector position = makeVector(m.x * MAP_SCALE.x, m.y * MAP_SCALE.y);
        if (!(m.mark & EXACT)) addTo(position, scale(normalize(randomJitter(1)), 7.5f));
        BALLS[i] = newBall(position, (m.mark & HIDDEN) ? 1 : 0);
    }
    // The beams are made in index order.
    std::array<const BlueBeam*, BeamCount> blue{};
    std::array<const RedBeam*, BeamCount> red{};
    for (const BlueBeam& beam : BlueBeams) blue[beam.index] = &beam;
    for (const RedBeam& beam : RedBeams) red[beam.index] = &beam;
    for (int i = 0; i < BeamCount; ++i)
        BEAMS[i] = blue[i] ? newBlueBeam(BALLS[blue[i]->a], BALLS[blue[i]->b])
                           : newRedBeam(BALLS[red[i]->a], BALLS[red[i]->b], red[i]->phase,
                                        red[i]->period, red[i]->onTime);
    IndexMaze();
}

// Far more than needed: even at level 5, the tightest, most deals are kept.
constexpr int MaxRedeals = 200;

bool FishGetsHome(float squeeze) {
    RouteMap ways;
    ways.plan();
    return ways.leastPress() <= squeeze;
}

// A maze that leaves the fish no way home it can squeeze along is dealt
// again, the balls' pushes drawn on from the same dice; a maze it can get
// through is kept as it was dealt.
void DealFairMap(float squeeze) {
    BuildMap();
    for (MAZE_REDEALS = 0; MAZE_REDEALS < MaxRedeals && !FishGetsHome(squeeze); ++MAZE_REDEALS) BuildMap();
}

}  // namespace

float squeezeAllowed(int n) { return Levels[std::clamp(n, 1, 6) - 1].squeeze; }

void buildLevel(int n) {
    FISH = nullptr;
    PLAYER = nullptr;
    DARKNESS = false;
    LAST_BALL = 0;
    LAST_BEAM = 0;
    BALLS.clear();
    BEAMS.clear();
    MAP_SCALE = {1, 1};
    LEVEL_ENDING = false;
    LEVEL_WON = false;

    const LevelSpec& level = Levels[std::clamp(n, 1, 6) - 1];
    MAP_SCALE = {level.sx, level.sy};
    GOAL = newGoal(makeVector(1050 * level.sx, -400 * level.sy), level.timeLimit);
    float layX = level.randomLay ? float(RandomBetween(-1, 1)) : level.layX;
    FISH = newFish(makeVector(level.fishX * level.sx, level.fishY * level.sy), 20, level.headRadius,
                   level.bodyRadius, level.tailRadius, makeVector(layX * level.sx, level.layY * level.sy));
    PLAYER = newPlayer(FISH->head, makeVector(level.playerX * level.sx, level.playerY * level.sy));
    // Each step aims the fish again; set now, a level just built can be drawn.
    FISH->target = PLAYER->main;
    FISH->hateMode = level.hateMode;
    if (level.dark) DARKNESS = true;
    DealFairMap(level.squeeze);
}

}  // namespace kelp
