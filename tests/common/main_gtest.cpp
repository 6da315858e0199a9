// The main of every GoogleTest program: points the settings and state folders at a temporary
// folder of the run, so that no test ever touches the user's own.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "containers/mContainers.h"
#include "support/MError.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    mTestKit::cTempDir home;
    auto config = home.Path() / "config";
    auto state = home.Path() / "state";
    std::filesystem::create_directories(config);
    std::filesystem::create_directories(state);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    ::setenv("HOME", home.Path().c_str(), 1);
    MError::LogStoreEvents();
    mContainers::Install();
    return RUN_ALL_TESTS();
}
