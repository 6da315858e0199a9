// pictrix-cli search, run as a user runs it.

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

using namespace mTestKit;
namespace fs = std::filesystem;

TEST(SearchCli, PrintsOrWritesTheMatchesAndTheWindowsClosingText) {
    cTempDir tmp;
    const fs::path root = tmp.Path() / "tree";
    for (const char* f : {"X.EXE", "notes.txt", "B/y.exe"}) {
        fs::create_directories((root / f).parent_path());
        std::ofstream(root / f).put('x');
    }
    const std::string r = root.string();
    std::string out, err;
    ASSERT_EQ(Cli("search " + Quote(r) + " '*.exe'", &out, &err), 0) << err;
    EXPECT_EQ(out, r + "/X.EXE\n" + r + "/B/y.exe\nFind File(s): 2 items found matching \"*.exe\"\n");

    const std::string list = tmp.File("hits.ier");
    ASSERT_EQ(Cli("search " + Quote(r + "/") + " '*.exe' -o " + Quote(list), &out, &err), 0) << err;
    EXPECT_EQ(out, "Find File(s): 2 items found matching \"*.exe\"\n");
    const std::string expected = r + "/X.EXE\r\n\r\n" + r + "/B/y.exe\r\n\r\n";
    EXPECT_EQ(ReadBytes(list), std::vector<std::uint8_t>(expected.begin(), expected.end()));

    const std::string usage = "usage: pictrix-cli search FOLDER SPEC [-o LIST.ier]\n";
    struct {
        std::string args;
        int status;
        std::string err;
    } failures[] = {
        {"search " + Quote(tmp.File("missing")) + " '*'", 1,
         "pictrix-cli: " + tmp.File("missing") + ": The system cannot find the file specified.\n"},
        {"search " + Quote(r), 2, usage},
        {"search " + Quote(r) + " '*' -o", 2, "pictrix-cli search: -o needs a list file\n" + usage},
        {"search " + Quote(r) + " '*' -o " + Quote(tmp.File("hits.ier/no.ier")), 1,
         "pictrix-cli: " + tmp.File("hits.ier/no.ier") + ": 76, pictrix-cli: Path not found (" +
             tmp.File("hits.ier/no.ier") + ")\n"},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.args);
        EXPECT_EQ(Cli(f.args, &out, &err), f.status);
        EXPECT_EQ(err, f.err);
    }
}
