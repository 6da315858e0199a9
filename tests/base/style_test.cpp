// Every C++ file of the tree is laid out as .clang-format says, so that a change shows only what
// it changes. Skipped where clang-format is not installed.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

TEST(Style, EveryFileFollowsTheTreesLayout) {
    if (mTestKit::Run("command -v clang-format >/dev/null") != 0) GTEST_SKIP() << "clang-format is not installed";
    const std::string root = PICTRIX_SOURCE_DIR;
    std::string files;
    for (const char* folder : {"src", "tests", "bench", "fuzz", "data"}) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(root + "/" + folder)) {
            const auto ext = e.path().extension();
            if (e.is_regular_file() && (ext == ".cpp" || ext == ".h"))
                files += " " + mTestKit::Quote(e.path().string());
        }
    }
    std::string complaints;
    EXPECT_EQ(mTestKit::Run("cd " + mTestKit::Quote(root) + " && clang-format --dry-run --Werror" + files + " 2>&1",
                            &complaints),
              0)
        << complaints.substr(0, 4000);
}
