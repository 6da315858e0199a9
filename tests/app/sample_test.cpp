// The sample that `make run` opens (drawn by make-sample): a module that other tools read as we
// do, with every kind of image a user meets.

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

TEST(Sample, HoldsEveryKindOfImageAndReadsElsewhereToo) {
    const std::string sample = std::string(PICTRIX_BINARY_DIR) + "/sample/sample.dll";
    std::string json;
    ASSERT_EQ(
        mTestKit::Run(std::string(PICTRIX_BINARY_DIR) + "/pictrix-cli list --json " + mTestKit::Quote(sample), &json),
        0)
        << json;
    int groups = 0;
    for (std::size_t at = 0; (at = json.find("\"kind\":\"icon\"", at)) != std::string::npos; ++at) ++groups;
    EXPECT_EQ(groups, 8) << json;
    for (const char* bits : {"\"bits\":1,", "\"bits\":4,", "\"bits\":8,", "\"bits\":24,", "\"bits\":32,"})
        EXPECT_NE(json.find(bits), std::string::npos) << bits;
    EXPECT_NE(json.find("\"width\":256,\"height\":256,\"bits\":32,\"bytes\":"), std::string::npos);
    EXPECT_NE(json.find("\"png\":true"), std::string::npos);
    for (const char* id : {"\"id\":\"FOLDER\"", "\"id\":\"PAGE\"", "\"id\":100"})
        EXPECT_NE(json.find(id), std::string::npos) << id;
    // icoutils reads the same groups out of it.
    if (mTestKit::Run("command -v wrestool >/dev/null") != 0) GTEST_SKIP() << "wrestool is not installed";
    std::string listed;
    ASSERT_EQ(mTestKit::Run("wrestool -l --type=14 " + mTestKit::Quote(sample), &listed), 0);
    int named = 0;
    for (std::size_t at = 0; (at = listed.find("--type=14", at)) != std::string::npos; ++at) ++named;
    EXPECT_EQ(named, 8) << listed;
}
