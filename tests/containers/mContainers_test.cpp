// Installer packages and AppImages as the loading core reads them: each stream opened as what it
// is, in the container's order; and every damaged or hostile container refused with the file and
// the part of it named, without reading past what its budget allows.

#include <filesystem>
#include <functional>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "containers/mAppImage.h"
#include "containers/mContainers.h"
#include "containers/mInstaller.h"
#include "resources/mIconGroups.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Fixture;

std::vector<std::string> Labels(const std::vector<cFileIcon>& icons) {
    std::vector<std::string> labels;
    for (const auto& icon : icons) labels.push_back(icon.Label());
    return labels;
}

TEST(Installer, TheProductIconComesFirstThenTheRowsEachOpenedAsWhatItIs) {
    std::vector<cFileIcon> icons;
    EXPECT_EQ(mIconGroups::Load(Fixture("containers/icons.msi"), icons), mFileKind::eKind::kInstaller);
    // The module's groups in its own order, as a load of the module itself gives them.
    std::vector<cFileIcon> module;
    mIconGroups::Load(Fixture("modules/good32.dll"), module, {}, mIconGroups::kIconGroupsOnly);
    // The product's icon first, then the table's order.
    std::vector<std::string> expected = {"zproduct.ico"};
    for (const auto& group : module) expected.push_back("tool.dll:" + group.Label());
    expected.push_back("extra.ico");
    ASSERT_EQ(Labels(icons), expected);

    // An icon row keeps the file's images byte for byte; a module row's groups are the module's.
    EXPECT_EQ(icons[0].IcoBytes(), mTestKit::ReadBytes(Fixture("icons/six.ico")));
    for (std::size_t i = 0; i < module.size(); ++i) {
        SCOPED_TRACE(expected[i + 1]);
        EXPECT_EQ(icons[i + 1].IcoBytes(), module[i].IcoBytes());
    }
    EXPECT_EQ(icons.back().ImageWidth(1), 24);
}

TEST(Installer, TheProductIconComesFirstWhereverTheTableStoresIt) {
    // wixl stores the product's row first; this package stores it last.
    std::vector<cFileIcon> icons;
    mIconGroups::Load(Fixture("containers/reordered.msi"), icons);
    EXPECT_EQ(Labels(icons), (std::vector<std::string>{"product.ico", "first.ico", "second.ico"}));
}

TEST(Installer, ARowThatIsNoIconFailsAloneInItsPlace) {
    std::vector<cFileIcon> icons;
    std::vector<mIconGroups::cFailure> failures;
    mIconGroups::cHooks hooks;
    hooks.GroupFailed = [&failures](const mIconGroups::cFailure& f) {
        failures.push_back(f);
        return true;
    };
    const std::string file = Fixture("containers/badrow.msi");
    mIconGroups::Load(file, icons, hooks);
    EXPECT_EQ(Labels(icons), std::vector<std::string>{"good.ico"});
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].position, 2);
    EXPECT_EQ(mIconGroups::Label(failures[0].group), "notes.txt");
    EXPECT_EQ(failures[0].error.Description(),
              file + ", Icon row \"notes.txt\": Failed to load icon: File is not icon type (reserved member is 0)");
}

TEST(Installer, APackageWithoutIconsHoldsNoGroups) {
    std::vector<cFileIcon> icons;
    EXPECT_EQ(mIconGroups::Load(Fixture("containers/noicons.msi"), icons), mFileKind::eKind::kInstaller);
    EXPECT_TRUE(icons.empty());
}

TEST(AppImage, TheDirIconIsReadAsStoredLinksFollowedInsideTheImage) {
    struct cCase {
        const char* name;
        const char* file;
        std::int32_t side;
    };
    const cCase cases[] = {{"a PNG file", "containers/png.AppImage", 48},
                           {"a link to a link", "containers/link.AppImage", 64}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<cFileIcon> icons;
        EXPECT_EQ(mIconGroups::Load(Fixture(c.file), icons), mFileKind::eKind::kAppImage);
        ASSERT_EQ(icons.size(), 1u);
        EXPECT_EQ(icons[0].Label(), ".DirIcon");
        ASSERT_EQ(icons[0].ImageCount(), 1);
        EXPECT_TRUE(icons[0].IsPngImage(1));
        EXPECT_EQ(icons[0].ImageWidth(1), c.side);
        EXPECT_EQ(icons[0].ImageHeight(1), c.side);
    }
}

