// The loading core on crafted modules: thousands of named groups cost a constant number of reads
// per group, groups that share one image are held to the load's budget, and names that are not
// valid UTF-16 are found again by the units they are stored with.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"
#include "icon/cFileIcon.h"
#include "platform/cReadFile.h"
#include "resources/mIconGroups.h"

using namespace mTestKit;

namespace {

constexpr std::int32_t kReadBits = static_cast<std::int32_t>(0x80040421);

std::string Write(const cTempDir& dir, const std::string& name, const mCraft::tBytes& bytes) {
    const std::string path = dir.File(name);
    WriteBytes(path, bytes);
    return path;
}

} // namespace

// A load opens the module once; the names are read and indexed once, so a group costs the same
// in a module of 2,000 named groups as in one of ten. What a group reads (its language directory
// and data entry, its bytes, and the same for its image) lies together with its neighbours', and
// small reads are served from blocks of the file: a read of the file serves several groups.
TEST(HostileModules, NamedGroupsCostAConstantNumberOfReadsEach) {
    cTempDir dir;
    for (std::uint16_t groups : {std::uint16_t{10}, std::uint16_t{2000}}) {
        SCOPED_TRACE(groups);
        const std::string path = Write(dir, "named.dll", mCraft::PeNamedGroups(groups));
        std::vector<cFileIcon> icons;
        const std::uint64_t before = cReadFile::ReadCount(), opened = cReadFile::OpenCount();
        mIconGroups::Load(path, icons);
        const std::uint64_t reads = cReadFile::ReadCount() - before;
        EXPECT_EQ(cReadFile::OpenCount() - opened, 1u);
        ASSERT_EQ(icons.size(), groups);
        EXPECT_EQ(ResourceIDText(icons.back().ResourceID()),
                  "G" + std::string(7 - std::to_string(groups).size(), '0') + std::to_string(groups));
        // One image per group: six small reads each, a few reads of the file for many groups.
        EXPECT_LE(reads, groups / 4u + 20u) << reads;
    }
}

// Groups that are one group naming one image: every group gets its own copy, so together they may
// take no more than the load's budget (the file's size and a fixed allowance). A load that would
// need more fails as a damaged group does, keeping the groups loaded whole before it.
TEST(HostileModules, GroupsSharingAnImageAreHeldToTheBudget) {
    cTempDir dir;
    const std::string few = Write(dir, "few.dll", mCraft::PeGroupsSharingAnImage(8, 1 << 20));
    const std::string many = Write(dir, "many.dll", mCraft::PeGroupsSharingAnImage(3000, 1 << 20));
    std::vector<cFileIcon> icons;
    mIconGroups::Load(few, icons);
    ASSERT_EQ(icons.size(), 8u);
    EXPECT_EQ(icons[7].ImageSize(1), 1 << 20);

    const auto child = InChild([&](std::string& report) {
        if (!UnderAddressSanitizer() && !LimitAddressSpace(MemoryAllowance(std::filesystem::file_size(many)))) return 2;
        std::vector<cFileIcon> loaded;
        try {
            mIconGroups::Load(many, loaded);
            report = "loaded";
        } catch (const cError& e) {
            report = std::to_string(e.Number()) + " " + e.Description();
        } catch (const std::bad_alloc&) {
            report = "out of memory";
        }
        report += "; " + std::to_string(loaded.size());
        for (const auto& icon : loaded) {
            if (icon.ImageCount() != 1 || icon.ImageSize(1) != (1 << 20)) report += " (a group not whole)";
        }
        return 0;
    });
    ASSERT_EQ(child.status, 0) << child.report;
    const std::string expected = std::to_string(kReadBits) + " Failed to read bitmap bits from resource.; ";
    ASSERT_EQ(child.report.substr(0, expected.size()), expected) << child.report;
    const int kept = std::stoi(child.report.substr(expected.size()));
    EXPECT_GT(kept, 8);
    EXPECT_LT(kept, 40);
    EXPECT_EQ(child.report.find("not whole"), std::string::npos) << child.report;
}

// A PE name is UTF-16 and need not be valid: names with unpaired surrogates, which differ only
// there, are each found again and give their own group.
TEST(HostileModules, NamesThatAreNotValidUtf16AreFoundByTheirUnits) {
    cTempDir dir;
    mCraft::cPeSpec spec;
    const std::u16string names[] = {u"A\xD800", u"A\xDC00", std::u16string(u"A\xDBFF") + u"Z"};
    for (std::uint16_t i = 0; i < 3; ++i) {
        spec.icons.push_back(
            {{}, static_cast<std::uint16_t>(i + 1), mCraft::IconImage(296, static_cast<std::uint8_t>(10 * i))});
        spec.groups.push_back({names[i], 0, mCraft::GroupDir({static_cast<std::uint16_t>(i + 1)}, 296)});
    }
    const std::string path = Write(dir, "surrogates.dll", mCraft::Pe32(spec));
    std::vector<cFileIcon> icons;
    mIconGroups::Load(path, icons);
    ASSERT_EQ(icons.size(), 3u);
    // The names as text keep each unit (an unpaired surrogate in its three-byte form).
    EXPECT_EQ(ResourceIDText(icons[0].ResourceID()), "A\xED\xA0\x80");
    EXPECT_EQ(ResourceIDText(icons[1].ResourceID()), "A\xED\xB0\x80");
    EXPECT_EQ(ResourceIDText(icons[2].ResourceID()), "A\xED\xAF\xBFZ");
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const auto image = mCraft::IconImage(296, static_cast<std::uint8_t>(10 * i));
        EXPECT_TRUE(std::ranges::equal(icons[i].Block(1), image));
        cFileIcon again;
        ASSERT_TRUE(again.LoadIconFromEXE(path, 0, ResourceIDText(icons[i].ResourceID())));
        EXPECT_EQ(again.IcoBytes(), icons[i].IcoBytes());
    }
}
