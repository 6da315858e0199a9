#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "icon/mWrestool.h"
#include "platform/cModuleFile.h"
#include "platform/cReadFile.h"
#include "platform/mModulePatch.h"
#include "base/mProgram.h"

using namespace mTestKit;
using mModulePatch::Layout;
using mModulePatch::Patched;
using mModulePatch::Place;

namespace {

const std::string kSource = SourceOf("cFileIcon");

std::vector<cResourceID> GroupNames(const std::string& path) {
    cModuleFile m;
    std::vector<cResourceID> out;
    EXPECT_TRUE(m.Load(path));
    EXPECT_TRUE(m.EnumResourceNames(14, [&](const cResourceID& id) {
        out.push_back(id);
        return true;
    }));
    return out;
}

bool Load(cFileIcon& icon, const std::string& path, const cResourceID& id) {
    if (const auto* n = std::get_if<std::int32_t>(&id)) return icon.LoadIconFromEXE(path, *n, {});
    return icon.LoadIconFromEXE(path, 0, ResourceIDText(id));
}

} // namespace

TEST(IconFromModule, EveryGroupMatchesWrestool) {
    for (const char* f : {"modules/good32.dll", "modules/good64.dll", "modules/good32.exe", "modules/good64.exe",
                          "modules/sample.dll", "modules/good.icl", "modules/shift9.icl"}) {
        const std::string path = Fixture(f);
        const auto names = GroupNames(path);
        ASSERT_FALSE(names.empty()) << f;
        for (const auto& id : names) {
            SCOPED_TRACE(std::string(f) + " group " + ResourceIDText(id));
            cFileIcon icon;
            ASSERT_TRUE(Load(icon, path, id));
            EXPECT_EQ(icon.ResourceID(), id);
            EXPECT_EQ(icon.Filename(), path);
            // Group 9 is stored in 0x409 and 0x407; the lower language is the one taken.
            const bool twoLanguages = ResourceIDText(id) == "9" && std::string(f).find(".icl") == std::string::npos;
            mWrestool::ExpectSame(icon.IcoBytes(),
                                  mWrestool::Extract(path, ResourceIDText(id), twoLanguages ? "1031" : ""));
        }
    }
}

// Every group read from one open module is the group the file-name form reads, and the module
// is not opened again; a module that is not open is refused as one that cannot be loaded.
TEST(IconFromModule, OneOpenModuleServesEveryGroup) {
    for (const char* f : {"modules/good32.dll", "modules/good64.dll", "modules/good.icl"}) {
        SCOPED_TRACE(f);
        const std::string path = Fixture(f);
        const auto names = GroupNames(path);
        cModuleFile module;
        ASSERT_TRUE(module.Load(path));
        const std::uint64_t opened = cReadFile::OpenCount();
        for (const auto& id : names) {
            SCOPED_TRACE(ResourceIDText(id));
            cFileIcon fromModule, fromFile;
            const auto* n = std::get_if<std::int32_t>(&id);
            ASSERT_TRUE(fromModule.LoadIconFromEXE(module, n ? *n : 0, n ? std::string() : ResourceIDText(id)));
            EXPECT_EQ(fromModule.Filename(), path);
            EXPECT_EQ(fromModule.ResourceID(), id);
            const std::uint64_t before = cReadFile::OpenCount();
            ASSERT_TRUE(Load(fromFile, path, id));
            EXPECT_EQ(cReadFile::OpenCount(), before + 1);
            EXPECT_EQ(fromModule.IcoBytes(), fromFile.IcoBytes());
        }
        EXPECT_EQ(cReadFile::OpenCount() - opened, names.size());
    }
    cModuleFile closed;
    cFileIcon icon;
    ExpectError([&] { icon.LoadIconFromEXE(closed, 1, {}); }, static_cast<std::int32_t>(0x8004041E), kSource,
                "Can't load icon library.");
    EXPECT_EQ(icon.ImageCount(), 0);
}

