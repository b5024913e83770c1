#include "game/mazegrid.h"

#include <algorithm>
#include <cmath>

namespace kelp {

namespace {

// The cell of a position in cells, clamped to [0, count); NaN counts as 0.
int CellIndex(float cells, int count) {
    float cell = std::floor(cells);
    if (!(cell >= 0)) return 0;
    if (cell >= float(count - 1)) return count - 1;
    return int(cell);
}

}  // namespace

// Clamped before the conversion, so that no float is out of an int's range.
int MazeGrid::column(float x) const { return CellIndex((x - left) / CellSize, columns); }

int MazeGrid::row(float y) const { return CellIndex((y - top) / CellSize, rows); }

void MazeGrid::build(const std::vector<tvector>& balls, const std::vector<Bounds>& beams) {
    Bounds extent{INFINITY, INFINITY, -INFINITY, -INFINITY};
    auto grow = [&](Bounds b) {
        extent = {std::min(extent.left, b.left), std::min(extent.top, b.top), std::max(extent.right, b.right),
                  std::max(extent.bottom, b.bottom)};
    };
    for (tvector p : balls) grow({p.x, p.y, p.x, p.y});
    for (const Bounds& b : beams) grow(b);
    if (!(extent.left <= extent.right)) extent = {0, 0, 0, 0};
    left = extent.left, top = extent.top;
    columns = int((extent.right - left) / CellSize) + 1;
    rows = int((extent.bottom - top) / CellSize) + 1;
    cells.assign(size_t(columns) * size_t(rows), Cell{});
    auto each = [&](Bounds b, auto mark) {
        for (int r = row(b.top); r <= row(b.bottom); ++r)
            for (int c = column(b.left); c <= column(b.right); ++c) mark(cells[size_t(r) * columns + c]);
    };
    for (size_t i = 0; i < balls.size() && i < MaxMazeBalls; ++i)
        each({balls[i].x, balls[i].y, balls[i].x, balls[i].y}, [&](Cell& cell) { cell.balls.add(int(i)); });
    for (size_t i = 0; i < beams.size() && i < MaxMazeBeams; ++i)
        each(beams[i], [&](Cell& cell) { cell.beams.add(int(i)); });
}

// A box beyond the grid is clamped to its edge cells, which hold everything
// near that edge.
void MazeGrid::query(Bounds box, float margin, BallSet* balls, BeamSet* beams) const {
    if (cells.empty()) return;
    int firstRow = row(box.top - margin), lastRow = row(box.bottom + margin);
    int firstColumn = column(box.left - margin), lastColumn = column(box.right + margin);
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = firstColumn; c <= lastColumn; ++c) {
            const Cell& cell = cells[size_t(r) * columns + c];
            if (balls) balls->merge(cell.balls);
            if (beams) beams->merge(cell.beams);
        }
}

}  // namespace kelp
