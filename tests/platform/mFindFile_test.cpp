// The directory search: wildcard rules, the order of entries, the folder bit, "." and "..".

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/mFindFile.h"
#include "platform/mSysText.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& p) { std::ofstream(p).put('x'); }

std::vector<std::string> Names(const mFindFile::cFolder& folder) {
    std::vector<std::string> out;
    for (const auto& e : folder.entries) out.push_back(e.name + (e.IsFolder() ? "/" : ""));
    return out;
}

} // namespace

TEST(FindFile, WildcardRules) {
    struct {
        const char* spec;
        const char* name;
        bool match;
    } cases[] = {
        {"*.exe", "VIEW.EXE", true},
        {"*.EXE", "view.exe", true},
        {"*.exe", "view.exe.bak", false},
        {"*.exe", ".exe", true},
        {"shell??.dll", "SHELL32.DLL", true},
        {"shell??.dll", "SHELL3.DLL", false},
        {"?", "", false},
        {"*", "", true},
        {"a*b*c", "aXXbYYbZZc", true},
        {"a*b*c", "aXXbYYbZZ", false},
        {"*.*", "README", true}, // every name, also without a dot
        {"*.*", ".", true},
        {"readme.*", "README", true}, // ".*" at the end also takes a name without a dot
        {"readme.*", "README.md", true},
        {"readme.*", "README.md.bak", true},
        {"read*.*", "readme", true},
        {"readme.*", "read.me", false}, // has a dot, so the rule does not apply
        {"*.exe;*.dll", "a.exe", false}, // ";" is a character like any other
        {"*.exe;*.dll", "a.exe;b.dll", true},
        {"ÄPFEL.*", "äpfel.txt", true}, // case folding beyond ASCII
        {"?pfel.txt", "äpfel.txt", true}, // "?" is one character, not one byte
        {"Straße", "STRASSE", false}, // simple folding only: one character stays one
        {"\xff*",
         "\xff"
         "abc",
         true}, // bytes that are not UTF-8 match as themselves
        {"\xfe*",
         "\xff"
         "abc",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.spec) + " / " + c.name);
        EXPECT_EQ(mFindFile::Matches(c.spec, c.name), c.match);
    }
}

TEST(FindFile, FolderOrderAndFolderBit) {
    cTempDir tmp;
    const fs::path d = tmp.Path();
    for (const char* f : {"b.txt", "A.exe", "a.exe", "_x", "Zed", "ärger", "Beta", ".hidden"}) Touch(d / f);
    fs::create_directory(d / "sub");
    fs::create_directory(d / ".dotdir");
    fs::create_directory_symlink(d / "sub", d / "linkdir");
    fs::create_symlink(d / "missing", d / "dangling");

    mFindFile::cFolder folder;
    ASSERT_TRUE(mFindFile::ReadFolder(d.string(), folder));
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"./", "../", ".dotdir/", ".hidden", "A.exe", "a.exe", "b.txt",
                                                       "Beta", "dangling", "linkdir/", "sub/", "Zed", "_x", "ärger"}));
    struct stat st {};
    ASSERT_EQ(::stat(d.c_str(), &st), 0);
    EXPECT_EQ(folder.device, static_cast<std::uint64_t>(st.st_dev));
    EXPECT_EQ(folder.inode, static_cast<std::uint64_t>(st.st_ino));
    EXPECT_FALSE(folder.kernelFileSystem);

    std::vector<mFindFile::cFindData> found;
    ASSERT_TRUE(mFindFile::FindFiles(d.string(), "*.EXE", found));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "A.exe");
    EXPECT_EQ(found[1].name, "a.exe");
}

TEST(FindFile, RootHasNoDotEntriesAndKernelFileSystemsAreKnown) {
    mFindFile::cFolder root;
    ASSERT_TRUE(mFindFile::ReadFolder("/", root));
    ASSERT_FALSE(root.entries.empty());
    EXPECT_NE(root.entries.front().name, ".");
    if (fs::is_directory("/proc/self")) {
        mFindFile::cFolder proc;
        ASSERT_TRUE(mFindFile::ReadFolder("/proc", proc));
        EXPECT_TRUE(proc.kernelFileSystem);
    }
}

TEST(FindFile, FoldersThatCannotBeSearched) {
    cTempDir tmp;
    Touch(tmp.Path() / "file");
    struct {
        std::string path;
        std::uint32_t code;
    } cases[] = {
        {tmp.File("missing"), mSysText::kFileNotFound},
        {tmp.File("missing/below"), mSysText::kPathNotFound},
        {tmp.File("file"), mSysText::kPathNotFound},
        {"", mSysText::kFileNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        mFindFile::cFolder folder;
        folder.entries.push_back({});
        std::uint32_t code = 0;
        EXPECT_FALSE(mFindFile::ReadFolder(c.path, folder, &code));
        EXPECT_EQ(code, c.code);
        EXPECT_TRUE(folder.entries.empty());
    }
}
