// cFileIcon: the .ico file format (ICONDIR, ICONDIRENTRY, image blocks): LoadIcon and SaveIcon.

#include "icon/cFileIcon.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/cReplaceFile.h"
#include "platform/cByteView.h"
#include "platform/cReadFile.h"
#include "base/mChecked.h"
#include "platform/mSysText.h"

namespace {

// One ICONDIRENTRY at `at`, with the offset its block gets in the written file.
void EncodeEntry(std::span<std::uint8_t> out, std::size_t at, const ICONDIRENTRY& e, std::int32_t offset) {
    out[at + 0] = e.bWidth;
    out[at + 1] = e.bHeight;
    out[at + 2] = e.bColorCount;
    out[at + 3] = e.bReserved;
    PutU16(out, at + 4, e.wPlanes);
    PutU16(out, at + 6, static_cast<std::uint16_t>(e.wBitCount));
    PutU32(out, at + 8, static_cast<std::uint32_t>(e.dwBytesInRes));
    PutU32(out, at + 12, static_cast<std::uint32_t>(offset));
}

} // namespace

void cFileIcon::DecodeSharedFields(const cByteView& v, std::size_t at, ICONDIRENTRY& e) {
    e.bWidth = v.U8(at + 0);
    e.bHeight = v.U8(at + 1);
    e.bColorCount = v.U8(at + 2);
    e.bReserved = v.U8(at + 3);
    e.wPlanes = v.U16(at + 4);
    e.wBitCount = v.I16(at + 6);
    e.dwBytesInRes = v.I32(at + 8);
}

bool cFileIcon::IsPng(std::span<const std::uint8_t> block) noexcept { return mDib::IsPngBlock(cByteView(block)); }

cError cFileIcon::Error(std::int32_t number, std::string description) {
    return cError(number, cError::SourceOf("cFileIcon"), std::move(description));
}

void cFileIcon::Reset(const std::string& fileName) {
    // The images go first: should taking the name fail for lack of memory, the object still holds
    // no part of its old icon.
    header_ = ICONDIR{};
    entries_.clear();
    blocks_.clear();
    resourceID_ = std::monostate{};
    language_.reset();
    languageShown_ = false;
    frame_ = 0;
    elements_.clear();
    fileName_ = fileName;
}

void cFileIcon::RaiseLoad(const std::string& reason) {
    header_.idCount = 0;
    elements_.clear();
    entries_.clear();
    blocks_.clear();
    throw Error(kErrLoadIcon, "Failed to load icon: " + reason);
}

bool cFileIcon::LoadIcon(const std::string& fileName) { return LoadFile(fileName, kTypeIcon); }

bool cFileIcon::LoadCursor(const std::string& fileName) { return LoadFile(fileName, kTypeCursor); }

bool cFileIcon::LoadFile(const std::string& fileName, std::uint16_t type) {
    Reset(fileName);

    cReadFile file;
    if (!file.Open(fileName)) {
        // The reason names the system's cause, so the user can tell a missing file from a
        // forbidden one.
        RaiseLoad(mSysText::TextLine(file.LastError(), fileName));
    }
    cLoadBudget budget(file.Size());
    Decode(
        file.Size(), [&file](std::uint64_t at, void* dst, std::size_t n) { return file.ReadAt(at, dst, n); }, type,
        budget);
    return true;
}

bool cFileIcon::LoadIconBytes(std::span<const std::uint8_t> bytes, const std::string& fileName, cLoadBudget& budget) {
    Reset(fileName);
    Decode(
        bytes.size(),
        [bytes](std::uint64_t at, void* dst, std::size_t n) -> std::size_t {
            if (at >= bytes.size()) return 0;
            n = std::min<std::size_t>(n, bytes.size() - static_cast<std::size_t>(at));
            if (n > 0) std::memcpy(dst, bytes.data() + at, n);
            return n;
        },
        0, budget);
    return true;
}

