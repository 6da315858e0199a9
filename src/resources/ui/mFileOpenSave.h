#pragma once
// mFileOpenSave: the open and save dialogs behind two routines with flat in/out parameter lists.
// Callers describe file types as one "|"-separated string of descriptions and patterns; it is
// converted into the platform form (items separated by NULs, the list ended by two NULs) and,
// after the dialog, the entry the user picked is handed back. The dialog itself is a backend
// (cFileDialogBackend): the Qt windows give one over their prompts; tests give a scripted one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mFileOpenSave {

// OPENFILENAME flags.
inline constexpr std::int32_t OFN_READONLY = 0x1;
inline constexpr std::int32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr std::int32_t OFN_HIDEREADONLY = 0x4;
inline constexpr std::int32_t OFN_ENABLEHOOK = 0x20;
inline constexpr std::int32_t OFN_ENABLETEMPLATE = 0x40;
inline constexpr std::int32_t OFN_ALLOWMULTISELECT = 0x200;
inline constexpr std::int32_t OFN_FILEMUSTEXIST = 0x1000;

// The buffer lengths of the file name, with its closing NUL: what the platform's paths need. On
// Windows MAX_PATH and the multiple-selection buffer of 8192; elsewhere PATH_MAX (4096 bytes on
// Linux) and room for sixteen such paths.
#if defined(_WIN32)
inline constexpr std::size_t kMaxFile = 260;
inline constexpr std::size_t kMaxFileMulti = 8192;
#else
inline constexpr std::size_t kMaxFile = 4096;
inline constexpr std::size_t kMaxFileMulti = 16 * kMaxFile;
#endif

// CommDlgExtendedError's codes: none, and a chosen name that does not fit the buffer.
inline constexpr std::int32_t kNoDialogError = 0;
inline constexpr std::int32_t FNERR_BUFFERTOOSMALL = 0x3003;

// The record a dialog is driven by (the fields of OPENFILENAME that mean anything here).
struct cOpenFileName {
    std::int32_t hwndOwner = 0;          // 0: no owner
    std::string lpstrFilter;             // converted filter
    std::int32_t nFilterIndex = 0;       // 1-based
    std::string lpstrFile;               // the buffer: initial name padded with NULs to nMaxFile
    std::size_t nMaxFile = kMaxFile;
    std::string lpstrFileTitle;          // padded likewise
    std::size_t nMaxFileTitle = kMaxFile;
    std::optional<std::string> lpstrInitialDir;
    std::optional<std::string> lpstrTitle;
    std::optional<std::string> lpstrDefExt;
    std::int32_t Flags = 0;
};

// Shows the dialog described by the record and fills in the results as the platform does: the
// chosen path in lpstrFile (for a multiple selection the folder, NUL, each name, NUL, NUL), the
// bare name in lpstrFileTitle, the chosen entry in nFilterIndex, the flags left in Flags.
// Answers false when the user cancelled or the dialog failed; a dialog that failed tells the user
// why and leaves its code for CommDlgExtendedError (SetExtendedError).
class cFileDialogBackend {
public:
    virtual ~cFileDialogBackend() = default;
    virtual bool GetOpenFileName(cOpenFileName& ofn) = 0;
    virtual bool GetSaveFileName(cOpenFileName& ofn) = 0;
};

// The backend the two routines use; the windows set theirs at start-up.
void SetBackend(cFileDialogBackend* backend);
cFileDialogBackend* Backend();

// Why the last dialog answered false: kNoDialogError when the user cancelled, otherwise the code
// its backend set (FNERR_BUFFERTOOSMALL: the chosen name did not fit lpstrFile).
std::int32_t CommDlgExtendedError();
void SetExtendedError(std::int32_t code);

// "|" and ":" become NUL, then two NULs are appended.
std::string ConvertFilter(std::string_view filter);
// The string up to its first NUL.
std::string CutAtNul(std::string_view s);
// The n-th entry (1-based) of a converted filter: description, NUL, pattern. Empty for an index
// outside the entries.
std::string FilterEntryAt(std::string_view converted, std::int32_t n);

// The open dialog. Owner -1 stands for none. Returns true when the user confirmed a choice.
bool ShowOpenDialog(std::string& fileName, std::string& fileTitle, bool fileMustExist, bool multipleSelection,
                    bool& readOnly, bool hideReadOnly, std::string& filter, std::int32_t& filterIndex,
                    const std::optional<std::string>& initialDir, const std::optional<std::string>& title,
                    const std::optional<std::string>& defaultExt, std::int32_t owner, std::int32_t& extraFlags);

// The save dialog. Owner -1 stands for none. Returns true when the user confirmed a choice.
bool ShowSaveDialog(std::string& fileName, std::string& fileTitle, bool overwritePrompt, std::string& filter,
                    std::int32_t& filterIndex, const std::optional<std::string>& initialDir,
                    const std::optional<std::string>& title, const std::optional<std::string>& defaultExt,
                    std::int32_t owner, std::int32_t& extraFlags);

} // namespace mFileOpenSave
