// .ico files in and out: every reason and error of LoadIcon and SaveIcon, round trips of real
// icons, layouts that are not back to back, and writes that fail.

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
#include "icon/mIcoBuilder.h"

using mTestKit::cTempDir;
using mTestKit::ExpectError;

namespace {

const std::string kSource = "test_icon.cFileIcon";
constexpr std::int32_t kLoad = static_cast<std::int32_t>(0x8004041A);
constexpr std::int32_t kNoFile = static_cast<std::int32_t>(0x8004041B);
constexpr std::int32_t kCantWrite = static_cast<std::int32_t>(0x8004041C);
constexpr std::int32_t kWriteFailure = static_cast<std::int32_t>(0x8004041D);

const char* const kRealIcons[] = {"multi.ico",  "vista.ico",  "single32.ico", "depth1.ico",
                                  "depth4.ico", "depth8.ico", "depth24.ico",  "depth32.ico",
                                  "hole24.ico", "png256.ico", "six.ico"};

std::vector<std::uint8_t> Bytes(std::initializer_list<int> v) {
    std::vector<std::uint8_t> out;
    for (int x : v) out.push_back(static_cast<std::uint8_t>(x));
    return out;
}

// Loads `path` into an object that held an icon, in a child process whose address space may grow
// by no more than the program's allowance for the file (64 MiB plus four times its size); in the
// sanitizer build, which cannot be limited so, in this process. The outcome as "number,
// description; images, file name" ("out of memory" when an allocation failed).
std::string LoadBounded(const std::string& path) {
    auto load = [&](std::string& report) {
        cFileIcon icon;
        icon.LoadIcon(mTestKit::Fixture("icons/six.ico"));
        if (!mTestKit::UnderAddressSanitizer() &&
            !mTestKit::LimitAddressSpace(mTestKit::MemoryAllowance(std::filesystem::file_size(path))))
            return 2;
        try {
            icon.LoadIcon(path);
            report = "loaded";
        } catch (const cError& e) {
            report = std::to_string(e.Number()) + ", " + e.Description();
        } catch (const std::bad_alloc&) {
            report = "out of memory";
        }
        report += "; " + std::to_string(icon.ImageCount()) + ", " + icon.Filename();
        return 0;
    };
    if (mTestKit::UnderAddressSanitizer()) {
        std::string report;
        load(report);
        return report;
    }
    const auto child = mTestKit::InChild(load);
    return child.status == 0 ? child.report : "child ended with " + std::to_string(child.status);
}

} // namespace

TEST(LoadIcon, EveryReasonLeavesNoImages) {
    auto two = BuildIco({{.block = DibBlock(100, 1, 32)}, {.block = DibBlock(60, 1, 8)}});
    auto lyingOffset = two;
    PutLE32(lyingOffset, 6 + 16 + 12, static_cast<std::uint32_t>(two.size())); // second block starts at EOF...
    PutLE32(lyingOffset, 6 + 16 + 8, 1); // ...and needs one byte
    auto lyingSize = two;
    PutLE32(lyingSize, 6 + 8, 101 + static_cast<std::uint32_t>(two.size()));
    auto negativeSize = two;
    PutLE32(negativeSize, 6 + 8, 0xFFFFFFFFu);
    auto negativeOffset = two;
    PutLE32(negativeOffset, 6 + 12, 0x80000000u);
    auto hugeSize = two;
    PutLE32(hugeSize, 6 + 8, 0x7FFFFFFFu);
    // Blocks that lie in the file but that the entries name again and again: 4,000 copies of one
    // 256 KiB block would take a gigabyte from a file of 300 KiB.
    std::vector<cTestEntry> repeated(4000, cTestEntry{.block = {}, .offset = 6 + 16 * 4000, .bytes = 256 << 10});
    repeated[0].block = DibBlock(256 << 10, 1, 32);
    auto shortDirectory = two;
    PutLE16(shortDirectory, 4, 3000);
    shortDirectory.resize(6 + 16 * 2 + 10);

    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"no images", Bytes({0, 0, 1, 0, 0, 0}), "Icon contains no images."},
        {"negative count", Bytes({0, 0, 1, 0, 0xFF, 0xFF}), "Icon contains no images."},
        {"empty file", {}, "File is not icon type (idType <> IMAGE_ICON)"},
        {"five bytes: one image, no directory", Bytes({0, 0, 1, 0, 1}), "Icon Directory Array is Corrupt."},
        {"two bytes", Bytes({0, 0}), "File is not icon type (idType <> IMAGE_ICON)"},
        {"reserved checked first", Bytes({1, 0, 2, 0, 1, 0}), "File is not icon type (reserved member is 0)"},
        {"cursor type", Bytes({0, 0, 2, 0, 1, 0}), "File is not icon type (idType <> IMAGE_ICON)"},
        {"directory beyond the file", shortDirectory, "Icon Directory Array is Corrupt."},
        {"block beyond the end", lyingOffset, "Icon Images Array is Corrupt."},
        {"size beyond the end", lyingSize, "Icon Images Array is Corrupt."},
        {"negative size", negativeSize, "Icon Images Array is Corrupt."},
        {"negative offset", negativeOffset, "Icon Images Array is Corrupt."},
        {"2 GiB size in a small file", hugeSize, "Icon Images Array is Corrupt."},
        {"4,000 entries naming one block", BuildIco(repeated), "Icon Images Array is Corrupt."},
    };
    cTempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.File("bad.ico");
        mTestKit::WriteBytes(path, c.bytes);
        // Failing without taking the memory the file claims.
        EXPECT_EQ(LoadBounded(path), std::to_string(kLoad) + ", Failed to load icon: " + c.reason + "; 0, " + path);
        cFileIcon icon;
        ASSERT_TRUE(icon.LoadIcon(mTestKit::Fixture("icons/six.ico")));
        ExpectError([&] { icon.LoadIcon(path); }, kLoad, kSource, std::string("Failed to load icon: ") + c.reason);
        EXPECT_EQ(icon.ImageCount(), 0);
        EXPECT_EQ(icon.Filename(), path);
        EXPECT_TRUE(IsEmpty(icon.ResourceID()));
    }
}