TEST(IconFromModule, WorkedValues) {
    for (const char* f : {"modules/good32.dll", "modules/good64.dll", "modules/good.icl"}) {
        SCOPED_TRACE(f);
        const std::string path = Fixture(f);
        cFileIcon icon;
        ASSERT_TRUE(icon.LoadIconFromEXE(path, 5, "ignored"));
        EXPECT_EQ(icon.ResourceID(), cResourceID(5));
        ASSERT_EQ(icon.ImageCount(), 3);
        const std::int32_t sizes[] = {744, 296, 2216}, offsets[] = {54, 798, 1094};
        for (std::int32_t i = 1; i <= 3; ++i) {
            EXPECT_EQ(icon.ImageSize(i), sizes[i - 1]);
            EXPECT_EQ(icon.Entry(i).dwImageOffset, offsets[i - 1]);
        }
        // Saved at once, the file is the group's header and directory with 16-byte entries.
        cTempDir dir;
        ASSERT_TRUE(icon.SaveIcon(dir.File("five.ico")));
        EXPECT_EQ(ReadBytes(dir.File("five.ico")), ReadBytes(Fixture("modules/three.ico")));
    }
    cFileIcon named;
    ASSERT_TRUE(named.LoadIconFromEXE(Fixture("modules/good32.dll"), 0, "MAINICON"));
    EXPECT_EQ(named.ResourceID(), cResourceID(std::string("MAINICON")));
    EXPECT_EQ(named.ImageCount(), 3);
    // Names are compared without regard to case; the identifier is the name as given.
    ASSERT_TRUE(named.LoadIconFromEXE(Fixture("modules/good32.dll"), 0, "MainIcon"));
    EXPECT_EQ(named.ResourceID(), cResourceID(std::string("MainIcon")));
    // Image number 40000 is looked up by its unsigned value.
    cFileIcon high;
    ASSERT_TRUE(high.LoadIconFromEXE(Fixture("modules/good32.dll"), 7, {}));
    ASSERT_EQ(high.ImageCount(), 1);
    const auto block = high.Block(1);
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin(), block.end()), ReadBytes(Fixture("modules/img16x4.bin")));
}

