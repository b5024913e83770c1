// The ways through the maze: each cell's distance to the goal by Dijkstra's
// search from the goal, over cells a swimmer fits in, dearer where the fish
// would brush the beams and dearer still beside a red one. The fish is led
// only where its widest part gets by as easily as the level allows.
#include "game/ways.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kelp {

struct Wall {
    tvector a, b;
    bool red;     // a red beam that rests at times
    float duty;   // the share of the time it fires
    float reach;  // beyond a body's edge; a red beam that never rests stings only what it touches
    bool burns;   // a red beam that never rests: what touches it is held
};

// The maze's beams and balls, or those of them near one place.
struct MazePart {
    std::vector<Wall> walls;
    std::vector<tvector> balls;  // and the traps at red beams' hidden ends
    std::vector<tvector> traps;  // those traps again: they catch only what they touch
};

// The whole maze, and for each square of a coarse grid over it the part
// within `reach` of the square, in the maze's order. Nothing farther than the
// reach changes a clearance or a press that the ways look at, so a point
// looks only at its square's part: planning a level takes a tenth of the time.
struct Maze {
    static constexpr float Square = 160;
    MazePart whole;
    float left = 0, top = 0;
    int columns = 0, rows = 0;
    std::vector<MazePart> squares;
    MazePart nothing;

    void divide(float reach);
    const MazePart& near(tvector p) const;
};

