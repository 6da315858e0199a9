// The recent-file list: order, captions, capacity changes, and its registry layout.

#include "common/mTestKit.h"
#include "base/mProgram.h"
#include "support/cMRUFileList.h"
#include "support/cRegistry.h"

using mTestKit::cTempDir;
using mTestKit::ExpectError;

namespace {

std::vector<std::string> Entries(const cMRUFileList& l) {
    std::vector<std::string> out;
    for (std::int32_t i = 1; i <= l.FileCount(); ++i) out.push_back(l.file(i));
    return out;
}

void ExpectOutOfRange(const std::function<void()>& f) {
    ExpectError(f, cError::kSubscriptOutOfRange, mProgram::ExeBaseName(), "Subscript out of range");
}

// A path of `length` characters with "/" at the given 1-based positions and letters elsewhere.
std::string PathWithSeparators(std::size_t length, std::initializer_list<std::size_t> at) {
    std::string p(length, 'x');
    for (std::size_t i = 0; i < length; ++i) p[i] = static_cast<char>('a' + i % 26);
    for (auto pos : at) p[pos - 1] = '/';
    return p;
}

} // namespace

TEST(cMRUFileList, OrderOfAddedFiles) {
    cMRUFileList l;
    l.MaxFileCount(4);
    for (const char* f : {"/a/A", "/b/B", "/c/C"}) l.AddFile(f);
    EXPECT_EQ(Entries(l), (std::vector<std::string>{"/c/C", "/b/B", "/a/A"}));
    l.AddFile("/b/B");
    EXPECT_EQ(Entries(l), (std::vector<std::string>{"/b/B", "/c/C", "/a/A"}));
    l.AddFile("/B/b"); // the same path in other case moves up and is stored as given
    EXPECT_EQ(Entries(l), (std::vector<std::string>{"/B/b", "/c/C", "/a/A"}));
    l.AddFile("/a/A"); // the last entry moves to the front
    EXPECT_EQ(Entries(l), (std::vector<std::string>{"/a/A", "/B/b", "/c/C"}));
    l.AddFile("/d");
    l.AddFile("/e"); // full: the oldest drops out
    EXPECT_EQ(Entries(l), (std::vector<std::string>{"/e", "/d", "/a/A", "/B/b"}));
    EXPECT_EQ(l.FileCount(), 4);
}

TEST(cMRUFileList, CaptionsOfLongPaths) {
    struct {
        const char* name;
        std::string path;
        std::string shown;
    } cases[] = {
        {"32 characters shown whole", PathWithSeparators(32, {1, 10}), PathWithSeparators(32, {1, 10})},
        {"33 characters, first separator third", PathWithSeparators(33, {3}), PathWithSeparators(33, {3})},
        {"no separator at all", std::string(50, 'q'), std::string(50, 'q')},
        {"60 characters, separators at 3, 20 and 40", PathWithSeparators(60, {3, 20, 40}),
         "..." + PathWithSeparators(60, {3, 20, 40}).substr(39)},
        {"every separator with a long tail", PathWithSeparators(80, {5, 30}),
         "..." + PathWithSeparators(80, {5, 30}).substr(4)},
        {"tail of exactly 32", PathWithSeparators(50, {2, 18}), "..." + PathWithSeparators(50, {2, 18}).substr(17)},
        // Lengths count characters: "é" is two bytes but one character.
        {"multi-byte tail of 32 characters",
         "/abc/" + std::string(40, 'z') + "/" +
             [] {
                 std::string s;
                 for (int i = 0; i < 32; ++i) s += "\xC3\xA9";
                 return s;
             }(),
         ".../" +
             [] {
                 std::string s;
                 for (int i = 0; i < 32; ++i) s += "\xC3\xA9";
                 return s;
             }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cMRUFileList::ShortenedPath(c.path), c.shown);
    }
    EXPECT_EQ(cMRUFileList::ShortenedPath(PathWithSeparators(60, {3, 20, 40})).size(), 3u + 21u);

    cMRUFileList l;
    l.MaxFileCount(4);
    l.AddFile(PathWithSeparators(60, {3, 20, 40}));
    l.AddFile("/short");
    EXPECT_EQ(l.MenuCaption(1), "&1  /short");
    EXPECT_EQ(l.MenuCaption(2), "&2  ..." + PathWithSeparators(60, {3, 20, 40}).substr(39));
    EXPECT_EQ(l.MenuCaption(3), "&3  ");
    EXPECT_TRUE(l.FileExists(2));
    EXPECT_FALSE(l.FileExists(3));
}