void cFileIcon::Decode(std::uint64_t fileSize, const tReader& read, std::uint16_t type, cLoadBudget& budget) {
    // Bytes of the header that do not arrive stay 0.
    std::array<std::uint8_t, kHeaderSize> head{};
    read(0, head.data(), head.size());
    cByteView hv(head);
    ICONDIR header;
    header.idReserved = hv.U16(0);
    header.idType = hv.U16(2);
    header.idCount = hv.I16(4);
    if (header.idReserved != 0) RaiseLoad("File is not icon type (reserved member is 0)");
    if (type == kTypeCursor && header.idType != kTypeCursor)
        RaiseLoad("File is not cursor type (idType <> IMAGE_CURSOR)");
    if (type == kTypeIcon && header.idType != kTypeIcon) RaiseLoad("File is not icon type (idType <> IMAGE_ICON)");
    if (type == 0 && header.idType != kTypeIcon && header.idType != kTypeCursor)
        RaiseLoad("File is not icon type (idType <> IMAGE_ICON)");
    if (header.idCount < 1) RaiseLoad("Icon contains no images.");

    const auto count = static_cast<std::size_t>(header.idCount);
    const std::size_t dirBytes = count * kEntrySize; // at most 32767 * 16
    if (fileSize < kHeaderSize || fileSize - kHeaderSize < dirBytes) RaiseLoad("Icon Directory Array is Corrupt.");
    std::vector<std::uint8_t> dir(dirBytes);
    if (read(kHeaderSize, dir.data(), dirBytes) != dirBytes) RaiseLoad("Icon Directory Array is Corrupt.");
    cByteView dv(dir);
    std::vector<ICONDIRENTRY> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        DecodeSharedFields(dv, i * kEntrySize, entries[i]);
        entries[i].dwImageOffset = dv.I32(i * kEntrySize + 12);
    }
    dir = {};

    // Every block must lie inside the file, and all of them together within the load's budget,
    // before anything is allocated for them.
    for (const ICONDIRENTRY& e : entries) {
        if (e.dwImageOffset < 0 || e.dwBytesInRes < 0) RaiseLoad("Icon Images Array is Corrupt.");
        const auto at = static_cast<std::uint64_t>(e.dwImageOffset);
        const auto n = static_cast<std::uint64_t>(e.dwBytesInRes);
        if (at > fileSize || n > fileSize - at || !budget.Take(n + cLoadBudget::kPerImage))
            RaiseLoad("Icon Images Array is Corrupt.");
    }
    std::vector<std::vector<std::uint8_t>> blocks(count);
    for (std::size_t i = 0; i < count; ++i) {
        const ICONDIRENTRY& e = entries[i];
        blocks[i].resize(static_cast<std::size_t>(e.dwBytesInRes));
        const auto at = static_cast<std::uint64_t>(e.dwImageOffset);
        if (read(at, blocks[i].data(), blocks[i].size()) != blocks[i].size())
            RaiseLoad("Icon Images Array is Corrupt.");
    }
    header_ = header;
    entries_ = std::move(entries);
    blocks_ = std::move(blocks);
}

std::vector<std::uint8_t> cFileIcon::IcoBytes() const {
    const auto all = static_cast<std::size_t>(header_.idCount > 0 ? header_.idCount : 0);
    // The images written: all of them, except the large images of an .icns file where it has others.
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < all; ++i) {
        if (i >= elements_.size() || (elements_[i].width <= 256 && elements_[i].height <= 256)) kept.push_back(i);
    }
    if (kept.empty()) {
        for (std::size_t i = 0; i < all; ++i) kept.push_back(i);
    }
    const std::size_t count = kept.size();
    const std::size_t dirEnd = kHeaderSize + count * kEntrySize;
    std::size_t total = dirEnd;
    for (const std::size_t i : kept) total += blocks_[i].size();
    std::vector<std::uint8_t> out(total);
    PutU16(out, 0, header_.idReserved);
    PutU16(out, 2, header_.idType);
    PutU16(out, 4, static_cast<std::uint16_t>(count));
    // Offsets for blocks written back to back after the directory; for an icon that was already
    // laid out so they are the offsets it holds.
    std::int32_t offset = mChecked::Narrow<std::int32_t>(dirEnd);
    std::size_t at = dirEnd;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t i = kept[k];
        EncodeEntry(out, kHeaderSize + k * kEntrySize, entries_[i], offset);
        if (k + 1 < count) offset = mChecked::Add(offset, entries_[i].dwBytesInRes);
        if (!blocks_[i].empty()) std::memcpy(out.data() + at, blocks_[i].data(), blocks_[i].size());
        at += blocks_[i].size();
    }
    return out;
}

bool cFileIcon::SaveIcon(const std::string& fileName) {
    if (fileName_.empty() && fileName.empty()) throw Error(kErrNoFilename, "No filename specified.");
    if (header_.idCount == 0) throw Error(kErrCantWrite, "Icon contains no images.");
    if (!fileName.empty()) fileName_ = fileName;

    // The whole file in one write, encoded by the one encoder of the format.
    const std::vector<std::uint8_t> bytes = IcoBytes();
    cReplaceFile out;
    saveError_ = 0;
    if (!out.Open(fileName_)) {
        saveError_ = out.LastError();
        throw Error(kErrCantWrite, "Couldn't open file for writing.");
    }
    if (!out.Write(bytes) || !out.Commit()) {
        saveError_ = out.LastError();
        throw Error(kErrWriteFailure, "General failure writing icon.");
    }
    return true;
}
