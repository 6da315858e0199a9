// List files: the bytes written, reading back with every kind of line end, the bounds of the
// reader, failed writes that keep the old file; and the search list's own rules.

#include <filesystem>

#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "search/cSearchList.h"
#include "search/mListFile.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::vector<std::string> ReadAll(const std::string& path) {
    std::vector<std::string> out;
    mListFile::Read(path, [&out](std::string&& e) {
        out.push_back(std::move(e));
        return true;
    });
    return out;
}

// Feeds the bytes in chunks of `step`, so that line ends fall across chunk borders.
std::vector<std::string> Split(std::string_view bytes, std::size_t step) {
    std::vector<std::string> out;
    mListFile::cLineReader reader([&out](std::string&& e) {
        out.push_back(std::move(e));
        return true;
    });
    for (std::size_t at = 0; at < bytes.size(); at += step) {
        const auto part = bytes.substr(at, step);
        EXPECT_TRUE(reader.Feed({reinterpret_cast<const std::uint8_t*>(part.data()), part.size()}));
    }
    reader.Finish();
    return out;
}

} // namespace

TEST(ListFile, WritesEachEntryWithAnEmptyLineAndReadsItBack) {
    cTempDir tmp;
    const std::string file = tmp.File("two.ier");
    mListFile::Write(file, {"C:\\A\\X.EXE", "/b/y z.dll"});
    EXPECT_EQ(ReadBytes(file), Bytes("C:\\A\\X.EXE\r\n\r\n/b/y z.dll\r\n\r\n"));
    EXPECT_EQ(ReadAll(file), (std::vector<std::string>{"C:\\A\\X.EXE", "/b/y z.dll"}));

    mListFile::Write(file, {});
    EXPECT_TRUE(ReadBytes(file).empty());
    EXPECT_TRUE(ReadAll(file).empty());
}

TEST(ListFile, LineEndsBlankLinesAndNul) {
    struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> entries;
    } cases[] = {
        {"blank lines between and after", "a\r\n\r\n\r\nb\r\n\r\n\r\n", {"a", "b"}},
        {"lone LF, as written on Linux", "/x/a.exe\n/x/b.exe\n\n", {"/x/a.exe", "/x/b.exe"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"LF CR is two line ends", "a\n\rb", {"a", "b"}},
        {"no line end at the end", "a\r\nlast", {"a", "last"}},
        {"blanks are kept", "  a b \r\n", {"  a b "}},
        {"an entry ends at NUL", std::string("abc\0def\r\n\0x\r\n", 13), {"abc"}},
        {"nothing but line ends", "\r\n\n\r\r", {}},
    };
    for (const auto& c : cases) {
        for (std::size_t step : {std::size_t(1), std::size_t(2), std::size_t(64)}) {
            SCOPED_TRACE(std::string(c.name) + ", chunks of " + std::to_string(step));
            EXPECT_EQ(Split(c.bytes, step), c.entries);
        }
    }
}

TEST(ListFile, ReadingIsBounded) {
    cTempDir tmp;
    // A line longer than any path is no list file.
    const std::string longLine = tmp.File("long.ier");
    WriteBytes(longLine, std::vector<std::uint8_t>(mListFile::kMaxLineBytes + 1, 'a'));
    ExpectError([&] { ReadAll(longLine); }, cError::kPathFileAccess, "test_search",
                "Not a list file: line 1 is longer than 32768 bytes (" + longLine + ")");
    // A device (an endless one here) is no file to read: it fails at once, as a FIFO does,
    // instead of being read for ever or waited on.
    ExpectError([&] { ReadAll("/dev/zero"); }, cError::kPathFileAccess, "test_search",
                "Path/File access error (/dev/zero)");
    // A receiver that refuses stops the reading at once.
    const std::string many = tmp.File("many.ier");
    mListFile::Write(many, {"1", "2", "3", "4"});
    std::vector<std::string> got;
    mListFile::Read(many, [&got](std::string&& e) {
        got.push_back(e);
        return got.size() < 2;
    });
    EXPECT_EQ(got, (std::vector<std::string>{"1", "2"}));
}

