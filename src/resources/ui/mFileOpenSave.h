#pragma once
// mFileOpenSave: every question the windows ask for a file name. AskOpen and AskSave take the
// window that asks (it owns the dialog), the file types as one "|"-separated string of
// descriptions and patterns ("Icon Files (*.ico)|*.ico|All Files (*.*)|*.*") and a title, put the
// question to cPrompts (the Qt dialogs, or scripted answers in tests) and answer the chosen path
// as the system names it, or nothing when the user cancelled or chose no name.
//
// ShowOpenDialog and ShowSaveDialog keep the classic flat in/out parameter lists over the same
// question, for callers that want the chosen filter entry, the read-only box or several files.
// The filter string is read the classic way: every "|" and every ":" ends an item, so a ":"
// inside a description splits the item there too.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace mFileOpenSave {

// The flags the flat routines take and give back (OPENFILENAME's).
inline constexpr std::int32_t OFN_READONLY = 0x1;
inline constexpr std::int32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr std::int32_t OFN_HIDEREADONLY = 0x4;
inline constexpr std::int32_t OFN_ENABLEHOOK = 0x20;
inline constexpr std::int32_t OFN_ENABLETEMPLATE = 0x40;
inline constexpr std::int32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr std::int32_t OFN_FILEMUSTEXIST = 0x1000;

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

// The open dialog with the classic parameters. A confirmed choice gives the path in `fileName`
// (for a multiple selection the folder, NUL and each name, NUL-separated, with `fileTitle`
// empty), the bare name in `fileTitle`, the chosen entry in `filter` and `filterIndex`, the flags
// in `extraFlags`, and sets `readOnly` when the box was left ticked. A cancel empties the names
// and the filter, sets the flags to 0 and the index to -1, and leaves `readOnly` alone.
bool ShowOpenDialog(std::string& fileName, std::string& fileTitle, bool fileMustExist, bool multipleSelection,
                    bool& readOnly, bool hideReadOnly, std::string& filter, std::int32_t& filterIndex,
                    const std::optional<std::string>& initialDir, const std::optional<std::string>& title,
                    const std::optional<std::string>& defaultExt, QWidget* owner, std::int32_t& extraFlags);

// The save dialog with the classic parameters; outputs as ShowOpenDialog's, the index 0 after a
// cancel.
bool ShowSaveDialog(std::string& fileName, std::string& fileTitle, bool overwritePrompt, std::string& filter,
                    std::int32_t& filterIndex, const std::optional<std::string>& initialDir,
                    const std::optional<std::string>& title, const std::optional<std::string>& defaultExt,
                    QWidget* owner, std::int32_t& extraFlags);

} // namespace mFileOpenSave