// Entries that share a block are read, each with its copy, as long as the copies stay within the
// load's budget: the file's size plus a fixed allowance.
TEST(LoadIcon, EntriesSharingABlockLoadWithinTheBudget) {
    cTempDir dir;
    const auto block = DibBlock(1 << 20, 1, 32);
    const auto shared = [&](std::size_t count) {
        std::vector<cTestEntry> entries(
            count, cTestEntry{.block = {}, .offset = static_cast<std::int32_t>(6 + 16 * count), .bytes = 1 << 20});
        entries[0].block = block;
        return BuildIco(entries);
    };
    const std::string fits = dir.File("fits.ico"), over = dir.File("over.ico");
    mTestKit::WriteBytes(fits, shared(15));
    mTestKit::WriteBytes(over, shared(40));
    EXPECT_EQ(LoadBounded(fits), "loaded; 15, " + fits);
    EXPECT_EQ(LoadBounded(over),
              std::to_string(kLoad) + ", Failed to load icon: Icon Images Array is Corrupt.; 0, " + over);
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(fits));
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) EXPECT_TRUE(std::ranges::equal(icon.Block(i), block));
}

TEST(LoadIcon, FilesThatCannotBeOpenedSayWhy) {
    cTempDir dir;
    const std::string plain = dir.File("plain");
    mTestKit::WriteBytes(plain, {1, 2, 3});
    struct Case {
        std::string path;
        std::string reason;
    } cases[] = {
        {dir.File("missing.ico"), "The system cannot find the file specified."},
        {dir.Path().string(), "Access is denied."},
        {plain + "/below.ico", "The system cannot find the path specified."},
        {"", "The system cannot find the path specified."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        cFileIcon icon;
        ExpectError([&] { icon.LoadIcon(c.path); }, kLoad, kSource, "Failed to load icon: " + c.reason);
        EXPECT_EQ(icon.ImageCount(), 0);
    }
}

// The file SaveIcon writes and the bytes IcoBytes gives (the clipboard's) are one encoding, and
// both are the file ImageMagick wrote.
TEST(LoadIcon, RealIconsRoundTripByteForByte) {
    cTempDir dir;
    for (const char* name : kRealIcons) {
        SCOPED_TRACE(name);
        const std::string source = mTestKit::Fixture(std::string("icons/") + name);
        cFileIcon icon;
        ASSERT_TRUE(icon.LoadIcon(source));
        EXPECT_GE(icon.ImageCount(), 1);
        EXPECT_EQ(icon.Filename(), source);
        const std::string copy = dir.File(name);
        ASSERT_TRUE(icon.SaveIcon(copy));
        EXPECT_EQ(icon.Filename(), copy);
        EXPECT_EQ(mTestKit::ReadBytes(copy), mTestKit::ReadBytes(source));
        EXPECT_EQ(icon.IcoBytes(), mTestKit::ReadBytes(source));
    }
}

TEST(LoadIcon, KeepsOffsetsAsReadAndDirectoryFieldsUnchanged) {
    cTempDir dir;
    // Blocks stored in reverse order with a gap: a valid file that is not back to back.
    auto a = DibBlock(80, 1, 4);
    auto b = DibBlock(50, 1, 8);
    const std::vector<cTestEntry> entries = {
        {.width = 32, .height = 32, .colours = 16, .reserved = 7, .planes = 0, .bits = 0, .block = a, .offset = 200},
        {.width = 0, .height = 0, .colours = 0, .reserved = 0, .planes = 1, .bits = 8, .block = b, .offset = 100},
    };
    const std::string path = dir.File("gappy.ico");
    mTestKit::WriteBytes(path, BuildIco(entries));
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(path));
    EXPECT_EQ(icon.Entry(1).dwImageOffset, 200);
    EXPECT_EQ(icon.Entry(2).dwImageOffset, 100);
    EXPECT_EQ(icon.ImageWidth(2), 256);
    EXPECT_EQ(icon.ImageHeight(2), 256);

    // Saved back to back: a valid file with the same images and the fields as read.
    const std::string saved = dir.File("saved.ico");
    ASSERT_TRUE(icon.SaveIcon(saved));
    auto out = mTestKit::ReadBytes(saved);
    ASSERT_EQ(out.size(), 6u + 32u + 80u + 50u);
    EXPECT_EQ(GetLE32(out, 6 + 12), 38u);
    EXPECT_EQ(GetLE32(out, 22 + 12), 118u);
    EXPECT_EQ(out[6 + 3], 7); // bReserved
    EXPECT_EQ(GetLE16(out, 6 + 4), 0u); // wPlanes
    EXPECT_EQ(GetLE16(out, 6 + 6), 0u); // wBitCount
    EXPECT_EQ(out[22], 0); // a width byte of 0 stays 0
    EXPECT_TRUE(std::equal(a.begin(), a.end(), out.begin() + 38));
    EXPECT_TRUE(std::equal(b.begin(), b.end(), out.begin() + 118));
    // The object itself is unchanged by saving.
    EXPECT_EQ(icon.Entry(1).dwImageOffset, 200);
    cFileIcon again;
    ASSERT_TRUE(again.LoadIcon(saved));
    EXPECT_EQ(again.ImageCount(), 2);
}

