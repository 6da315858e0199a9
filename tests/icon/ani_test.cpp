// Animated cursors: frames, steps and rates read from files made by the generator in mCraft.h,
// and the hostile shapes refused cleanly.

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "icon/cAnimatedCursor.h"
#include "resources/mIconGroups.h"

using namespace mTestKit;

namespace {

const std::string kSource = SourceOf("cAnimatedCursor");
constexpr std::int32_t kErrLoad = static_cast<std::int32_t>(0x8004041A);

mCraft::cAniShape ThreeFrames() {
    mCraft::cAniShape shape;
    shape.frames = {ReadBytes(Fixture("cursors/arrow.cur")), ReadBytes(Fixture("cursors/two.cur")),
                    ReadBytes(Fixture("cursors/mono.cur"))};
    shape.sequence = {0, 1, 2, 1};
    shape.rates = {5, 10, 15, 20};
    return shape;
}

} // namespace

// Each frame is the .cur file it was made of; the steps and rates are the file's, or the frames
// in order at the header's rate where it has none. Chunks it does not know are skipped.
TEST(AnimatedCursor, FramesStepsAndRates) {
    cTempDir dir;
    auto shape = ThreeFrames();
    shape.info = true;
    WriteBytes(dir.File("busy.ani"), mCraft::Ani(shape));
    cAnimatedCursor a;
    ASSERT_TRUE(a.Load(dir.File("busy.ani")));
    ASSERT_EQ(a.FrameCount(), 3);
    for (std::int32_t f = 1; f <= 3; ++f) {
        SCOPED_TRACE(f);
        const cFileIcon& frame = a.Frames()[static_cast<std::size_t>(f - 1)];
        EXPECT_EQ(frame.Frame(), f);
        EXPECT_TRUE(frame.IsCursor());
        EXPECT_EQ(frame.IcoBytes(), shape.frames[static_cast<std::size_t>(f - 1)]);
    }
    EXPECT_EQ(a.Steps(), (std::vector<std::uint32_t>{0, 1, 2, 1}));
    EXPECT_EQ(a.Rates(), (std::vector<std::uint32_t>{5, 10, 15, 20}));
    EXPECT_TRUE(a.HasSequence());

    shape.sequence.clear();
    shape.rates.clear();
    shape.displayRate = 7;
    WriteBytes(dir.File("plain.ani"), mCraft::Ani(shape));
    ASSERT_TRUE(a.Load(dir.File("plain.ani")));
    EXPECT_EQ(a.Steps(), (std::vector<std::uint32_t>{0, 1, 2}));
    EXPECT_EQ(a.Rates(), (std::vector<std::uint32_t>{7, 7, 7}));
    EXPECT_FALSE(a.HasSequence() || a.HasRates());

    // The loading core: one cursor per frame, by extension or, without one, by the first bytes.
    WriteBytes(dir.File("noext"), mCraft::Ani(ThreeFrames()));
    for (const std::string& path : {dir.File("busy.ani"), dir.File("noext")}) {
        std::vector<cFileIcon> icons;
        mIconGroups::cHooks hooks;
        std::vector<std::uint32_t> steps;
        hooks.AnimationLoaded = [&](const cAnimatedCursor& animation) { steps = animation.Steps(); };
        mIconGroups::Load(path, icons, hooks);
        ASSERT_EQ(icons.size(), 3u) << path;
        EXPECT_EQ(steps, (std::vector<std::uint32_t>{0, 1, 2, 1}));
        EXPECT_EQ(icons[1].Label(), "Frame 2");
        EXPECT_EQ(icons[1].Hotspot(2), (cFileIcon::cHotspot{1, 2}));
    }
}

// Counts larger than what holds them, steps naming missing frames, chunks running past their
// parent: each refused with its reason, the object left empty.
TEST(AnimatedCursor, HostileShapesAreRefused) {
    cTempDir dir;
    const auto ani = [](auto change) {
        auto shape = ThreeFrames();
        change(shape);
        return mCraft::Ani(shape);
    };
    auto valid = mCraft::Ani(ThreeFrames());
    // The "icon" chunk of the first frame: its size field, to be made to run past its list.
    std::size_t firstIcon = 0;
    for (std::size_t i = 0; i + 4 <= valid.size(); ++i) {
        if (std::string(valid.begin() + static_cast<long>(i), valid.begin() + static_cast<long>(i + 4)) == "icon") {
            firstIcon = i;
            break;
        }
    }
    ASSERT_GT(firstIcon, 0u);
    auto pastList = valid;
    PutLE32(pastList, firstIcon + 4, static_cast<std::uint32_t>(valid.size()));
    auto pastFile = valid;
    PutLE32(pastFile, 4, static_cast<std::uint32_t>(valid.size()));
    auto garbledFrame = valid;
    garbledFrame[firstIcon + 8 + 2] = 7; // idType of the first frame

    struct cCase {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string reason;
    };
    const cCase cases[] = {
        {"frame count beyond the file", ani([](auto& s) { s.frameCount = 0x40000000; }),
         "The header counts 1073741824 frames; the file holds 3."},
        {"fewer frames than counted", ani([](auto& s) { s.frameCount = 4; }),
         "The header counts 4 frames; the file holds 3."},
        {"step count beyond the sequence", ani([](auto& s) { s.stepCount = 0xFFFFFFFF; }),
         "The sequence holds fewer steps than the header counts."},
        {"step count beyond the rates", ani([](auto& s) { s.rates.pop_back(); }),
         "The rates hold fewer steps than the header counts."},
        {"a step naming a missing frame", ani([](auto& s) { s.sequence[2] = 3; }),
         "Step 3 names frame 4, which is missing."},
        {"more steps than frames without a sequence", ani([](auto& s) {
             s.sequence.clear();
             s.rates.clear();
             s.stepCount = 5;
         }),
         "Step 4 names frame 4, which is missing."},
        {"a huge step count without a sequence", ani([](auto& s) {
             s.sequence.clear();
             s.rates.clear();
             s.stepCount = 0xFFFFFFFF;
             s.flags = 1;
         }),
         "Step 4 names frame 4, which is missing."},
        {"a chunk running past its parent", pastList, "Chunk 'icon' runs past its parent."},
        {"the RIFF chunk running past the file", pastFile, "The RIFF chunk runs past the end of the file."},
        {"raw bitmap frames", ani([](auto& s) { s.flags = 2; }), "The frames are raw bitmaps, not icons."},
        {"a damaged frame", garbledFrame, "frame 1: Failed to load icon: File is not icon type (idType <> IMAGE_ICON)"},
        {"not RIFF",
         {'R', 'I', 'F', 'X', 4, 0, 0, 0, 'A', 'C', 'O', 'N'},
         "File is not an animated cursor (no RIFF form ACON)."},
        {"no header", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'C', 'O', 'N'}, "The file has no anih header."},
        {"a chunk header cut short",
         {'R', 'I', 'F', 'F', 8, 0, 0, 0, 'A', 'C', 'O', 'N', 'a', 'n', 'i', 'h'},
         "A chunk header runs past its parent."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir.File("bad.ani"), c.bytes);
        cAnimatedCursor a;
        ExpectError([&] { a.Load(dir.File("bad.ani")); }, kErrLoad, kSource,
                    "Failed to load animated cursor: " + c.reason);
        EXPECT_EQ(a.FrameCount(), 0);
        EXPECT_EQ(a.StepCount(), 0);
    }
}
