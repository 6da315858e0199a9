// pictrix-cli on hostile and unlucky inputs, run as users run it: crafted files whose entries,
// groups or names share bytes stay within 64 MiB plus four times their size (measured under an
// address-space limit) and fail as damaged files; files that are not regular files fail at once;
// names and messages print as what they are.

#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "fixtures/mCraft.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

const std::string kCli = std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli";

} // namespace

// Each crafted file is run under an address-space limit of 64 MiB plus four times its size:
// anything that copies shared bytes once per reference runs out of memory there, and the test
// sees "Out of memory" (or an abort) instead of the damaged file's error.
TEST(HostileCli, CraftedFilesStayWithinTheirMemoryAndFailAsDamaged) {
    if (UnderAddressSanitizer()) GTEST_SKIP() << kNoLimitUnderSanitizer;
    const std::string readBits = "Failed to read bitmap bits from resource.";
    const std::string imagesCorrupt = "Failed to load icon: Icon Images Array is Corrupt.";
    struct {
        const char* name;
        const char* file;
        std::function<mCraft::tBytes()> make;
        const char* command;
        int status;
        std::string says; // on standard error; empty for a run that must succeed
    } cases[] = {
        {".ico of 4,000 entries naming one 1 MiB block", "shared.ico",
         [] { return mCraft::IcoSharingOneBlock(4000, 1 << 20); }, "info", 1, imagesCorrupt},
        {".ico of 32,767 entries naming one 512 KiB block", "many.ico",
         [] { return mCraft::IcoSharingOneBlock(32767, 512 << 10); }, "list", 1, imagesCorrupt},
        {".ico of 4,000 entries, rendered", "shared.ico", [] { return mCraft::IcoSharingOneBlock(4000, 1 << 20); },
         "render --size 16 -o OUT/x.png", 1, imagesCorrupt},
        {"one group of 1,000 entries naming one 2 MiB image", "repeat.dll",
         [] { return mCraft::PeOneGroupRepeatingAnImage(1000, 2 << 20); }, "list", 1, readBits},
        {"3,000 groups sharing one 1 MiB image", "groups.dll",
         [] { return mCraft::PeGroupsSharingAnImage(3000, 1 << 20); }, "list", 1, readBits},
        {"3,000 groups sharing one 1 MiB image, extracted", "groups.dll",
         [] { return mCraft::PeGroupsSharingAnImage(3000, 1 << 20); }, "extract -o OUT", 1, readBits},
        // The allowance does not grow with the loader threads.
        {"3,000 groups sharing one 1 MiB image, extracted by eight jobs", "groups.dll",
         [] { return mCraft::PeGroupsSharingAnImage(3000, 1 << 20); }, "extract --jobs 8 -o OUT", 1, readBits},
        {"20,000 named groups sharing one name of 30,000 characters", "samename.dll",
         [] { return mCraft::PeGroupsSharingAName(20000, 30000); }, "list", 1,
         "pictrix-cli.cResource: The data is invalid."},
        {"20,000 named groups sharing one name, extracted", "samename.dll",
         [] { return mCraft::PeGroupsSharingAName(20000, 30000); }, "extract -o OUT", 1, "The data is invalid."},
        {".ani of 2,000,000 empty frames", "empty.ani",
         [] {
             mCraft::cAniShape shape;
             shape.frames.resize(2000000);
             return mCraft::Ani(shape);
         },
         "info", 1, "The file holds more frames than its size allows."},
        {".icns of 40 JPEG 2000 streams claiming 1024 x 1024 pixels each", "claims.icns",
         [] { return mCraft::IcnsRepeating("ic10", mCraft::Jpeg2000Claiming(1024, 1024), 40); }, "list", 1,
         "element 'ic10' at offset 8: its JPEG 2000 stream cannot be decoded"},
        {".icns of 4,000 JPEG 2000 streams claiming 60000 x 60000 pixels, rendered", "huge.icns",
         [] { return mCraft::IcnsRepeating("ic10", mCraft::Jpeg2000Claiming(60000, 60000), 4000); },
         "render --size 16 -o OUT/x.png", 1, "claims 60000 x 60000 pixels, more than 1024 on a side"},
        // Files that share a little, and large valid ones, load whole within the same allowance.
        {".ico of two entries naming one block", "two.ico", [] { return mCraft::IcoSharingOneBlock(2, 4096); }, "info",
         0, ""},
        // As much sharing as the budget allows, extracted: the icon, its copy and its file's bytes.
        {".ico of 16 entries naming one 1 MiB block, extracted", "sixteen.ico",
         [] { return mCraft::IcoSharingOneBlock(16, 1 << 20); }, "extract -o OUT", 0, ""},
        {"30 groups sharing one 100 KiB image", "fewgroups.dll",
         [] { return mCraft::PeGroupsSharingAnImage(30, 100 << 10); }, "extract -o OUT", 0, ""},
        {"8,000 named groups", "named.dll", [] { return mCraft::PeNamedGroups(8000); }, "list", 0, ""},
        {".icns of 20,000 unpacked 16 x 16 images", "many.icns",
         [] { return mCraft::IcnsRepeating("is32", mCraft::tBytes(1024, 0x55), 20000); }, "list", 0, ""},
        {"500 named groups, extracted", "named.dll", [] { return mCraft::PeNamedGroups(500); }, "extract -o OUT", 0,
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTempDir dir;
        const std::string file = dir.File(c.file);
        WriteBytes(file, c.make());
        fs::create_directories(dir.Path() / "out");
        std::string command = c.command;
        for (auto at = command.find("OUT"); at != std::string::npos; at = command.find("OUT"))
            command.replace(at, 3, Quote((dir.Path() / "out").string()));
        const std::uint64_t limit = MemoryAllowance(fs::file_size(file));
        std::string out, err;
        const int status = RunLimited(kCli + " " + command + " " + Quote(file), limit, &out, &err);
        EXPECT_EQ(status, c.status) << err;
        EXPECT_EQ(err.find("Out of memory"), std::string::npos) << err;
        if (c.says.empty())
            EXPECT_EQ(err, "");
        else
            EXPECT_NE(err.find(c.says), std::string::npos) << err;
    }
}

// Memory that runs out is a clean failure: error 7 with the file's name and status 1, never an
// abort; list shows the groups loaded whole before it, nothing of the one that failed. The files
// are valid (their groups fit the load's budget); the limit of 16 MiB is what runs out.
TEST(HostileCli, OutOfMemoryIsReportedWithTheFileAndEndsTheRunCleanly) {
    if (UnderAddressSanitizer()) GTEST_SKIP() << kNoLimitUnderSanitizer;
    cTempDir dir;
    const std::string module = dir.File("fifteen.dll"), icon = dir.File("fifteen.ico");
    WriteBytes(module, mCraft::PeGroupsSharingAnImage(15, 1 << 20));
    WriteBytes(icon, mCraft::IcoSharingOneBlock(15, 1 << 20));
    fs::create_directories(dir.Path() / "out");
    struct {
        std::string command;
        std::string file;
    } cases[] = {
        {"list", module},
        {"info", icon},
        {"list", icon},
        {"render -o " + Quote(dir.File("x.png")), module},
        {"extract -o " + Quote((dir.Path() / "out").string()), module},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command + " " + c.file);
        std::string out, err;
        EXPECT_EQ(RunLimited(kCli + " " + c.command + " " + Quote(c.file), 16 << 20, &out, &err), 1) << err;
        EXPECT_NE(err.find("pictrix-cli: " + c.file + ": 7, pictrix-cli: Out of memory\n"), std::string::npos) << err;
        if (c.command == "list" && c.file == module) {
            // Whole groups only: each line names its group and its one image.
            const auto head = out.find(" icon groups\n");
            ASSERT_NE(head, std::string::npos) << out;
            const int listed = std::stoi(out.substr(out.rfind(' ', head - 1) + 1));
            EXPECT_GT(listed, 0);
            EXPECT_LT(listed, 15);
            for (int g = 1; g <= listed; ++g) {
                const std::string line = "\n" + std::to_string(g) + "\t" + std::to_string(g) + "\t1\t16x16 4-bit\n";
                EXPECT_NE(out.find(line), std::string::npos) << out;
            }
        }
    }
}

