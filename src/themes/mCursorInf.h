#pragma once
// mCursorInf: the cursor scheme a setup information file (.inf) of a cursor pack installs, read
// leniently, since packs write them in many forms:
// - the scheme string, an AddReg line for HKCU "Control Panel\Cursors\Schemes" whose value is the
//   scheme's files separated by commas, in the roles' order (mCursorRoles), whatever section holds
//   it ([Scheme.Reg], [Wreg], ...), its value name the scheme's name;
// - per-role lines for HKCU "Control Panel\Cursors" whose value name is a role's ("Arrow",
//   "AppStarting"...), and the line without a value name, which names the scheme; these win over
//   the scheme string where both name a role;
// - [Strings]: %key% replaced by the key's value (keys without regard to case, %% a "%", a key
//   misspelt "unavailiable" where the other spelling is defined taken as that one), numeric folder
//   ids (%10%, %16422%...) dropped, since only a path's last component names a file of the pack.
// UTF-16LE (with its byte-order mark) and UTF-8 text; comments (";" outside quotes), quotes (a doubled quote inside them is one), lines continued by a
// trailing "\", section and key names in any case; unknown sections and lines are ignored.
//
// The text is untrusted: it is read in one pass, at most kMaxBytes of it, each line at most
// kMaxLine bytes after continuation, substitution does not recurse (a value is substituted once,
// its own %...% kept as text) and no result grows past kMaxLine.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "themes/mCursorRoles.h"

namespace mCursorInf {

constexpr std::size_t kMaxBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxLine = 64 * 1024;

struct cScheme {
    std::string name; // empty when the INF names none
    // Each role's file as the INF gives it: its path's last component after substitution; empty
    // where the INF names none.
    std::array<std::string, mCursorRoles::kRoleCount> files;
    bool AnyFile() const {
        for (const auto& f : files)
            if (!f.empty()) return true;
        return false;
    }
};

// The scheme of `text`; a text longer than kMaxBytes is read up to there.
cScheme Parse(std::string_view text);

// The last component of a Windows or POSIX path ("%10%\Cursors\x.cur" -> "x.cur"), blanks and
// quotes around it trimmed.
std::string LastComponent(std::string_view path);

} // namespace mCursorInf