TEST(AppImage, AnSvgIconIsDrawnAtEverySizeByTheInstalledRenderer) {
    // The sizes a launcher installs, then the size a command asked for besides them, in order.
    const std::vector<std::int32_t> themeSides(std::begin(mContainers::kSvgSides), std::end(mContainers::kSvgSides));
    std::vector<std::int32_t> withAsked = themeSides;
    withAsked.insert(withAsked.end() - 1, 200);
    const std::pair<std::int32_t, std::vector<std::int32_t>> cases[] = {
        {0, themeSides}, {48, themeSides}, {200, withAsked}, {4096, themeSides}};
    for (const auto& [askedSide, sides] : cases) {
        SCOPED_TRACE(askedSide);
        std::vector<std::int32_t> asked;
        mContainers::SetSvgRenderer([&asked](const std::vector<std::uint8_t>& svg, const std::vector<std::int32_t>& s) {
            EXPECT_TRUE(mAppImage::IsSvg(svg));
            asked = s;
            std::vector<std::vector<std::uint8_t>> pngs;
            for (const std::int32_t side : s)
                pngs.push_back(mDib::EncodePng(mDib::cBitmap(mDib::eFormat::Argb32, side, side)));
            return pngs;
        });
        mContainers::SetSvgSideAsked(askedSide);
        std::vector<cFileIcon> icons;
        mIconGroups::Load(Fixture("containers/svg.AppImage"), icons);
        mContainers::SetSvgRenderer(nullptr);
        mContainers::SetSvgSideAsked(0);
        EXPECT_EQ(asked, sides);
        ASSERT_EQ(icons.size(), 1u);
        ASSERT_EQ(icons[0].ImageCount(), static_cast<std::int32_t>(sides.size()));
        for (std::int32_t n = 1; n <= icons[0].ImageCount(); ++n)
            EXPECT_EQ(icons[0].ImageArgb(n).Width(), sides[static_cast<std::size_t>(n - 1)]);
    }
}

TEST(AppImage, ARendererThatFailsOrAnswersWrongFailsTheIconNamingWhy) {
    using tPngs = std::vector<std::vector<std::uint8_t>>;
    const std::pair<mContainers::tSvgRenderer, std::string> cases[] = {
        {[](const auto&, const auto&) -> tPngs {
             throw cError(cError::kInvalidPicture, "x", "the helper crashed on it (Segmentation fault)");
         },
         ", its .DirIcon: an SVG drawing that cannot be drawn: the helper crashed on it (Segmentation fault)"},
        {[](const auto&, const auto& sides) {
             tPngs pngs;
             for (const std::int32_t side : sides)
                 pngs.push_back(mDib::EncodePng(mDib::cBitmap(mDib::eFormat::Argb32, side, side == 64 ? 65 : side)));
             return pngs;
         },
         ", its .DirIcon: an SVG drawing that cannot be drawn at 64 x 64"},
        {[](const auto&, const auto&) { return tPngs(1, std::vector<std::uint8_t>(8, 0)); },
         ", its .DirIcon: an SVG drawing that cannot be drawn at 16 x 16"},
    };
    const std::string file = Fixture("containers/svg.AppImage");
    for (const auto& [renderer, description] : cases) {
        SCOPED_TRACE(description);
        mContainers::SetSvgRenderer(renderer);
        std::vector<cFileIcon> icons;
        mTestKit::ExpectError([&] { mIconGroups::Load(file, icons); }, cFileIcon::kErrLoadIcon,
                              mTestKit::SourceOf("mContainers"), file + description);
        mContainers::SetSvgRenderer(nullptr);
    }
}