TEST(IconFromModule, Failures) {
    cTempDir dir;
    WriteBytes(dir.File("text.dll"), std::vector<std::uint8_t>(100, 'a'));
    const std::string broken = Fixture("modules/broken32.dll");
    const auto bytes = ReadBytes(broken);
    const auto l = Layout(bytes);
    const auto good = ReadBytes(Fixture("modules/good32.dll"));
    const auto gl = Layout(good);
    const auto g21 = Place(bytes, l, 14, 21);
    const auto g5 = Place(good, gl, 14, 5);
    const auto i1 = Place(good, gl, 3, 1);
    const auto g1 = Place(good, gl, 14, 1);
    const std::string kCantFind = "Can't find icons.", kBits = "Failed to read bitmap bits from resource.";
    struct {
        const char* name;
        std::string path;
        std::int32_t number;
        std::string group;
        std::int32_t error;
        std::string description;
        cResourceID idAfter;
    } cases[] = {
        {"missing file", dir.File("none.dll"), 1, "", cFileIcon::kErrCantLoadLibrary, "Can't load icon library.",
         cResourceID()},
        {"not a module", dir.File("text.dll"), 1, "", cFileIcon::kErrCantLoadLibrary, "Can't load icon library.",
         cResourceID()},
        {"no such group", broken, 2, "", cFileIcon::kErrCantFindIcons, kCantFind, 2},
        {"no such name", broken, 0, "NOPE", cFileIcon::kErrCantFindIcons, kCantFind, std::string("NOPE")},
        {"group 0 and no name", broken, 0, "", cFileIcon::kErrCantFindIcons, kCantFind, std::string()},
        {"no resources", Fixture("modules/nores32.dll"), 1, "", cFileIcon::kErrCantFindIcons, kCantFind, 1},
        {"image one byte short", broken, 20, "", cFileIcon::kErrReadBits, kBits, cResourceID()},
        {"image missing", broken, 21, "", cFileIcon::kErrReadBits, kBits, cResourceID()},
        {"group holds fewer entries than it counts",
         Patched(dir, "modules/broken32.dll", "count.dll",
                 [&](auto& b) { PutLE16(b, mModulePatch::DataAt(b, l, g21) + 4, 3); }),
         21, "", cFileIcon::kErrCantFindIcons, kCantFind, 21},
        {"group shorter than its header",
         Patched(dir, "modules/broken32.dll", "short.dll", [&](auto& b) { PutLE32(b, g21.dataEntryAt + 4, 5); }), 21,
         "", cFileIcon::kErrCantFindIcons, kCantFind, 21},
        {"group bytes outside every section",
         Patched(dir, "modules/good32.dll", "grva.dll", [&](auto& b) { PutLE32(b, g5.dataEntryAt, 0x7FFF0000u); }), 5,
         "", cFileIcon::kErrCantLoadResource, "Can't load file.", 5},
        {"image bytes outside every section",
         Patched(dir, "modules/good32.dll", "irva.dll", [&](auto& b) { PutLE32(b, i1.dataEntryAt, 0x7FFF0000u); }), 1,
         "", cFileIcon::kErrReadBits, kBits, cResourceID()},
        {"image longer than the group says",
         Patched(dir, "modules/good32.dll", "ilen.dll", [&](auto& b) { PutLE32(b, i1.dataEntryAt + 4, 2217); }), 1, "",
         cFileIcon::kErrReadBits, kBits, cResourceID()},
        {"more than 2047 images",
         Patched(dir, "modules/good32.dll", "many.dll",
                 [&](auto& b) {
                     // The group's bytes become the root directory's, whose TimeDateStamp holds
                     // the count.
                     PutLE16(b, gl.rsrcAt + 4, 2048);
                     PutLE32(b, g1.dataEntryAt, gl.rsrcRva);
                     PutLE32(b, g1.dataEntryAt + 4, 6 + 14 * 2048);
                 }),
         1, "", cError::kOverflow, "Overflow", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cFileIcon icon;
        ASSERT_TRUE(icon.LoadIcon(Fixture("icons/multi.ico"))); // a failed load leaves no images behind
        try {
            icon.LoadIconFromEXE(c.path, c.number, c.group);
            ADD_FAILURE() << "no error";
        } catch (const cError& e) {
            EXPECT_EQ(e.Number(), c.error);
            EXPECT_EQ(e.Source(), c.error == cError::kOverflow ? mProgram::ExeBaseName() : kSource);
            EXPECT_EQ(e.Description(), c.description);
        }
        EXPECT_EQ(icon.ImageCount(), 0);
        EXPECT_EQ(icon.Filename(), c.path);
        EXPECT_EQ(icon.ResourceID(), c.idAfter);
        EXPECT_THROW(icon.SaveIcon(dir.File("out.ico")), cError);
    }
}

TEST(IconFromModule, GroupWithoutImagesIsFalseWithoutError) {
    cFileIcon icon;
    EXPECT_FALSE(icon.LoadIconFromEXE(Fixture("modules/broken32.dll"), 22, {}));
    EXPECT_EQ(icon.ImageCount(), 0);
    EXPECT_EQ(icon.Header().idType, 1);
    EXPECT_EQ(icon.ResourceID(), cResourceID(22));
    // A negative count holds no images either, and the object cannot be saved as if it did.
    cTempDir dir;
    const std::string negative = Patched(dir, "modules/broken32.dll", "negative.dll", [](auto& b) {
        const auto l = Layout(b);
        PutLE16(b, mModulePatch::DataAt(b, l, Place(b, l, 14, 22)) + 4, 0xFFFE);
    });
    EXPECT_FALSE(icon.LoadIconFromEXE(negative, 22, {}));
    EXPECT_EQ(icon.ImageCount(), 0);
    ExpectError([&] { icon.SaveIcon(dir.File("out.ico")); }, cFileIcon::kErrCantWrite, kSource,
                "Icon contains no images.");
    // The good group beside the broken ones loads.
    EXPECT_TRUE(icon.LoadIconFromEXE(Fixture("modules/broken32.dll"), 1, {}));
    EXPECT_EQ(icon.ImageCount(), 2);
}

TEST(IconFromModule, NeLengthsArePaddedUnits) {
    // good.icl stores lengths in 16-byte units: image 2 (296 bytes) is stored as 304. A group entry
    // up to the stored length is accepted and takes that many bytes; one past it is not.
    cTempDir dir;
    const std::size_t group1 = [&] {
        // The first group resource: type 14 is the second TYPEINFO of the table at 0x80.
        const auto b = ReadBytes(Fixture("modules/good.icl"));
        const std::size_t table = 0x80, shift = GetLE16(b, table);
        const std::size_t icons = GetLE16(b, table + 4);
        const std::size_t groups = table + 2 + 8 + 12 * icons;
        return std::size_t{GetLE16(b, groups + 8)} << shift;
    }();
    struct {
        std::uint32_t bytes;
        bool ok;
    } cases[] = {{296, true}, {304, true}, {305, false}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const std::string path =
            Patched(dir, "modules/good.icl", "pad.icl", [&](auto& b) { PutLE32(b, group1 + 6 + 14 + 8, c.bytes); });
        cFileIcon icon;
        if (c.ok) {
            ASSERT_TRUE(icon.LoadIconFromEXE(path, 1, {}));
            EXPECT_EQ(icon.ImageSize(2), static_cast<std::int32_t>(c.bytes));
            EXPECT_EQ(icon.Block(2).size(), c.bytes);
        } else {
            ExpectError([&] { icon.LoadIconFromEXE(path, 1, {}); }, cFileIcon::kErrReadBits, kSource,
                        "Failed to read bitmap bits from resource.");
        }
    }
}

TEST(IconFromModule, HugeSparseModuleLoadsWithoutReadingItWhole) {
    cTempDir dir;
    const std::string path = dir.File("huge.dll");
    std::filesystem::copy_file(Fixture("modules/sample.dll"), path);
    std::filesystem::resize_file(path, std::uintmax_t{8} << 30);
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIconFromEXE(path, 0, "VISTA"));
    EXPECT_EQ(icon.ImageCount(), 4);
    EXPECT_TRUE(icon.IsPngImage(4));
}
