// SVG drawings handed to the program beside the command line: what a helper that fails, crashes,
// hangs, floods or garbles its answer makes of the drawing's load, and the exchange itself, both
// sides of it through the real helper.

#include <filesystem>
#include <sstream>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "base/cError.h"
#include "base/mJson.h"
#include "containers/mSvgHelper.h"
#include "platform/mDib.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::uint8_t> kSvg = [] {
    const std::string text = "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'>"
                             "<rect width='4' height='4' fill='#00ff00'/></svg>";
    return std::vector<std::uint8_t>(text.begin(), text.end());
}();

TEST(SvgHelper, AHelperThatMisbehavesFailsTheDrawingSayingHow) {
    struct cCase {
        const char* name;
        const char* script; // the helper's body, after "#!/bin/sh"
        std::string said; // the error's description, after the helper's path where it starts with a space
        std::int32_t number = cError::kInvalidPicture;
    };
    const std::vector<std::int32_t> sides = {16, 32};
    const cCase cases[] = {
        {"a refusal, in its words", "echo 'the drawing has no size' >&2; exit 1", "the drawing has no size"},
        {"a failure without words", "exit 3", " failed on it (status 3)"},
        {"a crash", "kill -SEGV $$", " crashed on it (Segmentation fault)"},
        {"no answer in time", "exec sleep 30", " gave no answer in 1 s"},
        {"an answer past any PNG of these sides", "exec head -c 200000 /dev/zero",
         " answered more than " + std::to_string(mSvgHelper::AnswerLimit(sides)) + " bytes", cError::kOutOfMemory},
        {"an answer cut short", "printf 'ab'", "the drawing's answer ends before its picture at 16 x 16"},
        {"a length past the end", "printf '\\377\\0\\0\\0ab'",
         "the drawing's answer is cut short in its picture at 16 x 16"},
        {"bytes after the last picture", "printf '\\0\\0\\0\\0\\0\\0\\0\\0x'",
         "the drawing's answer goes on after its last picture"},
    };
    mTestKit::cTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string helper = dir.File("helper");
        const std::string body = std::string("#!/bin/sh\n") + c.script + "\n";
        mTestKit::WriteBytes(helper, std::vector<std::uint8_t>(body.begin(), body.end()));
        ASSERT_EQ(::chmod(helper.c_str(), 0755), 0);
        const std::string said = c.said[0] == ' ' ? helper + c.said : c.said;
        mTestKit::ExpectError([&] { mSvgHelper::Renderer(helper, 1)(kSvg, sides); }, c.number,
                              mTestKit::SourceOf("mSvgHelper"), said);
    }
    mTestKit::ExpectError([&] { mSvgHelper::Renderer(dir.File("none"))(kSvg, sides); }, cError::kFileNotFound,
                          mTestKit::SourceOf("mSvgHelper"),
                          dir.File("none") + ", which draws SVG drawings for this program, is not installed");
}

TEST(SvgHelper, TheRealHelperDrawsEachSideAskedInOrder) {
    const std::string program = PICTRIX_BINARY_DIR "/" + std::string(mSvgHelper::kProgram);
    if (!fs::exists(program)) GTEST_SKIP() << "a build without Qt";
    const auto pngs = mSvgHelper::Renderer(program)(kSvg, {48, 7, 1024});
    ASSERT_EQ(pngs.size(), 3u);
    const std::int32_t expected[] = {48, 7, 1024};
    for (std::size_t i = 0; i < pngs.size(); ++i) {
        const mDib::cBitmap argb = mDib::DecodePng(cByteView(pngs[i]));
        EXPECT_EQ(argb.Width(), expected[i]);
        EXPECT_EQ(argb.Height(), expected[i]);
        EXPECT_EQ(argb.Pixel(expected[i] / 2, expected[i] / 2), 0xFF00FF00u);
    }
    // A file named in the drawing is never read, wherever the name points (a private picture, a
    // FIFO that would never answer, a drawing carried in it that names one, a style sheet); a
    // picture carried in the drawing is drawn.
    mTestKit::cTempDir dir;
    mDib::cBitmap blue(mDib::eFormat::Argb32, 4, 4);
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 4; ++x) blue.SetPixel(x, y, 0xFF0000FFu);
    const std::vector<std::uint8_t> png = mDib::EncodePng(blue);
    mTestKit::WriteBytes(dir.File("private.png"), png);
    ASSERT_EQ(::mkfifo(dir.File("fifo.png").c_str(), 0600), 0);
    const auto drawing = [](const std::string& href) {
        return "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'><image width='4' height='4' xlink:href='" +
               href + "'/></svg>";
    };
    const std::string data = "data:image/png;base64," + mJson::Base64(std::string(png.begin(), png.end()));
    // A drawing carried in the drawing, which names the private picture in turn.
    const std::string nested = "data:image/svg+xml;base64," + mJson::Base64(drawing(dir.File("private.png")));
    // A style sheet named by an instruction before the drawing.
    const std::string styled =
        "<?xml-stylesheet type=\"text/css\" href=\"" + dir.File("fifo.png") + "\"?>" + drawing(data);
    const std::pair<std::string, std::uint32_t> drawings[] = {{drawing(dir.File("private.png")), 0},
                                                              {drawing(dir.File("fifo.png")), 0},
                                                              {drawing(nested), 0},
                                                              {drawing(data), 0xFF0000FFu},
                                                              {styled, 0xFF0000FFu}};
    for (const auto& [text, centre] : drawings) {
        SCOPED_TRACE(text.substr(0, 90));
        const auto drawn = mSvgHelper::Renderer(program, 5)(std::vector<std::uint8_t>(text.begin(), text.end()), {8});
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(mDib::DecodePng(cByteView(drawn[0])).Pixel(4, 4), centre);
    }

    // What is no drawing is refused in the helper's words.
    const std::string text = "<svg";
    mTestKit::ExpectError(
        [&] { mSvgHelper::Renderer(program)(std::vector<std::uint8_t>(text.begin(), text.end()), {16}); },
        cError::kInvalidPicture, mTestKit::SourceOf("mSvgHelper"), "Qt's SVG module cannot draw it at 16 x 16");
}

TEST(SvgHelper, SidesAreReadStrictly) {
    const std::pair<const char*, std::vector<std::int32_t>> cases[] = {{"16,22,1024", {16, 22, 1024}},
                                                                       {"1", {1}},
                                                                       {"", {}},
                                                                       {"0", {}},
                                                                       {"1025", {}},
                                                                       {"16,", {}},
                                                                       {",16", {}},
                                                                       {"16;22", {}},
                                                                       {"16, 22", {}},
                                                                       {"1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", {}}};
    for (const auto& [text, sides] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(mSvgHelper::ParseSides(text), sides);
        if (!sides.empty()) {
            EXPECT_EQ(mSvgHelper::SidesText(sides), text);
            std::istringstream in("<svg/>");
            std::ostringstream out, err;
            EXPECT_EQ(mSvgHelper::Serve(text, in, out, err,
                                        [](const auto&, const auto& s) {
                                            return std::vector<std::vector<std::uint8_t>>(
                                                s.size(), std::vector<std::uint8_t>(3, 'p'));
                                        }),
                      0);
            const std::string answer = out.str();
            EXPECT_EQ(mSvgHelper::ReadAnswer(std::vector<std::uint8_t>(answer.begin(), answer.end()), sides).size(),
                      sides.size());
        }
    }
}

} // namespace
