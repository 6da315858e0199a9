// The error log's layout, its failures, the error report and where the log lives.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

#include "common/mTestKit.h"
#include "base/mProgram.h"
#include "platform/cRegistryStore.h"
#include "support/CLog.h"
#include "support/MError.h"

using mTestKit::cTempDir;
using mTestKit::ExpectError;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file cut at CR LF (a bare LF stays inside its line).
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find("\r\n", at);
        if (end == std::string::npos) {
            out.push_back(text.substr(at) + "<no CR LF>");
            break;
        }
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

class cRecordingView : public MError::cErrorView {
public:
    void ShowError(const std::string& title, const std::string& text) override { shown.emplace_back(title, text); }
    std::vector<std::pair<std::string, std::string>> shown;
};

struct cViewInstalled {
    explicit cViewInstalled(MError::cErrorView& v) { MError::SetErrorView(&v); }
    ~cViewInstalled() { MError::SetErrorView(nullptr); }
};

struct cPinnedLog {
    explicit cPinnedLog(std::string p) : path(std::move(p)) { MError::SetErrorLogPath(path); }
    ~cPinnedLog() { MError::SetErrorLogPath(""); }
    std::string path;
};

// A date and time stamp as the locale writes it, "12/08/26 01:16:21" in the C locale: digits and
// separators, no line end.
const std::regex kStamp(R"([0-9][0-9./\-: APMapm]*[0-9APMapm])");

} // namespace

TEST(CLog, SeparatorIsTheNinetyCharacterLine) {
    ASSERT_EQ(CLog::kSeparator.size(), 90u);
    for (std::size_t i = 0; i < 90; ++i) {
        // 1-based positions 22 and 23 are both "="; the alternation shifts after them.
        char expected = (i < 22) ? (i % 2 ? '=' : '-') : (i % 2 ? '-' : '=');
        EXPECT_EQ(CLog::kSeparator[i], expected) << "position " << i + 1;
    }
}

TEST(CLog, ClearLogWritesTheHeaderWhetherOrNotTheFileExists) {
    cTempDir dir;
    CLog log;
    log.LogPath(dir.File("errlog.txt"));
    for (bool existed : {false, true}) {
        SCOPED_TRACE(existed ? "over an existing log" : "missing file");
        if (existed) mTestKit::WriteBytes(log.LogPath(), std::vector<std::uint8_t>(500, 'x'));
        log.ClearLog();
        auto lines = Lines(ReadText(log.LogPath()));
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "[Pictrix Pro Error Log]");
        auto tab = lines[1].find('\t');
        ASSERT_NE(tab, std::string::npos);
        EXPECT_TRUE(std::regex_match(lines[1].substr(0, tab), kStamp)) << lines[1];
        EXPECT_TRUE(std::regex_match(lines[1].substr(tab + 1), kStamp)) << lines[1];
    }
}

