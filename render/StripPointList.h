#pragma once

#include <QPoint>

#include <cstdint>
#include <vector>

namespace vantora {

// Drawing type of one point of a trace: a move starts a new figure, a line
// joins the point to the one before it.
enum PointType : uint8_t { kPointLine = 2, kPointMove = 6 };

// A trace ready to draw: pixel points with one type byte each. Renderers join
// point i to point i + 1 only when point i + 1 is a line point.
struct StripPointList {
    std::vector<QPoint> points;
    std::vector<uint8_t> types;

    void clear() {
        points.clear();
        types.clear();
    }
    bool empty() const { return points.empty(); }
    int size() const { return int(points.size()); }
    void append(QPoint p, uint8_t type) {
        points.push_back(p);
        types.push_back(type);
    }
};

// Where a clipped point lies against its band: above (y too small), inside, below.
enum class ClipState { Above = 0, Inside = 1, Below = 2 };

// Clips y into 0..height (or top..bottom) and gives the point's type: a point
// outside the band is a move when the previous point was outside on the same
// side, so a trace that leaves the band runs to the edge and stays open there.
struct BandClip {
    int top = 0;
    int bottom = 0;
    int topValue = 0; // y given to a point above the band
    ClipState previous = ClipState::Inside;

    uint8_t clip(int& y) {
        if (y < top) {
            y = topValue;
            return take(ClipState::Above);
        }
        if (y > bottom) {
            y = bottom;
            return take(ClipState::Below);
        }
        previous = ClipState::Inside;
        return kPointLine;
    }

private:
    uint8_t take(ClipState state) {
        const uint8_t type = previous == state ? kPointMove : kPointLine;
        previous = state;
        return type;
    }
};

} // namespace vantora
