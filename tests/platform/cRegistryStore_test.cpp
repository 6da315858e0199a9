// The registry stand-in: key paths, typed values, result codes, sharing between processes and
// recovery from a damaged file.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <grp.h>
#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "common/mTestKit.h"
#include "platform/cRegistryStore.h"
#include "support/MError.h"

using namespace mReg;
using mTestKit::cTempDir;

namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

std::string Fold_Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> FilesStartingWith(const std::filesystem::path& dir, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        std::string name = e.path().filename().string();
        if (name.rfind(prefix, 0) == 0) out.push_back(name);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Keeps the error log of a test in its own folder.
struct cPinnedLog {
    explicit cPinnedLog(const cTempDir& dir) : path(dir.File("errlog.txt")) { MError::SetErrorLogPath(path); }
    ~cPinnedLog() { MError::SetErrorLogPath(""); }
    std::string path;
};

} // namespace

TEST(cRegistryStore, KeysCompareWithoutCaseAndKeepTheirSpelling) {
    cTempDir dir;
    cRegistryStore store(dir.File("r.sqlite3"));
    cRegKey k;
    std::uint32_t disp = 0;
    ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "Software\\Foo", kKeyAllAccess, k, &disp), kErrorSuccess);
    EXPECT_EQ(disp, kCreatedNewKey);
    ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "SOFTWARE\\foo\\Bar\\", kKeyAllAccess, k, &disp), kErrorSuccess);
    EXPECT_EQ(disp, kCreatedNewKey);
    EXPECT_EQ(k.Path(), "Software\\Foo\\Bar");
    ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "software\\FOO", kKeyAllAccess, k, &disp), kErrorSuccess);
    EXPECT_EQ(disp, kOpenedExistingKey);
    EXPECT_EQ(k.Path(), "Software\\Foo");

    // The same path under another root is another key.
    EXPECT_EQ(store.OpenKey(kHKeyLocalMachine, "Software\\Foo", kKeyQueryValue, k), kErrorFileNotFound);
    EXPECT_FALSE(k.IsOpen());

    cRegKey root;
    ASSERT_EQ(store.OpenKey(kHKeyCurrentUser, "", kKeyAllAccess, root), kErrorSuccess);
    std::string name;
    EXPECT_EQ(store.EnumKey(root, 0, name), kErrorSuccess);
    EXPECT_EQ(name, "Software");
    EXPECT_EQ(store.EnumKey(root, 1, name), kErrorNoMoreItems);

    // Subkeys come in name order without regard to case; grandchildren are not listed.
    ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "Software\\Foo\\alpha", kKeyAllAccess, k), kErrorSuccess);
    ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "Software\\Foo\\Charlie\\deep", kKeyAllAccess, k), kErrorSuccess);
    ASSERT_EQ(store.OpenKey(kHKeyCurrentUser, "software\\foo", kKeyAllAccess, k), kErrorSuccess);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; store.EnumKey(k, i, name) == kErrorSuccess; ++i) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Bar", "Charlie"}));
    cRegKeyInfo info;
    ASSERT_EQ(store.QueryInfoKey(k, info), kErrorSuccess);
    EXPECT_EQ(info.subKeys, 3u);
    EXPECT_EQ(info.maxSubKeyLen, 7u);
}

