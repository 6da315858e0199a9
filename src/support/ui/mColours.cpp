#include "support/ui/mColours.h"

#include <QApplication>
#include <QPalette>

namespace mColours {

namespace {

// The palette entry that plays the part of each system colour (COLOR_SCROLLBAR = 0 ...
// COLOR_MENUBAR = 30).
QColor SystemColour(std::uint32_t index) {
    const QPalette pal = QApplication::palette();
    using R = QPalette::ColorRole;
    switch (index) {
    case 0: return pal.color(R::Button); // scroll bar
    case 1: return pal.color(R::Dark); // desktop
    case 2:
    case 13:
    case 27:
    case 29: return pal.color(R::Highlight); // captions, highlight
    case 3:
    case 28: return pal.color(R::Mid); // inactive captions
    case 4:
    case 30: return pal.color(R::Window); // menu, menu bar
    case 5: return pal.color(R::Base); // window
    case 6:
    case 21: return pal.color(R::Shadow); // frame, dark 3D shadow
    case 7: return pal.color(R::WindowText); // menu text
    case 8: return pal.color(R::Text); // window text
    case 9:
    case 14: return pal.color(R::HighlightedText); // caption, highlight text
    case 10:
    case 11:
    case 15: return pal.color(R::Button); // borders, button face
    case 12:
    case 16: return pal.color(R::Dark); // workspace, button shadow
    case 17: return pal.color(QPalette::Disabled, R::Text); // grey text
    case 18: return pal.color(R::ButtonText);
    case 19: return pal.color(QPalette::Disabled, R::WindowText); // inactive caption text
    case 20: return pal.color(R::Light); // button highlight
    case 22: return pal.color(R::Midlight); // 3D light
    case 23: return pal.color(R::ToolTipText);
    case 24: return pal.color(R::ToolTipBase);
    case 26: return pal.color(R::Link); // hot light
    default: return pal.color(R::Base);
    }
}

} // namespace

QColor ColourOf(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    if (bits & 0x80000000u) return SystemColour(bits & 0x00FFFFFFu);
    return QColor(static_cast<int>(bits & 0xFFu), static_cast<int>((bits >> 8) & 0xFFu),
                  static_cast<int>((bits >> 16) & 0xFFu));
}

std::int32_t ValueOf(const QColor& colour) {
    const QColor c = colour.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(c.red()) |
                                     (static_cast<std::uint32_t>(c.green()) << 8) |
                                     (static_cast<std::uint32_t>(c.blue()) << 16));
}

} // namespace mColours
