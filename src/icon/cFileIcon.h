#pragma once
// cFileIcon: one icon group exactly as an .ico file stores it: the ICONDIR header, a directory of
// ICONDIRENTRY records and one opaque byte block per image, plus the file it came from and, for an
// icon out of a module, the group's resource identifier and language.
//
// A cursor is the same object with idType 2 (IMAGE_CURSOR), as a .cur file stores it: each entry's
// wPlanes and wBitCount hold the image's hotspot instead of its depth, which then comes from the
// block's own header. Everything else (queries, drawing, saving) is the icon's.
//
// Invariants: the directory and the blocks always hold idCount elements; block i is
// dwBytesInRes of entry i long. Image numbers in the public operations are 1-based. Icons built
// from a module or edited by AddImage/RemoveImage keep back-to-back offsets; icons read by LoadIcon
// keep the offsets as read. The object holds no open file between calls.
//
// Loading decodes into locals and takes them over only when the whole group was read, so a load
// that fails for any reason (a damaged file, a lack of memory) leaves the object reset: no images,
// the file name asked for. What a load keeps is held to a cLoadBudget.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/cResourceID.h"
#include "platform/mDib.h"
#include "base/cError.h"
#include "icon/cLoadBudget.h"

// ICONDIR, the 6-byte header of an .ico file.
struct ICONDIR {
    std::uint16_t idReserved = 0;
    std::uint16_t idType = 0;
    std::int16_t idCount = 0;
};

// ICONDIRENTRY, 16 bytes per image in an .ico file.
struct ICONDIRENTRY {
    std::uint8_t bWidth = 0;
    std::uint8_t bHeight = 0;
    std::uint8_t bColorCount = 0;
    std::uint8_t bReserved = 0;
    std::uint16_t wPlanes = 0;
    std::int16_t wBitCount = 0;
    std::int32_t dwBytesInRes = 0;
    std::int32_t dwImageOffset = 0;
};

class cByteView;
class cModuleFile;

class cFileIcon {
public:
    // Error numbers of the class (the object error base plus a code); callers compare them.
    static constexpr std::int32_t kErrIconExists = cError::ObjectError(0x419);
    static constexpr std::int32_t kErrLoadIcon = cError::ObjectError(0x41A);
    static constexpr std::int32_t kErrNoFilename = cError::ObjectError(0x41B);
    static constexpr std::int32_t kErrCantWrite = cError::ObjectError(0x41C); // also "no images"
    static constexpr std::int32_t kErrWriteFailure = cError::ObjectError(0x41D);
    static constexpr std::int32_t kErrCantLoadLibrary = cError::ObjectError(0x41E);
    static constexpr std::int32_t kErrCantFindIcons = cError::ObjectError(0x41F);
    static constexpr std::int32_t kErrCantLoadResource = cError::ObjectError(0x420); // load or lock
    static constexpr std::int32_t kErrReadBits = cError::ObjectError(0x421);

    static constexpr int kHeaderSize = 6;
    static constexpr int kEntrySize = 16;
    // ICONDIR idType.
    static constexpr std::uint16_t kTypeIcon = 1; // IMAGE_ICON
    static constexpr std::uint16_t kTypeCursor = 2; // IMAGE_CURSOR

    enum class eKind { kIcon, kCursor };
    struct cHotspot {
        std::int32_t x = 0, y = 0;
        bool operator==(const cHotspot&) const = default;
    };
    // A group of a module as the loading core names it: its kind (group icon 14 with icons 3, or
    // group cursor 12 with cursors 1), its identifier and, where known, its language. With
    // `ownLanguage` the group is one of several languages of the same identifier: this language's
    // group is read (its images in the same language where they have it) and its label names
    // the language; without it the group is looked up as LoadIconFromEXE looks it up.
    struct cGroupRef {
        eKind kind = eKind::kIcon;
        cResourceID id;
        std::optional<std::uint16_t> language;
        bool ownLanguage = false;
    };