TEST(cRegistryStore, PathsAndRootsThatAreRefused) {
    cTempDir dir;
    cRegistryStore store(dir.File("r.sqlite3"));
    struct {
        const char* name;
        std::uint32_t root;
        std::string path;
        std::uint32_t expected;
    } cases[] = {
        {"leading backslash", kHKeyCurrentUser, "\\a", kErrorBadPathname},
        {"doubled backslash", kHKeyCurrentUser, "a\\\\b", kErrorBadPathname},
        {"name of 256", kHKeyCurrentUser, std::string(256, 'n'), kErrorInvalidParameter},
        {"name of 255", kHKeyCurrentUser, std::string(255, 'n'), kErrorSuccess},
        {"root 0", 0, "a", kErrorInvalidHandle},
        {"HKEY_USERS", 0x80000003u, "a", kErrorInvalidHandle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cRegKey k;
        EXPECT_EQ(store.CreateKey(c.root, c.path, kKeyAllAccess, k), c.expected);
        EXPECT_EQ(k.IsOpen(), c.expected == kErrorSuccess);
    }
}

TEST(cRegistryStore, ValuesKeepTypeAndBytes) {
    cTempDir dir;
    cRegistryStore store(dir.File("r.sqlite3"));
    cRegKey k;
    ASSERT_EQ(store.CreateKey(kHKeyLocalMachine, "Software\\Test", kKeyAllAccess, k), kErrorSuccess);
    struct {
        const char* name;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
    } cases[] = {
        {"", kRegSz, Bytes(std::string_view("default\0", 8))},
        {"Expand", kRegExpandSz, Bytes(std::string_view("%HOME%\0", 7))},
        {"Bin", kRegBinary, {0, 1, 2, 255}},
        {"Dword", kRegDword, {1, 0, 0, 0}},
        {"BigEndian", kRegDwordBigEndian, {0, 0, 0, 1}},
        {"Multi", kRegMultiSz, Bytes(std::string_view("a\0b\0\0", 5))},
        {"None", kRegNone, {}},
        {"Unknown", 42, {9, 8, 7}},
    };
    for (const auto& c : cases) ASSERT_EQ(store.SetValue(k, c.name, c.type, c.data), kErrorSuccess) << c.name;
    // A reopened store reads them back.
    cRegistryStore again(dir.File("r.sqlite3"));
    cRegKey r;
    ASSERT_EQ(again.OpenKey(kHKeyLocalMachine, "SOFTWARE\\TEST", kKeyQueryValue, r), kErrorSuccess);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint32_t type = 99, size = 0;
        std::vector<std::uint8_t> data;
        ASSERT_EQ(again.QueryValue(r, Fold_Upper(c.name), type, data, size), kErrorSuccess);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(data, c.data);
        EXPECT_EQ(size, c.data.size());
    }
    // Names come back in the order they were first set, spelled as written.
    std::vector<std::string> names;
    std::string n;
    for (std::uint32_t i = 0; again.EnumValue(r, i, n) == kErrorSuccess; ++i) names.push_back(n);
    ASSERT_EQ(names.size(), std::size(cases));
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], cases[i].name);
    cRegKeyInfo info;
    ASSERT_EQ(again.QueryInfoKey(r, info), kErrorSuccess);
    EXPECT_EQ(info.values, std::size(cases));
    EXPECT_EQ(info.maxValueNameLen, 9u);
    EXPECT_EQ(info.maxValueLen, 8u);
}

TEST(cRegistryStore, BufferRulesOfQueriesAndEnumerations) {
    cTempDir dir;
    cRegistryStore store(dir.File("r.sqlite3"));
    cRegKey k;
    ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "K", kKeyAllAccess, k), kErrorSuccess);
    ASSERT_EQ(store.SetValue(k, "v", kRegBinary, std::vector<std::uint8_t>(10, 7)), kErrorSuccess);
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(store.QueryValue(k, "v", type, data, size, true), kErrorSuccess);
    EXPECT_EQ(size, 10u);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(store.QueryValue(k, "v", type, data, size, false, 9), kErrorMoreData);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(type, kRegBinary);
    EXPECT_EQ(store.QueryValue(k, "v", type, data, size, false, 10), kErrorSuccess);
    EXPECT_EQ(data.size(), 10u);
    EXPECT_EQ(store.QueryValue(k, "missing", type, data, size), kErrorFileNotFound);

    std::string name;
    EXPECT_EQ(store.EnumValue(k, 0, name, 1), kErrorMoreData); // "v" needs 2 with its NUL
    EXPECT_EQ(store.EnumValue(k, 0, name, 2), kErrorSuccess);
    EXPECT_EQ(store.EnumValue(k, 1, name, 2), kErrorNoMoreItems);
    cRegKey sub;
    ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "K\\" + std::string(254, 's'), kKeyAllAccess, sub), kErrorSuccess);
    EXPECT_EQ(store.EnumKey(k, 0, name, 255), kErrorSuccess);
    ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "K\\" + std::string(255, 't'), kKeyAllAccess, sub), kErrorSuccess);
    EXPECT_EQ(store.EnumKey(k, 1, name, 255), kErrorMoreData);
}

