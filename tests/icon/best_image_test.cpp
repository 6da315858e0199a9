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
                images.push_back({tDib::Make(s, [](int, int) { return 0u; }), static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w),
                                  static_cast<std::uint8_t>(colours <= 16 ? colours : 0), static_cast<std::uint16_t>(colours <= 16 ? 4 : 8)});
            }
            mTestKit::WriteBytes(dir.File("b.ico"), tDib::Ico(images));
            icon.LoadIcon(dir.File("b.ico"));
        }
        EXPECT_EQ(mBestImage::BestImageIndex(icon, c.size, c.highColour), c.expected);
    }
}

} // namespace