    cFileIcon() = default;
    cFileIcon(const cFileIcon&) = delete; // copies are explicit: CloneTo
    cFileIcon& operator=(const cFileIcon&) = delete;
    cFileIcon(cFileIcon&&) noexcept = default;
    cFileIcon& operator=(cFileIcon&&) noexcept = default;

    // .ico files. Blocks that together need more than the file's budget (entries naming the
    // same bytes again and again) fail as "Icon Images Array is Corrupt.".
    bool LoadIcon(const std::string& fileName);
    // .cur files: the same format and failures, with idType 2 ("File is not cursor type").
    bool LoadCursor(const std::string& fileName);
    // An .ico or .cur file already in memory (a frame of an animated cursor): either type. Blocks
    // must lie inside `bytes`; what they keep is counted in `budget`. Failures as LoadIcon's.
    bool LoadIconBytes(std::span<const std::uint8_t> bytes, const std::string& fileName, cLoadBudget& budget);
    // An .icns file (mIcns): one group of every image element in the file's order, each with its
    // element type and density (ImageElement, ImageScale) and its real size (ImageWidth can pass
    // 256). Failures name the file and the element, as mIcns::Read raises them.
    bool LoadIcns(const std::string& fileName);
    // One icon group out of a module (PE or NE), looked up by number when groupNumber is not 0,
    // otherwise by groupName as given. True when the group and all its images were read; false,
    // without an error, when the group lists no images. What the group keeps is counted in
    // `budget` (the budget of a load of the groups of one file), or in a budget of its own; a
    // group that does not fit fails as "Failed to read bitmap bits from resource.".
    bool LoadIconFromEXE(const std::string& fileName, std::int32_t groupNumber, const std::string& groupName,
                         cLoadBudget* budget = nullptr);
    // The same from a module that is already open (a load of all the groups of one file opens it
    // once); the file name is the module's path.
    bool LoadIconFromEXE(cModuleFile& module, std::int32_t groupNumber, const std::string& groupName,
                         cLoadBudget* budget = nullptr);
    // Any group of an open module: an icon group as LoadIconFromEXE reads it; a cursor group
    // (GRPCURSORDIRENTRY: 16-bit width, height twice the image's, planes, bit count, bytes, id;
    // each cursor image starts with its 4-byte hotspot) turned into the .cur layout: the hotspot
    // goes into the entry's wPlanes and wBitCount, the block is the image after it, the colour
    // count byte is 0. Results and failures as LoadIconFromEXE's.
    bool LoadGroupFromEXE(cModuleFile& module, const cGroupRef& group, cLoadBudget* budget = nullptr);
    bool SaveIcon(const std::string& fileName = {});
    // The system's code for the last failed save (mSysText), 0 after a save that worked.
    std::uint32_t SaveSystemError() const noexcept { return saveError_; }