TEST(cRegistryStore, DeletingKeysAndValues) {
    cTempDir dir;
    cRegistryStore store(dir.File("r.sqlite3"));
    cRegKey parent, child;
    ASSERT_EQ(store.CreateKey(kHKeyClassesRoot, "cls\\shell", kKeyAllAccess, child), kErrorSuccess);
    ASSERT_EQ(store.SetValue(child, "", kRegSz, Bytes("x")), kErrorSuccess);
    ASSERT_EQ(store.OpenKey(kHKeyClassesRoot, "cls", kKeyAllAccess, parent), kErrorSuccess);

    EXPECT_EQ(store.DeleteKey(kHKeyClassesRoot, "cls"), kErrorAccessDenied); // has a subkey
    EXPECT_EQ(store.DeleteKey(kHKeyClassesRoot, ""), kErrorAccessDenied); // the root
    EXPECT_EQ(store.DeleteKey(kHKeyClassesRoot, "nothing"), kErrorFileNotFound);
    EXPECT_EQ(store.DeleteKey(kHKeyClassesRoot, "CLS\\SHELL"), kErrorSuccess);
    // The open handle of a deleted key, and a new key of the same name has no old values.
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    EXPECT_EQ(store.QueryValue(child, "", type, data, size), kErrorKeyDeleted);
    ASSERT_EQ(store.CreateKey(kHKeyClassesRoot, "cls\\shell", kKeyAllAccess, child), kErrorSuccess);
    EXPECT_EQ(store.QueryValue(child, "", type, data, size), kErrorFileNotFound);

    ASSERT_EQ(store.SetValue(parent, "Name", kRegSz, Bytes("y")), kErrorSuccess);
    EXPECT_EQ(store.DeleteValue(parent, "NAME"), kErrorSuccess);
    EXPECT_EQ(store.DeleteValue(parent, "NAME"), kErrorFileNotFound);

    // Rights of the open key are honoured.
    cRegKey readOnly;
    ASSERT_EQ(store.OpenKey(kHKeyClassesRoot, "cls", kKeyQueryValue, readOnly), kErrorSuccess);
    EXPECT_EQ(store.SetValue(readOnly, "a", kRegSz, Bytes("z")), kErrorAccessDenied);
    EXPECT_EQ(store.DeleteValue(readOnly, "a"), kErrorAccessDenied);
    std::string name;
    EXPECT_EQ(store.EnumKey(readOnly, 0, name), kErrorAccessDenied);
}

TEST(cRegistryStore, TwoProcessesWritingAtOnceLoseNothing) {
    cTempDir dir;
    const std::string file = dir.File("shared.sqlite3");
    { cRegistryStore init(file); }
    constexpr int kWrites = 400;
    auto writer = [&](const char* who) {
        cRegistryStore store(file);
        for (int i = 0; i < kWrites; ++i) {
            cRegKey k;
            if (store.CreateKey(kHKeyCurrentUser, std::string("Shared\\") + (i % 2 ? "Odd" : "Even"), kKeyAllAccess,
                                k) != kErrorSuccess)
                return false;
            std::string name = std::string(who) + std::to_string(i);
            if (store.SetValue(k, name, kRegSz, Bytes(name)) != kErrorSuccess) return false;
        }
        return true;
    };
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(writer("child") ? 0 : 1);
    bool parentOk = writer("parent");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(parentOk);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    cRegistryStore check(file);
    std::size_t total = 0;
    for (const char* sub : {"Shared\\Odd", "Shared\\Even"}) {
        cRegKey k;
        ASSERT_EQ(check.OpenKey(kHKeyCurrentUser, sub, kKeyQueryValue, k), kErrorSuccess);
        cRegKeyInfo info;
        ASSERT_EQ(check.QueryInfoKey(k, info), kErrorSuccess);
        total += info.values;
    }
    EXPECT_EQ(total, 2u * kWrites);
}

