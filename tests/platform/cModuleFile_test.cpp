#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "platform/cModuleFile.h"
#include "platform/mModulePatch.h"
#include "platform/mSysText.h"

using namespace mTestKit;
using mModulePatch::Layout;
using mModulePatch::Patched;
using mModulePatch::Place;

namespace {

std::vector<cResourceID> Types(cModuleFile& m) {
    std::vector<cResourceID> out;
    EXPECT_TRUE(m.EnumResourceTypes([&](const cResourceID& id) {
        out.push_back(id);
        return true;
    })) << m.LastErrorText();
    return out;
}

std::vector<cResourceID> Names(cModuleFile& m, const cResourceID& type) {
    std::vector<cResourceID> out;
    EXPECT_TRUE(m.EnumResourceNames(type, [&](const cResourceID& id) {
        out.push_back(id);
        return true;
    })) << m.LastErrorText();
    return out;
}

std::string Text(cModuleFile& m, std::string_view name, std::string_view type) {
    auto r = m.FindResource(name, type);
    if (!r) return "<not found " + std::to_string(m.LastError()) + ">";
    std::vector<std::uint8_t> bytes;
    if (!m.LoadResource(*r, bytes)) return "<not loaded " + std::to_string(m.LastError()) + ">";
    return std::string(bytes.begin(), bytes.end());
}

using tIDs = std::vector<cResourceID>;

} // namespace

