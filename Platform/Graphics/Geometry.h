#pragma once

namespace platform {

// Points, single units of the window's coordinate space (1 point = 1 pixel at scale 1).
struct Point {
    double x = 0;
    double y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    double width = 0;
    double height = 0;
    bool operator==(const Size&) const = default;
};

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const Rect&) const = default;
    bool contains(Point p) const {
        return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height;
    }
    Point origin() const { return {x, y}; }
    Size size() const { return {width, height}; }
};

inline constexpr Rect kRectZero{};

}  // namespace platform
