#pragma once
// CLog: appends tagged, time-stamped entries to a plain text log file and resets that file to a
// fresh header. It owns only the file's path; every call opens the file, writes and closes it, so
// entries of several processes never interleave (one append of the whole entry per call).
//
// Layout (UTF-8 text, every line ended by CR LF):
//   after ClearLog: "[Pictrix Pro Error Log]", then date TAB time
//   each LogEvent:  the separator line; the kind's title and the date and time; for errors
//                   "     [number]: description"; "     " + the message; for errors
//                   "     Error in: " + source.
// Dates and times are written in the user's locale (the C locale when the environment names a
// locale that is not installed).

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "base/cError.h"

class CLog {
public:
    // Entry kinds (lType of LogEvent).
    static constexpr std::int32_t kError = 1;
    static constexpr std::int32_t kWarning = 2;
    static constexpr std::int32_t kInformation = 4;

    static constexpr std::string_view kHeader = "[Pictrix Pro Error Log]";
    static constexpr std::string_view kSeparator =
        "-=-=-=-=-=-=-=-=-=-=-==-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-";
    // The fixed indentation of detail lines.
    static constexpr std::string_view kIndent = "     ";

    const std::string& LogPath() const noexcept { return logPath_; }
    // An empty value stores the program's folder instead.
    void LogPath(std::string value);

    // Appends one entry. For the error kind the details come from `current`, the error in force
    // at the caller (none: number 0 and empty texts). Failures of the file raise cError with the
    // runtime number of the failure (75 for a folder, 76 for a missing folder, 61 for a full
    // disk...) and the executable's name as source.
    void LogEvent(std::string_view message, std::int32_t type, const cError* current = nullptr) const;

    // Replaces the file by the two header lines (the file is written aside and renamed over the
    // old one). A missing file is no failure; any other raises cError with source "CLog:ClearLog".
    void ClearLog() const;

    // The title text of an entry kind ("Error ", "Warning: ", "Info: ", "Non-Tagged Entry: ").
    static std::string_view TitleOf(std::int32_t type);

    // Date and time as the user's locale writes them: short date, time, and both ("general date").
    static std::string DateText(std::time_t t);
    static std::string TimeText(std::time_t t);
    static std::string DateTimeText(std::time_t t);
    // The second header line: date TAB time.
    static std::string HeaderStampLine(std::time_t t);

private:
    std::string logPath_;
};