TEST(CLog, EntriesOfEveryKind) {
    cTempDir dir;
    CLog log;
    log.LogPath(dir.File("errlog.txt"));
    const cError current(-2147221503, "pictrix.cFileIcon", "Invalid icon file");
    struct {
        const char* name;
        std::int32_t type;
        std::vector<std::string> expected; // after the separator and the title line
        const char* title;
    } cases[] = {
        {"error",
         1,
         {"     [-2147221503]: Invalid icon file", "     the message", "     Error in: pictrix.cFileIcon"},
         "Error "},
        {"warning", 2, {"     the message"}, "Warning: "},
        {"information", 4, {"     the message"}, "Info: "},
        {"untagged", 3, {"     the message"}, "Non-Tagged Entry: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(log.LogPath());
        log.LogEvent("the message", c.type, &current);
        auto lines = Lines(ReadText(log.LogPath()));
        ASSERT_EQ(lines.size(), 2 + c.expected.size());
        EXPECT_EQ(lines[0], CLog::kSeparator);
        ASSERT_EQ(lines[1].rfind(c.title, 0), 0u) << lines[1];
        EXPECT_TRUE(std::regex_match(lines[1].substr(std::string_view(c.title).size()), kStamp)) << lines[1];
        for (std::size_t i = 0; i < c.expected.size(); ++i) EXPECT_EQ(lines[2 + i], c.expected[i]);
    }
    // Without an error in force the error kind writes number 0 and empty texts; entries append.
    log.LogEvent("second", 1);
    auto lines = Lines(ReadText(log.LogPath()));
    ASSERT_EQ(lines.size(), 3u + 5u);
    EXPECT_EQ(lines[3], CLog::kSeparator);
    EXPECT_EQ(lines[5], "     [0]: ");
    EXPECT_EQ(lines[7], "     Error in: ");
}

TEST(CLog, FailuresOfTheFile) {
    cTempDir dir;
    mTestKit::WriteBytes(dir.File("plain"), {});
    const std::string exe = mProgram::ExeBaseName();
    struct {
        const char* name;
        std::string path;
        std::int32_t logEventNumber, clearLogNumber;
        std::string description;
    } cases[] = {
        {"a folder", dir.Path().string(), 75, 75, "Path/File access error (" + dir.Path().string() + ")"},
        {"below a regular file", dir.File("plain") + "/errlog.txt", 76, 76,
         "Path not found (" + dir.File("plain") + "/errlog.txt)"},
        {"a missing folder", dir.File("none") + "/errlog.txt", 76, 76,
         "Path not found (" + dir.File("none") + "/errlog.txt)"},
        {"a device", "/dev/full", 75, 75, "Path/File access error (/dev/full)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CLog log;
        log.LogPath(c.path);
        ExpectError([&] { log.LogEvent("x", 2); }, c.logEventNumber, exe, c.description);
        ExpectError([&] { log.ClearLog(); }, c.clearLogNumber, "CLog:ClearLog", c.description);
    }
    // An empty path stands for the program's folder, which cannot be written as a file.
    CLog log;
    log.LogPath("");
    EXPECT_EQ(log.LogPath(), mProgram::ProgramDir());
    ExpectError([&] { log.LogEvent("x", 1); }, 75, exe, "Path/File access error (" + mProgram::ProgramDir() + ")");
}

// Appends follow a link to the log, but never write anything but a regular file, never block, and
// fail like a full disk at the file-size limit.
TEST(CLog, AppendHazards) {
    mTestKit::ExpectSafeWrites(
        "errlog.txt",
        [](const std::string& folder) {
            try {
                CLog log;
                log.LogPath(folder + "/errlog.txt");
                log.LogEvent("an entry longer than the size limit of the test", CLog::kInformation);
                return true;
            } catch (const cError&) {
                return false;
            }
        },
        mTestKit::eLinks::kFollowed);
}

TEST(MError, ReportLogsAndShowsAsAsked) {
    cTempDir dir;
    cPinnedLog pinned(dir.File("errlog.txt"));
    cRecordingView view;
    cViewInstalled installed(view);

    MError::ReportError(53, "pictrix.cFileIcon", "File not found", true, false);
    EXPECT_TRUE(view.shown.empty());
    auto lines = Lines(ReadText(pinned.path));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], CLog::kSeparator);
    EXPECT_EQ(lines[1].rfind("Error ", 0), 0u);
    EXPECT_EQ(lines[2], "     [53]: File not found");
    EXPECT_EQ(lines[3], "     53\nFile not found"); // the LF keeps number and description on two lines
    EXPECT_EQ(lines[4], "     Error in: pictrix.cFileIcon");

    MError::ReportError(-2147194455, "pictrix.cRegistry", "Failed", false, true);
    ASSERT_EQ(view.shown.size(), 1u);
    EXPECT_EQ(view.shown[0].first, "Pictrix v2");
    EXPECT_EQ(view.shown[0].second, "Error #-2147194455\rpictrix.cRegistry\rFailed");
    EXPECT_EQ(Lines(ReadText(pinned.path)).size(), 5u); // not logged
}

TEST(MError, AnUnwritableLogNeverTakesTheProgramDown) {
    cTempDir dir;
    cPinnedLog pinned(dir.Path().string()); // a folder
    cRecordingView view;
    cViewInstalled installed(view);

    MError::ReportError(7, "src", "Out of memory", true, true);
    ASSERT_EQ(view.shown.size(), 1u);
    const std::string& text = view.shown[0].second;
    EXPECT_EQ(text.rfind("Error #7\rsrc\rOut of memory\r\r", 0), 0u) << text;
    EXPECT_NE(text.find("could not be written to the error log: Error #75, Path/File access error"), std::string::npos)
        << text;

    // Only to be logged: the failure goes to standard error instead of vanishing.
    ::testing::internal::CaptureStderr();
    MError::ReportError(9, "src2", "Subscript out of range", true, false);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(view.shown.size(), 1u);
    EXPECT_NE(err.find("Error #9\nsrc2\nSubscript out of range"), std::string::npos) << err;
    EXPECT_NE(err.find("could not be written"), std::string::npos) << err;

    // A view that throws is survived too.
    struct cThrowingView : MError::cErrorView {
        void ShowError(const std::string&, const std::string&) override { throw std::runtime_error("no display"); }
    } throwing;
    MError::SetErrorView(&throwing);
    ::testing::internal::CaptureStderr();
    MError::ReportError(5, "src3", "Invalid", false, true);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("src3"), std::string::npos);
}

TEST(MError, TheDefaultViewWritesThreeLinesToStandardError) {
    ::testing::internal::CaptureStderr();
    MError::ReportError(91, "pictrix.FMain", "Object variable or With block variable not set", false, true);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Error #91\npictrix.FMain\nObject variable or With block variable not set\n");
}