TEST(AppImage, SvgIsToldByItsRootElement) {
    const std::pair<const char*, bool> cases[] = {
        {"<svg xmlns='http://www.w3.org/2000/svg'/>", true},
        {"\xEF\xBB\xBF<?xml version='1.0'?>\n<!-- drawn -->\n<!DOCTYPE svg>\n <svg/>", true},
        {"<?xml version='1.0'?><html/>", false},
        {"\x89PNG\r\n\x1A\n", false},
        {"<!-- never closed <svg", false},
        {"", false}};
    for (const auto& [text, svg] : cases) {
        SCOPED_TRACE(text);
        const std::string s(text);
        EXPECT_EQ(mAppImage::IsSvg(std::vector<std::uint8_t>(s.begin(), s.end())), svg);
    }
}

TEST(AppImage, TheImageStartsWhereTheElfFileEnds) {
    std::vector<std::uint8_t> head(64);
    head[0] = 0x7F, head[1] = 'E', head[2] = 'L', head[3] = 'F', head[5] = 1;
    auto elf64 = [&head](std::uint64_t shoff, std::uint16_t entsize, std::uint16_t count) {
        head[4] = 2;
        for (int i = 0; i < 8; ++i)
            head[static_cast<std::size_t>(40 + i)] = static_cast<std::uint8_t>(shoff >> (8 * i));
        PutLE16(head, 58, entsize);
        PutLE16(head, 60, count);
        return head;
    };
    EXPECT_EQ(mAppImage::ImageOffset(elf64(1000, 64, 10), 5000), std::optional<std::uint64_t>(1640));
    EXPECT_EQ(mAppImage::ImageOffset(elf64(1000, 64, 10), 1640), std::optional<std::uint64_t>(1640));
    EXPECT_EQ(mAppImage::ImageOffset(elf64(1000, 64, 10), 1639), std::nullopt);
    // An offset near the top of the range would wrap when added to.
    EXPECT_EQ(mAppImage::ImageOffset(elf64(~std::uint64_t{0} - 10, 64, 10), 5000), std::nullopt);
    head[4] = 1;
    PutLE32(head, 32, 200);
    PutLE16(head, 46, 40);
    PutLE16(head, 48, 3);
    EXPECT_EQ(mAppImage::ImageOffset(head, 400), std::optional<std::uint64_t>(320));
    head[5] = 2; // big-endian
    EXPECT_EQ(mAppImage::ImageOffset(head, 400), std::nullopt);
    EXPECT_EQ(mAppImage::ImageOffset(std::vector<std::uint8_t>(head.begin(), head.begin() + 40), 400), std::nullopt);
}

// Where the fixture's SquashFS image starts: after /bin/true's ELF file.
std::uint64_t ImageStart(const std::vector<std::uint8_t>& bytes) {
    return *mAppImage::ImageOffset(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 64), bytes.size());
}

