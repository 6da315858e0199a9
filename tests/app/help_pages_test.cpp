// The help pages beside the program: the pages the Help commands open exist, and every link
// between them leads somewhere.

#include <filesystem>
#include <regex>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

TEST(HelpPages, ThePagesTheCommandsOpenExistAndTheirLinksResolve) {
    const std::filesystem::path help = std::filesystem::path(PICTRIX_BINARY_DIR) / "Help";
    for (const char* page : {"index.htm", "recurse.htm", "formats.htm", "files.htm"}) {
        SCOPED_TRACE(page);
        ASSERT_TRUE(std::filesystem::is_regular_file(help / page));
        const auto bytes = mTestKit::ReadBytes((help / page).string());
        const std::string html(bytes.begin(), bytes.end());
        const std::regex link(R"re((?:href|src)="([^"#:]+)")re");
        int links = 0;
        for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it) {
            ++links;
            EXPECT_TRUE(std::filesystem::exists(help / (*it)[1].str())) << (*it)[1].str();
        }
        EXPECT_GT(links, 3);
    }
}