// Inputs that are not regular files fail at once instead of waiting for a writer.
TEST(HostileCli, FilesThatAreNotRegularFilesFailAtOnce) {
    cTempDir dir;
    const std::string fifo = dir.File("pipe.ico"), fifoModule = dir.File("pipe.dll"), socketPath = dir.File("s.ico");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(fifoModule.c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string cannotOpen = "The system cannot open the device or file specified.";
    struct {
        std::string command;
        std::string says;
    } cases[] = {
        {"info " + Quote(fifo), "Failed to load icon: " + cannotOpen},
        {"list " + Quote(fifo), "Failed to load icon: " + cannotOpen},
        {"list " + Quote(fifoModule), "-2147220455, pictrix-cli: " + cannotOpen},
        {"render " + Quote(fifoModule) + " -o " + Quote(dir.File("x.png")), cannotOpen},
        {"extract -o " + Quote(dir.Path().string()) + " " + Quote(fifoModule), cannotOpen},
        {"info " + Quote(socketPath), "Failed to load icon: " + cannotOpen},
        {"list /dev/zero", cannotOpen},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        std::string out, err;
        // `timeout` ends a run that blocks with status 124.
        EXPECT_EQ(Cli(c.command, &out, &err), 1) << err;
        EXPECT_NE(err.find(c.says), std::string::npos) << err;
    }
    ::close(sock);
}

// The kind of a file is read from the name the user gave, and the messages print whole.
TEST(HostileCli, NamesAndMessagesPrintAsTheyAre) {
    cTempDir dir;
    // An icon file without an extension, named bare: an icon file, not a module.
    fs::copy_file(Fixture("icons/depth4.ico"), dir.File("noext"));
    std::string out, err;
    ASSERT_EQ(mTestKit::Run("cd " + Quote(dir.Path().string()) + " && " + kCli + " list noext", &out), 0) << out;
    EXPECT_EQ(out, "noext: 1 icon group\n1\t-\t2\t32x32 4-bit, 16x16 4-bit\n");
    ASSERT_EQ(mTestKit::Run("cd " + Quote(dir.Path().string()) + " && " + kCli + " extract noext >/dev/null", &out), 0);
    EXPECT_TRUE(fs::exists(dir.File("noext1.ico")));

    // A module path too long for the system text's own buffer still gets the whole text.
    const fs::path deep = dir.Path() / std::string(120, 'd') / std::string(120, 'e');
    fs::create_directories(deep);
    const std::string notModule = (deep / "not-a-module.dll").string();
    WriteBytes(notModule, std::vector<std::uint8_t>(100, 'x'));
    EXPECT_EQ(Cli("list " + Quote(notModule), &out, &err), 1);
    EXPECT_EQ(err, "pictrix-cli: " + notModule + ": -2147220455, pictrix-cli: " + notModule +
                       " is not a valid Win32 application.\n");

    // Control characters in a file name, and the line end of a system text, are not printed raw.
    const std::string odd = dir.File("bell\a\x1b[31mred\tname.dll");
    WriteBytes(odd, std::vector<std::uint8_t>(100, 'x'));
    EXPECT_EQ(Cli("list " + Quote(odd), &out, &err), 1);
    const std::string shown = dir.File("bell\\x07\\x1B[31mred\\tname.dll");
    EXPECT_EQ(err, "pictrix-cli: " + shown + ": -2147220455, pictrix-cli: " + shown +
                       " is not a valid Win32 application.\n");
    EXPECT_EQ(out, shown + ": 0 icon groups\n");

    // A group name that holds control characters, and one too long for a file name.
    mCraft::cPeSpec spec;
    spec.icons.push_back({{}, 1, mCraft::IconImage()});
    spec.groups.push_back({u"TAB\tNEW\nLINE\x1B", 0, mCraft::GroupDir({1}, 296)});
    spec.groups.push_back({std::u16string(300, u'L'), 0, mCraft::GroupDir({1}, 296)});
    const std::string names = dir.File("names.dll");
    WriteBytes(names, mCraft::Pe32(spec));
    EXPECT_EQ(Cli("list " + Quote(names), &out, &err), 0) << err;
    EXPECT_NE(out.find("\n1\tTAB\\tNEW\\nLINE\\x1B\t1\t16x16 4-bit\n"), std::string::npos) << out;
    fs::create_directories(dir.Path() / "out");
    EXPECT_EQ(Cli("extract -o " + Quote((dir.Path() / "out").string()) + " " + Quote(names), &out, &err), 0) << err;
    const std::string tooLong = "names2" + std::string(300, 'L') + ".ico is too long for a file name; saved as ";
    EXPECT_NE(err.find(tooLong), std::string::npos) << err;
    EXPECT_NE(out.find("Total icons saved: 2\n"), std::string::npos) << out;
}
