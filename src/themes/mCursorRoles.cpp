#include "themes/mCursorRoles.h"

#include <algorithm>
#include <cctype>

namespace mCursorRoles {

namespace {

using namespace std::string_view_literals;

// The names of each role. Hashed names are those X toolkits ask for before the readable ones
// (the digest of the bitmap of the cursor they once drew); themes answer them with links.
constexpr std::string_view kArrow[] = {"default"sv,
                                       "left_ptr"sv,
                                       "arrow"sv,
                                       "top_left_arrow"sv,
                                       "left_arrow"sv,
                                       "context-menu"sv,
                                       "copy"sv,
                                       "alias"sv,
                                       "link"sv,
                                       "dnd-copy"sv,
                                       "dnd-link"sv,
                                       "dnd-move"sv,
                                       "dnd-none"sv,
                                       "1081e37283d90000800003c07f3ef6bf"sv,
                                       "6407b0e94181790501fd1e167b474872"sv,
                                       "b66166c04f8c3109214a4fbd64a50fc8"sv,
                                       "3085a0e285430894940527032f8b26df"sv,
                                       "640fb0e74195791501fd1ed57b41487f"sv,
                                       "a2a266d0498c3104214a47bd64ab0fc8"sv,
                                       "4498f0e0c1937ffe01fd06f973665830"sv,
                                       "9081237383d90e509aa00f00170e968f"sv};
constexpr std::string_view kHelp[] = {"help"sv,
                                      "question_arrow"sv,
                                      "whats_this"sv,
                                      "left_ptr_help"sv,
                                      "dnd-ask"sv,
                                      "5c6cd98b3f3ebcb1f9c7f1c204630408"sv,
                                      "d9ce0ab605698f320427677b458ad60b"sv};
constexpr std::string_view kAppStarting[] = {"progress"sv,
                                             "left_ptr_watch"sv,
                                             "half-busy"sv,
                                             "00000000000000020006000e7e9ffc3f"sv,
                                             "08e8e1c95fe2fc01f976f1e063a24ccd"sv,
                                             "3ecb610c1bf2410f44200f48c40d3599"sv};
constexpr std::string_view kWait[] = {"wait"sv, "watch"sv, "clock"sv, "busy"sv};
constexpr std::string_view kCrosshair[] = {"crosshair"sv,     "cross"sv, "tcross"sv, "cross_reverse"sv,
                                           "diamond_cross"sv, "cell"sv,  "plus"sv};
constexpr std::string_view kIBeam[] = {"text"sv, "xterm"sv, "ibeam"sv, "vertical-text"sv};
constexpr std::string_view kNWPen[] = {"pencil"sv, "draft"sv};
constexpr std::string_view kNo[] = {"not-allowed"sv, "crossed_circle"sv, "forbidden"sv,
                                    "no-drop"sv,     "circle"sv,         "03b6e0fcb3499374a867c041f52298f0"sv};
constexpr std::string_view kSizeNS[] = {"ns-resize"sv,
                                        "sb_v_double_arrow"sv,
                                        "v_double_arrow"sv,
                                        "size_ver"sv,
                                        "row-resize"sv,
                                        "split_v"sv,
                                        "n-resize"sv,
                                        "s-resize"sv,
                                        "top_side"sv,
                                        "bottom_side"sv,
                                        "double_arrow"sv,
                                        "00008160000006810000408080010102"sv,
                                        "2870a09082c103050810ffdffffe0204"sv};
constexpr std::string_view kSizeWE[] = {"ew-resize"sv,
                                        "sb_h_double_arrow"sv,
                                        "h_double_arrow"sv,
                                        "size_hor"sv,
                                        "col-resize"sv,
                                        "split_h"sv,
                                        "e-resize"sv,
                                        "w-resize"sv,
                                        "left_side"sv,
                                        "right_side"sv,
                                        "028006030e0e7ebffc7f7070c0600140"sv,
                                        "14fef782d02440884392942c11205230"sv};
constexpr std::string_view kSizeNWSE[] = {
    "nwse-resize"sv, "bd_double_arrow"sv, "size_fdiag"sv,          "nw-resize"sv,
    "se-resize"sv,   "top_left_corner"sv, "bottom_right_corner"sv, "c7088f0f3e6c8088236ef8e1e3e70000"sv};
constexpr std::string_view kSizeNESW[] = {
    "nesw-resize"sv, "fd_double_arrow"sv,  "size_bdiag"sv,         "ne-resize"sv,
    "sw-resize"sv,   "top_right_corner"sv, "bottom_left_corner"sv, "fcf1c3c7cd4491d801f1e1c78f100000"sv};
constexpr std::string_view kSizeAll[] = {"move"sv, "fleur"sv, "size_all"sv, "all-scroll"sv,
                                         "fcf21c00b30f7e3f83fe0dfd12e71cff"sv};
constexpr std::string_view kUpArrow[] = {"up-arrow"sv, "center_ptr"sv, "up_arrow"sv, "sb_up_arrow"sv};
constexpr std::string_view kHand[] = {"pointer"sv,
                                      "hand2"sv,
                                      "hand1"sv,
                                      "hand"sv,
                                      "pointing_hand"sv,
                                      "grab"sv,
                                      "grabbing"sv,
                                      "openhand"sv,
                                      "closedhand"sv,
                                      "e29285e634086352946a0e7090d73106"sv,
                                      "9d800788f1b08800ae810202380a0822"sv,
                                      "5aca4d189052212118709018842178c0"sv,
                                      "208530c400c041818281048008011002"sv};
// Windows' location and person cursors have no counterpart that X clients ask for.
constexpr std::string_view kPin[] = {"pin"sv};
constexpr std::string_view kPerson[] = {"person"sv};

const std::array<cRole, kRoleCount> kRoles = {{
    {"Arrow", "Normal Select", kArrow},
    {"Help", "Help Select", kHelp},
    {"AppStarting", "Working in Background", kAppStarting},
    {"Wait", "Busy", kWait},
    {"Crosshair", "Precision Select", kCrosshair},
    {"IBeam", "Text Select", kIBeam},
    {"NWPen", "Handwriting", kNWPen},
    {"No", "Unavailable", kNo},
    {"SizeNS", "Vertical Resize", kSizeNS},
    {"SizeWE", "Horizontal Resize", kSizeWE},
    {"SizeNWSE", "Diagonal Resize 1", kSizeNWSE},
    {"SizeNESW", "Diagonal Resize 2", kSizeNESW},
    {"SizeAll", "Move", kSizeAll},
    {"UpArrow", "Alternate Select", kUpArrow},
    {"Hand", "Link Select", kHand},
    {"Pin", "Location Select", kPin},
    {"Person", "Person Select", kPerson},
}};

struct cWord {
    std::string_view word;
    std::size_t role;
    bool whole; // only the whole name
};

// The file-name table (docs/cursor-themes.md), most particular words first.
constexpr cWord kWords[] = {
    {"appstarting", 2, false},
    {"working", 2, false},
    {"background", 2, false},
    {"progress", 2, false},
    {"busy", 3, false},
    {"wait", 3, false},
    {"handwriting", 6, false},
    {"unavailable", 7, false},
    {"unavailiable", 7, false},
    {"unavail", 7, false},
    {"notallowed", 7, false},
    {"uparrow", 13, false},
    {"alternate", 13, false},
    {"diagonalresize1", 10, false},
    {"diagonal1", 10, false},
    {"dgn1", 10, false},
    {"nwse", 10, false},
    {"diagonalresize2", 11, false},
    {"diagonal2", 11, false},
    {"dgn2", 11, false},
    {"nesw", 11, false},
    {"vertical", 8, false},
    {"vert", 8, false},
    {"horizontal", 9, false},
    {"horiz", 9, false},
    {"horz", 9, false},
    {"precision", 4, false},
    {"crosshair", 4, false},
    {"cross", 4, false},
    {"ibeam", 5, false},
    {"beam", 5, false},
    {"text", 5, false},
    {"move", 12, false},
    {"sizeall", 12, false},
    {"link", 14, false},
    {"hand", 14, false},
    {"location", 15, false},
    {"person", 16, false},
    {"help", 1, false},
    {"arrow", 0, false},
    {"normal", 0, false},
    {"pointer", 0, false},
    {"no", 7, true},
    {"ns", 8, true},
    {"ew", 9, true},
    {"up", 13, true},
    {"pen", 6, true},
    {"pin", 15, true},
};

} // namespace

const std::array<cRole, kRoleCount>& Roles() { return kRoles; }

std::optional<std::size_t> RoleOfValue(std::string_view value) {
    for (std::size_t i = 0; i < kRoles.size(); ++i) {
        const std::string_view name = kRoles[i].value;
        if (name.size() == value.size() && std::equal(name.begin(), name.end(), value.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            }))
            return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> RoleOfFileName(std::string_view fileName) {
    const auto slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    const auto dot = fileName.find_last_of('.');
    if (dot != std::string_view::npos && dot > 0) fileName = fileName.substr(0, dot);
    std::string key;
    for (const char c : fileName) {
        if (std::isalnum(static_cast<unsigned char>(c)))
            key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    if (key.empty()) return std::nullopt;
    for (const cWord& w : kWords) {
        if (w.whole ? key == w.word : key.find(w.word) != std::string::npos) return w.role;
    }
    return std::nullopt;
}

} // namespace mCursorRoles
