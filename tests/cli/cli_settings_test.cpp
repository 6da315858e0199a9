// pictrix-cli settings and log, run as users run them (the test's settings and state folders are
// inherited by the child).

#include <filesystem>
#include <fstream>

#include "app/mStartup.h"
#include "common/mTestKit.h"
#include "platform/cRegistryStore.h"
#include "support/MError.h"

namespace {

int Cli(const std::string& args, std::string& out, const std::string& program = PICTRIX_BINARY_DIR "/pictrix-cli") {
    out.clear();
    return mTestKit::Run(mTestKit::Quote(program) + " " + args + " 2>&1", &out);
}

} // namespace

TEST(CliSettings, ListsEveryKeyAndValueWithItsType) {
    mTestKit::cTempDir dir;
    MError::SetErrorLogPath(dir.File("errlog.txt"));
    mStartup::WriteFirstRunDefaults();
    MError::SetErrorLogPath("");
    cRegistryStore& store = cRegistryStore::User();
    cRegKey k;
    ASSERT_EQ(store.CreateKey(mReg::kHKeyLocalMachine, "Software\\Pictrix v2\\MRU", mReg::kKeyAllAccess, k),
              mReg::kErrorSuccess);
    const std::uint8_t four[] = {4, 0, 0, 0};
    const std::uint8_t bytes[] = {0xDE, 0xAD};
    store.SetValue(k, "MaxCount", mReg::kRegDword, four);
    store.SetValue(k, "Blob", mReg::kRegBinary, bytes);
    ASSERT_EQ(store.CreateKey(mReg::kHKeyCurrentUser, "Software\\Empty Key", mReg::kKeyAllAccess, k),
              mReg::kErrorSuccess);

    std::string out;
    ASSERT_EQ(Cli("settings", out), 0) << out;
    EXPECT_EQ(out.rfind("store: " + cRegistryStore::DefaultPath() + "\n", 0), 0u) << out;
    for (const char* expected : {
             "\nHKEY_CURRENT_USER\\Software\\Pictrix v2\\Settings\n    Menu1    REG_SZ    \n",
             "    Backcolor    REG_SZ    -2147483644\n",
             "\nHKEY_CURRENT_USER\\Software\\Pictrix v2\\WinSet\n    Toolbar    REG_SZ    True\n",
             "    mnuView    REG_SZ    3\n",
             "\nHKEY_CURRENT_USER\\Software\\Empty Key\n",
             "\nHKEY_LOCAL_MACHINE\\Software\\Pictrix v2\\MRU\n    MaxCount    REG_DWORD    0x00000004 (4)\n"
             "    Blob    REG_BINARY    DEAD\n",
             "\nHKEY_CLASSES_ROOT\\.ier\n    (Default)    REG_SZ    ",
         }) {
        EXPECT_NE(out.find(expected), std::string::npos) << expected << "\n--- in ---\n" << out;
    }
    EXPECT_EQ(Cli("settings extra", out), 2);
}

TEST(CliLog, PrintsThePathAndTheContents) {
    // A copy of the program in a folder of its own keeps its log there.
    mTestKit::cTempDir dir;
    const std::string program = dir.File("pictrix-cli");
    std::filesystem::copy_file(PICTRIX_BINARY_DIR "/pictrix-cli", program);
    const std::string path = dir.File("errlog.txt");
    std::string out;
    ASSERT_EQ(Cli("log", out, program), 0);
    EXPECT_EQ(out, "error log: " + path + "\n(no error has been logged yet)\n");
    const std::string content = "[Pictrix Pro Error Log]\r\n1/1/26\t1:00:00\r\nline\nwith LF\r\n";
    {
        std::ofstream f(path, std::ios::binary);
        f << content;
    }
    ASSERT_EQ(Cli("log", out, program), 0);
    EXPECT_EQ(out, "error log: " + path + "\n" + content);
    EXPECT_EQ(Cli("log now", out, program), 2);
}
