#include "search/mRecurse.h"

#include "base/mProgram.h"

namespace mRecurse {

std::string TrimAtNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

std::string Caption(std::string_view folderOrFile) { return std::string(kCaptionPrefix) + std::string(folderOrFile); }

std::string SpecPrompt(std::string_view folder) {
    std::string s = "Enter a file spec:\r\n\r\nSearching will begin at ";
    s += folder;
    s += " and continue until no more subdirectories or files are found.  \r\n\r\n";
    s += "Click Stop, or hold Esc, at any time.\r\n\r\nThe * and ? wildcards can be used.";
    return s;
}

std::string FoundText(std::int64_t count, std::string_view spec) {
    return "Find File(s): " + std::to_string(count) + " items found matching \"" + std::string(spec) + "\"";
}

std::string CountText(std::int64_t count) { return "Number of items: " + std::to_string(count); }

std::string SavingToText(std::string_view folder) { return "Saving to: " + std::string(folder); }

std::string SelectedItemsText(const std::vector<std::string_view>& checked) {
    std::string s = "Selected Items: \r\n\r\n";
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
    return std::string(path) + " already exists.\r\nDo you want to replace it?";
}

std::string HelpPageFor(const std::string& programDir, std::string_view page) {
    // The help the main window opens: share/pictrix/Help of an installation, Help beside the
    // program in the build tree.
    return mProgram::DataDirFor(programDir) + mProgram::kSeparator + "Help" + mProgram::kSeparator + std::string(page);
}

std::string HelpPage(std::string_view page) { return HelpPageFor(mProgram::ProgramDir(), page); }

std::string CutListText(std::string_view file, std::int64_t total, std::int64_t shown) {
    return std::string(file) + " holds " + std::to_string(total) + " entries; the search list holds " +
           std::to_string(shown) +
           ", the first of them. Save As keeps the entries shown in another file; the file itself is not saved over.";
}

std::string CutListSaveText(std::string_view file) {
    return "The list was cut when it was opened: " + std::string(file) +
           " holds more entries than the search list. Saving it there would lose the rest.";
}

} // namespace mRecurse