TEST(SaveIcon, ErrorsAndTheirOrder) {
    cTempDir dir;
    const std::string plain = dir.File("plain");
    mTestKit::WriteBytes(plain, {1});
    cFileIcon empty;
    ExpectError([&] { empty.SaveIcon(""); }, kNoFile, kSource, "No filename specified.");
    ExpectError([&] { empty.SaveIcon(dir.File("x.ico")); }, kCantWrite, kSource, "Icon contains no images.");

    cFileIcon six;
    ASSERT_TRUE(six.LoadIcon(mTestKit::Fixture("icons/six.ico")));
    struct Case {
        std::string target;
        std::int32_t number;
        const char* description;
    } cases[] = {
        {dir.File("missing/x.ico"), kCantWrite, "Couldn't open file for writing."},
        {dir.Path().string(), kCantWrite, "Couldn't open file for writing."},
        {plain + "/below.ico", kCantWrite, "Couldn't open file for writing."},
        {"/dev/full", kCantWrite, "Couldn't open file for writing."}, // a device is never written
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        ExpectError([&] { six.SaveIcon(c.target); }, c.number, kSource, c.description);
        EXPECT_EQ(six.Filename(), c.target); // the name is taken over before the write
        EXPECT_EQ(six.ImageCount(), 6);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path()));
    EXPECT_EQ(mTestKit::ReadBytes(plain).size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no temporary file is left";
}

TEST(SaveIcon, OutputHazards) {
    cFileIcon six;
    ASSERT_TRUE(six.LoadIcon(mTestKit::Fixture("icons/six.ico")));
    mTestKit::ExpectSafeWrites(
        "six.ico",
        [&six](const std::string& folder) {
            try {
                return six.SaveIcon(folder + "/six.ico");
            } catch (const cError&) {
                return false;
            }
        },
        mTestKit::eLinks::kFollowed);
}