TEST(ListFile, FailuresNameTheFileAndKeepTheOldOne) {
    cTempDir tmp;
    const std::string old = tmp.File("old.ier");
    mListFile::Write(old, {"kept"});
    fs::create_directory(tmp.Path() / "folder.ier");
    struct {
        std::string path;
        std::int32_t number;
        const char* description;
    } cases[] = {
        {tmp.File("old.ier/below.ier"), cError::kPathNotFound, "Path not found"},
        {tmp.File("folder.ier"), cError::kPathFileAccess, "Path/File access error"},
        {"/dev/full", cError::kPathFileAccess, "Path/File access error"}, // a device is never written
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ExpectError([&] { mListFile::Write(c.path, {"new"}); }, c.number, "test_search",
                    std::string(c.description) + " (" + c.path + ")");
    }
    EXPECT_EQ(ReadAll(old), (std::vector<std::string>{"kept"}));
    ExpectError([&] { ReadAll(tmp.File("missing.ier")); }, cError::kFileNotFound, "test_search",
                "File not found (" + tmp.File("missing.ier") + ")");
}

// The list file is only ever a regular file; a read-only one is refused as "Permission denied";
// the file-size limit fails as a full disk, and the old list stays.
TEST(ListFile, OutputHazards) {
    ExpectSafeWrites(
        "list.ier",
        [](const std::string& folder) {
            try {
                mListFile::Write(folder + "/list.ier", {"C:\\a long entry.exe", "another"});
                return true;
            } catch (const cError&) {
                return false;
            }
        },
        eLinks::kFollowed);
    cTempDir tmp;
    const std::string list = tmp.File("list.ier");
    mListFile::Write(list, {"kept"});
    ASSERT_EQ(::chown(list.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(list.c_str(), 0444), 0);
    fs::permissions(tmp.Path(), fs::perms::all);
    const auto code = [&](bool asNobody) {
        return InChild([&](std::string& report) {
            const struct rlimit small { 4, 4 };
            if (asNobody ? (::setgid(65534) != 0 || ::setuid(65534) != 0) : ::setrlimit(RLIMIT_FSIZE, &small) != 0)
                return 3;
            try {
                mListFile::Write(asNobody ? list : tmp.File("new.ier"), {"new entries"});
            } catch (const cError& e) {
                report = e.Description();
                return e.Number() == cError::kPermissionDenied ? 70 : e.Number() == cError::kDiskFull ? 61 : 1;
            }
            return 0;
        });
    };
    EXPECT_EQ(code(true).status, 70) << code(true).report;
    EXPECT_EQ(code(false).status, 61) << code(false).report;
    EXPECT_EQ(ReadAll(list), (std::vector<std::string>{"kept"}));
}

TEST(SearchList, LimitCheckMarksAndWhatASaveWrites) {
    cSearchList list;
    for (int i = 0; i < cSearchList::kMaxEntries; ++i) ASSERT_TRUE(list.Append(std::to_string(i)));
    EXPECT_FALSE(list.Append("one too many"));
    EXPECT_EQ(list.ListCount(), cSearchList::kMaxEntries);
    ExpectError([&] { (void)list.Text(cSearchList::kMaxEntries); }, cError::kSubscriptOutOfRange, "test_search",
                "Subscript out of range");

    list.Clear();
    for (const char* e : {"a", "b", "c", "d", "a"}) list.Append(e);
    EXPECT_EQ(list.SavedEntries(), (std::vector<std::string_view>{"a", "b", "c", "d", "a"}));
    list.SetChecked(1, true);
    list.SetChecked(3, true);
    EXPECT_EQ(list.SavedEntries(), (std::vector<std::string_view>{"b", "d"}));
    EXPECT_EQ(list.CheckedCount(), 2);
    EXPECT_EQ(list.RemoveChecked(), 2);
    EXPECT_EQ(list.SavedEntries(), (std::vector<std::string_view>{"a", "c", "a"}));
    EXPECT_EQ(list.CheckedCount(), 0);
}