TEST(cMRUFileList, IndicesAndCapacity) {
    cMRUFileList l;
    ExpectOutOfRange([&] { l.AddFile("/x"); }); // capacity 0
    EXPECT_EQ(l.FileCount(), 0);
    l.MaxFileCount(4);
    for (const char* f : {"/1", "/2", "/3", "/4"}) l.AddFile(f);
    ExpectOutOfRange([&] { l.file(0); });
    ExpectOutOfRange([&] { l.file(5); });
    ExpectOutOfRange([&] { l.MenuCaption(-1); });
    ExpectOutOfRange([&] { l.MaxFileCount(-1); });
    ExpectOutOfRange([&] { l.MaxFileCount(cMRUFileList::kCapacityLimit + 1); });

    // Lowering the capacity lowers the count with it and keeps the newest entries.
    l.MaxFileCount(2);
    EXPECT_EQ(l.FileCount(), 2);
    EXPECT_EQ(Entries(l), (std::vector<std::string>{"/4", "/3"}));
    ExpectOutOfRange([&] { l.file(3); });
    l.AddFile("/5");
    EXPECT_EQ(Entries(l), (std::vector<std::string>{"/5", "/4"}));
    // Raising it keeps the count; the new slots are empty.
    l.MaxFileCount(4);
    EXPECT_EQ(l.FileCount(), 2);
    EXPECT_EQ(l.file(3), "");
}

TEST(cMRUFileList, SaveAndLoadThroughTheRegistry) {
    cTempDir dir;
    cRegistryStore store(dir.File("r.sqlite3"));
    cRegistry reg(store);
    reg.ClassKey(cRegistry::kHKeyLocalMachine);
    reg.SectionKey("Software\\Pictrix v2\\MRU");

    cMRUFileList empty;
    EXPECT_TRUE(empty.Load(reg)); // missing key: true, nothing changes
    EXPECT_EQ(empty.MaxFileCount(), 0);
    EXPECT_EQ(empty.FileCount(), 0);

    cMRUFileList l;
    l.MaxFileCount(4);
    for (const char* f : {"/one.ico", "/two.ico", "/three.ico"}) l.AddFile(f);
    EXPECT_TRUE(l.Save(reg));

    // The layout in the key.
    for (auto [name, type] :
         {std::pair{"MaxCount", 4}, std::pair{"Count", 4}, std::pair{"File1", 1}, std::pair{"File3", 1}}) {
        SCOPED_TRACE(name);
        reg.ValueKey(name);
        reg.Value();
        EXPECT_EQ(reg.ValueType(), type);
    }
    reg.ValueKey("MaxCount");
    EXPECT_EQ(reg.Value(), tRegValue(std::int32_t{4}));
    reg.ValueKey("File1");
    EXPECT_EQ(reg.Value(), tRegValue(std::string("/three.ico")));

    cMRUFileList back;
    EXPECT_TRUE(back.Load(reg));
    EXPECT_EQ(back.MaxFileCount(), 4);
    EXPECT_EQ(Entries(back), Entries(l));

    // A stored count beyond the stored capacity: false after the entries that fit.
    reg.ValueKey("MaxCount");
    reg.ValueType(4);
    reg.Value(std::int32_t{2});
    cMRUFileList clipped;
    EXPECT_FALSE(clipped.Load(reg));
    EXPECT_EQ(clipped.MaxFileCount(), 2);
    EXPECT_EQ(Entries(clipped), (std::vector<std::string>{"/three.ico", "/two.ico"}));

    // A capacity beyond any sensible list is refused rather than allocated.
    reg.ValueKey("MaxCount");
    reg.ValueType(4);
    reg.Value(std::int32_t{0x7FFFFFFF});
    cMRUFileList huge;
    EXPECT_FALSE(huge.Load(reg));
    EXPECT_EQ(huge.FileCount(), 0);

    // A failed save answers false and raises nothing.
    cRegistry broken(store);
    broken.ClassKey(0);
    broken.SectionKey("x");
    EXPECT_FALSE(l.Save(broken));
}
