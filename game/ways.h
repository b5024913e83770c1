// The ways through the level's maze as the fish and the swimmer can take
// them, and how hard the fish must squeeze to get home at all: the autopilot
// herds along them, and the level builder deals again a maze the fish cannot
// get through.
#pragma once

#include "game/world.h"

#include <cmath>
#include <vector>

namespace kelp {

struct Maze;  // the level's beams and balls as the ways see them

// The ways through the current level's maze: a grid of cells, each knowing
// how far the goal is along ways a swimmer fits through, kept wide of the
// beams as the fish's size asks.
class RouteMap {
public:
    static constexpr float CellSize = 20;

    // For the level just built.
    void plan();
    // Along the ways; infinite where none leads from the point.
    float distanceToGoal(tvector point) const;
    // The point `ahead` units further down the way from `point` (or the
    // goal's cell, if nearer).
    tvector along(tvector point, float ahead) const;
    // The point `back` units up the way from `point`: behind it, seen from the goal.
    tvector behind(tvector point, float back) const;
    // Plans the player's swim to `target` by the shortest way it fits;
    // towardsAim then gives the point `ahead` units along that swim.
    void aimAt(tvector target);
    tvector towardsAim(tvector point, float ahead) const;
    // How far the swim to the aim is from the point; infinite where none leads.
    float distanceToAim(tvector point) const;
    // How hard the fish's widest part presses on beams or balls on its
    // easiest way home.
    float leastPress() const;
    // True when no blue beam crosses the straight line between the points.
    bool inSight(tvector from, tvector to) const;
    // The fish's ways home keep out of the circle from now on, where a
    // stretch of way held this fish: round it if they can, else across the
    // least of it.
    void avoid(tvector centre, float radius);

private:
    int cellAt(tvector point) const;
    tvector centreOf(int cell) const;
    // The cell itself, or the nearest one finite in `field` (a way from it).
    int wayCellNear(tvector point, const std::vector<float>& field) const;
    // The same in the ways home, for any point of the cell: looked up once.
    int goalWayCellNear(tvector point) const;
    // The cell `dx`, `dy` cells on, or -1 off the map.
    int neighbour(int cell, int dx, int dy) const;
    using Entry = std::pair<float, int>;
    template <class Lengthen>
    void spread(std::vector<float>& field, Lengthen lengthen);
    static float moveLength(int dx, int dy, float cost);
    // The fish's ways go only where its widest part presses no more than allowed.
    int step(const std::vector<float>& field, int cell, bool climb, bool forFish) const;
    tvector walk(const std::vector<float>& field, tvector point, float distance, bool climb, bool forFish) const;
    void spreadHome();
    void measurePresses(const Maze& maze, float fishRadius, const std::vector<bool>& roomy);
    float pressBetween(int cell, int dx, int dy) const;
    float leastPressHome(tvector fish);
    bool fishGoes(int cell, int dx, int dy) const;

    float left = 0, top = 0;
    int columns = 0, rows = 0;
    std::vector<float> wayCost, swimCost;  // per cell: for the fish's way, the player's swim
    std::vector<float> toGoal, toAim;
    std::vector<Entry> homeCells;  // open cells where the fish's head is home
    mutable std::vector<int> nearestWayCell;  // per cell off the ways home; -1 until looked up
    // Per cell and kept side: the least the fish's widest part presses
    // into beams or balls going that way; and the most it is led to.
    std::vector<float> presses;
    float allowedPress = INFINITY;
    std::vector<Entry> frontier;
    std::vector<std::pair<tvector, tvector>> blueBeams;
};

}  // namespace kelp
