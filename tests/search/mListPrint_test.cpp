// The printed list, apart from the printer: the lines in their order and fonts, the entries of a
// list file or of the window's list, the busy state, and failures after the heading block.

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/cTextDevice.h"
#include "search/cSearchList.h"
#include "search/mListPrint.h"

using namespace mTestKit;

namespace {

// Records every call as a line of text: "font ...", "line ...", "end".
class cRecordingDevice final : public cTextDevice {
public:
    std::vector<std::string> calls;
    std::vector<std::string> busy;

    void DefaultFont() override { calls.push_back("font default"); }
    void FontName(std::string_view name) override { calls.push_back("font " + std::string(name)); }
    void FontSize(double points) override { calls.push_back("size " + std::to_string(static_cast<int>(points))); }
    void FontBold(bool bold) override { calls.push_back(bold ? "bold" : "plain"); }
    void PrintLine(std::string_view text) override { calls.push_back("| " + std::string(text)); }
    void EndDoc() override { calls.push_back("end"); }
    void KillDoc() noexcept override { calls.push_back("kill"); }

    std::function<void(bool)> Busy() {
        return [this](bool on) {
            busy.push_back(on ? "busy" : "idle");
            calls.push_back(on ? "(busy)" : "(idle)");
        };
    }
};

const std::vector<std::string> kHeadingBlock = {
    "font default",           "| ",    "font Arial", "size 12", "bold",
    "| Pictrix Recurse List", "plain", "size 10",    "| ",      "| Date: 08/12/26",
    "| Time: 09:30",          "| ",    "| ",         "bold",
};

std::vector<std::string> Expected(const std::string& file, const std::vector<std::string>& entries) {
    std::vector<std::string> out = kHeadingBlock;
    out.insert(out.end(), {"| File: " + file, "| ", "| ", "plain", "(busy)"});
    for (const auto& e : entries) out.push_back("| " + e);
    // The hourglass stays until the document has been sent.
    out.insert(out.end(),
               {"| ", "| ", "| Number of items in list: " + std::to_string(entries.size()), "end", "(idle)"});
    return out;
}

} // namespace

TEST(ListPrint, TheWindowsListPrintsEveryEntryCheckedOrNot) {
    cSearchList list;
    list.Append("/a/one.exe");
    list.Append("");
    list.Append("/b/two.dll");
    list.SetChecked(2, true);
    cRecordingDevice printer;
    EXPECT_EQ(mListPrint::PrintFromFile(printer, "", list, "08/12/26", "09:30", printer.Busy()), 2);
    EXPECT_EQ(printer.calls, Expected("", {"/a/one.exe", "/b/two.dll"}));
    EXPECT_TRUE(list.Checked(2));

    cSearchList empty;
    cRecordingDevice none;
    EXPECT_EQ(mListPrint::PrintFromFile(none, "", empty, "08/12/26", "09:30", none.Busy()), 0);
    EXPECT_EQ(none.calls, Expected("", {}));
}

TEST(ListPrint, AListFilePrintsItsEntriesWithoutBlankLines) {
    cTempDir dir;
    const std::string file = dir.File("hits.ier");
    const std::string text = "/a/one.exe\r\n\r\n\n/b/two.dll\r\r\n/c/three.ocx";
    WriteBytes(file, std::vector<std::uint8_t>(text.begin(), text.end()));
    cSearchList ignored;
    ignored.Append("/not/printed");
    cRecordingDevice printer;
    EXPECT_EQ(mListPrint::PrintFromFile(printer, file, ignored, "08/12/26", "09:30", printer.Busy()), 3);
    EXPECT_EQ(printer.calls, Expected(file, {"/a/one.exe", "/b/two.dll", "/c/three.ocx"}));
}

// The heading block has gone to the printer when the failure is raised; the document is not
// ended, and the busy state is left.
TEST(ListPrint, FailuresComeAfterTheHeadingBlockAndEndNothing) {
    cTempDir dir;
    struct {
        const char* name;
        std::string content; // "" : no file at all
        std::int32_t number;
        std::string description;
    } cases[] = {
        {"missing.ier", "", cError::kFileNotFound, "File not found (" + dir.File("missing.ier") + ")"},
        {"huge.ier", std::string(), cError::kPathFileAccess,
         "Not a list file: its entries hold more than 32 MiB (" + dir.File("huge.ier") + ")"},
    };
    for (int i = 0; i < 1100; ++i) cases[1].content += std::string(32000, 'x') + "\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = dir.File(c.name);
        if (!c.content.empty()) WriteBytes(file, std::vector<std::uint8_t>(c.content.begin(), c.content.end()));
        cRecordingDevice printer;
        cSearchList list;
        ExpectError([&] { mListPrint::PrintFromFile(printer, file, list, "08/12/26", "09:30", printer.Busy()); },
                    c.number, "test_search", c.description);
        ASSERT_GE(printer.calls.size(), kHeadingBlock.size() + 5);
        EXPECT_EQ(std::vector<std::string>(printer.calls.begin(), printer.calls.begin() + kHeadingBlock.size()),
                  kHeadingBlock);
        EXPECT_EQ(printer.calls[kHeadingBlock.size()], "| File: " + file);
        EXPECT_EQ(std::count(printer.calls.begin(), printer.calls.end(), "end"), 0);
        EXPECT_EQ(printer.busy, (std::vector<std::string>{"busy", "idle"}));
    }
}

// A file of more entries than the window holds prints every one of them.
TEST(ListPrint, EveryEntryOfALongFile) {
    cTempDir dir;
    std::string content;
    for (int i = 1; i <= 40000; ++i) content += "/e/" + std::to_string(i) + "\r\n\r\n";
    WriteBytes(dir.File("long.ier"), std::vector<std::uint8_t>(content.begin(), content.end()));
    cRecordingDevice printer;
    cSearchList list;
    EXPECT_EQ(mListPrint::PrintFromFile(printer, dir.File("long.ier"), list, "08/12/26", "09:30:15", printer.Busy()),
              40000);
    EXPECT_NE(std::find(printer.calls.begin(), printer.calls.end(), "| /e/40000"), printer.calls.end());
}

// A printer that fails at once (none installed) fails before anything is read or made busy.
TEST(ListPrint, APrinterFailureAtTheStartEndsThePrinting) {
    struct cNoPrinter final : cTextDevice {
        void DefaultFont() override {
            throw cError(cError::kPrinterError, "test_search", "There is no default printer");
        }
        void FontName(std::string_view) override {}
        void FontSize(double) override {}
        void FontBold(bool) override {}
        void PrintLine(std::string_view) override { ADD_FAILURE() << "printed"; }
        void EndDoc() override { ADD_FAILURE() << "ended"; }
        void KillDoc() noexcept override {}
    } printer;
    bool wasBusy = false;
    cSearchList list;
    ExpectError(
        [&] { mListPrint::PrintFromFile(printer, "/missing.ier", list, "", "", [&](bool) { wasBusy = true; }); },
        cError::kPrinterError, "test_search", "There is no default printer");
    EXPECT_FALSE(wasBusy);
}
