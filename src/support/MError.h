#pragma once
// MError: the program-wide error report. Every error trap of the windows passes the trapped
// error's number, source and description to ReportError, which appends it to the error log and,
// when asked, shows it through the error view: the windows install one that opens a message box;
// without windows the report goes to standard error.
//
// ReportError never raises: a log that cannot be written is added to what is shown (and goes to
// standard error when the report was not to be shown), so reporting an error never takes the
// program down.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/cError.h"
#include "base/mProgram.h"

namespace MError {

// The title of the program's message boxes: the application name.
inline constexpr std::string_view kTitle = mProgram::kAppName;

// Where a report is shown. The windows implement it with a message box (error icon, OK button);
// `text` holds its lines separated by CR (code 13).
class cErrorView {
public:
    virtual ~cErrorView() = default;
    virtual void ShowError(const std::string& title, const std::string& text) = 0;
};

// Installs the view that ReportError shows through; nullptr restores the default, which writes
// the lines (CR turned into line feeds) to standard error. The view must outlive its use.
void SetErrorView(cErrorView* view);
cErrorView& ErrorView();

// The error log of every caller: errlog.txt in the program's folder when that folder (and an
// existing errlog.txt in it) can be written and the program is not an installed one (run from its
// build tree), otherwise $XDG_STATE_HOME/pictrix/errlog.txt (~/.local/state when XDG_STATE_HOME
// is unset), whose folder is created when needed.
std::string ErrorLogPath();
// The same rule for a given program folder.
std::string ErrorLogPathFor(const std::string& programDir);
// Pins the log to one file (tests, or a program that keeps its log elsewhere); "" restores the
// rule.
void SetErrorLogPath(std::string path);

// Sends the settings store's events (a damaged store moved aside, a store that cannot be used)
// into the error log as warnings; when the log cannot be written they go to standard error. That
// changes cannot be saved is also shown through the error view (standard error, or the windows'
// message box). Every program calls it once before it first uses the store.
void LogStoreEvents();

// Appends an information entry to the error log (a batch output saved under another name...);
// a log that cannot be written is told on standard error.
void LogInformation(const std::string& message) noexcept;

// The shown text: "Error #" number, CR, source, CR, description.
std::string ReportText(std::int32_t number, std::string_view source, std::string_view description);

// Logs the error (as an error entry whose message is the number, LF, the description) when `log`
// is set, and shows it when `show` is set.
void ReportError(std::int32_t number, const std::string& source, const std::string& description, bool log,
                 bool show) noexcept;
inline void ReportError(const cError& e, bool log, bool show) noexcept {
    ReportError(e.Number(), e.Source(), e.Description(), log, show);
}

// Reports the exception being handled (call it inside a catch block only) with the log and show
// flags set: a cError as it is, a lack of memory as error 7 "Out of memory", any other exception
// as error 5 with its text. For the top of a handler, where nothing more specific traps it.
void ReportEscaped() noexcept;

} // namespace MError
