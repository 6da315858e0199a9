#pragma once
// mThumbnail: the picture a file manager shows for an icon file, a cursor file (.cur), an animated
// cursor (.ani) or a Windows module (PE32, PE32+, NE). It is the icon the Windows shell shows for
// the file: the icon of an icon file, the cursor of a cursor file, the first frame of an animated
// cursor, or the first icon group of a module in the order the module stores its group icons (or,
// where that one gives no picture, the next that does). Of that icon's images it
// takes the one that fits the size asked best (mBestImage::FitImageIndex: the smallest at least
// that large, else the largest, preferring more colours), decodes it as the program renders images
// (cFileIcon::BlockArgb: the mask as alpha, PNG images with their own) and scales it smoothly down
// to fit a square of that size; an image that fits already keeps its own size (never enlarged).
//
// The kind of file is told by its first bytes, never by its name: "MZ" starts a module
// (mFileKind::IsModuleHeader), an ICONDIR of type 1 an icon file (mFileKind::IsIconFileHeader), of
// type 2 a cursor file, a RIFF form "ACON" an animated cursor (read whole, at most
// cAnimatedCursor::kMaxFileBytes), the empty header of a compiled resource file a .res read as a
// module, "icns" an .icns file (read whole: its one group, mIcns); anything else is refused. File managers
// hand over files by MIME type, which may come from a name that lies.
//
// It reads only what the picture needs: the headers, the group-icon directory and the one group,
// the headers of the images whose depth the directory leaves open (at most kMaxDepthProbes), and
// the chosen image's block; a module's size does not matter. Every allocation is bounded by the
// limits below, so any input is done with in a few milliseconds and a few MiB.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/mLanguage.h"
#include "platform/mDib.h"

namespace mThumbnail {

// Largest square asked for (the freedesktop sizes go up to 1024).
inline constexpr std::int32_t kMaxSize = 1024;
// Largest image block read: a 1024-pixel 32-bit bitmap with its mask is a little over 4 MiB.
inline constexpr std::uint32_t kMaxBlockBytes = 8u << 20;
// Images whose depth is read from their own header when the directory leaves it open.
inline constexpr std::size_t kMaxDepthProbes = 16;
// Icon groups of a module tried, in order, when the first gives no picture (damaged, or its image
// is), and the languages of a group weighed against the user's.
inline constexpr std::size_t kMaxGroups = 16;
inline constexpr std::size_t kMaxLanguages = 64;

struct cThumbnail {
    mDib::cBitmap argb; // the picture, fitted into size x size; empty when there is none
    std::int32_t image = 0; // the image drawn, 1-based in its icon
    std::string failure; // why there is no picture, a sentence about the file ("" on success)
};

// The thumbnail of the file at `path` for a square of `size` pixels (1 to kMaxSize). A module's
// group stored in several languages is shown in the one that suits `locale` best
// (mLanguage::BestMatch), its images in the same language where they have it.
cThumbnail Make(const std::string& path, std::int32_t size, const std::string& locale = mLanguage::UserLocale());

// The thumbnail as the PNG stream a thumbnailer writes: Make's picture encoded (mDib::EncodePng,
// fast), or, where Make's picture is a PNG image at its own size, that image's stream as it is
// stored (mDib::PngAsStored: the same pixels, without decoding and encoding them again).
struct cThumbnailPng {
    std::vector<std::uint8_t> png; // empty when there is no picture
    std::int32_t image = 0; // as cThumbnail's
    std::string failure; // as cThumbnail's
};
cThumbnailPng MakePng(const std::string& path, std::int32_t size, const std::string& locale = mLanguage::UserLocale());

} // namespace mThumbnail