namespace {

// A body of radius r is pushed within r + 5 of a blue beam's line and within
// r + 10 of a ball; hidden balls push nothing. The ways are open where the
// player fits, and dear where the fish would squeeze.
constexpr float BeamReach = 5, BallReach = 10, PlayerRadius = 15;
// Where the fish's body only squeezes through, a way costs up to this many
// times more, the more the tighter.
constexpr float SqueezeCost = 30;
// Where a ball pushes the player, a way costs this much more.
constexpr float PushedCost = 50;
// Beside a red beam a way costs up to this many times more, the more it fires.
constexpr float RedCost = 30;
// A red beam that never rests holds whatever touches it: a way keeps to the
// far side of a corridor it runs along, at up to this many times the cost.
constexpr float BurningCost = 10;
// A stretch of way the fish was held on costs this many times more: its ways
// go round it where they can, and otherwise cross it by the least of it.
constexpr float AvoidedCost = 10;
constexpr float Margin = 400;
// How far a body pressed off the ways looks for them, in cells.
constexpr int NearCells = 12;
// The fish's own pull presses its widest part only a few units into what
// pushes it, so it is led no tighter than the level's least pressing way
// asks, give or take this margin.
constexpr float PressMargin = 1;
// Presses beyond this are not looked into: no way through asks that much.
constexpr float MaxPress = 30;
// The neighbours a cell keeps the fish's press towards; the other four
// are kept by those neighbours.
constexpr std::array<std::pair<int, int>, 4> KeptSides = {{{1, 0}, {0, 1}, {1, 1}, {-1, 1}}};

float distanceToSegment(tvector p, tvector a, tvector b) {
    tvector ab = sub(b, a);
    float t = std::clamp(dot(sub(p, a), ab) / std::max(lengthSquared(ab), 1e-6f), 0.0f, 1.0f);
    return distance(p, add(a, scale(ab, t)));
}

struct Clearance {
    float blue = INFINITY;  // to a blue beam's line
    float ball = INFINITY;  // to a ball that pushes
    float red = INFINITY;   // to a red beam's line
    float duty = 0;         // of the nearest red beam
    float burning = INFINITY;  // to a red beam that never rests
};

MazePart mazeOfTheLevel() {
    MazePart maze;
    for (int i = 0; i <= LAST_BEAM; ++i) {
        const tbeam& beam = *BEAMS[i];
        // A red beam that rests between its firings can be passed; one that never rests is a wall.
        auto* red = dynamic_cast<const tredbeam*>(&beam);
        bool rests = red && red->onTime < red->period;
        maze.walls.push_back({beam.ballA->position, beam.ballB->position, rests, rests ? red->onTime / red->period : 0,
                              red ? 0 : BeamReach, red && !rests});
    }
    for (int i = 0; i <= LAST_BALL; ++i)
        if (!BALLS[i]->hidden) maze.balls.push_back(BALLS[i]->position);
    // A firing red beam pulls a body into its hidden ends and holds it there.
    for (int i = 0; i <= LAST_BEAM; ++i)
        if (dynamic_cast<const tredbeam*>(BEAMS[i].get()))
            for (const BallRef& end : {BEAMS[i]->ballA, BEAMS[i]->ballB})
                if (end->hidden) maze.balls.push_back(end->position), maze.traps.push_back(end->position);
    return maze;
}

Clearance clearanceAt(tvector p, const MazePart& maze) {
    Clearance c;
    for (const Wall& wall : maze.walls) {
        float d = distanceToSegment(p, wall.a, wall.b);
        if (wall.burns) c.burning = std::min(c.burning, d);
        if (!wall.red) c.blue = std::min(c.blue, d);
        else if (d < c.red) c.red = d, c.duty = wall.duty;
    }
    for (tvector ball : maze.balls) c.ball = std::min(c.ball, distance(p, ball));
    return c;
}

// What crossing a cell costs, per unit of way: the fish's widest part wants
// room either side and squeezes through only where nothing else will do; a
// red beam, passable while it rests, is crossed only when nothing else will.
float costOf(const Clearance& c, float fishRadius) {
    float wanted = fishRadius + 30;
    float cost = 1 + 3 * std::max(0.0f, wanted - c.blue) / wanted;
    float squeeze = std::max({0.0f, fishRadius + BeamReach - c.blue, fishRadius + BallReach - c.ball});
    cost += SqueezeCost * squeeze / fishRadius;
    if (c.red < wanted) cost += RedCost * (0.1f + c.duty);
    cost += BurningCost * std::max(0.0f, wanted - c.burning) / wanted;
    return cost;
}

// How far a body of `radius` centred at `p` presses into what pushes or
// stings it; 0 where it is clear of everything.
float pressAt(tvector p, const MazePart& maze, float radius) {
    float press = 0;
    for (const Wall& wall : maze.walls)
        if (!wall.red) press = std::max(press, radius + wall.reach - distanceToSegment(p, wall.a, wall.b));
    for (tvector ball : maze.balls) press = std::max(press, radius + BallReach - distance(p, ball));
    for (tvector trap : maze.traps) press = std::max(press, radius - distance(p, trap));
    return press;
}

// The least the fish's widest part presses going from the cell at `centre`
// to its neighbour `dx`, `dy` cells on: anywhere along the side they share,
// or at the corner they share. The side is searched every two units, since
// a gate the fish just fits leaves it a window of four or more; a gate too
// narrow for it is thicker than a cell, so no cell lying across it lets it by.
float pressCrossing(tvector centre, int dx, int dy, const Maze& maze, float radius) {
    constexpr float Half = RouteMap::CellSize / 2;
    tvector middle = add(centre, {float(dx) * Half, float(dy) * Half});
    float least = pressAt(middle, maze.near(middle), radius);
    // Nowhere on the side is more than half a cell from its middle.
    if (least == 0 || (dx && dy)) return least;
    if (least > MaxPress + Half) return INFINITY;
    tvector along = {float(dy), float(dx)};
    for (float t = 2 - Half; t < Half && least > 0; t += 2)
    {
        tvector p = add(middle, scale(along, t));
        least = std::min(least, pressAt(p, maze.near(p), radius));
    }
    return least;
}

}  // namespace

