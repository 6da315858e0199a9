#pragma once
// mTwips: lengths in twips (1/1440 inch), the unit the windows store and lay out in, and the
// screen's whole number of twips per pixel, the one rule every window converts with.

#include <cmath>
#include <cstdint>

namespace mTwips {

inline constexpr double kPerInch = 1440.0;

// Twips per pixel on a screen of `dotsPerInch` logical dots per inch, rounded to a whole number
// (15 at 96); 15 for a value that is no resolution, and within 1..1440.
inline std::int32_t TwipsPerPixel(double dotsPerInch) {
    if (!(dotsPerInch > 0) || !std::isfinite(dotsPerInch)) return 15;
    const double t = std::round(kPerInch / dotsPerInch);
    return t < 1 ? 1 : t > kPerInch ? static_cast<std::int32_t>(kPerInch) : static_cast<std::int32_t>(t);
}

// A length in twips as whole pixels, and a length in pixels as whole twips, at `twipsPerPixel`;
// both round half up, as every window of the program does.
inline int ToPixels(double twips, double twipsPerPixel) { return static_cast<int>(twips / twipsPerPixel + 0.5); }
inline std::int32_t ToTwips(double pixels, double twipsPerPixel) {
    return static_cast<std::int32_t>(pixels * twipsPerPixel + 0.5);
}

} // namespace mTwips