TEST(MError, WhereTheLogLives) {
    cTempDir dir;
    const std::string state = std::getenv("XDG_STATE_HOME");
    const std::string fallback = state + "/pictrix/errlog.txt";
    std::filesystem::create_directories(dir.Path() / "withlogfolder" / "errlog.txt");
    mTestKit::WriteBytes(dir.File("plain"), {});
    // An installation: bin beside share/pictrix. Its bin folder is writable (root installs, or a
    // prefix in the user's home) and still gets no log.
    std::filesystem::create_directories(dir.Path() / "usr" / "bin");
    std::filesystem::create_directories(dir.Path() / "usr" / "share" / "pictrix" / "Help");
    struct {
        const char* name;
        std::string programDir;
        std::string expected;
    } cases[] = {
        {"writable program folder", dir.Path().string(), dir.File("errlog.txt")},
        {"missing program folder", dir.File("gone"), fallback},
        {"program folder is a file", dir.File("plain"), fallback},
        {"errlog.txt is a folder", dir.File("withlogfolder"), fallback},
        {"installed program", dir.File("usr/bin"), fallback},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(state + "/pictrix");
        EXPECT_EQ(MError::ErrorLogPathFor(c.programDir), c.expected);
        if (c.expected == fallback) {
            EXPECT_TRUE(std::filesystem::is_directory(state + "/pictrix"));
        }
    }
    {
        cPinnedLog pinned(dir.File("pinned.txt"));
        EXPECT_EQ(MError::ErrorLogPath(), dir.File("pinned.txt"));
    }
    EXPECT_EQ(MError::ErrorLogPath(), MError::ErrorLogPathFor(mProgram::ProgramDir()));
}

TEST(CLog, EntriesOfTwoProcessesNeverInterleave) {
    cTempDir dir;
    CLog log;
    log.LogPath(dir.File("errlog.txt"));
    constexpr int kEntries = 300;
    const std::string longMessage(3000, 'm'); // larger than a pipe's atomic write, still one write
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    const std::string who = child == 0 ? "child" : "parent";
    try {
        for (int i = 0; i < kEntries; ++i) log.LogEvent(who + longMessage, CLog::kInformation);
    } catch (...) {
        if (child == 0) ::_exit(1);
        throw;
    }
    if (child == 0) ::_exit(0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    auto lines = Lines(ReadText(log.LogPath()));
    ASSERT_EQ(lines.size(), 3u * 2 * kEntries);
    int parent = 0, children = 0;
    for (std::size_t i = 0; i < lines.size(); i += 3) {
        ASSERT_EQ(lines[i], CLog::kSeparator) << "entry at line " << i;
        ASSERT_EQ(lines[i + 1].rfind("Info: ", 0), 0u);
        if (lines[i + 2] == "     parent" + longMessage)
            ++parent;
        else if (lines[i + 2] == "     child" + longMessage)
            ++children;
    }
    EXPECT_EQ(parent, kEntries);
    EXPECT_EQ(children, kEntries);
}

// The settings store's events go to the error log as warnings; that changes cannot be saved is
// shown as well (standard error, or the windows' message box), once, and a damaged file moved
// aside only logged.
TEST(MError, StoreEventsThatLoseChangesAreShownOnce) {
    cTempDir dir;
    cPinnedLog log(dir.File("errlog.txt"));
    cRecordingView view;
    cViewInstalled installed(view);
    MError::LogStoreEvents();
    mTestKit::WriteBytes(dir.File("damaged.sqlite3"), std::vector<std::uint8_t>(3000, 'x'));
    { cRegistryStore damaged(dir.File("damaged.sqlite3")); }
    EXPECT_TRUE(view.shown.empty());
    std::filesystem::create_directories(dir.File("folder.sqlite3"));
    {
        cRegistryStore unusable(dir.File("folder.sqlite3"));
        cRegKey k;
        unusable.CreateKey(mReg::kHKeyCurrentUser, "A", mReg::kKeyAllAccess, k);
        unusable.SetValue(k, "b", mReg::kRegSz, std::vector<std::uint8_t>{'c'});
    }
    ASSERT_EQ(view.shown.size(), 1u);
    EXPECT_EQ(view.shown[0].first, "Pictrix v2");
    EXPECT_NE(view.shown[0].second.find(dir.File("folder.sqlite3") + " cannot be used"), std::string::npos);
    EXPECT_NE(view.shown[0].second.find("changes made now cannot be saved"), std::string::npos);
    const std::string text = ReadText(log.path);
    EXPECT_NE(text.find("Warning: "), std::string::npos);
    EXPECT_NE(text.find("it was moved to " + dir.File("damaged.sqlite3.damaged-")), std::string::npos) << text;
    EXPECT_NE(text.find(view.shown[0].second), std::string::npos) << text;
}
