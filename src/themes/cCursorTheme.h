#pragma once
// cCursorTheme: a Windows cursor pack made into an Xcursor theme. It owns the pack as found (its
// folder, its INF, each role's file), the cursors converted from it (every image of every frame,
// premultiplied ARGB as Xcursor stores it) and the report of what became of each role.
//
// Finding (Find): PACK is an INF file or a folder. A folder's INF is "install.inf" or else the
// first .inf (names in any case, sorted) whose scheme names a file; roles named by the INF are
// matched to the folder's files without regard to case. Without an INF, or when it names no file,
// the roles come from the files' names (mCursorRoles::RoleOfFileName); of two files that name one
// role the first by name is taken and the other reported as unused.
//
// Converting (Convert): a role's file is read whole (.cur, .ani; an .ico is taken as a cursor with
// its hotspot at 0, 0). Each image becomes one Xcursor image of its own size and hotspot; where a
// file holds several images of one size, the deepest is taken. An animated cursor gives, for each
// size all its frames hold, one image per step in the sequence's order, each with its step's rate
// in milliseconds (jiffies * 1000 / 60 rounded to the nearest, at least 1). Sizes asked for
// (`sizes`) that a cursor lacks are made from its nearest larger size by area averaging, the
// hotspot scaled and rounded (and kept inside the image); from a smaller size only when `scaleUp`.
// A file that cannot be read, or an image or frame that cannot be decoded, skips its role and is
// reported; nothing aborts the rest.
//
// Writing (Write): DIR/NAME/cursors/ holds one Xcursor file per role, written by libXcursor,
// under the role's first Xcursor name, and every other name of the role as a relative symbolic
// link to it; DIR/NAME/index.theme names the theme. The folder is built beside its place under a
// temporary name and put in place by one rename: a theme folder already there is replaced whole
// (exchanged, then removed) or not at all. A folder at that name holding anything but a theme's
// "cursors" and "index.theme", and anything that is not a folder, is never replaced.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/cError.h"
#include "themes/mCursorRoles.h"

class cCursorTheme {
public:
    // No cursor in the pack (or no pack): bad usage for the command line.
    static constexpr std::int32_t kErrNoCursors = cError::ObjectError(0x440);
    // The theme could not be written; the description says what and why.
    static constexpr std::int32_t kErrWrite = cError::ObjectError(0x441);
    // Sizes the command line accepts for --sizes.
    static constexpr std::int32_t kMaxSize = 256;
    // A temporary folder of a theme (.NAME.tmp-*) unchanged for this long is left over from a run
    // that was killed; the next run writing NAME removes it. Writing a theme takes well under a
    // second, so a live run never comes near this.
    static constexpr std::int64_t kStaleTempNs = 2ll * 60 * 1'000'000'000;

    enum class eStatus { kNotNamed, kConverted, kMissing, kDamaged };

    // One Xcursor image: premultiplied ARGB, row by row.
    struct cImage {
        std::uint32_t size = 0; // nominal size: the larger side
        std::uint32_t width = 0, height = 0, xhot = 0, yhot = 0;
        std::uint32_t delay = 0; // ms; 0 for a still cursor
        std::vector<std::uint32_t> pixels;
    };
    struct cScaled {
        std::int32_t size = 0, from = 0;
        std::int32_t xhot = 0, yhot = 0; // the new hotspot
    };
    struct cRole {
        eStatus status = eStatus::kNotNamed;
        std::string file; // the INF's name or the file's, as found in the pack
        std::string path; // the file read; empty when missing
        std::vector<std::int32_t> sizes; // the sizes written, ascending
        std::int32_t frames = 0; // images per size: the steps of an animation, 1 for a still cursor
        std::vector<std::uint32_t> delays; // ms per step (animations)
        std::vector<cScaled> scaled;
        std::vector<std::string> notes; // what was left out, and why
        std::string error; // why the role was skipped
        std::vector<cImage> images; // sizes ascending, each size's steps in order
    };

    // Finds the pack (see above). Raises kErrNoCursors when PACK is neither a folder nor a file
    // that can be read, or when the pack names no cursor.
    void Find(const std::string& pack);
    void Convert(const std::vector<std::int32_t>& sizes = {}, bool scaleUp = false);
    // Writes DIR/NAME (see above); DIR is made when missing. Raises kErrWrite, or kErrNoCursors
    // when no role was converted (nothing is written then).
    void Write(const std::string& dir, const std::string& name);

    // The theme's name when none is given: the INF's scheme name, else the pack folder's name,
    // made fit for a folder name ("/" and control characters replaced, "." and ".." refused).
    std::string DefaultName() const;
    static std::string FolderName(const std::string& name);
    // $XDG_DATA_HOME/icons, or ~/.local/share/icons.
    static std::string DefaultDir();

    const std::string& Folder() const noexcept { return folder_; }
    const std::string& Inf() const noexcept { return inf_; }
    const std::string& SchemeName() const noexcept { return schemeName_; }
    const std::array<cRole, mCursorRoles::kRoleCount>& Results() const noexcept { return roles_; }
    // Files of the pack that no role took (a second file for one role, a name the table lacks).
    const std::vector<std::string>& Unused() const noexcept { return unused_; }
    // Where Write put the theme.
    const std::string& ThemeFolder() const noexcept { return themeFolder_; }
    // True when every role the pack names was converted.
    bool Complete() const;

    // The report: readable text, and JSON (one object) for --report.
    std::string ReportText() const;
    std::string ReportJson() const;
    // How a user chooses the theme (nothing is changed here).
    static std::string HowToChoose(const std::string& name, const std::string& dir);

private:
    void ConvertRole(cRole& role, const std::vector<std::int32_t>& sizes, bool scaleUp);
    [[noreturn]] static void Fail(std::int32_t number, const std::string& description);

    std::string folder_, inf_, schemeName_, themeFolder_;
    std::array<cRole, mCursorRoles::kRoleCount> roles_;
    std::vector<std::string> unused_;
};
