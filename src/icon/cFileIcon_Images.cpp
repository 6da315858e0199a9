// cFileIcon: image queries and editing (counts, sizes, colour counts; RemoveImage, AddImage,
// CloneTo).

#include "icon/cFileIcon.h"

#include <limits>

#include "platform/cByteView.h"
#include "platform/mDib.h"
#include "base/mChecked.h"
#include "base/mLanguage.h"

void cFileIcon::CheckIndex(std::int32_t n) const {
    if (n < 1 || n > header_.idCount || static_cast<std::size_t>(n) > entries_.size())
        cError::RaiseRuntime(cError::kSubscriptOutOfRange);
}

const ICONDIRENTRY& cFileIcon::Entry(std::int32_t n) const {
    CheckIndex(n);
    return entries_[static_cast<std::size_t>(n - 1)];
}

std::span<const std::uint8_t> cFileIcon::Block(std::int32_t n) const {
    CheckIndex(n);
    return blocks_[static_cast<std::size_t>(n - 1)];
}

bool cFileIcon::IsPngImage(std::int32_t n) const { return IsPng(Block(n)); }

// A directory entry cannot say more than 256 (its 0): an image larger than that, which the
// directory gives as 256, has the size its own header gives (up to the largest that is drawn).
std::int32_t cFileIcon::ImageWidth(std::int32_t n) const {
    const ICONDIRENTRY& e = Entry(n);
    if (!elements_.empty()) return elements_[static_cast<std::size_t>(n - 1)].width;
    if (e.bWidth == 0)
        if (const auto side = BlockSide(Block(n)); side && side->width > 256 && side->width <= mDib::kMaxDimension)
            return side->width;
    return SideOf(e.bWidth);
}

std::int32_t cFileIcon::ImageHeight(std::int32_t n) const {
    const ICONDIRENTRY& e = Entry(n);
    if (!elements_.empty()) return elements_[static_cast<std::size_t>(n - 1)].height;
    if (e.bHeight == 0)
        if (const auto side = BlockSide(Block(n)); side && side->height > 256 && side->height <= mDib::kMaxDimension)
            return side->height;
    return SideOf(e.bHeight);
}

std::string cFileIcon::ImageElement(std::int32_t n) const {
    CheckIndex(n);
    return elements_.empty() ? std::string() : elements_[static_cast<std::size_t>(n - 1)].element;
}

std::int32_t cFileIcon::ImageScale(std::int32_t n) const {
    CheckIndex(n);
    return elements_.empty() ? 1 : elements_[static_cast<std::size_t>(n - 1)].scale;
}

std::string cFileIcon::ImageSizeText(std::int32_t n) const {
    std::string text = std::to_string(ImageWidth(n)) + "x" + std::to_string(ImageHeight(n));
    if (ImageScale(n) > 1) text += "@" + std::to_string(ImageScale(n)) + "x";
    return text;
}

std::int32_t cFileIcon::ImageSize(std::int32_t n) const { return Entry(n).dwBytesInRes; }

std::int32_t cFileIcon::BlockBitDepth(std::span<const std::uint8_t> block) {
    cByteView b(block);
    if (IsPng(block)) return 32; // PNG images in icons are 32-bit RGBA
    try {
        const std::uint32_t headerSize = b.U32(0);
        std::int64_t planes = 0, bits = 0;
        if (headerSize == 12) { // BITMAPCOREHEADER
            planes = b.U16(8);
            bits = b.U16(10);
        } else if (headerSize >= 40) { // BITMAPINFOHEADER and its successors
            planes = b.U16(12);
            bits = b.U16(14);
        }
        const std::int64_t depth = planes * bits;
        return depth > 255 ? 255 : static_cast<std::int32_t>(depth);
    } catch (const cByteView::cOutOfRange&) {
        return 0;
    }
}