TEST(Containers, DamagedOrHostileOnesAreRefusedNamingTheFileAndThePart) {
    struct cCase {
        const char* name;
        const char* fixture;
        // Changes the fixture's bytes (nothing: the fixture as made).
        std::function<void(std::vector<std::uint8_t>&)> damage;
        std::int32_t number;
        std::string description; // after the file's path
    };
    const auto kLoad = cFileIcon::kErrLoadIcon;
    const cCase cases[] = {
        {"an Icon row that is neither icon nor module", "containers/badrow.msi", nullptr, kLoad,
         ", Icon row \"notes.txt\": Failed to load icon: File is not icon type (reserved member is 0)"},
        {"a package cut short", "containers/icons.msi", [](auto& b) { b.resize(b.size() / 3); },
         cError::kInvalidPicture, ""},
        // Two bytes a fuzzer changed in the storage's directory and allocation table: the package
        // library crashes on it, in the child process that reads for us.
        {"a storage the package library crashes on", "containers/noicons.msi",
         [](auto& b) {
             b[2604] = '5';
             b[5377] = 0x20;
         },
         cError::kInvalidPicture, " is not a Windows Installer package that can be read: the package library"},
        {"a compound file's header and nothing after it", "containers/icons.msi", [](auto& b) { b.resize(512); },
         cError::kInvalidPicture, " is not a Windows Installer package that can be read"},
        {"a link loop", "containers/loop.AppImage", nullptr, cError::kInvalidPicture,
         ": its .DirIcon is a link followed 8 times without reaching a file (a loop?)"},
        {"a link out of the image", "containers/escape.AppImage", nullptr, cError::kInvalidPicture,
         ": its .DirIcon is a link that leads out of the image (../../outside.png)"},
        {"17 MiB of zeros compressed to a few KiB", "containers/bomb.AppImage", nullptr, cError::kOutOfMemory,
         ": its .DirIcon claims 17825792 bytes, more than an icon is allowed (16777216)"},
        {"a folder", "containers/folder.AppImage", nullptr, cError::kInvalidPicture, ": its .DirIcon is not a file"},
        {"no .DirIcon", "containers/none.AppImage", nullptr, cError::kFileNotFound, ": its image holds no .DirIcon"},
        {"a text file", "containers/text.AppImage", nullptr, cError::kInvalidPicture,
         ", its .DirIcon: neither a PNG image nor an SVG drawing (nor an icon file)"},
        {"an SVG icon where nothing draws SVG", "containers/svg.AppImage", nullptr, kLoad,
         ", its .DirIcon: an SVG drawing, which this program does not draw"},
        {"section headers past the end", "containers/png.AppImage",
         [](auto& b) { PutLE32(b, 40, static_cast<std::uint32_t>(b.size())); }, cError::kInvalidPicture,
         " is not an AppImage: its ELF header is damaged or cut short"},
        {"a damaged superblock", "containers/png.AppImage",
         [](auto& b) { std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(ImageStart(b)), 4, 0); },
         cError::kInvalidPicture, " is not an AppImage that can be read: its SquashFS image at offset "},
        {"an image cut short", "containers/png.AppImage", [](auto& b) { b.resize(b.size() - 4096 + 200); },
         cError::kInvalidPicture, ""},
    };
    mTestKit::cTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string ext = fs::path(c.fixture).extension().string();
        const std::string file = dir.File(std::string("damaged") + ext);
        auto bytes = mTestKit::ReadBytes(Fixture(c.fixture));
        if (c.damage) c.damage(bytes);
        mTestKit::WriteBytes(file, bytes);
        std::vector<cFileIcon> icons;
        try {
            mIconGroups::Load(file, icons);
            ADD_FAILURE() << "loaded " << icons.size() << " groups";
        } catch (const cError& e) {
            EXPECT_EQ(e.Number(), c.number) << e.what();
            EXPECT_EQ(e.Description().rfind(file, 0), 0u) << e.Description();
            EXPECT_NE(e.Description().find(c.description, file.size()), std::string::npos) << e.Description();
        }
    }
}

TEST(Containers, AFifoNamedAsAContainerIsRefusedWithoutWaitingForAWriter) {
    mTestKit::cTempDir dir;
    for (const char* name : {"setup.msi", "Tool.AppImage"}) {
        SCOPED_TRACE(name);
        const std::string fifo = dir.File(name);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::vector<cFileIcon> icons;
        EXPECT_THROW(mIconGroups::Load(fifo, icons), cError);
    }
}

TEST(Containers, AStreamPastTheBudgetIsRefusedBeforeItIsKept) {
    const std::string file = Fixture("containers/icons.msi");
    cLoadBudget budget(0);
    // Room for the rows' bookkeeping and 1 KiB of the first stream (six.ico, of several KiB).
    ASSERT_TRUE(budget.Take(budget.Limit() - 3 * cLoadBudget::kPerGroup - 1024));
    mTestKit::ExpectError(
        [&] { mInstaller::ReadIconRows(file, budget); }, cError::kOutOfMemory, mTestKit::SourceOf("mInstaller"),
        file + ", Icon row \"zproduct.ico\": its Data stream is larger than the package's budget of " +
            std::to_string(budget.Limit()) + " bytes");
    EXPECT_LE(budget.Used(), budget.Limit());
}

} // namespace