    // Queries and editing.
    const std::string& Filename() const noexcept { return fileName_; }
    const cResourceID& ResourceID() const noexcept { return resourceID_; }
    // Names the group as the container it was read from names it (an installer's Icon row).
    void SetResourceID(cResourceID id) { resourceID_ = std::move(id); }
    eKind Kind() const noexcept { return header_.idType == kTypeCursor ? eKind::kCursor : eKind::kIcon; }
    bool IsCursor() const noexcept { return Kind() == eKind::kCursor; }
    // The extension a saved copy takes: ".cur" for a cursor, ".ico" otherwise.
    const char* FileExtension() const noexcept { return IsCursor() ? ".cur" : ".ico"; }
    // The hotspot of image n (a cursor's wPlanes and wBitCount); (0, 0) for an icon's image.
    cHotspot Hotspot(std::int32_t n) const;
    // The language of a group out of a PE module, when the load asked for languages; none for
    // files, NE groups and loads that did not.
    std::optional<std::uint16_t> Language() const noexcept { return language_; }
    // True when the group is one of several languages of its identifier, read in its own.
    bool LanguageShown() const noexcept { return languageShown_; }
    // What a list shows for the object: the resource identifier, followed by " [" the language's
    // tag "]" when LanguageShown ("1 [de-DE]"), or "Frame N" for a frame of an animated cursor;
    // "" for an icon or cursor file's one group (the caller shows its file name).
    std::string Label() const;
    // The 1-based frame of an animated cursor this object was read from; 0 for anything else.
    std::int32_t Frame() const noexcept { return frame_; }
    void SetFrame(std::int32_t frame) noexcept { frame_ = frame; }
    std::int32_t ImageCount() const noexcept { return header_.idCount; }
    std::int32_t ImageWidth(std::int32_t n) const;
    std::int32_t ImageHeight(std::int32_t n) const;
    std::int32_t ImageColourCount(std::int32_t n) const;
    // The bits per pixel that image n's colour count stands for (32 for a 32-bit image, whose
    // colour count is the largest number).
    std::int32_t ImageBitDepth(std::int32_t n) const;
    std::int32_t ImageSize(std::int32_t n) const;
    // The .icns element type image n came from ("il32"); "" for an image of any other file.
    std::string ImageElement(std::int32_t n) const;
    // 2 for a double-density image of an .icns file (ic11..ic14 and their kind), 1 otherwise.
    std::int32_t ImageScale(std::int32_t n) const;
    // Width and height as a list shows them: "32x32", with "@2x" for a double-density image.
    std::string ImageSizeText(std::int32_t n) const;
    void RemoveImage(std::int32_t n);
    void AddImage(std::int32_t width, std::int32_t height, std::int32_t colours);
    void CloneTo(cFileIcon& target) const;

    // Read access for drawing and the command line (1-based image numbers; out of range raises
    // the subscript error).
    const ICONDIR& Header() const noexcept { return header_; }
    const ICONDIRENTRY& Entry(std::int32_t n) const;
    std::span<const std::uint8_t> Block(std::int32_t n) const;
    // True when image n's block is a PNG stream (by its 8-byte signature) rather than a DIB.
    bool IsPngImage(std::int32_t n) const;

    // Rendering (cFileIcon_Render.cpp). The block's bytes are never changed. A block that cannot be
    // decoded (short, lying header, unsupported format) gives no bitmap: an empty icon handle and
    // no picture. Image numbers outside 1..ImageCount raise the subscript error.
    //
    // Draws the colour bitmap (part 0) or the mask (any other part) of image n at (x, y) with the
    // raster operation; width and height 0 draw at the image's own size (BitBlt), otherwise the
    // part is stretched (StretchBlt), a single 0 standing for the image's own width or height.
    void DrawIconImage(mDib::cSurface& dc, std::int32_t n, std::int32_t part, std::int32_t x, std::int32_t y,
                       std::int32_t width, std::int32_t height, std::uint32_t rop) const;
    // A new icon of image n whose colour bitmap has the format of `dc`; empty on failure.
    mDib::cIconHandle IconHandle(const mDib::cSurface& dc, std::int32_t n) const;
    // The same for the screen's format.
    mDib::cIconHandle IconHandle(std::int32_t n) const;
    // A picture owning a new icon of image n; empty when IconHandle gives none.
    mDib::cPicture IconPicture(const mDib::cSurface& dc, std::int32_t n) const;
    mDib::cPicture IconPicture(std::int32_t n) const;
    // A picture owning the icon; empty for an empty handle.
    static mDib::cPicture PictureFromHandle(mDib::cIconHandle handle);

    // The bytes SaveIcon writes: header, directory with back-to-back offsets, blocks. The images
    // of an .icns file larger than 256 pixels, which a directory entry cannot describe, are left
    // out, unless the group has no other (PNG export keeps them all).
    std::vector<std::uint8_t> IcoBytes() const;

    static bool IsPng(std::span<const std::uint8_t> block) noexcept;

