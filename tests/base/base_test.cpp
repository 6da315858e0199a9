// The base layer: checked arithmetic, the reading of stored numbers, the twips rule, where the
// program's data lives.

#include <cstdint>
#include <filesystem>
#include <limits>
#include <new>
#include <optional>

#include <gtest/gtest.h>

#include "base/mChecked.h"
#include "base/mJson.h"
#include "base/mOutputName.h"
#include "base/mSha256.h"
#include "base/mNumber.h"
#include "base/mProgram.h"
#include "base/mTwips.h"
#include "common/mTestKit.h"

TEST(mChecked, OverflowRaisesTheRuntimeError) {
    using L = std::numeric_limits<std::int32_t>;
    mTestKit::ExpectError([] { (void)mChecked::Add(L::max(), 1); }, 6, "test_base", "Overflow");
    mTestKit::ExpectError([] { (void)mChecked::Sub(L::min(), 1); }, 6, "test_base", "Overflow");
    mTestKit::ExpectError([] { (void)mChecked::Mul(std::int16_t{2047}, std::int16_t{17}); }, 6, "test_base",
                          "Overflow");
    mTestKit::ExpectError([] { (void)mChecked::Narrow<std::int16_t>(32768); }, 6, "test_base", "Overflow");
    mTestKit::ExpectError([] { (void)mChecked::Narrow<std::uint8_t>(-1); }, 6, "test_base", "Overflow");
    mTestKit::ExpectError([] { (void)mChecked::RowLength(std::int64_t{1} << 40); }, 6, "test_base", "Overflow");
    EXPECT_EQ(mChecked::Add(L::max() - 1, 1), L::max());
    EXPECT_EQ(mChecked::Narrow<std::int16_t>(-32768), -32768);
    struct Row {
        std::int64_t bits;
        std::int32_t bytes;
    } rows[] = {{0, 0}, {1, 4}, {32, 4}, {33, 8}, {16 * 4, 8}, {32 * 24, 96}, {255, 32}};
    for (const auto& r : rows) EXPECT_EQ(mChecked::RowLength(r.bits), r.bytes) << r.bits;
}

TEST(mNumber, StoredTextReadsAsAWholeNumber) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"3", 3},
        {"  -2147483644 ", -2147483644},
        {"True", -1},
        {"FALSE", 0},
        {"2147483647", 2147483647},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"1.5", 2},
        {"2.5", 2},
        {"2.51", 3},
        {"-1.5", -2},
        {".4", 0},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"12abc", std::nullopt},
        {"1 2", std::nullopt},
        {"/usr/bin/editor", std::nullopt},
        {"1e3", std::nullopt},
        {"1,5", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(mNumber::LongOf(c.text), c.value);
    }
    EXPECT_EQ(mNumber::IntegerOf("32767"), std::int16_t{32767});
    EXPECT_EQ(mNumber::IntegerOf("-32768"), std::int16_t{-32768});
    EXPECT_EQ(mNumber::IntegerOf("32768"), std::nullopt);
    EXPECT_EQ(mNumber::IntegerOf("-32769"), std::nullopt);
}

TEST(mTwips, WholeTwipsPerPixel) {
    EXPECT_EQ(mTwips::TwipsPerPixel(96), 15);
    EXPECT_EQ(mTwips::TwipsPerPixel(120), 12);
    EXPECT_EQ(mTwips::TwipsPerPixel(144), 10);
    EXPECT_EQ(mTwips::TwipsPerPixel(0), 15);
    // Both ways round half up: 2540 twips are 169.33 pixels at 15, 7.5 pixels are 112.5 twips.
    EXPECT_EQ(mTwips::ToPixels(2540, 15), 169);
    EXPECT_EQ(mTwips::ToPixels(22.5, 15), 2);
    EXPECT_EQ(mTwips::ToTwips(7.5, 15), 113);
}