void Maze::divide(float reach) {
    float right = -INFINITY, bottom = -INFINITY;
    left = INFINITY, top = INFINITY;
    auto extend = [&](tvector p) {
        left = std::min(left, p.x), top = std::min(top, p.y);
        right = std::max(right, p.x), bottom = std::max(bottom, p.y);
    };
    for (const Wall& wall : whole.walls) extend(wall.a), extend(wall.b);
    for (tvector ball : whole.balls) extend(ball);
    left -= reach, top -= reach;
    columns = int((right + reach - left) / Square) + 1;
    rows = int((bottom + reach - top) / Square) + 1;
    squares.assign(size_t(columns) * rows, {});
    // Each square takes what lies within reach of its box.
    auto within = [&](int square, float x0, float y0, float x1, float y1) {
        float sx = left + float(square % columns) * Square, sy = top + float(square / columns) * Square;
        return x1 >= sx - reach && x0 <= sx + Square + reach && y1 >= sy - reach && y0 <= sy + Square + reach;
    };
    for (int square = 0; square < columns * rows; ++square) {
        MazePart& part = squares[size_t(square)];
        for (const Wall& w : whole.walls)
            if (within(square, std::min(w.a.x, w.b.x), std::min(w.a.y, w.b.y), std::max(w.a.x, w.b.x),
                       std::max(w.a.y, w.b.y)))
                part.walls.push_back(w);
        for (tvector ball : whole.balls)
            if (within(square, ball.x, ball.y, ball.x, ball.y)) part.balls.push_back(ball);
        for (tvector trap : whole.traps)
            if (within(square, trap.x, trap.y, trap.x, trap.y)) part.traps.push_back(trap);
    }
}

const MazePart& Maze::near(tvector p) const {
    int x = int(std::floor((p.x - left) / Square)), y = int(std::floor((p.y - top) / Square));
    if (x < 0 || y < 0 || x >= columns || y >= rows) return nothing;
    return squares[size_t(y) * columns + x];
}

