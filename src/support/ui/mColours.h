#pragma once
// mColours: stored 32-bit colour values on the Qt side. A value is either a colour, 0x00BBGGRR, or
// a reference to a system colour in its high-bit form, 0x80000000 plus the system colour's index
// (0x80000004 is the menu colour, 0x80000005 the window colour); references are resolved through
// the application's palette each time they are drawn, so they follow the desktop's theme.

#include <QColor>

#include <cstdint>

namespace mColours {

// The colour a value stands for now. A reference to an index the platform never defined resolves
// to the window colour.
QColor ColourOf(std::int32_t value);
// The value of a colour chosen by the user: 0x00BBGGRR (alpha ignored).
std::int32_t ValueOf(const QColor& colour);

} // namespace mColours