std::optional<cFileIcon::cSide> cFileIcon::BlockSide(std::span<const std::uint8_t> block) {
    const cByteView b(block);
    std::int64_t width = 0, height = 0;
    if (IsPng(block)) {
        // The IHDR chunk comes first: length 13, "IHDR", then width and height, big-endian.
        if (!b.Has(8, 16) || b.U8(12) != 'I' || b.U8(13) != 'H' || b.U8(14) != 'D' || b.U8(15) != 'R') return {};
        const auto be32 = [&b](std::size_t at) {
            return (std::int64_t{b.U8(at)} << 24) | (b.U8(at + 1) << 16) | (b.U8(at + 2) << 8) | b.U8(at + 3);
        };
        width = be32(16);
        height = be32(20);
    } else if (b.Has(0, 12) && b.U32(0) == 12) { // BITMAPCOREHEADER
        width = b.U16(4);
        height = b.U16(6) / 2;
    } else if (b.Has(0, 40) && b.U32(0) >= 40) { // BITMAPINFOHEADER and its successors
        width = b.I32(4);
        height = b.I32(8) / 2;
    }
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return {};
    return cSide{static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
}

std::int32_t cFileIcon::ColourCountOf(const ICONDIRENTRY& e, std::span<const std::uint8_t> block) {
    if (e.bColorCount != 0) return e.bColorCount;
    std::int32_t bits = e.wBitCount;
    if (bits <= 0) {
        // The directory leaves the depth open; the image's own header knows it.
        const std::int32_t fromBlock = BlockBitDepth(block);
        if (fromBlock > 0) bits = fromBlock;
    }
    if (bits < 0) return 0; // 2 to a negative power rounds to 0
    if (bits >= 31) return std::numeric_limits<std::int32_t>::max();
    return std::int32_t{1} << bits;
}

std::int32_t cFileIcon::ImageColourCount(std::int32_t n) const {
    if (!IsCursor()) return ColourCountOf(Entry(n), Block(n));
    // A cursor's entry holds the hotspot where an icon's holds the depth: the block tells it.
    ICONDIRENTRY e = Entry(n);
    e.wPlanes = 1;
    e.wBitCount = 0;
    return ColourCountOf(e, Block(n));
}

std::int32_t cFileIcon::ImageBitDepth(std::int32_t n) const {
    const std::int32_t colours = ImageColourCount(n);
    if (colours == std::numeric_limits<std::int32_t>::max()) return 32;
    std::int32_t bits = 0;
    while (bits < 30 && (std::int32_t{1} << bits) < colours) ++bits;
    return bits;
}

cFileIcon::cHotspot cFileIcon::Hotspot(std::int32_t n) const {
    const ICONDIRENTRY& e = Entry(n);
    if (!IsCursor()) return {};
    return {e.wPlanes, static_cast<std::uint16_t>(e.wBitCount)};
}

std::string cFileIcon::Label() const {
    if (frame_ > 0) return "Frame " + std::to_string(frame_);
    std::string label = ResourceIDText(resourceID_);
    if (languageShown_ && language_) label += " [" + mLanguage::Tag(*language_) + "]";
    return label;
}

void cFileIcon::RemoveImage(std::int32_t n) {
    if (header_.idCount <= 1) {
        header_.idCount = 0;
        elements_.clear();
        entries_.clear();
        blocks_.clear();
        return;
    }
    CheckIndex(n);
    const auto idx = static_cast<std::size_t>(n - 1);
    const std::int32_t removed = entries_[idx].dwBytesInRes;

    // Compute the new offsets first so that an overflow leaves the icon unchanged.
    std::vector<ICONDIRENTRY> entries = entries_;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > idx) entries[i].dwImageOffset = mChecked::Sub(entries[i].dwImageOffset, removed);
        entries[i].dwImageOffset = mChecked::Sub(entries[i].dwImageOffset, std::int32_t{kEntrySize});
    }
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(idx));
    if (idx < elements_.size()) elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(idx));
    entries_ = std::move(entries);
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(idx));
    header_.idCount = static_cast<std::int16_t>(header_.idCount - 1);
}