TEST(cError, GuardedTurnsMemoryThatRunsOutIntoErrorSeven) {
    EXPECT_EQ(cError::Guarded([] { return 42; }), 42);
    mTestKit::ExpectError([] { cError::Guarded([]() -> int { throw std::bad_alloc(); }); }, 7, "test_base",
                          "Out of memory");
    // Other failures pass through as they are.
    mTestKit::ExpectError([] { cError::Guarded([] { cError::RaiseRuntime(9); }); }, 9, "test_base",
                          "Subscript out of range");
}

// An installed program finds its data in share/pictrix beside its bin folder; anywhere else (the
// build tree) its data is its own folder.
TEST(mProgram, DataLivesBesideABuildAndInShareWhenInstalled) {
    mTestKit::cTempDir dir;
    const std::filesystem::path root = dir.Path();
    std::filesystem::create_directories(root / "usr" / "bin");
    std::filesystem::create_directories(root / "usr" / "share" / "pictrix" / "Help");
    std::filesystem::create_directories(root / "build");
    EXPECT_EQ(mProgram::DataFromBin(), "../share/pictrix");
    struct {
        const char* name;
        std::string programDir;
        bool installed;
        std::string data;
    } cases[] = {
        {"installed", (root / "usr" / "bin").string(), true, (root / "usr" / "share" / "pictrix").string()},
        {"build tree", (root / "build").string(), false, (root / "build").string()},
        {"missing folder", (root / "gone").string(), false, (root / "gone").string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(mProgram::IsInstalledAt(c.programDir), c.installed);
        EXPECT_EQ(mProgram::DataDirFor(c.programDir), c.data);
    }
    // The test program itself runs from the build tree, with the Help folder beside it.
    EXPECT_FALSE(mProgram::IsInstalled());
    EXPECT_EQ(mProgram::HelpDir(), mProgram::ProgramDir() + "/Help");
}

// The digests of the standard test vectors, whole and fed in pieces that cross the 64-byte blocks.
TEST(mSha256, StandardVectors) {
    const struct {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000, 'a'), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.size());
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(c.text.data()), c.text.size());
        EXPECT_EQ(cSha256::Of(bytes), c.digest);
        cSha256 pieces;
        for (std::size_t at = 0; at < bytes.size(); at += 37)
            pieces.Add(bytes.subspan(at, std::min<std::size_t>(37, bytes.size() - at)));
        EXPECT_EQ(pieces.Hex(), c.digest);
    }
}

// Records stay valid JSON whatever a file name holds; its bytes survive in base64.
TEST(mJson, StringsAndBase64) {
    EXPECT_EQ(mJson::String("a\"b\\c\n\x01\x7f"), "\"a\\\"b\\\\c\\n\\u0001\\u007f\"");
    EXPECT_EQ(mJson::String("caf\xc3\xa9 caf\xe9"), "\"caf\xc3\xa9 caf\xef\xbf\xbd\"");
    EXPECT_TRUE(mJson::IsUtf8("caf\xc3\xa9"));
    EXPECT_FALSE(mJson::IsUtf8("caf\xe9"));
    EXPECT_FALSE(mJson::IsUtf8("\xed\xa0\x80")); // a surrogate
    EXPECT_EQ(mJson::Base64(""), "");
    EXPECT_EQ(mJson::Base64("f"), "Zg==");
    EXPECT_EQ(mJson::Base64("fo"), "Zm8=");
    EXPECT_EQ(mJson::Base64("foobar"), "Zm9vYmFy");
    for (const char* bytes : {"", "f", "fo", "foo", "caf\xe9\n\x01"})
        EXPECT_EQ(mJson::FromBase64(mJson::Base64(bytes)), bytes);
    for (const char* bad : {"Zg=", "Z===", "Zg=a", "Zm9v*mFy"}) EXPECT_FALSE(mJson::FromBase64(bad)) << bad;
}

