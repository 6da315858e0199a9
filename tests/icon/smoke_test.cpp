#include <gtest/gtest.h>
#include "common/mTestKit.h"
#include "icon/cFileIcon.h"
TEST(Smoke, LoadsMulti) {
    cFileIcon icon;
    EXPECT_TRUE(icon.LoadIcon(mTestKit::Fixture("icons/multi.ico")));
    EXPECT_EQ(icon.ImageCount(), 3);
}