void RouteMap::plan() {
    float minX = GOAL->position.x, maxX = minX, minY = GOAL->position.y, maxY = minY;
    for (int i = 0; i <= LAST_BALL; ++i) {
        tvector p = BALLS[i]->position;
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    left = minX - Margin, top = minY - Margin;
    columns = int((maxX - minX + 2 * Margin) / CellSize) + 1;
    rows = int((maxY - minY + 2 * Margin) / CellSize) + 1;
    float fishRadius = FISH->widest();

    Maze maze;
    maze.whole = mazeOfTheLevel();
    // The widest clearance looked at is what the fish wants either side.
    maze.divide(fishRadius + 40);
    blueBeams.clear();
    for (const Wall& wall : maze.whole.walls)
        if (!wall.red) blueBeams.push_back({wall.a, wall.b});
    std::vector<float> cost(size_t(columns) * rows, INFINITY);
    // Cells the fish's widest part fits anywhere in, wherever it crosses them.
    std::vector<bool> roomy(cost.size());
    constexpr float HalfDiagonal = CellSize / 2 * float(M_SQRT2);
    for (int cell = 0; cell < columns * rows; ++cell) {
        tvector centre = centreOf(cell);
        Clearance c = clearanceAt(centre, maze.near(centre));
        roomy[cell] = c.blue >= fishRadius + BeamReach + HalfDiagonal && c.ball >= fishRadius + BallReach + HalfDiagonal;
        // A ball's push is soft: the player gets by one a little nearer than it reaches, at a cost.
        if (c.blue >= PlayerRadius + BeamReach && c.ball >= PlayerRadius + BeamReach)
            cost[cell] = costOf(c, fishRadius) + (c.ball < PlayerRadius + BallReach ? PushedCost : 0);
    }

    swimCost.assign(cost.size(), INFINITY);
    for (size_t cell = 0; cell < cost.size(); ++cell)
        if (std::isfinite(cost[cell])) swimCost[cell] = 1;
    wayCost = std::move(cost);

    homeCells.clear();
    // The fish is home when its head is this near: every open cell as near counts.
    float home = 100 + FISH->radii[0];
    for (int cell = 0; cell < columns * rows; ++cell) {
        float d = distance(centreOf(cell), GOAL->position);
        if (d < home && std::isfinite(wayCost[cell])) homeCells.push_back({d, cell});
    }
    measurePresses(maze, fishRadius, roomy);
    allowedPress = leastPressHome(FISH->head->position) + PressMargin;
    spreadHome();
    toAim.assign(wayCost.size(), INFINITY);
}

void RouteMap::spreadHome() {
    frontier = homeCells;
    toGoal.assign(wayCost.size(), INFINITY);
    for (const Entry& entry : frontier) toGoal[size_t(entry.second)] = entry.first;
    spread(toGoal, [this](float length, int cell, int dx, int dy, int next) {
        return fishGoes(cell, dx, dy) ? length + moveLength(dx, dy, wayCost[next]) : INFINITY;
    });
    nearestWayCell.assign(wayCost.size(), -1);
}

void RouteMap::avoid(tvector centre, float radius) {
    for (int cell = 0; cell < columns * rows; ++cell)
        if (distance(centreOf(cell), centre) < radius) wayCost[cell] *= AvoidedCost;
    spreadHome();
}

void RouteMap::measurePresses(const Maze& maze, float fishRadius, const std::vector<bool>& roomy) {
    presses.assign(wayCost.size() * KeptSides.size(), INFINITY);
    for (int cell = 0; cell < columns * rows; ++cell) {
        if (!std::isfinite(wayCost[cell])) continue;
        for (size_t side = 0; side < KeptSides.size(); ++side) {
            auto [dx, dy] = KeptSides[side];
            int next = neighbour(cell, dx, dy);
            if (next >= 0 && std::isfinite(wayCost[next]))
                presses[size_t(cell) * KeptSides.size() + side] =
                    roomy[cell] ? 0 : pressCrossing(centreOf(cell), dx, dy, maze, fishRadius);
        }
    }
}

float RouteMap::pressBetween(int cell, int dx, int dy) const {
    bool kept = dy > 0 || (dy == 0 && dx > 0);
    int keeper = kept ? cell : neighbour(cell, dx, dy);
    if (!kept) dx = -dx, dy = -dy;
    auto side = std::find(KeptSides.begin(), KeptSides.end(), std::pair{dx, dy}) - KeptSides.begin();
    return presses[size_t(keeper) * KeptSides.size() + size_t(side)];
}

// The least the fish must press on any way home, read at the cell nearest
// `fish` with a way home at all.
float RouteMap::leastPressHome(tvector fish) {
    std::vector<float> least(wayCost.size(), INFINITY);
    frontier = homeCells;
    for (Entry& entry : frontier) entry.first = 0, least[size_t(entry.second)] = 0;
    spread(least, [this](float press, int cell, int dx, int dy, int) {
        return std::max(press, pressBetween(cell, dx, dy));
    });
    return least[wayCellNear(fish, least)];
}

float RouteMap::leastPress() const { return allowedPress - PressMargin; }

int RouteMap::neighbour(int cell, int dx, int dy) const {
    int x = cell % columns + dx, y = cell / columns + dy;
    return x < 0 || y < 0 || x >= columns || y >= rows ? -1 : y * columns + x;
}

bool RouteMap::fishGoes(int cell, int dx, int dy) const { return pressBetween(cell, dx, dy) <= allowedPress; }

// Dijkstra's search outwards from the frontier's cells, whose lengths are
// set. `lengthen` gives a way's length one move on, from `cell` by `dx`,
// `dy` to `next`; infinite where the move is barred.
template <class Lengthen>
void RouteMap::spread(std::vector<float>& field, Lengthen lengthen) {
    auto later = [](const Entry& a, const Entry& b) { return a.first > b.first; };
    std::make_heap(frontier.begin(), frontier.end(), later);
    while (!frontier.empty()) {
        std::pop_heap(frontier.begin(), frontier.end(), later);
        auto [length, cell] = frontier.back();
        frontier.pop_back();
        if (length > field[cell]) continue;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                int next = neighbour(cell, dx, dy);
                if (next < 0 || next == cell) continue;
                float further = lengthen(length, cell, dx, dy, next);
                if (further < field[next]) {
                    field[next] = further;
                    frontier.push_back({further, next});
                    std::push_heap(frontier.begin(), frontier.end(), later);
                }
            }
    }
}

// Along `cost` per unit; the cost of the cell moved into.
float RouteMap::moveLength(int dx, int dy, float cost) {
    return (dx && dy ? float(M_SQRT2) : 1.0f) * CellSize * cost;
}

