// The start-up core: command lines, the first start and its defaults, the path record, and the
// steps of Main with its two error handlers.

#include <filesystem>
#include <fstream>

#include "app/mStartup.h"
#include "common/mTestKit.h"
#include "platform/cRegistryStore.h"
#include "base/mProgram.h"
#include "support/CLog.h"
#include "support/MError.h"
#include "support/cRegistry.h"
#include "support/mSettings.h"

using mTestKit::cTempDir;
using namespace mStartup;

namespace {

const std::string kApp = "Pictrix v2";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class cRecordingHost : public cStartupHost {
public:
    void PrintFromFile(const std::string& file) override { Step("print " + file); }
    void DisplayList(const std::string& file) override { Step("list " + file); }
    void ShowSplash() override { Step("splash"); }
    void ShowMainWindow() override { Step("main"); }
    void ShowSearchWindow() override { Step("search"); }
    void EndProgram() override { Step("end"); }

    std::vector<std::string> steps;
    std::string failAt; // the step (its first word) that raises

private:
    void Step(const std::string& s) {
        steps.push_back(s);
        if (!failAt.empty() && s.rfind(failAt, 0) == 0) {
            throw cError(cError::kFileNotFound, "pictrix.FRecurse", "File not found");
        }
    }
};

class cRecordingView : public MError::cErrorView {
public:
    void ShowError(const std::string&, const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

// Each test starts from an empty store and with its own error log and error view.
class StartupTest : public ::testing::Test {
protected:
    StartupTest() : log_(dir_.File("errlog.txt")) {
        ClearStore();
        MError::SetErrorLogPath(log_);
        MError::SetErrorView(&view_);
    }
    ~StartupTest() override {
        MError::SetErrorView(nullptr);
        MError::SetErrorLogPath("");
    }
    static void ClearStore() {
        cRegistryStore& store = cRegistryStore::User();
        // Delete deepest keys first.
        auto entries = store.Snapshot();
        std::vector<std::pair<std::uint32_t, std::string>> keys;
        for (const auto& e : entries) {
            if (!e.keyPath.empty() && (keys.empty() || keys.back() != std::pair{e.root, e.keyPath})) {
                keys.emplace_back(e.root, e.keyPath);
            }
        }
        std::sort(keys.begin(), keys.end(),
                  [](const auto& a, const auto& b) { return a.second.size() > b.second.size(); });
        for (const auto& [root, path] : keys) store.DeleteKey(root, path);
    }
    static std::string ClassText(const std::string& section) {
        cRegistry r;
        r.ClassKey(cRegistry::kHKeyClassesRoot);
        r.SectionKey(section);
        return cRegistry::TextOf(r.Value());
    }

    cTempDir dir_;
    std::string log_;
    cRecordingView view_;
};

} // namespace

// The arguments as the system hands them: one argument is one name, whatever it holds.
TEST(mStartupCommandLine, Forms) {
    using tArgs = std::vector<std::string>;
    struct {
        const char* name;
        tArgs args;
        eCommand command;
        std::string file;
    } cases[] = {
        {"none", {}, eCommand::Empty, ""},
        {"an empty argument", {""}, eCommand::Empty, ""},
        {"a name with capitals and blanks",
         {"/home/Ann/My Lists/Big Search.ier"},
         eCommand::OpenList,
         "/home/Ann/My Lists/Big Search.ier"},
        {"blanks around a name are the name's", {" a.ier "}, eCommand::OpenList, " a.ier "},
        {"a double quote in a name", {"/tmp/say \"hi\".ier"}, eCommand::OpenList, "/tmp/say \"hi\".ier"},
        {"a name that is not UTF-8", {"/tmp/caf\xe9.ico"}, eCommand::OpenList, "/tmp/caf\xe9.ico"},
        {"a leading dash", {"-x.ico"}, eCommand::OpenList, "-x.ico"},
        {"print", {"/p", "/tmp/a b.ier"}, eCommand::Print, "/tmp/a b.ier"},
        {"print in upper case", {"/P", "/tmp/A.ier"}, eCommand::Print, "/tmp/A.ier"},
        {"only /p", {"/p"}, eCommand::Print, ""},
        {"edit switch", {"/e", "/tmp/e.ier"}, eCommand::OpenList, "/tmp/e.ier"},
        {"unknown switch", {"/x", "/tmp/x.ier"}, eCommand::OpenList, "/tmp/x.ier"},
        // Absolute paths start with the separator; only "/" + one character is a switch.
        {"absolute path beginning with /p", {"/pub/Lists/a.ier"}, eCommand::OpenList, "/pub/Lists/a.ier"},
        {"print of an absolute path", {"/p", "/pub/a.ier"}, eCommand::Print, "/pub/a.ier"},
        {"a name after --", {"--", "--help"}, eCommand::OpenList, "--help"},
        {"a switch's name after --", {"--", "/p"}, eCommand::OpenList, "/p"},
        {"-- alone", {"--"}, eCommand::Empty, ""},
        {"help", {"--help"}, eCommand::Help, ""},
        {"short help", {"-h", "a.ier"}, eCommand::Help, ""},
        {"version", {"--version"}, eCommand::Version, ""},
        {"two files", {"a.ier", "b.ier"}, eCommand::BadUsage, "a.ier"},
        {"print of two files", {"/p", "a.ier", "b.ier"}, eCommand::BadUsage, "a.ier"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cCommandLine cl = ClassifyArguments(c.args);
        EXPECT_EQ(cl.command, c.command);
        EXPECT_EQ(cl.file, c.file);
        EXPECT_EQ(FileFromCommandLine(c.args), c.file);
    }
}

TEST_F(StartupTest, FirstStartWritesTheDefaultsOnce) {
    mTestKit::WriteBytes(log_, std::vector<std::uint8_t>(100, 'x')); // an old log is replaced
    ASSERT_TRUE(IsFirstStart());
    cRecordingHost host;
    EXPECT_EQ(Main({}, host), eStartResult::WindowsShown);
    EXPECT_EQ(host.steps, (std::vector<std::string>{"splash", "main"}));
    EXPECT_FALSE(IsFirstStart());
    EXPECT_TRUE(view_.shown.empty());

    // "Settings" in the order written, then "WinSet".
    EXPECT_EQ(mSettings::GetAllSettings(kApp, "Settings"),
              (std::vector<std::pair<std::string, std::string>>{
                  {"Menu1", ""}, {"Menu2", ""}, {"Menu3", ""}, {"Menu4", ""}, {"Backcolor", "-2147483644"}}));
    EXPECT_EQ(mSettings::GetAllSettings(kApp, "WinSet"),
              (std::vector<std::pair<std::string, std::string>>{
                  {"Toolbar", "True"}, {"Statusbar", "True"}, {"WinState", "0"}, {"mnuView", "3"}}));
    EXPECT_EQ(mSettings::GetSetting(kApp, "Path", "AppPath"), mProgram::ExePath());

    // The list-file type, pointing at the desktop program beside this one.
    const std::string cls = mProgram::ExeBaseName();
    const std::string exe = "\"" + mProgram::ProgramDir() + "/pictrix\"";
    EXPECT_EQ(ClassText(".ier"), cls);
    EXPECT_EQ(ClassText(cls), "Pictrix Recurse List");
    EXPECT_EQ(ClassText(cls + "\\shell\\open\\command"), exe + " \"%1\"");
    EXPECT_EQ(ClassText(cls + "\\shell\\print\\command"), exe + " /p \"%1\"");
    EXPECT_EQ(ClassText(cls + "\\shell\\edit\\command"), exe + " /e \"%1\"");
    EXPECT_EQ(ClassText(cls + "\\DefaultIcon"), exe);
    cRegistry r;
    r.ClassKey(cRegistry::kHKeyClassesRoot);
    r.SectionKey(cls + "\\shell\\new");
    EXPECT_FALSE(r.KeyExists());

    std::string log = ReadText(log_);
    EXPECT_EQ(log.rfind("[Pictrix Pro Error Log]\r\n", 0), 0u);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);

    // A later start keeps what the user changed and rewrites only the path record.
    mSettings::SaveSetting(kApp, "Settings", "Backcolor", "255");
    mSettings::SaveSetting(kApp, "Path", "AppPath", "/old/place");
    CLog appended;
    appended.LogPath(log_);
    appended.LogEvent("kept", CLog::kInformation);
    cRecordingHost again;
    EXPECT_EQ(Main({""}, again), eStartResult::WindowsShown);
    EXPECT_EQ(mSettings::GetSetting(kApp, "Settings", "Backcolor"), "255");
    EXPECT_EQ(mSettings::GetSetting(kApp, "Path", "AppPath"), mProgram::ExePath());
    EXPECT_NE(ReadText(log_).find("kept"), std::string::npos);
}

TEST_F(StartupTest, CommandLinesDriveTheWindows) {
    // The files the lines name exist (a name that does not is the next test's).
    const std::string lists = dir_.File("My Lists");
    std::filesystem::create_directories(lists);
    for (const char* name : {"A.ier", "My List.ier", "e.ier", "bad.ier", "l.ier"})
        mTestKit::WriteBytes(lists + "/" + name, {});
    const std::string at = lists + "/";
    struct {
        const char* name;
        std::vector<std::string> args;
        std::string failAt;
        eStartResult result;
        std::vector<std::string> steps;
        bool reported;
    } cases[] = {
        {"empty", {}, "", eStartResult::WindowsShown, {"splash", "main"}, false},
        {"print", {"/P", at + "A.ier"}, "", eStartResult::Ended, {"print " + lists + "/A.ier", "end"}, false},
        {"only /p", {"/p"}, "", eStartResult::Ended, {"print ", "end"}, false},
        {"list",
         {at + "My List.ier"},
         "",
         eStartResult::WindowsShown,
         {"list " + lists + "/My List.ier", "splash", "main", "search"},
         false},
        {"edit",
         {"/e", at + "e.ier"},
         "",
         eStartResult::WindowsShown,
         {"list " + lists + "/e.ier", "splash", "main", "search"},
         false},
        // Handler B: the report, then every window goes.
        {"list that fails", {at + "bad.ier"}, "list", eStartResult::Ended, {"list " + lists + "/bad.ier", "end"}, true},
        {"printing that fails",
         {"/p", at + "bad.ier"},
         "print",
         eStartResult::Failed,
         {"print " + lists + "/bad.ier", "end"},
         true},
        {"search window that fails",
         {at + "l.ier"},
         "search",
         eStartResult::Ended,
         {"list " + lists + "/l.ier", "splash", "main", "search", "end"},
         true},
        // Handler A covers the empty line's windows: reported, no EndProgram.
        {"main window that fails", {}, "main", eStartResult::Failed, {"splash", "main"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(log_);
        view_.shown.clear();
        cRecordingHost host;
        host.failAt = c.failAt;
        EXPECT_EQ(Main(c.args, host), c.result);
        EXPECT_EQ(host.steps, c.steps);
        if (c.reported) {
            ASSERT_EQ(view_.shown.size(), 1u);
            EXPECT_EQ(view_.shown[0], "Error #53\rpictrix.FRecurse\rFile not found");
            EXPECT_NE(ReadText(log_).find("     [53]: File not found\r\n"), std::string::npos);
        } else {
            EXPECT_TRUE(view_.shown.empty());
        }
    }
}

TEST_F(StartupTest, AFileThatCannotBeReadIsReportedBeforeAnyWindowHasIt) {
    mTestKit::WriteBytes(dir_.File("plain"), {});
    const std::string exe = mProgram::ExeBaseName();
    struct {
        const char* name;
        std::string file;
        std::int32_t number;
        std::string cause;
    } cases[] = {
        {"missing", dir_.File("gone.ier"), 53, "The system cannot find the file specified."},
        {"missing folder", dir_.File("gone/x.ier"), 53, "The system cannot find the path specified."},
        {"below a file", dir_.File("plain/x.ier"), 53, "The system cannot find the path specified."},
        {"a folder", dir_.Path().string(), 75, "it is a folder, not a file."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mTestKit::ExpectError([&] { CheckCommandLineFile(c.file); }, c.number, exe,
                              "Cannot open \"" + c.file + "\": " + c.cause);
        view_.shown.clear();
        cRecordingHost host;
        EXPECT_EQ(Main({c.file}, host), eStartResult::Ended);
        EXPECT_EQ(host.steps, std::vector<std::string>{"end"}) << "no window was given the file";
        ASSERT_EQ(view_.shown.size(), 1u);
        EXPECT_NE(view_.shown[0].find("\"" + c.file + "\""), std::string::npos) << view_.shown[0];
        // Printing reports the file it cannot read itself, as a failed print; a folder is said
        // as opening it says it, and the program ends with a failure.
        cRecordingHost printing;
        view_.shown.clear();
        const bool folder = std::string(c.name) == "a folder";
        EXPECT_EQ(Main({"/p", c.file}, printing), folder ? eStartResult::Failed : eStartResult::Ended);
        const std::vector<std::string> steps =
            folder ? std::vector<std::string>{"end"} : std::vector<std::string>{"print " + c.file, "end"};
        EXPECT_EQ(printing.steps, steps);
        if (folder) {
            ASSERT_EQ(view_.shown.size(), 1u);
            EXPECT_NE(view_.shown[0].find("it is a folder, not a file."), std::string::npos) << view_.shown[0];
        }
    }
    EXPECT_NO_THROW(CheckCommandLineFile(dir_.File("plain")));
}

TEST_F(StartupTest, AFailedFirstStartOpensNoWindowAndIsRetried) {
    MError::SetErrorLogPath(dir_.Path().string()); // the log is a folder: ClearLog fails
    cRecordingHost host;
    EXPECT_EQ(Main({"/tmp/a.ier"}, host), eStartResult::Failed);
    EXPECT_TRUE(host.steps.empty());
    ASSERT_EQ(view_.shown.size(), 1u);
    EXPECT_EQ(view_.shown[0].rfind("Error #75\rCLog:ClearLog\rPath/File access error", 0), 0u) << view_.shown[0];
    // The steps before the log were done, the ones after it not; the next start tries again.
    EXPECT_EQ(mSettings::GetSetting(kApp, "Settings", "Backcolor"), "-2147483644");
    EXPECT_EQ(mSettings::GetSetting(kApp, "WinSet", "Toolbar", "<none>"), "<none>");
    EXPECT_TRUE(IsFirstStart());

    MError::SetErrorLogPath(log_);
    cRecordingHost again;
    EXPECT_EQ(Main({}, again), eStartResult::WindowsShown);
    EXPECT_EQ(mSettings::GetSetting(kApp, "WinSet", "Toolbar"), "True");
    EXPECT_FALSE(IsFirstStart());
}