TEST(cRegistryStore, ADamagedFileIsKeptAsideAndReplaced) {
    cTempDir dir;
    cPinnedLog log(dir);
    struct {
        const char* name;
        std::function<void(const std::string&)> damage;
    } cases[] = {
        {"not a database", [](const std::string& f) { mTestKit::WriteBytes(f, Bytes(std::string(3000, 'x'))); }},
        {"a database of another program",
         [](const std::string& f) {
             sqlite3* db = nullptr;
             sqlite3_open(f.c_str(), &db);
             sqlite3_exec(db, "CREATE TABLE t(a); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"a store whose pages were overwritten",
         [](const std::string& f) {
             {
                 cRegistryStore s(f);
                 cRegKey k;
                 s.CreateKey(kHKeyCurrentUser, "Software", kKeyAllAccess, k);
                 for (int i = 0; i < 300; ++i)
                     s.SetValue(k, "v" + std::to_string(i), kRegBinary, std::vector<std::uint8_t>(100, 1));
             }
             sqlite3* db = nullptr; // fold the write-ahead log into the file
             sqlite3_open(f.c_str(), &db);
             sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode=DELETE;", nullptr, nullptr,
                          nullptr);
             sqlite3_close(db);
             auto bytes = mTestKit::ReadBytes(f);
             for (std::size_t i = 4096 + 8; i < bytes.size(); i += 2) bytes[i] = 0xA5;
             mTestKit::WriteBytes(f, bytes);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTempDir sub;
        const std::string file = sub.File("registry.sqlite3");
        c.damage(file);
        std::vector<std::uint8_t> before;
        if (std::filesystem::is_regular_file(file)) before = mTestKit::ReadBytes(file);
        std::filesystem::remove(log.path);

        cRegistryStore store(file);
        EXPECT_EQ(store.File(), file);
        auto aside = FilesStartingWith(sub.Path(), "registry.sqlite3.damaged-");
        ASSERT_EQ(aside.size(), 1u);
        if (!before.empty()) {
            EXPECT_EQ(mTestKit::ReadBytes(sub.File(aside[0])), before);
        }
        EXPECT_NE(ReadText(log.path).find("it was moved to " + sub.File(aside[0])), std::string::npos);
        // The fresh store works and persists.
        cRegKey k;
        ASSERT_EQ(store.CreateKey(kHKeyCurrentUser, "Fresh", kKeyAllAccess, k), kErrorSuccess);
        EXPECT_EQ(store.SetValue(k, "a", kRegSz, Bytes("b")), kErrorSuccess);
        cRegistryStore reopened(file);
        EXPECT_EQ(reopened.OpenKey(kHKeyCurrentUser, "Fresh", kKeyQueryValue, k), kErrorSuccess);
        EXPECT_EQ(FilesStartingWith(sub.Path(), "registry.sqlite3.damaged-").size(), 1u);
    }
}

TEST(cRegistryStore, SecondDamageInTheSameSecondNeverOverwritesTheFirst) {
    cTempDir dir;
    cPinnedLog log(dir);
    const std::string file = dir.File("registry.sqlite3");
    mTestKit::WriteBytes(file, Bytes(std::string(100, '1')));
    { cRegistryStore a(file); }
    mTestKit::WriteBytes(file, Bytes(std::string(100, '2')));
    { cRegistryStore b(file); }
    auto aside = FilesStartingWith(dir.Path(), "registry.sqlite3.damaged-");
    ASSERT_EQ(aside.size(), 2u);
    std::set<std::string> contents;
    for (const auto& a : aside) contents.insert(ReadText(dir.File(a)));
    EXPECT_EQ(contents, (std::set<std::string>{std::string(100, '1'), std::string(100, '2')}));
}

TEST(cRegistryStore, AnUnusableFolderFallsBackToMemory) {
    cTempDir dir;
    cPinnedLog log(dir);
    mTestKit::WriteBytes(dir.File("plain"), {});
    cRegistryStore store(dir.File("plain") + "/pictrix/registry.sqlite3");
    EXPECT_EQ(store.File(), ":memory:");
    cRegKey k;
    EXPECT_EQ(store.CreateKey(kHKeyCurrentUser, "x", kKeyAllAccess, k), kErrorSuccess);
    EXPECT_NE(ReadText(log.path).find("kept in memory"), std::string::npos);
}

TEST(cRegistryStore, TwoProcessesFindingTheSameDamageMoveItOnce) {
    cTempDir dir;
    cPinnedLog log(dir);
    const std::string file = dir.File("registry.sqlite3");
    mTestKit::WriteBytes(file, Bytes(std::string(5000, 'g')));
    auto openAndWrite = [&](const char* who) {
        cRegistryStore store(file);
        cRegKey k;
        return store.File() == file && store.CreateKey(kHKeyCurrentUser, "After", kKeyAllAccess, k) == kErrorSuccess &&
               store.SetValue(k, who, kRegSz, Bytes(who)) == kErrorSuccess;
    };
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) ::_exit(openAndWrite("child") ? 0 : 1);
    EXPECT_TRUE(openAndWrite("parent"));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(FilesStartingWith(dir.Path(), "registry.sqlite3.damaged-").size(), 1u);
    cRegistryStore check(file);
    cRegKey k;
    ASSERT_EQ(check.OpenKey(kHKeyCurrentUser, "After", kKeyQueryValue, k), kErrorSuccess);
    cRegKeyInfo info;
    ASSERT_EQ(check.QueryInfoKey(k, info), kErrorSuccess);
    EXPECT_EQ(info.values, 2u);
}

namespace {

// The store's events as a child process reports them: one line each, kCannotSave marked "!".
struct cEvents {
    cEvents() {
        cRegistryStore::SetEventSink([this](const std::string& message, cRegistryStore::eEvent kind) {
            lines += (kind == cRegistryStore::eEvent::kCannotSave ? "! " : "- ") + message + "\n";
        });
    }
    std::string lines;
};

// What a child does with a store it opens: reads Software\Test "kept", then writes and reads back
// "new". Reports the file in use, the value read, whether the write held, and the events.
int UseStore(const std::string& file, int lockWaitMs, std::string& report) {
    cEvents events;
    cRegistryStore store(file, lockWaitMs);
    cRegKey k;
    std::string kept = "(none)";
    if (store.OpenKey(kHKeyCurrentUser, "Software\\Test", kKeyQueryValue, k) == kErrorSuccess) {
        std::uint32_t type = 0, size = 0;
        std::vector<std::uint8_t> data;
        if (store.QueryValue(k, "kept", type, data, size) == kErrorSuccess) kept.assign(data.begin(), data.end());
    }
    bool wrote = store.CreateKey(kHKeyCurrentUser, "Software\\Test", kKeyAllAccess, k) == kErrorSuccess &&
                 store.SetValue(k, "new", kRegSz, Bytes("written")) == kErrorSuccess;
    std::uint32_t type = 0, size = 0;
    std::vector<std::uint8_t> data;
    wrote = wrote && store.QueryValue(k, "new", type, data, size) == kErrorSuccess && data == Bytes("written");
    // More writes: the user is told once, not per change.
    store.SetValue(k, "more", kRegSz, Bytes("x"));
    report = "file " + store.File() + "\nkept " + kept + "\nwrote " + (wrote ? "yes" : "no") + "\n" + events.lines;
    return 0;
}

// A store with Software\Test "kept" = "value", closed (its log folded into the file).
void MakeStore(const std::string& file) {
    cRegistryStore store(file);
    cRegKey k;
    store.CreateKey(kHKeyCurrentUser, "Software\\Test", kKeyAllAccess, k);
    store.SetValue(k, "kept", kRegSz, Bytes("value"));
}

// Makes the calling process (a child) an unprivileged user: `nobody` when it runs as root, as the
// tests do; an unprivileged run stays as it is (file modes hold for it already).
bool DropPrivileges() {
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

} // namespace

// A healthy store that this run cannot write is no damaged store: it is never moved or changed,
// its values are read as far as they can be, changes live for the run only, and the user is told
// once why they cannot be saved.
TEST(cRegistryStore, AStoreThatCannotBeWrittenIsReadAndLeftAlone) {
    struct {
        const char* name;
        bool unprivileged;
        std::function<void(const cTempDir& dir, const std::string& file)> setUp;
        const char* kept; // what the run reads
        const char* why; // in the message
    } cases[] = {
        {"a file of another user in a folder of another user", true,
         [](const cTempDir& dir, const std::string& file) {
             MakeStore(file);
             std::filesystem::permissions(file, std::filesystem::perms(0444));
             std::filesystem::permissions(dir.Path(), std::filesystem::perms(0555));
         },
         "value", "cannot be written"},
        {"a file the user may not read (permission denied)", true,
         [](const cTempDir& dir, const std::string& file) {
             MakeStore(file);
             std::filesystem::permissions(file, std::filesystem::perms::none);
             std::filesystem::permissions(dir.Path(), std::filesystem::perms(0555));
         },
         "(none)", "Access is denied."},
        {"a folder where the file belongs", false,
         [](const cTempDir&, const std::string& file) { std::filesystem::create_directories(file + "/inside"); },
         "(none)", "cannot be used (it is a folder, not a regular file)"},
        {"a FIFO where the file belongs (never opened: it would block)", false,
         [](const cTempDir&, const std::string& file) { ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); }, "(none)",
         "cannot be used (it is a FIFO, not a regular file)"},
        {"a folder where no store can be made", true,
         [](const cTempDir& dir, const std::string&) {
             std::filesystem::permissions(dir.Path(), std::filesystem::perms(0555));
         },
         "(none)", "cannot be created"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTempDir dir;
        const std::string file = dir.File("registry.sqlite3");
        c.setUp(dir, file);
        const bool isFile = std::filesystem::is_regular_file(file);
        const auto before = isFile ? mTestKit::ReadBytes(file) : std::vector<std::uint8_t>{};
        const auto listing = FilesStartingWith(dir.Path(), "");
        const auto child = mTestKit::InChild([&](std::string& report) {
            if (c.unprivileged && !DropPrivileges()) return 77;
            return UseStore(file, 200, report);
        });
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
        ASSERT_EQ(child.status, 0) << child.report;
        const std::string& r = child.report;
        EXPECT_NE(r.find("file :memory:\n"), std::string::npos) << r;
        EXPECT_NE(r.find(std::string("kept ") + c.kept + "\n"), std::string::npos) << r;
        // The run goes on with its changes in memory.
        EXPECT_NE(r.find("wrote yes\n"), std::string::npos) << r;
        EXPECT_EQ(Count(r, "\n! "), 1u) << r;
        EXPECT_EQ(Count(r, "\n- "), 0u) << r;
        EXPECT_NE(r.find(c.why), std::string::npos) << r;
        EXPECT_NE(r.find("changes made now cannot be saved"), std::string::npos) << r;
        // Nothing moved, nothing added, nothing changed.
        EXPECT_EQ(FilesStartingWith(dir.Path(), ""), listing);
        if (isFile) {
            std::filesystem::permissions(file, std::filesystem::perms(0644));
            EXPECT_EQ(mTestKit::ReadBytes(file), before);
        }
    }
}

// A lock another process holds past the wait is no damage either: with a writer's lock the values
// are read, with a lock that keeps readers out too they are not; the file stays where it is and
// keeps what it held.
TEST(cRegistryStore, ALockHeldByAnotherProcessIsWaitedForThenLeftAlone) {
    struct {
        const char* name;
        const char* lockSql;
        const char* kept;
    } cases[] = {
        {"a writer's lock", "BEGIN IMMEDIATE; INSERT INTO vals VALUES(2147483649, 'x', 'y', 'y', 1, x'00');", "value"},
        {"an exclusive lock",
         "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; INSERT INTO vals VALUES(2147483649, "
         "'x', 'y', 'y', 1, x'00');",
         "(none)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cTempDir dir;
        const std::string file = dir.File("registry.sqlite3");
        MakeStore(file);
        int toHolder[2], fromHolder[2];
        ASSERT_EQ(::pipe(toHolder), 0);
        ASSERT_EQ(::pipe(fromHolder), 0);
        const pid_t holder = ::fork();
        ASSERT_GE(holder, 0);
        if (holder == 0) {
            sqlite3* db = nullptr;
            char go = 0;
            const bool locked = sqlite3_open(file.c_str(), &db) == SQLITE_OK &&
                                sqlite3_exec(db, c.lockSql, nullptr, nullptr, nullptr) == SQLITE_OK;
            go = locked ? 'L' : 'F';
            (void)!::write(fromHolder[1], &go, 1);
            (void)!::read(toHolder[0], &go, 1); // until the test is done
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            ::_exit(0);
        }
        char state = 0;
        ASSERT_EQ(::read(fromHolder[0], &state, 1), 1);
        ASSERT_EQ(state, 'L');
        std::string report;
        UseStore(file, 300, report);
        (void)!::write(toHolder[1], &state, 1);
        int status = 0;
        ::waitpid(holder, &status, 0);
        for (int fd : {toHolder[0], toHolder[1], fromHolder[0], fromHolder[1]}) ::close(fd);

        EXPECT_NE(report.find(std::string("kept ") + c.kept + "\n"), std::string::npos) << report;
        EXPECT_EQ(Count(report, "\n! "), 1u) << report;
        EXPECT_NE(report.find("another program keeps it locked"), std::string::npos) << report;
        EXPECT_TRUE(FilesStartingWith(dir.Path(), "registry.sqlite3.damaged-").empty());
        // The file still holds its value, and nothing of this run.
        std::string after;
        UseStore(file, 300, after);
        EXPECT_NE(after.find("kept value\n"), std::string::npos) << after;
        EXPECT_EQ(Count(after, "\n! "), 0u) << after;
    }
}

// A read-only file system, made for the test in a mount namespace of its own (which needs the
// privilege to mount; without it the test is skipped).
TEST(cRegistryStore, AStoreOnAReadOnlyFileSystemIsReadAndLeftAlone) {
    cTempDir dir;
    const std::string mount = (dir.Path() / "ro").string();
    std::filesystem::create_directories(mount);
    const auto child = mTestKit::InChild([&](std::string& report) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("pictrix-test", mount.c_str(), "tmpfs", 0, nullptr) != 0)
            return 77;
        const std::string file = mount + "/registry.sqlite3";
        MakeStore(file);
        if (::mount(nullptr, mount.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) return 77;
        UseStore(file, 200, report);
        report += "listing";
        for (const auto& e : std::filesystem::directory_iterator(mount)) report += " " + e.path().filename().string();
        report += "\n";
        return 0;
    });
    if (child.status == 77) GTEST_SKIP() << "this test needs the privilege to mount a file system";
    ASSERT_EQ(child.status, 0) << child.report;
    const std::string& r = child.report;
    EXPECT_NE(r.find("kept value\n"), std::string::npos) << r;
    EXPECT_NE(r.find("wrote yes\n"), std::string::npos) << r;
    EXPECT_EQ(Count(r, "\n! "), 1u) << r;
    EXPECT_NE(r.find("read-only file system"), std::string::npos) << r;
    EXPECT_NE(r.find("listing registry.sqlite3\n"), std::string::npos) << r;
}