void RouteMap::aimAt(tvector target) {
    if (toGoal.empty()) return;
    std::fill(toAim.begin(), toAim.end(), INFINITY);
    frontier.clear();
    int cell = goalWayCellNear(target);
    toAim[cell] = 0;
    frontier.push_back({0, cell});
    spread(toAim, [this](float length, int, int dx, int dy, int next) {
        return length + moveLength(dx, dy, swimCost[next]);
    });
}

int RouteMap::cellAt(tvector p) const {
    int x = std::clamp(int((p.x - left) / CellSize), 0, columns - 1);
    int y = std::clamp(int((p.y - top) / CellSize), 0, rows - 1);
    return y * columns + x;
}

tvector RouteMap::centreOf(int cell) const {
    return {left + (float(cell % columns) + 0.5f) * CellSize, top + (float(cell / columns) + 0.5f) * CellSize};
}

int RouteMap::wayCellNear(tvector p, const std::vector<float>& field) const {
    int cell = cellAt(p);
    if (std::isfinite(field[cell])) return cell;
    int best = cell;
    float bestDistance = INFINITY;
    for (int dy = -NearCells; dy <= NearCells; ++dy)
        for (int dx = -NearCells; dx <= NearCells; ++dx) {
            int near = neighbour(cell, dx, dy);
            if (near < 0 || !std::isfinite(field[near])) continue;
            float d = distance(p, centreOf(near));
            if (d < bestDistance) best = near, bestDistance = d;
        }
    return best;
}

int RouteMap::goalWayCellNear(tvector p) const {
    int cell = cellAt(p);
    if (std::isfinite(toGoal[cell])) return cell;
    if (nearestWayCell[cell] < 0) nearestWayCell[cell] = wayCellNear(centreOf(cell), toGoal);
    return nearestWayCell[cell];
}

float RouteMap::distanceToGoal(tvector p) const {
    if (toGoal.empty()) return INFINITY;
    int cell = goalWayCellNear(p);
    return toGoal[cell] + distance(p, centreOf(cell));
}

// The neighbour lowest in the field, or highest when climbing.
int RouteMap::step(const std::vector<float>& field, int cell, bool climb, bool forFish) const {
    int best = cell;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            int next = neighbour(cell, dx, dy);
            if (next < 0 || next == cell || !std::isfinite(field[next]) || (forFish && !fishGoes(cell, dx, dy)))
                continue;
            if (climb ? field[next] > field[best] : field[next] < field[best]) best = next;
        }
    return best;
}

tvector RouteMap::walk(const std::vector<float>& field, tvector p, float distance, bool climb, bool forFish) const {
    if (toGoal.empty()) return p;
    int cell = goalWayCellNear(p);
    float travelled = kelp::distance(p, centreOf(cell));
    while (travelled < distance) {
        int next = step(field, cell, climb, forFish);
        if (next == cell) break;
        travelled += kelp::distance(centreOf(cell), centreOf(next));
        cell = next;
    }
    return centreOf(cell);
}

float RouteMap::distanceToAim(tvector p) const {
    if (toAim.empty()) return INFINITY;
    int cell = goalWayCellNear(p);
    return toAim[cell] + distance(p, centreOf(cell));
}

tvector RouteMap::along(tvector p, float ahead) const { return walk(toGoal, p, ahead, false, true); }
tvector RouteMap::behind(tvector p, float back) const { return walk(toGoal, p, back, true, true); }
tvector RouteMap::towardsAim(tvector p, float ahead) const { return walk(toAim, p, ahead, false, false); }

bool RouteMap::inSight(tvector from, tvector to) const {
    tvector d = sub(to, from);
    for (const auto& [a, b] : blueBeams) {
        tvector e = sub(b, a);
        float denominator = cross(d, e);
        if (std::fabs(denominator) < 1e-6f) continue;
        float t = cross(sub(a, from), e) / denominator, u = cross(sub(a, from), d) / denominator;
        if (t >= 0 && t <= 1 && u >= 0 && u <= 1) return false;
    }
    return true;
}

}  // namespace kelp
