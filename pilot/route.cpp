// The ways through the maze: each cell's distance to the goal by Dijkstra's
// search from the goal, over cells a swimmer fits in, dearer where the fish
// would brush the beams and dearer still beside a red one.
#include "pilot/pilot.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace kelp_pilot {

using namespace kelp;

namespace {

// The player (radius 15) is pushed within 20 of a blue beam's line and within
// 25 of a ball; hidden balls push nothing.
constexpr float BeamClearance = 21, BallClearance = 26;
constexpr float Margin = 400;

float distanceToSegment(tvector p, tvector a, tvector b) {
    tvector ab = sub(b, a);
    float t = std::clamp(dot(sub(p, a), ab) / std::max(lengthSquared(ab), 1e-6f), 0.0f, 1.0f);
    return distance(p, add(a, scale(ab, t)));
}

struct Clearance {
    float blue = INFINITY;  // to a blue beam's line
    float ball = INFINITY;  // to a ball that pushes
    float red = INFINITY;   // to a red beam's line
};

struct Wall {
    tvector a, b;
    bool red;
};

struct Maze {
    std::vector<Wall> walls;
    std::vector<tvector> balls;
};

Maze mazeOfTheLevel() {
    Maze maze;
    for (int i = 0; i <= LAST_BEAM; ++i) {
        const tbeam& beam = *BEAMS[i];
        maze.walls.push_back({beam.ballA->position, beam.ballB->position, dynamic_cast<const tredbeam*>(&beam) != nullptr});
    }
    for (int i = 0; i <= LAST_BALL; ++i)
        if (!BALLS[i]->hidden) maze.balls.push_back(BALLS[i]->position);
    return maze;
}

Clearance clearanceAt(tvector p, const Maze& maze) {
    Clearance c;
    for (const Wall& wall : maze.walls) {
        float d = distanceToSegment(p, wall.a, wall.b);
        (wall.red ? c.red : c.blue) = std::min(wall.red ? c.red : c.blue, d);
    }
    for (tvector ball : maze.balls) c.ball = std::min(c.ball, distance(p, ball));
    return c;
}

// What crossing a cell costs, per unit of way: the fish's widest part wants
// room either side, and a red beam, passable while it rests, is crossed only
// when nothing else will do.
float costOf(const Clearance& c, float fishRadius) {
    float wanted = fishRadius + 30;
    float room = std::min(c.blue, c.ball);
    float cost = 1 + 3 * std::max(0.0f, wanted - room) / wanted;
    if (c.red < wanted) cost += 4;
    return cost;
}

}  // namespace

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
    float fishRadius = *std::max_element(FISH->radii.begin(), FISH->radii.begin() + FISH->segmentCount);

    Maze maze = mazeOfTheLevel();
    std::vector<float> cost(size_t(columns) * rows, INFINITY);
    for (int cell = 0; cell < columns * rows; ++cell) {
        Clearance c = clearanceAt(centreOf(cell), maze);
        if (c.blue >= BeamClearance && c.ball >= BallClearance) cost[cell] = costOf(c, fishRadius);
    }

    toGoal.assign(cost.size(), INFINITY);
    using Entry = std::pair<float, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
    // The fish is home when its head is this near: every open cell as near counts.
    float home = 100 + FISH->radii[0];
    for (int cell = 0; cell < columns * rows; ++cell) {
        float d = distance(centreOf(cell), GOAL->position);
        if (d < home && std::isfinite(cost[cell])) {
            toGoal[cell] = d;
            open.push({d, cell});
        }
    }
    while (!open.empty()) {
        auto [d, cell] = open.top();
        open.pop();
        if (d > toGoal[cell]) continue;
        int x = cell % columns, y = cell / columns;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                int nx = x + dx, ny = y + dy;
                if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= columns || ny >= rows) continue;
                int next = ny * columns + nx;
                float step = (dx && dy ? float(M_SQRT2) : 1.0f) * CellSize * cost[next];
                if (d + step < toGoal[next]) {
                    toGoal[next] = d + step;
                    open.push({d + step, next});
                }
            }
    }
}

int RouteMap::cellAt(tvector p) const {
    int x = std::clamp(int((p.x - left) / CellSize), 0, columns - 1);
    int y = std::clamp(int((p.y - top) / CellSize), 0, rows - 1);
    return y * columns + x;
}

tvector RouteMap::centreOf(int cell) const {
    return {left + (float(cell % columns) + 0.5f) * CellSize, top + (float(cell / columns) + 0.5f) * CellSize};
}

int RouteMap::wayCellNear(tvector p) const {
    int cell = cellAt(p);
    if (std::isfinite(toGoal[cell])) return cell;
    int best = cell;
    float bestDistance = INFINITY;
    int x = cell % columns, y = cell / columns;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= columns || ny >= rows) continue;
            int near = ny * columns + nx;
            float d = distance(p, centreOf(near));
            if (std::isfinite(toGoal[near]) && d < bestDistance) best = near, bestDistance = d;
        }
    return best;
}

float RouteMap::distanceToGoal(tvector p) const {
    if (toGoal.empty()) return INFINITY;
    int cell = wayCellNear(p);
    return toGoal[cell] + distance(p, centreOf(cell));
}

int RouteMap::downhill(int cell) const {
    int best = cell;
    int x = cell % columns, y = cell / columns;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= columns || ny >= rows) continue;
            int next = ny * columns + nx;
            if (toGoal[next] < toGoal[best]) best = next;
        }
    return best;
}

tvector RouteMap::along(tvector p, float ahead) const {
    if (toGoal.empty()) return p;
    int cell = wayCellNear(p);
    float travelled = distance(p, centreOf(cell));
    while (travelled < ahead) {
        int next = downhill(cell);
        if (next == cell) break;
        travelled += distance(centreOf(cell), centreOf(next));
        cell = next;
    }
    return centreOf(cell);
}

}  // namespace kelp_pilot
