// The file dialogs' parameter handling: the filter conversion, the record given to the dialog and
// the outputs after confirming and cancelling.

#include <functional>

#include <gtest/gtest.h>

#include "resources/mFileOpenSave.h"

using namespace mFileOpenSave;
using namespace std::string_literals;

namespace {

// Records the record it is shown and answers as scripted.
class cScriptedDialog : public cFileDialogBackend {
public:
    std::function<bool(cOpenFileName&)> answer;
    cOpenFileName seen;
    int calls = 0;
    bool GetOpenFileName(cOpenFileName& ofn) override { return Answer(ofn); }
    bool GetSaveFileName(cOpenFileName& ofn) override { return Answer(ofn); }

private:
    bool Answer(cOpenFileName& ofn) {
        ++calls;
        seen = ofn;
        return answer ? answer(ofn) : false;
    }
};

class FileDialogs : public ::testing::Test {
protected:
    void SetUp() override { SetBackend(&dialog); }
    void TearDown() override { SetBackend(nullptr); }
    cScriptedDialog dialog;
};

const std::string kIconFilter = "Icon Files (*.ico)|*.ico|All Files (*.*)|*.*";

} // namespace

TEST(FilterConversion, BarsAndColonsBecomeNuls) {
    EXPECT_EQ(ConvertFilter("Executable Files|*.exe|All Files|*.*"),
              "Executable Files\0*.exe\0All Files\0*.*\0\0"s);
    EXPECT_EQ(ConvertFilter("Pictures: icons|*.ico"), "Pictures\0 icons\0*.ico\0\0"s);
    EXPECT_EQ(ConvertFilter(""), "\0\0"s);
}

TEST(FilterConversion, EntriesByPosition) {
    const std::string c = ConvertFilter(kIconFilter);
    EXPECT_EQ(FilterEntryAt(c, 1), "Icon Files (*.ico)\0*.ico"s);
    EXPECT_EQ(FilterEntryAt(c, 2), "All Files (*.*)\0*.*"s);
    EXPECT_EQ(FilterEntryAt(c, 3), "");
    EXPECT_EQ(FilterEntryAt(c, 0), "");
    EXPECT_EQ(FilterEntryAt(c, -4), "");
    EXPECT_EQ(FilterEntryAt("", 1), "");
    EXPECT_EQ(FilterEntryAt("no nul at all", 1), "");
    EXPECT_EQ(FilterEntryAt("A\0a"s, 1), "A\0a"s) << "an unterminated last entry runs to the end";
    EXPECT_EQ(CutAtNul("C:/x.ico\0\0\0"s), "C:/x.ico");
    EXPECT_EQ(CutAtNul("plain"), "plain");
}

TEST_F(FileDialogs, OpenFillsTheRecordAsAsked) {
    struct Case {
        const char* name;
        bool mustExist, multi, readOnly, hideReadOnly;
        std::int32_t extra, owner;
        std::int32_t flags, hwnd;
        std::size_t buffer;
    } cases[] = {
        {"plain", false, false, false, false, 0, -1, 0, 0, 4096},
        {"must exist", true, false, false, false, 0, 7, OFN_FILEMUSTEXIST, 7, 4096},
        {"multiple", false, true, false, false, 0, -1, OFN_ALLOWMULTISELECT, 0, 65536},
        {"read-only boxes", false, false, true, true, 0, -1, OFN_READONLY | OFN_HIDEREADONLY, 0, 4096},
        {"hook and template dropped", false, false, false, false, 0x60 | 0x80000, -1, 0x80000, 0, 4096},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = "start.ico", title, filter = kIconFilter;
        std::int32_t index = 2, extra = c.extra;
        bool readOnly = c.readOnly;
        ShowOpenDialog(name, title, c.mustExist, c.multi, readOnly, c.hideReadOnly, filter, index, "/tmp",
                       std::nullopt, "ico", c.owner, extra);
        EXPECT_EQ(dialog.seen.Flags, c.flags);
        EXPECT_EQ(dialog.seen.hwndOwner, c.hwnd);
        EXPECT_EQ(dialog.seen.nMaxFile, c.buffer);
        EXPECT_EQ(dialog.seen.lpstrFile.size(), c.buffer);
        EXPECT_EQ(CutAtNul(dialog.seen.lpstrFile), "start.ico");
        EXPECT_EQ(dialog.seen.lpstrFilter, ConvertFilter(kIconFilter));
        EXPECT_EQ(dialog.seen.nFilterIndex, 2);
        EXPECT_EQ(dialog.seen.lpstrInitialDir, "/tmp");
        EXPECT_FALSE(dialog.seen.lpstrTitle.has_value()) << "an absent title lets the dialog use its own";
        EXPECT_EQ(dialog.seen.lpstrDefExt, "ico");
    }
}