TEST(ModuleFile, OpensEveryFormat) {
    struct {
        const char* file;
        cModuleFile::eFormat format;
    } cases[] = {
        {"modules/good32.dll", cModuleFile::eFormat::kPE32}, {"modules/good64.dll", cModuleFile::eFormat::kPE32Plus},
        {"modules/good32.exe", cModuleFile::eFormat::kPE32}, {"modules/good64.exe", cModuleFile::eFormat::kPE32Plus},
        {"modules/good.icl", cModuleFile::eFormat::kNE},     {"modules/shift9.icl", cModuleFile::eFormat::kNE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        cModuleFile m;
        ASSERT_TRUE(m.Load(Fixture(c.file))) << m.LastErrorText();
        EXPECT_EQ(m.Format(), c.format);
        EXPECT_EQ(Text(m, "HELLO", "MYDATA").substr(0, 5), c.format == cModuleFile::eFormat::kNE ? "<not " : "hello");
        m.Free();
        EXPECT_FALSE(m.IsLoaded());
        EXPECT_FALSE(m.FindResource("#1", "#14"));
    }
}

TEST(ModuleFile, EnumeratesInStoredOrder) {
    for (const char* f : {"modules/good32.dll", "modules/good64.dll", "modules/good64.exe"}) {
        SCOPED_TRACE(f);
        cModuleFile m;
        ASSERT_TRUE(m.Load(Fixture(f)));
        // Named entries come first, then numbers in ascending order.
        EXPECT_EQ(Types(m), (tIDs{"MYDATA", 3, 6, 14, 16}));
        EXPECT_EQ(Names(m, 14), (tIDs{"APPICON", "MAINICON", 1, 3, 5, 7, 9, 40000}));
        EXPECT_EQ(Names(m, "mydata"), (tIDs{"HELLO"}));
    }
    cModuleFile ne;
    ASSERT_TRUE(ne.Load(Fixture("modules/good.icl")));
    EXPECT_EQ(Types(ne), (tIDs{3, 14, "NEDATA"}));
    EXPECT_EQ(Names(ne, 14), (tIDs{1, 2, "AppIcon", 5}));
    EXPECT_EQ(Names(ne, "NeData"), (tIDs{"Hello"}));
}

TEST(ModuleFile, FindsByNumberAndByNameWithoutRegardToCase) {
    for (const char* f : {"modules/good32.dll", "modules/good.icl", "modules/shift9.icl"}) {
        SCOPED_TRACE(f);
        cModuleFile m;
        ASSERT_TRUE(m.Load(Fixture(f)));
        const bool ne = m.Format() == cModuleFile::eFormat::kNE;
        EXPECT_TRUE(m.FindResource("#1", "#14"));
        EXPECT_TRUE(m.FindResource("appicon", "#14"));
        EXPECT_TRUE(m.FindResource("AppIcon", "#14"));
        EXPECT_TRUE(m.FindResourceId(5, 14));
        // Trailing text after the digits is ignored, as the platform's parser does.
        EXPECT_TRUE(m.FindResource("#5x", "#14"));
        EXPECT_EQ(Text(m, ne ? "hello" : "HELLO", ne ? "nedata" : "MyData").substr(0, 5), ne ? "# A m" : "hello");
        struct {
            std::string name, type;
            std::uint32_t code;
        } misses[] = {
            {"#1", "#15", mSysText::kResourceTypeNotFound},       {"#4", "#14", mSysText::kResourceNameNotFound},
            {"#0", "#14", mSysText::kResourceNameNotFound},       {"#", "#14", mSysText::kResourceNameNotFound},
            {"#70000", "#14", mSysText::kResourceNameNotFound},   {"", "#14", mSysText::kResourceNameNotFound},
            {"APPICONS", "#14", mSysText::kResourceNameNotFound}, {"#1", "NOSUCHTYPE", mSysText::kResourceTypeNotFound},
        };
        for (const auto& miss : misses) {
            SCOPED_TRACE(miss.name + " " + miss.type);
            EXPECT_FALSE(m.FindResource(miss.name, miss.type));
            EXPECT_EQ(m.LastError(), miss.code);
        }
    }
}

// A name directory out of the stored order (numbers not ascending, a number among the names):
// each number is still found, at its first entry.
TEST(ModuleFile, FindsNumbersOutOfOrder) {
    mTestKit::cTempDir dir;
    const std::string path = Patched(dir, "modules/good32.dll", "unordered.dll", [](auto& b) {
        const auto l = Layout(b);
        const std::size_t three = mModulePatch::Place(b, l, 14, 3).nameEntryAt;
        const std::size_t nine = mModulePatch::Place(b, l, 14, 9).nameEntryAt;
        std::swap_ranges(b.begin() + static_cast<std::ptrdiff_t>(three),
                         b.begin() + static_cast<std::ptrdiff_t>(three + 8),
                         b.begin() + static_cast<std::ptrdiff_t>(nine));
        PutLE32(b, mModulePatch::Place(b, l, 14, 1).nameEntryAt - 8, 2); // MAINICON becomes 2
    });
    cModuleFile m;
    ASSERT_TRUE(m.Load(path));
    EXPECT_EQ(Names(m, 14), (tIDs{"APPICON", 2, 1, 9, 5, 7, 3, 40000}));
    for (const int id : {1, 2, 3, 5, 7, 9, 40000}) EXPECT_TRUE(m.FindResourceId(id, 14)) << id;
    EXPECT_FALSE(m.FindResourceId(4, 14));
}

TEST(ModuleFile, ImageNumbersAbove32767AndLanguages) {
    cModuleFile m;
    ASSERT_TRUE(m.Load(Fixture("modules/good32.dll")));
    auto image = m.FindResource("#40000", "#3");
    ASSERT_TRUE(image);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(m.LoadResource(*image, bytes));
    EXPECT_EQ(bytes, ReadBytes(Fixture("modules/img16x4.bin")));

    // Group 9 exists in 0x409 and 0x407: the lower language is taken. Its first image is the
    // 32 x 32 16-colour image of depth4.ico (744 bytes) rather than depth32.ico's.
    auto group = m.FindResource("#9", "#14");
    ASSERT_TRUE(group);
    ASSERT_TRUE(m.LoadResource(*group, bytes));
    ASSERT_EQ(bytes.size(), 34u);
    EXPECT_EQ(GetLE32(bytes, 6 + 8), 744u);
}

TEST(ModuleFile, LoadFailuresGiveTheLoadersCodes) {
    cTempDir dir;
    const std::string text = dir.File("notes.txt");
    WriteBytes(text, std::vector<std::uint8_t>(200, 'x'));
    const std::string empty = dir.File("empty.dll");
    WriteBytes(empty, {});
    auto good = ReadBytes(Fixture("modules/good32.dll"));
    const auto l = Layout(good);
    auto cut = [&](std::size_t n, const char* name) {
        std::vector<std::uint8_t> b(good.begin(), good.begin() + static_cast<long>(n));
        WriteBytes(dir.File(name), b);
        return dir.File(name);
    };
    struct {
        std::string path;
        std::uint32_t code;
        std::string text;
    } cases[] = {
        {dir.File("missing.dll"), mSysText::kFileNotFound, "The system cannot find the file specified.\r\n"},
        {text + "/below.dll", mSysText::kPathNotFound, "The system cannot find the path specified.\r\n"},
        {dir.Path().string(), mSysText::kAccessDenied, "Access is denied.\r\n"},
        {text, mSysText::kBadExeFormat, text + " is not a valid Win32 application.\r\n"},
        {empty, mSysText::kBadExeFormat, ""},
        {cut(0x30, "dos.dll"), mSysText::kBadExeFormat, ""},
        {cut(l.peAt + 2, "sig.dll"), mSysText::kBadExeFormat, ""},
        {cut(l.peAt + 40, "opt.dll"), mSysText::kBadExeFormat, ""},
        {cut(l.sectionTableAt + 50, "sections.dll"), mSysText::kBadExeFormat, ""},
        {Patched(dir, "modules/good32.dll", "magic.dll", [&](auto& b) { PutLE16(b, l.peAt + 24, 0x107); }),
         mSysText::kBadExeFormat, ""},
        {Patched(dir, "modules/good32.dll", "pe.dll", [&](auto& b) { b[l.peAt + 1] = 'X'; }), mSysText::kBadExeFormat,
         ""},
        {Patched(dir, "modules/good32.dll", "count.dll", [&](auto& b) { PutLE16(b, l.sectionCountAt, 0xFFFF); }),
         mSysText::kBadExeFormat, ""},
        {Patched(dir, "modules/good32.dll", "lfanew.dll", [&](auto& b) { PutLE32(b, 0x3C, 0xFFFFFFF0u); }),
         mSysText::kBadExeFormat, ""},
        {Patched(dir, "modules/good.icl", "netab.icl", [&](auto& b) { PutLE16(b, 0x40 + 0x26, 0xFFF0); }),
         mSysText::kBadExeFormat, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        cModuleFile m;
        EXPECT_FALSE(m.Load(c.path));
        EXPECT_FALSE(m.IsLoaded());
        EXPECT_EQ(m.LastError(), c.code);
        if (!c.text.empty()) {
            EXPECT_EQ(m.LastErrorText(), c.text);
        }
    }
}

TEST(ModuleFile, DamagedResourceTreesFailCleanly) {
    cTempDir dir;
    const auto good = ReadBytes(Fixture("modules/good32.dll"));
    const auto l = Layout(good);
    const auto group5 = Place(good, l, 14, 5);
    enum eCall { kTypes, kNames14, kFind5, kLoad5 };
    struct {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> patch;
        eCall call;
        std::uint32_t code;
    } cases[] = {
        {"root count beyond the section", [&](auto& b) { PutLE16(b, l.rsrcAt + 14, 0xFFFF); }, kTypes,
         mSysText::kInvalidData},
        {"names directory points at the root", [&](auto& b) { PutLE32(b, group5.typeEntryAt + 4, 0x80000000u); },
         kNames14, mSysText::kInvalidData},
        {"language directory points at the names",
         [&](auto& b) { PutLE32(b, group5.nameEntryAt + 4, GetLE32(b, group5.typeEntryAt + 4)); }, kFind5,
         mSysText::kInvalidData},
        {"language directory points at the root", [&](auto& b) { PutLE32(b, group5.nameEntryAt + 4, 0x80000000u); },
         kFind5, mSysText::kInvalidData},
        {"a directory where data belongs",
         [&](auto& b) { PutLE32(b, group5.langEntryAt + 4, GetLE32(b, group5.nameEntryAt + 4)); }, kFind5,
         mSysText::kInvalidData},
        {"data where the names belong", [&](auto& b) { PutLE32(b, group5.typeEntryAt + 4, 0x10); }, kNames14,
         mSysText::kInvalidData},
        {"subdirectory beyond the section", [&](auto& b) { PutLE32(b, group5.typeEntryAt + 4, 0xFFFFFF00u); }, kNames14,
         mSysText::kInvalidData},
        {"name string beyond the section", [&](auto& b) { PutLE32(b, l.rsrcAt + 16, 0xFFFFFF00u); }, kTypes,
         mSysText::kInvalidData},
        {"resource RVA outside every section", [&](auto& b) { PutLE32(b, l.resourceDirAt, 0x7FFF0000u); }, kTypes,
         mSysText::kResourceDataNotFound},
        {"no resource directory", [&](auto& b) { PutLE32(b, l.resourceDirAt + 4, 0); }, kTypes,
         mSysText::kResourceDataNotFound},
        {"data RVA outside every section", [&](auto& b) { PutLE32(b, group5.dataEntryAt, 0x7FFF0000u); }, kLoad5,
         mSysText::kResourceDataNotFound},
        {"data longer than its section", [&](auto& b) { PutLE32(b, group5.dataEntryAt + 4, 0x7FFFFFFFu); }, kLoad5,
         mSysText::kResourceDataNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Patched(dir, "modules/good32.dll", "patched.dll", c.patch);
        cModuleFile m;
        ASSERT_TRUE(m.Load(path));
        bool ok = true;
        switch (c.call) {
        case kTypes: ok = m.EnumResourceTypes([](const cResourceID&) { return true; }); break;
        case kNames14: ok = m.EnumResourceNames(14, [](const cResourceID&) { return true; }); break;
        case kFind5: ok = m.FindResource("#5", "#14").has_value(); break;
        case kLoad5: {
            auto r = m.FindResource("#5", "#14");
            ASSERT_TRUE(r);
            std::vector<std::uint8_t> bytes;
            ok = m.LoadResource(*r, bytes);
            EXPECT_TRUE(bytes.empty());
            break;
        }
        }
        EXPECT_FALSE(ok);
        EXPECT_EQ(m.LastError(), c.code) << m.LastErrorText();
    }
}

TEST(ModuleFile, TruncatedFiles) {
    cTempDir dir;
    const auto good = ReadBytes(Fixture("modules/good32.dll"));
    const auto l = Layout(good);
    const auto group5 = Place(good, l, 14, 5);
    const std::size_t dataAt = mModulePatch::DataAt(good, l, group5);
    // Cut inside the root directory: the module opens, its tree cannot be read.
    std::vector<std::uint8_t> b(good.begin(), good.begin() + static_cast<long>(l.rsrcAt + 20));
    WriteBytes(dir.File("root.dll"), b);
    cModuleFile m;
    ASSERT_TRUE(m.Load(dir.File("root.dll")));
    EXPECT_FALSE(m.EnumResourceTypes([](const cResourceID&) { return true; }));
    EXPECT_EQ(m.LastError(), mSysText::kInvalidData);
    // Cut inside group 5's bytes: it is found, its bytes are not there.
    b.assign(good.begin(), good.begin() + static_cast<long>(dataAt + 10));
    WriteBytes(dir.File("data.dll"), b);
    ASSERT_TRUE(m.Load(dir.File("data.dll")));
    auto r = m.FindResource("#5", "#14");
    ASSERT_TRUE(r);
    std::vector<std::uint8_t> bytes;
    EXPECT_FALSE(m.LoadResource(*r, bytes));
    EXPECT_TRUE(m.ReadResource(*r, 6, bytes));
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{0, 0, 1, 0, 3, 0}));
}

TEST(ModuleFile, DamagedNeTables) {
    cTempDir dir;
    const std::size_t table = 0x80; // the generator puts the resource table right after the NE header
    struct {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> patch;
    } cases[] = {
        {"alignment shift too large", [&](auto& b) { PutLE16(b, table, 40); }},
        {"type count beyond the table", [&](auto& b) { PutLE16(b, table + 4, 0x7FFF); }},
        {"type name outside the table", [&](auto& b) { PutLE16(b, table + 2, 0x7FF0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cModuleFile m;
        ASSERT_TRUE(m.Load(Patched(dir, "modules/good.icl", "patched.icl", c.patch)));
        EXPECT_FALSE(m.EnumResourceTypes([](const cResourceID&) { return true; }));
        EXPECT_EQ(m.LastError(), mSysText::kInvalidData);
        EXPECT_FALSE(m.FindResource("#1", "#14"));
    }
    // A resource that lies past the end of the file is found but cannot be read.
    cModuleFile m;
    ASSERT_TRUE(
        m.Load(Patched(dir, "modules/good.icl", "far.icl", [&](auto& b) { PutLE16(b, table + 2 + 8, 0xFFFF); })));
    auto r = m.FindResource("#1", "#3");
    ASSERT_TRUE(r);
    std::vector<std::uint8_t> bytes;
    EXPECT_FALSE(m.LoadResource(*r, bytes));
}

TEST(ModuleFile, StoppedEnumerationAndHugeSparseFile) {
    cModuleFile m;
    ASSERT_TRUE(m.Load(Fixture("modules/good32.dll")));
    int seen = 0;
    EXPECT_FALSE(m.EnumResourceNames(14, [&](const cResourceID&) { return ++seen < 2; }));
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(m.LastError(), mSysText::kResourceEnumUserStop);

    // A module followed by 6 GiB of nothing opens and reads at once: only headers, tables and the
    // bytes asked for are read.
    cTempDir dir;
    const std::string path = dir.File("huge.dll");
    std::filesystem::copy_file(Fixture("modules/good32.dll"), path);
    std::filesystem::resize_file(path, std::uintmax_t{6} << 30);
    ASSERT_TRUE(m.Load(path));
    EXPECT_EQ(Names(m, 14).size(), 8u);
    EXPECT_EQ(Text(m, "HELLO", "MYDATA"), "hello");
}

// The names of a directory each take their own bytes of the section. Entries that name the same
// (or overlapping) bytes again and again are read until the names would need more than the
// section holds; from there the directory counts as damaged, as a name outside the section does.
TEST(ModuleFile, NamesThatNeedMoreThanTheSectionHoldsAreDamage) {
    cTempDir dir;
    struct {
        const char* name;
        std::uint16_t groups;
        std::size_t chars;
        std::size_t delivered; // names handed out before the failure (all of them: no failure)
    } cases[] = {
        {"a few entries sharing a short name", 3, 8, 3},
        // The section (about 221 KB) holds three names of 60,002 bytes.
        {"20,000 entries sharing a name of 30,000 characters", 20000, 30000, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("names.dll");
        WriteBytes(path, mCraft::PeGroupsSharingAName(c.groups, c.chars));
        cModuleFile m;
        ASSERT_TRUE(m.Load(path));
        std::size_t delivered = 0;
        const bool ok = m.EnumResourceNames(14, [&](const cResourceID& id) {
            EXPECT_EQ(id, cResourceID(std::string(c.chars, 'N')));
            ++delivered;
            return true;
        });
        EXPECT_EQ(delivered, c.delivered);
        EXPECT_EQ(ok, c.delivered == c.groups);
        if (!ok) {
            EXPECT_EQ(m.LastError(), mSysText::kInvalidData);
        }
        // The name read before the damage is found; the type's numbered lookups are not affected.
        EXPECT_TRUE(m.FindResource(std::string(c.chars, 'n'), "#14")) << m.LastErrorText();
        EXPECT_TRUE(m.FindResource("#1", "#3"));
    }
}
