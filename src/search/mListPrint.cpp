#include "search/mListPrint.h"

#include "base/cError.h"
#include "base/mProgram.h"
#include "base/mTr.h"
#include "platform/cTextDevice.h"
#include "search/cSearchList.h"
#include "search/mListFile.h"

namespace mListPrint {

namespace {

// The busy state for the entries and the sending; cleared however the printing leaves.
class cBusy {
public:
    explicit cBusy(const std::function<void(bool)>& busy) : busy_(busy) {
        if (busy_) busy_(true);
    }
    ~cBusy() {
        if (busy_) busy_(false);
    }
    cBusy(const cBusy&) = delete;
    cBusy& operator=(const cBusy&) = delete;

private:
    const std::function<void(bool)>& busy_;
};

cError NoListFile(const std::string& file, const std::string& why) {
    return cError(cError::kPathFileAccess, mProgram::ExeBaseName(),
                  mTr::Fill(PICTRIX_TR("mListPrint", "Not a list file: %1 (%2)"), {why, file}));
}

} // namespace

std::int32_t PrintFromFile(cTextDevice& printer, const std::string& file, const cSearchList& list,
                           std::string_view date, std::string_view time, const std::function<void(bool)>& busy) {
    printer.DefaultFont();
    printer.PrintLine("");
    printer.FontName(kFontName);
    printer.FontSize(kHeadingSize);
    printer.FontBold(true);
    printer.PrintLine(mTr::Text("mListPrint", kHeading));
    printer.FontBold(false);
    printer.FontSize(kTextSize);
    printer.PrintLine("");
    printer.PrintLine(mTr::Fill(PICTRIX_TR("mListPrint", "Date: %1"), {date}));
    printer.PrintLine(mTr::Fill(PICTRIX_TR("mListPrint", "Time: %1"), {time}));
    printer.PrintLine("");
    printer.PrintLine("");
    printer.FontBold(true);
    printer.PrintLine(mTr::Fill(PICTRIX_TR("mListPrint", "File: %1"), {file}));
    printer.PrintLine("");
    printer.PrintLine("");
    printer.FontBold(false);

    std::int32_t count = 0;
    cBusy hourglass(busy);
    if (!file.empty()) {
        std::size_t bytes = 0;
        mListFile::Read(file, [&](std::string&& entry) {
            // Every entry is printed, however many there are (the window holds fewer); the text
            // of the entries is bounded, since the document keeps it until it is sent.
            bytes += entry.size();
            if (bytes > kMaxTextBytes)
                throw NoListFile(file, mTr::Fill(PICTRIX_TR("mListPrint", "its entries hold more than %1 MiB"),
                                                 {std::to_string(kMaxTextBytes >> 20)}));
            printer.PrintLine(entry);
            ++count;
            return true;
        });
    } else {
        for (int i = 0; i < list.ListCount(); ++i) {
            const std::string& entry = list.Text(i);
            if (entry.empty()) continue;
            printer.PrintLine(entry);
            ++count;
        }
    }
    printer.PrintLine("");
    printer.PrintLine("");
    printer.PrintLine(mTr::Fill(PICTRIX_TR("mListPrint", "Number of items in list: %1"), {std::to_string(count)}));
    printer.EndDoc();
    return count;
}

} // namespace mListPrint
