#pragma once

namespace platform {

// Four single-precision components, nominally 0 to 1. Values outside that range
// are kept as given; drawing clamps them.
struct Color {
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 0;

    static Color colorWithRedGreenBlueAlpha(float r, float g, float b, float a) {
        return {r, g, b, a};
    }
    static Color clearColor() { return {0, 0, 0, 0}; }
    static Color whiteColor() { return {1, 1, 1, 1}; }
    static Color blackColor() { return {0, 0, 0, 1}; }
    bool operator==(const Color&) const = default;
};

}  // namespace platform