// A record read back: strings unescaped, numbers with their text, nested values kept; anything
// that is not one JSON object refused.
TEST(mJson, ReadingARecord) {
    const auto r = mJson::ParseObject(
        R"( {"source":"a\"b\u00e9\ud83d\ude00","size":123,"x":-1.5e3,"ok":true,"n":null,"images":[{"w":[1,{}]}],"e":{}} )");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->String("source"), "a\"b\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(r->Count("size"), 123);
    EXPECT_FALSE(r->Count("x"));
    EXPECT_EQ(r->Find("images")->type, mJson::cValue::eType::kArray);
    EXPECT_TRUE(r->Find("ok")->boolean);
    EXPECT_FALSE(r->String("missing"));
    for (const std::string& bad : std::vector<std::string>{"", "[]", "{", "{\"a\":1", "{\"a\":1,}", "{\"a\" 1}",
                                                           "{\"a\":01}", "{\"a\":\"\x01\"}", "{\"a\":\"\xff\"}",
                                                           "{\"a\":tru}", "{} {}", std::string(100, '[')}) {
        EXPECT_FALSE(mJson::ParseObject(bad)) << bad;
    }
    EXPECT_FALSE(mJson::ParseObject("{\"a\":" + std::string(40, '[') + std::string(40, ']') + "}")) << "too deep";
    EXPECT_TRUE(mJson::ParseObject("{\"a\":" + std::string(30, '[') + std::string(30, ']') + "}"));
}

// The values of a text are capped by its length and in all: the record of a group of 32,767 images
// (the most an icon directory counts) reads, lines of tiny values past the cap do not.
TEST(mJson, ValuesAreCappedByWhatARecordHolds) {
    const auto images = [](std::size_t n, const std::string& image) {
        std::string s = "{\"source\":\"a.ico\",\"position\":1,\"images\":[";
        for (std::size_t i = 0; i < n; ++i) s += (i ? "," : "") + image;
        return s + "]}";
    };
    const std::string bare = R"({"width":1,"height":1,"bits":1,"bytes":1,"png":false,"sha256":null})";
    const std::string cursor =
        R"({"width":1,"height":1,"bits":1,"bytes":1,"png":false,"sha256":null,"hotspot":{"x":0,"y":0}})";
    const std::string full =
        R"({"width":256,"height":256,"bits":32,"bytes":67624,"png":true,"sha256":")" + std::string(64, 'a') + R"("})";
    const auto list = [](std::size_t n, const std::string& item) {
        std::string s = "{\"a\":[";
        for (std::size_t i = 0; i < n; ++i) s += (i ? "," : "") + item;
        return s + "]}";
    };
    const struct {
        const char* name;
        std::string text;
        bool reads;
    } cases[] = {
        {"32,767 images", images(32767, full), true},
        {"32,767 images without digests", images(32767, bare), true},
        {"32,767 cursor images without digests", images(32767, cursor), true},
        {"a few values in a short line", R"({"a":[1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16]})", true},
        {"zeros, one a byte and a comma", list(100000, "0"), false},
        {"empty objects", list(100000, "{}"), false},
        {"empty arrays", list(100000, "[]"), false},
        {"members without names",
         "{" +
             [] {
                 std::string m;
                 for (int i = 0; i < 100000; ++i) m += std::string(i ? "," : "") + "\"\":0";
                 return m;
             }() +
             "}",
         false},
        {"more values than any record, however long", list(600000, std::string(20, '1')), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(mJson::ParseObject(c.text).has_value(), c.reads);
    }
}

// "~N" goes before the extension of the file name, never into a folder's name.
TEST(mOutputName, NumberedNames) {
    EXPECT_EQ(mOutputName::Numbered("/out/a.b/x.png", 2), "/out/a.b/x~2.png");
    EXPECT_EQ(mOutputName::Numbered("/out/a.b/x", 3), "/out/a.b/x~3");
    EXPECT_EQ(mOutputName::Numbered("/out/x.ico", 1), "/out/x.ico");
    const std::string fitted = mOutputName::Numbered("/out/" + std::string(300, 'n') + ".png", 2);
    EXPECT_EQ(fitted.size(), 5 + 255u);
    EXPECT_EQ(fitted.substr(fitted.size() - 4), ".png");
}
