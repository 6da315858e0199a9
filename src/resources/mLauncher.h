#pragma once
// mLauncher: menu entries for Windows programs (and for icon files with a command of their own), as
// the freedesktop.org menus take them: applications/ID.desktop and the program's icon in the
// hicolor theme, icons/hicolor/SxS/apps/ID.png, below a data home ($XDG_DATA_HOME).
//
// A launcher is written whole or not at all: every file is made complete as a temporary file beside
// its name first, and only then are they put in place; a failure on the way removes what this run
// had placed. What a launcher wrote is recorded in pictrix/launchers/ID.json below the data home,
// each file with its SHA-256: a file at one of the names that no record of that launcher claims
// with its present bytes is not ours, and is never replaced without being asked nor removed.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/cError.h"

class cFileIcon;

namespace mLauncher {

// Error numbers of the module (the object error base plus a code); callers compare them.
inline constexpr std::int32_t kErrNoIcon = cError::ObjectError(0x480); // the file holds no icon group
inline constexpr std::int32_t kErrGroup = cError::ObjectError(0x481); // the group asked for is missing or damaged
inline constexpr std::int32_t kErrExists = cError::ObjectError(0x482); // files at the names are not ours
inline constexpr std::int32_t kErrWrite = cError::ObjectError(0x483); // a file could not be written
inline constexpr std::int32_t kErrUsage = cError::ObjectError(0x484); // an ID, name or command that cannot be used
inline constexpr std::int32_t kErrUnknown = cError::ObjectError(0x485); // no launcher of ours has that ID
inline constexpr std::int32_t kErrOurs = cError::ObjectError(0x486); // a launcher of ours has the ID already

// How a refusal of files that are not ours ends (kErrExists): the command line's way past it, which
// the window leaves out of what it shows.
inline constexpr std::string_view kReplaceHint = "; --replace replaces it";

// The sizes of the hicolor theme's application icons, smallest first.
inline constexpr std::int32_t kThemeSizes[] = {16, 22, 24, 32, 48, 64, 96, 128, 256};

// One icon size a launcher writes: the 1-based image it comes from and how.
struct cSizePlan {
    std::int32_t size = 0;
    std::int32_t image = 0;
    bool stored = false; // a PNG block of exactly this size, written as the group stores it
    bool scaled = false; // a larger image scaled down
    std::int32_t fromWidth = 0; // the image's size
    std::int32_t fromHeight = 0;
};

// An image of a group as the plan sees it: its decoded size, depth and whether it is a PNG block.
struct cImageKind {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t depth = 0;
    bool png = false;
};

// The theme sizes up to the group's largest image (its larger side). Each takes the group's square
// image of exactly that size (the deepest, the first of equals), else the smallest image whose
// larger side exceeds it (the deepest) scaled down to fit; an image is never enlarged. Empty when
// every image is smaller than the smallest size.
std::vector<cSizePlan> PlanSizes(std::span<const cImageKind> images);
// The plan for the images of `icon` as they decode; raises kErrGroup naming the group when one of
// them cannot be read.
std::vector<cSizePlan> PlanSizes(const cFileIcon& icon);

// One argument of an Exec line as the freedesktop Desktop Entry format quotes it: in double quotes when
// it holds a reserved character (with ", `, $ and \ escaped), and "%" doubled.
std::string ExecArgument(std::string_view argument);
// A value of a key as a desktop file stores strings: \ as \\, line ends and tabs as \n, \r, \t, a
// leading space as \s.
std::string StringValue(std::string_view text);
// The ID a name gives: its letters, digits, ".", "_" and "-", every other run of bytes one "-",
// without "-" or "." at the ends; "launcher" when nothing is left.
std::string IdFromName(std::string_view name);
// True for an ID of [A-Za-z0-9._-], 1 to 200 bytes, that does not begin with "." or "-".
bool ValidId(std::string_view id);
// The Wine prefix `file` lies in: the folder holding the drive_c folder above it; nothing when it
// lies in none. `file` is made absolute first, links left as they are.
std::optional<std::string> WinePrefix(const std::string& file);

// What the launcher is made from and what it says.
struct cRequest {
    std::string file; // a module or an icon file
    std::int32_t group = 1; // 1-based, among the file's icon groups
    // The group itself, as the caller holds it (the window's chosen icon, in whatever language it
    // shows); `group` is then not read. It must outlive the call.
    const cFileIcon* icon = nullptr;
    std::string name; // the entry's name; empty: DefaultName
    std::string id; // empty: from the name, made unique
    std::string exec; // the command as an Exec line holds it; empty: the module run by Wine
    std::string categories; // "A;B" or "A,B"; empty: none
    std::string dataHome; // where applications/ and icons/ are
    bool replace = false; // files at the names that are not ours may be replaced
    bool replaceOurs = false; // a launcher of ours at the ID may be replaced, files that are not ours still refuse
};

// One launcher as its record keeps it: the files relative to the data home, with their SHA-256.
struct cRecord {
    std::string id;
    std::string name;
    std::string source;
    std::vector<std::string> files;
    std::vector<std::string> sha256;
};

// What a run did.
struct cResult {
    std::string id;
    std::vector<std::string> written; // full paths, in the order they were put in place
    std::vector<std::string> keptChanged; // (Remove) files changed since we wrote them, left alone
};

// What a launcher runs: a module, or a shortcut's target with its arguments and working folder.
struct cProgram {
    std::string exe; // the local path
    std::vector<std::string> arguments;
    std::string folder; // where it starts
    std::string prefix; // its Wine prefix, or empty
    std::string description; // a shortcut's
    bool shortcut = false;
};
// The program of a module or of a shortcut (.lnk). Raises a cError (file not found, 53) naming a
// shortcut's target that does not exist on this machine.
cProgram ProgramOf(const std::string& file);
// A Windows command line split as Windows programs split theirs (CommandLineToArgvW's rules:
// white space outside double quotes separates, backslashes are literal but before a quote).
std::vector<std::string> WindowsArguments(std::string_view line);

// The data home a run uses when none is given: $XDG_DATA_HOME, else ~/.local/share.
std::string DefaultDataHome();

// True for a file a launcher runs by itself (a module or a shortcut); an icon file or a compiled
// resource file (.res) needs a command.
bool IsProgram(const std::string& file);

// The Name a launcher of `file` gets without --name: a module's FileDescription, else its
// ProductName (in the user's language where the module has it), else the file's name without its
// extension.
std::string DefaultName(const std::string& file);
// The Exec line of a launcher of `file` without --exec: Wine, with the prefix the file lies in, runs
// the module, or the shortcut's target with its arguments, or installs an installer package
// ("wine msiexec /i FILE"); an AppImage is run itself.
std::string DefaultExec(const std::string& file);

// The SVG drawing a container's icon is (an AppImage's .DirIcon), as it stores it; empty when the
// icon is a picture. Programs that read containers install it (mContainers::Install); a launcher
// of such a file then installs the drawing as the theme's scalable icon besides the sizes, which
// the desktop draws at the sizes between them (a dock of 80 pixels, a grid of 192).
using tDrawingReader = std::function<std::vector<std::uint8_t>(const std::string& file)>;
void SetDrawingReader(tDrawingReader reader);
// The drawing a launcher of `file` installs as the scalable icon; empty when it installs none.
std::vector<std::uint8_t> Drawing(const std::string& file);

// Writes a launcher. Raises a cError with one of the numbers above (kErrOurs: a launcher of ours
// is there, to be replaced when asked; kErrExists: files that are not ours are in the way), or what
// loading the file raised.
cResult Create(const cRequest& request);
// Removes launcher `id`: exactly the files its record lists that still hold what we wrote, then
// the record. Raises kErrUnknown when there is no such launcher.
cResult Remove(const std::string& dataHome, const std::string& id);
// Every launcher recorded below `dataHome`, by ID.
std::vector<cRecord> List(const std::string& dataHome);

// Refreshes the icon theme cache (where icon-theme.cache exists) and the desktop database (where
// mimeinfo.cache exists) below `dataHome`; quiet, what fails is left as it was.
void RefreshCaches(const std::string& dataHome);

} // namespace mLauncher
