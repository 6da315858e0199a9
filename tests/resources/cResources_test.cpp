#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/mModulePatch.h"
#include "base/mProgram.h"
#include "resources/cResources.h"
#include "resources/mResource.h"

using namespace mTestKit;
using tIDs = std::vector<cResourceID>;

namespace {

const std::string kSource = SourceOf("cResource");

tIDs AllNames(const cResources& r, std::int32_t index) {
    tIDs out;
    for (std::int32_t j = 1; j <= r.ResourceNameCount(index); ++j) out.push_back(r.ResourceName(index, j));
    return out;
}

tIDs AllTypes(const cResources& r) {
    tIDs out;
    for (std::int32_t i = 1; i <= r.ResourceTypeCount(); ++i) out.push_back(r.ResourceType(i));
    return out;
}

} // namespace

TEST(Resources, TypeNames) {
    struct {
        std::int32_t type;
        const char* name;
    } cases[] = {{1, "Cursor"},         {3, "Icon"},          {6, "String"},
                 {10, "RC Data"},       {12, "Group Cursor"}, {14, "Group Icon"},
                 {16, "Version"},       {19, "VXD"},          {20, "VXD"},
                 {22, "Animated Icon"}, {23, "HTML"},         {0, "Other (0)"},
                 {13, "Other (13)"},    {15, "Other (15)"},   {18, "Other (18)"},
                 {24, "Other (24)"},    {-1, "Other (-1)"},   {65535, "Other (65535)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(cResources::ResourceTypeName(c.type), c.name);
    }
}

TEST(Resources, TheCallersSequence) {
    for (const char* f : {"modules/good32.dll", "modules/good64.dll", "modules/good.icl"}) {
        SCOPED_TRACE(f);
        const bool ne = std::string(f).find(".icl") != std::string::npos;
        cResources r;
        r.file(Fixture(f));
        EXPECT_EQ(r.file(), Fixture(f));
        ASSERT_NE(r.hModule(), nullptr);
        EXPECT_NE(r.GetResourceTypes(), 0);
        EXPECT_EQ(AllTypes(r), (ne ? tIDs{3, 14, "NEDATA"} : tIDs{"MYDATA", 3, 6, 14, 16}));
        // A named type has id 0, so IndexOfResourceType(0) finds the first of them.
        EXPECT_EQ(r.IndexOfResourceType(0), ne ? 3 : 1);
        EXPECT_EQ(r.IndexOfResourceType(99), 0);
        const std::int32_t index = r.IndexOfResourceType(14);
        ASSERT_EQ(index, ne ? 2 : 4);
        EXPECT_NE(r.GetResourceNames(index), 0);
        r.UnloadModule();
        EXPECT_EQ(r.hModule(), nullptr);
        // The names stay readable without the module.
        EXPECT_EQ(AllNames(r, index),
                  (ne ? tIDs{1, 2, "AppIcon", 5} : tIDs{"APPICON", "MAINICON", 1, 3, 5, 7, 9, 40000}));
    }
}

TEST(Resources, NameListsBySlot) {
    cResources r;
    r.file(Fixture("modules/good32.dll"));
    r.GetResourceTypes();
    const std::int32_t groups = r.IndexOfResourceType(14), named = r.IndexOfResourceType(0);
    // A type whose names were not fetched has no list.
    ExpectError([&] { r.ResourceNameCount(groups); }, cError::kSubscriptOutOfRange, mProgram::ExeBaseName(),
                "Subscript out of range");
    r.GetResourceNames(groups);
    r.GetResourceNames(named);
    r.GetResourceNames(groups); // again: the same list, not a doubled one
    EXPECT_EQ(r.ResourceNameCount(groups), 8);
    EXPECT_EQ(AllNames(r, named), (tIDs{"HELLO"}));
    ExpectError([&] { r.ResourceName(groups, 9); }, cError::kSubscriptOutOfRange, mProgram::ExeBaseName(),
                "Subscript out of range");
    ExpectError([&] { r.ResourceName(groups, 0); }, cError::kSubscriptOutOfRange, mProgram::ExeBaseName(),
                "Subscript out of range");
    ExpectError([&] { r.GetResourceNames(6); }, cError::kSubscriptOutOfRange, mProgram::ExeBaseName(),
                "Subscript out of range");
    ExpectError([&] { r.ResourceType(0); }, cError::kSubscriptOutOfRange, mProgram::ExeBaseName(),
                "Subscript out of range");

    // A new file empties everything; ClearUp too.
    r.file(Fixture("modules/good.icl"));
    EXPECT_EQ(r.ResourceTypeCount(), 0);
    EXPECT_THROW(r.ResourceNameCount(groups), cError);
    r.GetResourceTypes();
    EXPECT_EQ(r.ResourceTypeCount(), 3);
    r.ClearUp();
    EXPECT_EQ(r.ResourceTypeCount(), 0);
    EXPECT_EQ(r.hModule(), nullptr);
}

TEST(Resources, Failures) {
    cTempDir dir;
    WriteBytes(dir.File("notes.txt"), std::vector<std::uint8_t>(80, 'n'));
    // file: the source is the executable alone.
    {
        cResources r;
        ExpectError([&] { r.file(dir.File("missing.dll")); }, cResources::kErrLoad, mProgram::ExeBaseName(),
                    "The system cannot find the file specified.\r\n");
        EXPECT_EQ(r.file(), dir.File("missing.dll"));
        EXPECT_EQ(r.hModule(), nullptr);
        ExpectError([&] { r.file(dir.File("notes.txt")); }, cResources::kErrLoad, mProgram::ExeBaseName(),
                    dir.File("notes.txt") + " is not a valid Win32 application.\r\n");
    }
    // A module without resources fails to list its types.
    {
        cResources r;
        r.file(Fixture("modules/nores32.dll"));
        ExpectError([&] { r.GetResourceTypes(); }, cResources::kErrLoad, kSource,
                    "The specified image file did not contain a resource section.\r\n");
        EXPECT_EQ(r.ResourceTypeCount(), 0);
    }
    // A names directory that loops back to the root.
    {
        const std::string path = mModulePatch::Patched(dir, "modules/good32.dll", "loop.dll", [](auto& b) {
            const auto l = mModulePatch::Layout(b);
            PutLE32(b, mModulePatch::EntryAt(b, l, 0, 14) + 4, 0x80000000u);
        });
        cResources r;
        r.file(path);
        r.GetResourceTypes();
        ExpectError([&] { r.GetResourceNames(r.IndexOfResourceType(14)); }, cResources::kErrNames, kSource,
                    "The data is invalid.\r\n");
        // Enumeration after unloading has no module to read.
        r.UnloadModule();
        ExpectError([&] { r.GetResourceTypes(); }, cResources::kErrLoad, kSource, "The handle is invalid.\r\n");
    }
}

TEST(Resources, SystemErrorTexts) {
    EXPECT_EQ(mResource::SystemErrorText(193, "x.dll"), "x.dll is not a valid Win32 application.\r\n");
    EXPECT_EQ(mResource::SystemErrorText(999999), "");
    // The buffer caps the text, not the name filled into it.
    const std::string longName = "/" + std::string(300, 'a') + ".dll";
    EXPECT_EQ(mResource::SystemErrorText(193, longName), longName + " is not a valid Win32 application.\r\n");
}

// Two objects enumerating at once (as the batch's worker threads do) each get their own lists.
TEST(Resources, EnumerationsOfTwoObjectsNeverMeet) {
    cResources a, b;
    a.file(Fixture("modules/good32.dll"));
    b.file(Fixture("modules/good.icl"));
    a.GetResourceTypes();
    b.GetResourceTypes();
    a.GetResourceNames(a.IndexOfResourceType(14));
    b.GetResourceNames(b.IndexOfResourceType(14));
    EXPECT_EQ(AllNames(a, a.IndexOfResourceType(14)), (tIDs{"APPICON", "MAINICON", 1, 3, 5, 7, 9, 40000}));
    EXPECT_EQ(AllNames(b, b.IndexOfResourceType(14)), (tIDs{1, 2, "AppIcon", 5}));
}