TEST_F(FileDialogs, ConfirmingOneFile) {
    dialog.answer = [](cOpenFileName& ofn) {
        ofn.lpstrFile = "/icons/app.ico" + std::string(100, '\0');
        ofn.lpstrFileTitle = "app.ico\0junk"s;
        ofn.nFilterIndex = 2;
        ofn.Flags |= OFN_READONLY;
        return true;
    };
    std::string name, title, filter = kIconFilter;
    std::int32_t index = 1, extra = 0;
    bool readOnly = false;
    ASSERT_TRUE(ShowOpenDialog(name, title, true, false, readOnly, false, filter, index, std::nullopt,
                               std::nullopt, std::nullopt, -1, extra));
    EXPECT_EQ(name, "/icons/app.ico");
    EXPECT_EQ(title, "app.ico");
    EXPECT_EQ(index, 2);
    EXPECT_EQ(filter, "All Files (*.*)\0*.*"s);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(extra, OFN_FILEMUSTEXIST | OFN_READONLY);
}

TEST_F(FileDialogs, ConfirmingAMultipleSelection) {
    dialog.answer = [](cOpenFileName& ofn) {
        ofn.lpstrFile = "/icons\0a.ico\0b.ico\0\0"s + std::string(50, '\0');
        ofn.lpstrFileTitle = "ignored";
        ofn.nFilterIndex = 1;
        return true;
    };
    std::string name, title = "old", filter = kIconFilter;
    std::int32_t index = 1, extra = 0;
    bool readOnly = false;
    ASSERT_TRUE(ShowOpenDialog(name, title, false, true, readOnly, false, filter, index, std::nullopt,
                               std::nullopt, std::nullopt, -1, extra));
    EXPECT_EQ(name, "/icons\0a.ico\0b.ico"s);
    EXPECT_EQ(title, "");
    // One file chosen in a multiple-selection dialog comes back as its full path.
    dialog.answer = [](cOpenFileName& ofn) {
        ofn.lpstrFile = "/icons/one.ico" + std::string(8, '\0');
        return true;
    };
    ASSERT_TRUE(ShowOpenDialog(name, title, false, true, readOnly, false, filter, index, std::nullopt,
                               std::nullopt, std::nullopt, -1, extra));
    EXPECT_EQ(name, "/icons/one.ico");
}

TEST_F(FileDialogs, CancellingEmptiesTheOutputs) {
    std::string name = "x", title = "y", filter = kIconFilter;
    std::int32_t index = 2, extra = 0x80000;
    bool readOnly = true;
    EXPECT_FALSE(ShowOpenDialog(name, title, true, false, readOnly, false, filter, index, std::nullopt,
                                std::nullopt, std::nullopt, -1, extra));
    EXPECT_EQ(name, "");
    EXPECT_EQ(title, "");
    EXPECT_EQ(filter, "");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(extra, 0);
    EXPECT_TRUE(readOnly) << "the read-only flag keeps its value";

    name = "x", filter = kIconFilter, index = 2, extra = 5;
    EXPECT_FALSE(ShowSaveDialog(name, title, true, filter, index, std::nullopt, std::nullopt, "ico", -1, extra));
    EXPECT_EQ(name, "");
    EXPECT_EQ(filter, "");
    EXPECT_EQ(index, 0);
    EXPECT_EQ(extra, 0);

    SetBackend(nullptr); // no dialog at all behaves as a cancelled one
    index = 1;
    EXPECT_FALSE(ShowSaveDialog(name, title, true, filter, index, std::nullopt, std::nullopt, "ico", -1, extra));
    EXPECT_EQ(index, 0);
}

TEST_F(FileDialogs, SaveAlwaysHidesReadOnlyAndAsksBeforeOverwriting) {
    dialog.answer = [](cOpenFileName& ofn) {
        ofn.lpstrFile = "/out/new.ico"s + '\0';
        ofn.lpstrFileTitle = "new.ico"s + '\0';
        return true;
    };
    std::string name, title, filter = kIconFilter;
    std::int32_t index = 1, extra = 0x20;
    ASSERT_TRUE(ShowSaveDialog(name, title, true, filter, index, std::nullopt, std::nullopt, "ico", 3, extra));
    EXPECT_EQ(dialog.seen.Flags, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    EXPECT_EQ(dialog.seen.nMaxFile, 4096u) << "a Linux path of up to PATH_MAX bytes fits";
    EXPECT_EQ(name, "/out/new.ico");
    EXPECT_EQ(title, "new.ico");
    EXPECT_EQ(filter, "Icon Files (*.ico)\0*.ico"s);
    extra = 0;
    ASSERT_TRUE(ShowSaveDialog(name, title, false, filter, index, std::nullopt, std::nullopt, "ico", 3, extra));
    EXPECT_EQ(dialog.seen.Flags, OFN_HIDEREADONLY);
}
