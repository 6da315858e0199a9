#pragma once
// mPngExport: the window-free core of the Export as PNG command. It says which images of the
// chosen icon are exported, names their files after the icon and the image, and writes them: an
// image stored as PNG is written byte for byte as stored; a bitmap is decoded with its mask as
// alpha (cFileIcon::ImageArgb, the decoder of pictrix-cli render) and encoded as a PNG with alpha.
// Every file goes through a temporary file renamed over its name (cReplaceFile).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/mTr.h"
#include "icon/cFileIcon.h"

namespace mPngExport {

// The command's texts.
inline constexpr std::string_view kCaption = PICTRIX_TR_NOOP("mPngExport", "Export as PNG");
inline constexpr std::string_view kNoIconsToExport = PICTRIX_TR_NOOP("mPngExport", "No icons to export. Ready...");
inline constexpr std::string_view kChooseIconToExport =
    PICTRIX_TR_NOOP("mPngExport", "Please choose an icon to export.");
inline constexpr std::string_view kSaveFilter =
    PICTRIX_TR_NOOP("mFileOpenSave", "PNG Images (*.png)|*.png|All Files (*.*)|*.*");
inline constexpr std::string_view kSaveDefaultExt = "png";

// The images to export (1-based, in the icon's order). With the image grid shown: the chosen ones,
// or every image when none is chosen (as for saving). With the grid hidden, the choice is not the
// user's: the icon's best picture, its largest image with the most colours.
std::vector<std::int32_t> ImagesToExport(const cFileIcon& icon, const std::vector<bool>& chosen, bool gridShown);

// The part of the file names that comes from the icon: for an icon from an icon file, that file's
// name without its folder and extension; for a group of a module, the module's name so and "-" and
// the group's identifier. Characters that cannot stand in a file name (separators, control
// characters) become "_"; an icon with no file gives "icon".
std::string BaseName(const cFileIcon& icon);

// The bits per pixel of image n as its file name gives them: 1, 4, 8, 24, 32...
std::int32_t BitDepth(const cFileIcon& icon, std::int32_t n);

// The file name of image n: BaseName, "-", width "x" height, "-", depth "bit.png"; for example
// "shell-3-32x32-8bit.png".
std::string FileName(const cFileIcon& icon, std::int32_t n);

// One file to write: image `image` under `name` (no folder). Names that would repeat within one
// export get "~2", "~3"... before ".png"; a name longer than a file name may be is shortened as
// batch outputs are (mOutputName::Fit).
struct cFile {
    std::int32_t image = 0;
    std::string name;
    bool operator==(const cFile&) const = default;
};
std::vector<cFile> Plan(const cFileIcon& icon, const std::vector<std::int32_t>& images);

// The bytes of image n as a PNG file; empty when a bitmap cannot be decoded or encoded.
std::vector<std::uint8_t> PngBytes(const cFileIcon& icon, std::int32_t n);

// What an export did: the paths written, and for each file not written its path and the reason.
struct cFailure {
    std::string path;
    std::string reason;
};
struct cRenamed {
    std::string wanted;
    std::string used;
};
struct cReport {
    std::vector<std::string> written;
    std::vector<cFailure> failed;
    std::vector<cRenamed> renamed; // a link stood at the name: the image took the next free one
};

// The planned files that are already there in `folder` (full paths), which the user is asked
// about before they are replaced; and that question.
std::vector<std::string> ExistingFiles(const std::vector<cFile>& plan, const std::string& folder);
std::string ReplaceQuestion(const std::vector<std::string>& existing);

// Writes the planned files, each name joined to `folder` (with `folder` empty the names are paths
// already, as a save dialog gives them). Goes on after a failure. Inside a folder a symbolic link
// at a name is never written through nor replaced: that image takes the next free "~N" name.
cReport Write(const cFileIcon& icon, const std::vector<cFile>& plan, const std::string& folder);

// The report as the user reads it: "2 PNG files written." (or "1 PNG file written."), then one
// line per failure: the path, ": ", the reason.
std::string ReportText(const cReport& report);

} // namespace mPngExport
