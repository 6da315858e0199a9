#include "search/mRecurse.h"

#include "base/mProgram.h"
#include "base/mTr.h"

namespace mRecurse {

std::string TrimAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

std::string Caption(std::string_view folderOrFile) {
    return mTr::Text("mRecurse", kCaptionPrefix) + std::string(folderOrFile);
}

std::string SpecPrompt(std::string_view folder) {
    return mTr::Fill(PICTRIX_TR("mRecurse",
                                "Enter a file spec:\r\n\r\nSearching will begin at %1 and continue until no "
                                "more subdirectories or files are found.  \r\n\r\nClick Stop, or hold Esc, "
                                "at any time.\r\n\r\nThe * and ? wildcards can be used."),
                     {folder});
}

std::string FoundText(std::int64_t count, std::string_view spec) {
    return mTr::Fill(PICTRIX_TR("mRecurse", "Find File(s): %1 items found matching \"%2\""),
                     {std::to_string(count), spec});
}

std::string CountText(std::int64_t count) {
    return mTr::Fill(PICTRIX_TR("mRecurse", "Number of items: %1"), {std::to_string(count)});
}

std::string SavingToText(std::string_view folder) {
    return mTr::Fill(PICTRIX_TR("mRecurse", "Saving to: %1"), {folder});
}

std::string SelectedItemsText(const std::vector<std::string_view>& checked) {
    std::string s = PICTRIX_TR("mRecurse", "Selected Items: ") + "\r\n\r\n";
    for (std::string_view e : checked) {
        s += e;
        s += "\r\n";
    }
    return s;
}

std::string ListFileName(std::string name) {
    if (!name.ends_with(kListExtension)) name += kListExtension;
    return name;
}

bool SaveNeedsName(std::string_view caption, std::string_view listFile) {
    return listFile.empty() || !caption.ends_with(listFile);
}

std::string AddFilter(std::string_view fileSpec) {
    if (fileSpec.empty()) return std::string(kAddFilter);
    const std::string spec(fileSpec);
    return spec + "|" + spec + "|AllFiles(*.*)|*.*";
}

std::string ReplaceQuestion(std::string_view path) {
    return mTr::Fill(PICTRIX_TR("mRecurse", "%1 already exists.\r\nDo you want to replace it?"), {path});
}

std::string HelpPageFor(const std::string& programDir, std::string_view page) {
    // The help the main window opens: share/pictrix/Help of an installation, Help beside the
    // program in the build tree.
    return mProgram::DataDirFor(programDir) + mProgram::kSeparator + "Help" + mProgram::kSeparator + std::string(page);
}

std::string HelpPage(std::string_view page) { return HelpPageFor(mProgram::ProgramDir(), page); }

std::string CutListText(std::string_view file, std::int64_t total, std::int64_t shown) {
    return mTr::Fill(PICTRIX_TR("mRecurse",
                                "%1 holds %2 entries; the search list holds %3, the first of them. Save As "
                                "keeps the entries shown in another file; the file itself is not saved over."),
                     {file, std::to_string(total), std::to_string(shown)});
}

std::string CutListSaveText(std::string_view file) {
    return mTr::Fill(PICTRIX_TR("mRecurse",
                                "The list was cut when it was opened: %1 holds more entries than the search "
                                "list. Saving it there would lose the rest."),
                     {file});
}

} // namespace mRecurse
