// Bounds-checked reads and the system texts: the pieces every parser and error message stands on.

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/cByteView.h"
#include "platform/cSharedLibrary.h"
#include "platform/mSysText.h"
#include "platform/mText16.h"

TEST(cByteView, RangesThatWouldWrapAreRejected) {
    const std::uint8_t bytes[6] = {0x01, 0x02, 0x03, 0x04, 0xFF, 0x7F};
    const cByteView v(bytes, sizeof bytes);
    constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
    struct Case {
        std::size_t at, n;
        bool inside;
    } cases[] = {{0, 6, true},     {6, 0, true},     {5, 1, true},     {5, 2, false},       {7, 0, false},
                 {1, kMax, false}, {kMax, 1, false}, {kMax, 0, false}, {3, kMax - 2, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.at) + "+" + std::to_string(c.n));
        EXPECT_EQ(v.Has(c.at, c.n), c.inside);
        if (c.inside) {
            EXPECT_NO_THROW((void)v.Sub(c.at, c.n));
        } else {
            EXPECT_THROW((void)v.Sub(c.at, c.n), cByteView::cOutOfRange);
        }
    }
    EXPECT_EQ(v.U16(0), 0x0201);
    EXPECT_EQ(v.U32(0), 0x04030201u);
    EXPECT_EQ(v.I16(4), 0x7FFF);
    EXPECT_EQ(v.I16(3), static_cast<std::int16_t>(0xFF04));
    EXPECT_THROW((void)v.U32(3), cByteView::cOutOfRange);
    EXPECT_THROW((void)v.U8(6), cByteView::cOutOfRange);
    EXPECT_EQ(v.Sub(2, 3).U16(1), 0xFF04);
    EXPECT_THROW((void)v.Sub(2, 3).U16(2), cByteView::cOutOfRange) << "a sub-view is bounded by its own size";
    EXPECT_FALSE(cByteView().Has(0, 1));
}

TEST(mSysText, TextsEndInCrLfAndFillTheInsert) {
    EXPECT_EQ(mSysText::Text(mSysText::kFileNotFound), "The system cannot find the file specified.\r\n");
    EXPECT_EQ(mSysText::Text(mSysText::kBadExeFormat, "/x/y.dll"), "/x/y.dll is not a valid Win32 application.\r\n");
    EXPECT_EQ(mSysText::TextLine(mSysText::kResourceDataNotFound),
              "The specified image file did not contain a resource section.");
    EXPECT_EQ(mSysText::Text(999999), "");
    EXPECT_EQ(mSysText::FromErrno(ENOENT), mSysText::kFileNotFound);
    EXPECT_EQ(mSysText::FromErrno(EISDIR), mSysText::kAccessDenied);
    EXPECT_EQ(mSysText::FromErrno(ENOSPC), mSysText::kDiskFull);
}

// Resource names go to UTF-8 and back to the units they were stored with, whatever those are: an
// unpaired surrogate (PE) or a byte Windows-1252 leaves unassigned (NE).
TEST(mText16, NamesRoundTripToTheirUnits) {
    const std::u16string units[] = {u"MAINICON", u"\x00C9t\x00E9", u"\xD83D\xDE00",
                                    u"A\xD800",  u"\xDC00Z",       std::u16string(u"\xDBFF\xDBFF"),
                                    u"\xFFFD"};
    for (const auto& u : units) {
        SCOPED_TRACE(mText16::ToUtf8(u));
        EXPECT_EQ(mText16::FromUtf8(mText16::ToUtf8(u)), u);
    }
    EXPECT_EQ(mText16::ToUtf8(u"A\xD800"), "A\xED\xA0\x80");
    // Malformed UTF-8 still becomes U+FFFD.
    EXPECT_EQ(mText16::FromUtf8("\xC3"), u"\xFFFD");
    EXPECT_EQ(mText16::FromUtf8("a\xFF"), u"a\xFFFD");
    // The five unassigned bytes of Windows-1252 each keep a character of their own.
    EXPECT_EQ(mText16::FromUtf8(mText16::FromAnsi("\x81\x8D\x8F\x90\x9D\x80")),
              u"\x0081\x008D\x008F\x0090\x009D\x20AC");
}

TEST(cSharedLibrary, SaysWhichLibraryOrFunctionIsMissing) {
    cSharedLibrary libc("libc.so.6");
    std::size_t (*length)(const char*) = nullptr;
    libc.Get(length, "strlen");
    ASSERT_NE(length, nullptr);
    EXPECT_EQ(length("four"), 4u);
    EXPECT_EQ(libc.Error(), "");
    void (*none)() = nullptr;
    libc.Get(none, "pictrix_none");
    libc.Get(none, "pictrix_none_either");
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(libc.Error(), "libc.so.6 lacks pictrix_none, pictrix_none_either");

    cSharedLibrary missing("libpictrix-none.so.9");
    missing.Get(length, "strlen");
    EXPECT_EQ(length, nullptr);
    EXPECT_NE(missing.Error().find("libpictrix-none.so.9"), std::string::npos) << missing.Error();
}