void cFileIcon::AddImage(std::int32_t width, std::int32_t height, std::int32_t colours) {
    // Width and height go into single bytes; refuse what does not fit before changing anything.
    if (width < 0 || width > 255 || height < 0 || height > 255) cError::RaiseRuntime(cError::kOverflow);
    if (header_.idCount == std::numeric_limits<std::int16_t>::max()) cError::RaiseRuntime(cError::kOverflow);

    const std::size_t count = entries_.size();
    std::int32_t nextFree = 6 + 16; // the offset of a first image
    if (count > 0) {
        std::size_t last = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const auto number = static_cast<std::int32_t>(i + 1);
            if (ImageColourCount(number) == colours && entries_[i].bWidth == width && entries_[i].bHeight == height)
                throw Error(kErrIconExists, "Icon already exists.");
            if (entries_[i].dwImageOffset > entries_[last].dwImageOffset) last = i;
        }
        nextFree = mChecked::Add(entries_[last].dwImageOffset, entries_[last].dwBytesInRes);
        nextFree = mChecked::Add(nextFree, std::int32_t{kEntrySize});
    }

    ICONDIRENTRY e;
    switch (colours) {
    case 2:
        e.wBitCount = 1;
        e.bColorCount = 2;
        break;
    case 16:
        e.wBitCount = 4;
        e.bColorCount = 16;
        break;
    case 256:
        e.wBitCount = 8;
        e.bColorCount = 0;
        break;
    default:
        e.wBitCount = 24;
        e.bColorCount = 0;
        break;
    }
    e.wPlanes = 1;
    e.bWidth = static_cast<std::uint8_t>(width);
    e.bHeight = static_cast<std::uint8_t>(height);
    e.bReserved = 0;
    const std::int32_t palette = colours >= 0 && colours <= 256 ? 4 * colours : 0;
    const std::int32_t colourBits = height * mChecked::RowLength(std::int64_t{width} * e.wBitCount * e.wPlanes);
    const std::int32_t maskBits = height * mChecked::RowLength(width);
    e.dwBytesInRes = mChecked::Add(mChecked::Add(40 + palette, colourBits), maskBits);
    e.dwImageOffset = nextFree;

    std::vector<std::uint8_t> block(static_cast<std::size_t>(e.dwBytesInRes), 0);
    PutU32(block, 0, 40); // biSize
    PutU32(block, 4, static_cast<std::uint32_t>(width)); // biWidth
    PutU32(block, 8, static_cast<std::uint32_t>(2 * height)); // biHeight: colour bitmap and mask
    block[12] = 1; // biPlanes
    block[14] = static_cast<std::uint8_t>(e.wBitCount); // biBitCount
    if (e.wBitCount == 1) { // palette entry 1 white, entry 0 black
        block[44] = 255;
        block[45] = 255;
        block[46] = 255;
    }

    std::vector<ICONDIRENTRY> entries = entries_;
    for (auto& old : entries) old.dwImageOffset = mChecked::Add(old.dwImageOffset, std::int32_t{kEntrySize});
    entries.push_back(e);
    if (!elements_.empty()) elements_.push_back({{}, width, height, 1});
    entries_ = std::move(entries);
    blocks_.push_back(std::move(block));
    // A new icon's header is all zero; as soon as it holds an image it is an icon (IMAGE_ICON), so
    // that SaveIcon writes a file that loads again.
    if (header_.idCount == 0 && header_.idReserved == 0 && header_.idType == 0) header_.idType = 1;
    header_.idCount = static_cast<std::int16_t>(header_.idCount + 1);
}

void cFileIcon::CloneTo(cFileIcon& target) const {
    if (&target == this) return;
    target.TakeCopy(fileName_, resourceID_, header_, entries_, blocks_);
    target.language_ = language_;
    target.languageShown_ = languageShown_;
    target.frame_ = frame_;
    target.elements_ = elements_;
}

void cFileIcon::TakeCopy(const std::string& fileName, const cResourceID& id, const ICONDIR& header,
                         const std::vector<ICONDIRENTRY>& entries,
                         const std::vector<std::vector<std::uint8_t>>& blocks) {
    // Copies first, then the take-over, which cannot fail: a copy that runs out of memory leaves
    // the target as it was.
    std::string name = fileName;
    cResourceID identifier = id;
    std::vector<ICONDIRENTRY> entriesCopy = entries;
    std::vector<std::vector<std::uint8_t>> blocksCopy = blocks;
    fileName_ = std::move(name);
    resourceID_ = std::move(identifier);
    header_ = header;
    entries_ = std::move(entriesCopy);
    blocks_ = std::move(blocksCopy);
}