TEST(SaveIcon, EmptyArgumentWritesToTheHeldName) {
    cTempDir dir;
    const std::string path = dir.File("held.ico");
    std::filesystem::copy_file(mTestKit::Fixture("icons/multi.ico"), path);
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(path));
    icon.RemoveImage(1);
    ASSERT_TRUE(icon.SaveIcon());
    cFileIcon back;
    ASSERT_TRUE(back.LoadIcon(path));
    EXPECT_EQ(back.ImageCount(), 2);
}

TEST(SaveIcon, ReplacesAnExistingFileAndKeepsItsMode) {
    cTempDir dir;
    const std::string path = dir.File("old.ico");
    mTestKit::WriteBytes(path, std::vector<std::uint8_t>(5000, 0xEE));
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(mTestKit::Fixture("icons/depth4.ico")));
    ASSERT_TRUE(icon.SaveIcon(path));
    EXPECT_EQ(mTestKit::ReadBytes(path), mTestKit::ReadBytes(mTestKit::Fixture("icons/depth4.ico")));
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
}

TEST(SaveIcon, SavingThroughALinkReplacesTheFileItPointsTo) {
    cTempDir dir;
    const std::string real = dir.File("real.ico");
    const std::string link = dir.File("link.ico");
    mTestKit::WriteBytes(real, {9, 9, 9});
    std::filesystem::create_symlink(real, link);
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(mTestKit::Fixture("icons/depth1.ico")));
    ASSERT_TRUE(icon.SaveIcon(link));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(mTestKit::ReadBytes(real), mTestKit::ReadBytes(mTestKit::Fixture("icons/depth1.ico")));
}

namespace {

// In a child process: saves a large icon with a 4 KiB file-size limit, exits 0 when the save
// failed with the write-failure error.
[[noreturn]] void SaveUnderAFileSizeLimit(const std::string& path) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    cFileIcon big;
    big.LoadIcon(mTestKit::Fixture("icons/png256.ico"));
    try {
        big.SaveIcon(path);
    } catch (const cError& e) {
        std::exit(e.Number() == kWriteFailure && e.Description() == "General failure writing icon." ? 0 : 3);
    }
    std::exit(4);
}

} // namespace

// A write that fails half way (the file-size limit stands in for a full disk) leaves the file it
// was to replace untouched and no partial file behind.
TEST(SaveIcon, AFailedWriteKeepsTheOldFile) {
    cTempDir dir;
    const std::string path = dir.File("keep.ico");
    const auto old = mTestKit::ReadBytes(mTestKit::Fixture("icons/depth1.ico"));
    mTestKit::WriteBytes(path, old);
    EXPECT_EXIT(SaveUnderAFileSizeLimit(path), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(mTestKit::ReadBytes(path), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1) << "no temporary file is left";
}

// A new icon given one image saves as the 318-byte file of the icon format, header included (a
// new icon's header becomes that of an icon as soon as it holds an image).
TEST(SaveIcon, TheSmallestIconIsThe318ByteFileOfTheIconFormat) {
    cTempDir dir;
    cFileIcon icon;
    icon.AddImage(16, 16, 16);
    const std::string saved = dir.File("tiny.ico");
    ASSERT_TRUE(icon.SaveIcon(saved));
    auto bytes = mTestKit::ReadBytes(saved);
    ASSERT_EQ(bytes.size(), 318u);
    const std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + 22);
    EXPECT_EQ(head, Bytes({0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x10, 0x10, 0x10, 0x00, 0x01,
                           0x00, 0x04, 0x00, 0x28, 0x01, 0x00, 0x00, 0x16, 0x00, 0x00, 0x00}));
    cFileIcon loaded;
    ASSERT_TRUE(loaded.LoadIcon(saved));
    EXPECT_EQ(loaded.ImageColourCount(1), 16);
}

// The temporary file of a save is named after the target but never longer than a file name may
// be: a target whose name has the full 255 bytes saves like any other.
TEST(SaveIcon, ATargetWithTheLongestNameSaves) {
    cTempDir dir;
    cFileIcon icon;
    ASSERT_TRUE(icon.LoadIcon(mTestKit::Fixture("icons/depth1.ico")));
    for (std::size_t length : {240u, 255u}) {
        SCOPED_TRACE(length);
        const std::string path = dir.File(std::string(length - 4, 'n') + ".ico");
        ASSERT_TRUE(icon.SaveIcon(path));
        EXPECT_EQ(mTestKit::ReadBytes(path), mTestKit::ReadBytes(mTestKit::Fixture("icons/depth1.ico")));
        ASSERT_TRUE(icon.SaveIcon(path)) << "replacing it too";
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2) << "no temporary file is left";
}
