#include "output/sweep/ContourLines.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace recmod {

namespace {

struct Point {
  double x = 0.0;
  double y = 0.0;
};

// Where the level crosses the edge from corner a to corner b (values va, vb
// on opposite sides of it).
Point Crossing(Point a, double va, Point b, double vb, double level) {
  const double t = (level - va) / (vb - va);
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

double ValueAt(const GridValues& values, std::size_t column, std::size_t row) {
  if (column >= values.size() || row >= values[column].size()) return std::nan("");
  return values[column][row];
}

}  // namespace

std::vector<ContourSegment> ContourSegments(const GridValues& values, double level) {
  std::vector<ContourSegment> segments;
  std::size_t rows = 0;
  for (const auto& column : values) rows = std::max(rows, column.size());
  for (std::size_t i = 0; i + 1 < values.size(); ++i) {
    for (std::size_t j = 0; j + 1 < rows; ++j) {
      // Corners counter-clockwise from the bottom left; edge e joins corner e
      // and corner e + 1.
      const std::array<Point, 4> corner = {
          Point{double(i), double(j)}, Point{double(i + 1), double(j)},
          Point{double(i + 1), double(j + 1)}, Point{double(i), double(j + 1)}};
      const std::array<double, 4> v = {ValueAt(values, i, j), ValueAt(values, i + 1, j),
                                       ValueAt(values, i + 1, j + 1), ValueAt(values, i, j + 1)};
      if (std::isnan(v[0]) || std::isnan(v[1]) || std::isnan(v[2]) || std::isnan(v[3])) continue;
      std::array<bool, 4> above{};
      for (std::size_t c = 0; c < 4; ++c) above[c] = v[c] >= level;

      std::array<Point, 4> crossing{};
      std::array<bool, 4> crossed{};
      int count = 0;
      for (std::size_t e = 0; e < 4; ++e) {
        const std::size_t next = (e + 1) % 4;
        if (above[e] == above[next]) continue;
        crossing[e] = Crossing(corner[e], v[e], corner[next], v[next], level);
        crossed[e] = true;
        ++count;
      }
      auto join = [&](std::size_t a, std::size_t b) {
        segments.push_back({crossing[a].x, crossing[a].y, crossing[b].x, crossing[b].y});
      };
      if (count == 2) {
        std::size_t first = 4;
        for (std::size_t e = 0; e < 4; ++e) {
          if (!crossed[e]) continue;
          if (first == 4) {
            first = e;
          } else {
            join(first, e);
          }
        }
      } else if (count == 4) {
        // A saddle: the mean tells whether the middle belongs to the side of
        // the bottom-left corner; the line then cuts off the two corners of
        // the other side.
        const double mean = (v[0] + v[1] + v[2] + v[3]) / 4.0;
        if ((mean >= level) == above[0]) {
          join(0, 1);  // around the bottom-right corner
          join(2, 3);  // around the top-left corner
        } else {
          join(3, 0);  // around the bottom-left corner
          join(1, 2);  // around the top-right corner
        }
      }
    }
  }
  return segments;
}

}  // namespace recmod
