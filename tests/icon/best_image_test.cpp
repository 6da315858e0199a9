// The image chosen to represent an icon at a size.

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "icon/mBestImage.h"
#include "platform/DibBlocks.h"

namespace {

TEST(BestImage, Choice) {
    // Images given as (width, colours); the directory alone decides, so blocks can be tiny.
    struct cCase {
        const char* name;
        std::vector<std::pair<int, int>> images;
        int size;
        bool highColour;
        int expected;
    };
    const std::vector<cCase> cases = {
        {"no images", {}, 32, false, 0},
        {"exact width, 16 colours, low colour", {{48, 16}, {32, 256}, {32, 16}}, 32, false, 3},
        {"exact width, high colour wins at once", {{32, 16}, {32, 256}, {32, 2}}, 32, true, 2},
        {"exact widths all unsuitable: the last", {{32, 256}, {16, 16}, {32, 256}}, 32, false, 3},
        {"nearest width, first of equals", {{24, 16}, {40, 16}}, 32, false, 1},
        {"nearest width", {{20, 16}, {44, 16}, {40, 16}}, 32, false, 3},
        {"nearer later", {{48, 16}, {24, 16}}, 16, false, 2},
        {"256 pixels for 32: difference 224", {{0, 256}}, 32, true, 1},
        {"exact beats a suitable near one", {{31, 16}, {32, 256}}, 32, false, 2},
        {"2 colours count as low", {{16, 2}}, 16, false, 1},
    };
    mTestKit::cTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cFileIcon icon;
        if (!c.images.empty()) {
            std::vector<tDib::cImage> images;
            for (auto [w, colours] : c.images) {
                tDib::cSpec s; // the block itself is irrelevant here
                images.push_back({tDib::Make(s, [](int, int) { return 0u; }), static_cast<std::uint8_t>(w),
                                  static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(colours <= 16 ? colours : 0),
                                  static_cast<std::uint16_t>(colours <= 16 ? 4 : 8)});
            }
            mTestKit::WriteBytes(dir.File("b.ico"), tDib::Ico(images));
            icon.LoadIcon(dir.File("b.ico"));
        }
        EXPECT_EQ(mBestImage::BestImageIndex(icon, c.size, c.highColour), c.expected);
    }
}

TEST(BestImage, FitToASquare) {
    // Images as (width, height, colours).
    struct cCase {
        const char* name;
        std::vector<mBestImage::cImageKind> images;
        int size;
        int expected;
    };
    const std::vector<cCase> cases = {
        {"no images", {}, 32, 0},
        {"exact size", {{48, 48, 256}, {32, 32, 256}, {16, 16, 256}}, 32, 2},
        {"the smallest at least the size, scaled down", {{256, 256, 256}, {48, 48, 256}, {16, 16, 256}}, 32, 2},
        {"none large enough: the largest, scaled up", {{16, 16, 256}, {48, 48, 16}, {32, 32, 256}}, 128, 2},
        {"more colours win at one size", {{32, 32, 16}, {32, 32, 16777216}, {32, 32, 256}}, 32, 2},
        {"first of equals", {{32, 32, 256}, {32, 32, 256}}, 24, 1},
        {"colours never outweigh size", {{64, 64, 2}, {48, 48, 16777216}}, 40, 2},
        {"the larger side counts", {{64, 16, 16}, {32, 32, 16}}, 48, 1},
        {"256 pixels", {{256, 256, 2147483647}, {48, 48, 256}}, 256, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(mBestImage::FitImageIndex(c.images, c.size), c.expected);
    }
}

} // namespace