    // The first 12 bytes of an ICONDIRENTRY, which a group icon's GRPICONDIRENTRY shares
    // (bWidth..dwBytesInRes) at `at`.
    static void DecodeSharedFields(const cByteView& v, std::size_t at, ICONDIRENTRY& e);
    // The colour count of an image from its directory entry, and from the depth its block's own
    // header gives when the entry leaves it open (both colour fields 0). `block` may be just the
    // block's first bytes (40 hold any header's depth); an empty one leaves an open depth at 1
    // colour.
    static std::int32_t ColourCountOf(const ICONDIRENTRY& e, std::span<const std::uint8_t> block);
    // The pixels a directory entry's width or height byte stands for: 0 is 256.
    static constexpr std::int32_t SideOf(std::uint8_t b) noexcept { return b == 0 ? 256 : b; }
    // The byte a directory entry stores for a side of so many pixels: 256 and more as 0.
    static constexpr std::uint8_t SideByte(std::int64_t pixels) noexcept {
        return pixels > 0 && pixels < 256 ? static_cast<std::uint8_t>(pixels) : 0;
    }
    // The size an image block's own header gives: a PNG's IHDR, or a DIB header's width and half
    // its height (the colour bitmap and the mask); nothing where the block has no readable header.
    struct cSide {
        std::int32_t width = 0, height = 0;
    };
    static std::optional<cSide> BlockSide(std::span<const std::uint8_t> block);

    // An image as straight-alpha ARGB, the colour bitmap with its mask as alpha (a PNG image with
    // its own alpha), as DrawIconEx draws it onto nothing; empty when the block cannot be decoded.
    mDib::cBitmap ImageArgb(std::int32_t n) const;
    static mDib::cBitmap BlockArgb(std::span<const std::uint8_t> block);

private:
    std::uint32_t saveError_ = 0;
    void Reset(const std::string& fileName);
    bool LoadFile(const std::string& fileName, std::uint16_t type);
    // Decodes an .ico/.cur file of `fileSize` bytes read through `read` (positional: how many of
    // the n bytes at an offset arrived); `type` 0 takes either type.
    using tReader = std::function<std::size_t(std::uint64_t at, void* dst, std::size_t n)>;
    void Decode(std::uint64_t fileSize, const tReader& read, std::uint16_t type, cLoadBudget& budget);
    bool LoadGroup(cModuleFile& module, eKind kind, const cResourceID& lookup, std::size_t nameBytes,
                   std::optional<std::uint16_t> language, bool ownLanguage, cLoadBudget* budget);
    void CheckIndex(std::int32_t n) const;
    [[noreturn]] void RaiseLoad(const std::string& reason);
    static cError Error(std::int32_t number, std::string description);
    // Bit depth an image block's own header gives (0 when it gives none).
    static std::int32_t BlockBitDepth(std::span<const std::uint8_t> block);
    // Builds a bitmap of either half of an image block at the image's real size, in `format` (the
    // mask is always monochrome); draws it onto `drawOn` when given; answers the bitmap when `keep`
    // is set, else an empty one. Empty when the block cannot be decoded.
    static mDib::cBitmap RenderImage(mDib::eFormat format, mDib::cSurface* drawOn, std::span<const std::uint8_t> block,
                                     bool mask, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                                     std::uint32_t rop, bool keep);
    // A new icon of an image block whose colour bitmap has `format`; empty on failure.
    static mDib::cIconHandle BlockIcon(mDib::eFormat format, std::span<const std::uint8_t> block);
    // The copy operation that only icons offer each other (CloneTo).
    void TakeCopy(const std::string& fileName, const cResourceID& id, const ICONDIR& header,
                  const std::vector<ICONDIRENTRY>& entries, const std::vector<std::vector<std::uint8_t>>& blocks);

    std::string fileName_;
    cResourceID resourceID_;
    std::optional<std::uint16_t> language_;
    bool languageShown_ = false;
    std::int32_t frame_ = 0;
    // Where the images of an .icns file came from: empty for any other group, else one per image.
    struct cElementInfo {
        std::string element;
        std::int32_t width = 0, height = 0, scale = 1;
    };
    std::vector<cElementInfo> elements_;
    ICONDIR header_;
    std::vector<ICONDIRENTRY> entries_;
    std::vector<std::vector<std::uint8_t>> blocks_;
};
