// Which balls and beams of the maze can reach a body: the maze never moves,
// so its balls and beams are sorted into a grid once, when the level is built.
#pragma once

#include "game/physics.h"

#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace kelp {

// A set of small indices, walked in ascending order.
template <int Size>
class IndexSet {
public:
    void add(int i) { words[i / 64] |= uint64_t{1} << (i % 64); }
    bool has(int i) const { return (words[i / 64] >> (i % 64)) & 1; }
    void merge(const IndexSet& other) {
        for (size_t w = 0; w < words.size(); ++w) words[w] |= other.words[w];
    }
    void clear() { words.fill(0); }
    template <typename Visit>
    void forEach(Visit visit) const {
        for (size_t w = 0; w < words.size(); ++w)
            for (uint64_t bits = words[w]; bits; bits &= bits - 1)
                visit(int(w * 64 + std::countr_zero(bits)));
    }

private:
    std::array<uint64_t, (Size + 63) / 64> words{};
};

constexpr int MaxMazeBalls = 192, MaxMazeBeams = 192;
using BallSet = IndexSet<MaxMazeBalls>;
using BeamSet = IndexSet<MaxMazeBeams>;

struct Bounds {
    float left, top, right, bottom;
    // Whether `p` lies within `reach` of the box on both axes.
    bool near(tvector p, float reach) const {
        return p.x >= left - reach && p.x <= right + reach && p.y >= top - reach && p.y <= bottom + reach;
    }
};

class MazeGrid {
public:
    static constexpr float CellSize = 128;
    // Balls are points; each beam covers the box around its two ends.
    void build(const std::vector<tvector>& balls, const std::vector<Bounds>& beams);
    // Every ball and beam whose point or box lies within `margin` of the box.
    void query(Bounds box, float margin, BallSet* balls, BeamSet* beams) const;

private:
    struct Cell {
        BallSet balls;
        BeamSet beams;
    };
    int column(float x) const;
    int row(float y) const;

    float left = 0, top = 0;
    int columns = 0, rows = 0;
    std::vector<Cell> cells;
};

}  // namespace kelp
