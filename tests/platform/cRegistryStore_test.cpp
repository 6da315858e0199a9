// The registry stand-in: key paths, typed values, result codes, sharing between processes and
// recovery from a damaged file.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sqlite3.h>
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
    EXPECT_EQ(store.DeleteKey(kHKeyClassesRoot, ""), kErrorAccessDenied);    // the root
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
        {"not a database", [](const std::string& f) {
             mTestKit::WriteBytes(f, Bytes(std::string(3000, 'x')));
         }},
        {"a database of another program", [](const std::string& f) {
             sqlite3* db = nullptr;
             sqlite3_open(f.c_str(), &db);
             sqlite3_exec(db, "CREATE TABLE t(a); INSERT INTO t VALUES(1);", nullptr, nullptr, nullptr);
             sqlite3_close(db);
         }},
        {"a store whose pages were overwritten", [](const std::string& f) {
             {
                 cRegistryStore s(f);
                 cRegKey k;
                 s.CreateKey(kHKeyCurrentUser, "Software", kKeyAllAccess, k);
                 for (int i = 0; i < 300; ++i) s.SetValue(k, "v" + std::to_string(i), kRegBinary, std::vector<std::uint8_t>(100, 1));
             }
             sqlite3* db = nullptr; // fold the write-ahead log into the file
             sqlite3_open(f.c_str(), &db);
             sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE); PRAGMA journal_mode=DELETE;", nullptr, nullptr, nullptr);
             sqlite3_close(db);
             auto bytes = mTestKit::ReadBytes(f);
             for (std::size_t i = 4096 + 8; i < bytes.size(); i += 2) bytes[i] = 0xA5;
             mTestKit::WriteBytes(f, bytes);
         }},
        {"a folder", [](const std::string& f) { std::filesystem::create_directories(f + "/inside"); }},
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
        return store.File() == file &&
               store.CreateKey(kHKeyCurrentUser, "After", kKeyAllAccess, k) == kErrorSuccess &&
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
