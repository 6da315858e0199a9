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

// Counts larger than what holds them, steps naming missing frames, a damaged frame: each refused
// with its reason, the object left empty. Sizes counting more than the file or the parent holds
// (common in cursors passed around) are read to the end that is there, and said in the notes.
TEST(AnimatedCursor, HostileShapesAreRefusedBrokenSizesRepaired) {
    cTempDir dir;
    const auto ani = [](auto change) {
        auto shape = ThreeFrames();
        change(shape);
        return mCraft::Ani(shape);
    };
    const auto find = [](const std::vector<std::uint8_t>& bytes, const std::string& id) {
        for (std::size_t i = 0; i + 4 <= bytes.size(); ++i)
            if (std::string(bytes.begin() + static_cast<long>(i), bytes.begin() + static_cast<long>(i + 4)) == id)
                return i;
        ADD_FAILURE() << id;
        return std::size_t{0};
    };
    auto valid = mCraft::Ani(ThreeFrames());
    // The "icon" chunk of the first frame: its size field, to be made to run past its list.
    const std::size_t firstIcon = find(valid, "icon");
    auto pastList = valid;
    PutLE32(pastList, firstIcon + 4, static_cast<std::uint32_t>(valid.size()));
    auto garbledFrame = valid;
    garbledFrame[firstIcon + 8 + 2] = 7; // idType of the first frame
    // The RIFF size counting its own header (the usual fault), or anything.
    auto headerTwice = valid;
    PutLE32(headerTwice, 4, static_cast<std::uint32_t>(valid.size()));
    auto riffHuge = valid;
    PutLE32(riffHuge, 4, 0xFFFFFFFF);
    // The last chunk counting past the file too, and two stray bytes after it.
    auto ratesPast = riffHuge;
    PutLE32(ratesPast, find(ratesPast, "rate") + 4, 0x7FFFFFFF);
    auto strayBytes = headerTwice;
    strayBytes.insert(strayBytes.end(), {0, 0});
    // Without sequence and rates the frame list is last: its size and the RIFF's both too large,
    // or the file cut short inside the last frame (which is then damaged, whatever the sizes say).
    auto framesLast = ani([](auto& s) {
        s.sequence.clear();
        s.rates.clear();
    });
    PutLE32(framesLast, 4, 0x10000000);
    PutLE32(framesLast, find(framesLast, "LIST") + 4, 0x10000000 - 100);
    auto cutShort = framesLast;
    cutShort.resize(cutShort.size() - 10);

    struct cCase {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::string reason; // empty: read, with a note saying this
        std::string note = {};
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
        // Clamped to its list, the first frame swallows the others.
        {"a frame running past its list", pastList, "The header counts 3 frames; the file holds 1."},
        {"a file cut short in its last frame", cutShort, "frame 3: Failed to load icon: Icon Images Array is Corrupt."},
        {"raw bitmap frames", ani([](auto& s) { s.flags = 2; }), "The frames are raw bitmaps, not icons."},
        {"a damaged frame", garbledFrame, "frame 1: Failed to load icon: File is not icon type (idType <> IMAGE_ICON)"},
        {"not RIFF",
         {'R', 'I', 'F', 'X', 4, 0, 0, 0, 'A', 'C', 'O', 'N'},
         "File is not an animated cursor (no RIFF form ACON)."},
        {"a RIFF too short for its form",
         {'R', 'I', 'F', 'F', 3, 0, 0, 0, 'A', 'C', 'O', 'N'},
         "The RIFF chunk is too short to hold its form type."},
        {"no header", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'C', 'O', 'N'}, "The file has no anih header."},
        {"a chunk header cut short",
         {'R', 'I', 'F', 'F', 8, 0, 0, 0, 'A', 'C', 'O', 'N', 'a', 'n', 'i', 'h'},
         "A chunk header runs past its parent."},
        {"the RIFF size counting its header", headerTwice, "",
         "The RIFF chunk counts " + std::to_string(valid.size() + 8) + " bytes; the file holds " +
             std::to_string(valid.size()) + ": read to the end of the file."},
        {"a RIFF size of 4 GiB", riffHuge, "", "The RIFF chunk counts 4294967303 bytes"},
        {"the last chunk past the file", ratesPast, "", "Chunk 'rate' counts 2147483647 bytes; its parent holds 16"},
        {"stray bytes after the last chunk", strayBytes, "", "2 bytes after the last chunk left out."},
        {"the frame list past the file", framesLast, "", "Chunk 'LIST' counts 268435356 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir.File("bad.ani"), c.bytes);
        cAnimatedCursor a;
        if (!c.reason.empty()) {
            ExpectError([&] { a.Load(dir.File("bad.ani")); }, kErrLoad, kSource,
                        "Failed to load animated cursor: " + c.reason);
            EXPECT_EQ(a.FrameCount(), 0);
            EXPECT_EQ(a.StepCount(), 0);
            EXPECT_TRUE(a.Notes().empty());
            continue;
        }
        ASSERT_TRUE(a.Load(dir.File("bad.ani")));
        const auto shape = ThreeFrames();
        ASSERT_EQ(a.FrameCount(), 3);
        for (std::size_t f = 0; f < 3; ++f) EXPECT_EQ(a.Frames()[f].IcoBytes(), shape.frames[f]);
        EXPECT_EQ(a.StepCount(), c.bytes == framesLast ? 3 : 4);
        if (c.bytes != framesLast) {
            EXPECT_EQ(a.Rates(), shape.rates);
        }
        ASSERT_FALSE(a.Notes().empty());
        EXPECT_NE(a.Notes().back().find(c.note), std::string::npos) << a.Notes().back();
    }
}
