#pragma once
// mFileOpenSave: every question the windows ask for a file name. AskOpen and AskSave take the
// window that asks (it owns the dialog), the file types as one "|"-separated string of
// descriptions and patterns ("Icon Files (*.ico)|*.ico|All Files (*.*)|*.*") and a title, put the
// question to cPrompts (the Qt dialogs, or scripted answers in tests) and answer the chosen path
// as the system names it, or nothing when the user cancelled or chose no name.
// The filter string is read the classic way: every "|" and every ":" ends an item, so a ":"
// inside a description splits the item there too.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace mFileOpenSave {

// What a question may say besides its file types and title; the defaults suit most questions.
struct cAsk {
    std::string fileName; // the name offered (may be a full path)
    std::string initialDir; // empty: the dialog's own choice
    std::string defaultExt; // without the dot; empty: none
    std::int32_t filterIndex = 1; // 1-based entry shown first
    bool overwritePrompt = true; // save: ask before a file is replaced
    bool hideReadOnly = true; // open: no read-only box
};

// The open dialog for one existing file.
std::optional<std::string> AskOpen(QWidget* owner, std::string_view filter, std::string_view title = {},
                                   const cAsk& ask = {});
// The save dialog.
std::optional<std::string> AskSave(QWidget* owner, std::string_view filter, std::string_view title = {},
                                   const cAsk& ask = {});

// "|" and ":" become NUL, then two NULs are appended.
std::string ConvertFilter(std::string_view filter);
// The string up to its first NUL.
std::string CutAtNul(std::string_view s);
// The n-th entry (1-based) of a converted filter: description, NUL, pattern. Empty for an index
// outside the entries.
std::string FilterEntryAt(std::string_view converted, std::int32_t n);

} // namespace mFileOpenSave
