// cModuleFile: PE32 and PE32+ modules. The COFF header, the optional header of either magic, the
// resource entry of its data directory and the section table are read when the module is opened.
// The resource tree (IMAGE_RESOURCE_DIRECTORY and its entries, type -> name -> language, then an
// IMAGE_RESOURCE_DATA_ENTRY) is read one directory at a time when a lookup or an enumeration needs
// it; each directory read is kept for the life of the opened module.

#include "platform/cModuleFile.h"

#include <algorithm>

#include "platform/mSysText.h"
#include "platform/mText16.h"

namespace {

constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::uint16_t kMagicPE32 = 0x10B;
constexpr std::uint16_t kMagicPE32Plus = 0x20B;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kGuessEntries = 8;

} // namespace

bool cModuleFile::LoadPE(std::uint32_t peAt) {
    std::vector<std::uint8_t> coff;
    const std::uint64_t coffAt = std::uint64_t{peAt} + 4;
    if (!ReadAt(coffAt, kCoffHeaderSize, coff)) return false;
    cByteView cv(coff);
    const std::uint16_t sectionCount = cv.U16(2);
    const std::uint16_t optionalSize = cv.U16(16);

    std::vector<std::uint8_t> opt;
    const std::uint64_t optAt = coffAt + kCoffHeaderSize;
    if (!ReadAt(optAt, optionalSize, opt)) return false;
    cByteView ov(opt);
    if (!ov.Has(0, 2)) return false;
    const std::uint16_t magic = ov.U16(0);
    std::size_t countAt = 0;
    if (magic == kMagicPE32) {
        countAt = 92;
        format_ = eFormat::kPE32;
    } else if (magic == kMagicPE32Plus) {
        countAt = 108;
        format_ = eFormat::kPE32Plus;
    } else {
        return false;
    }
    if (!ov.Has(countAt, 4)) {
        format_ = eFormat::kNone;
        return false;
    }
    const std::uint32_t dirCount = ov.U32(countAt);
    const std::size_t resAt = countAt + 4 + kResourceDirectoryIndex * 8;
    if (dirCount > kResourceDirectoryIndex && ov.Has(resAt, 8)) {
        rsrcRva_ = ov.U32(resAt);
        rsrcSize_ = ov.U32(resAt + 4);
    }

    std::vector<std::uint8_t> table;
    const std::uint64_t tableAt = optAt + optionalSize;
    if (!ReadAt(tableAt, std::size_t{sectionCount} * kSectionHeaderSize, table)) {
        format_ = eFormat::kNone;
        return false;
    }
    cByteView tv(table);
    sections_.resize(sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = i * kSectionHeaderSize;
        sections_[i].va = tv.U32(at + 12);
        sections_[i].rawSize = tv.U32(at + 16);
        sections_[i].rawAt = tv.U32(at + 20);
    }
    return true;
}

bool cModuleFile::RvaToOffset(std::uint32_t rva, std::uint64_t& offset, std::uint64_t& room) const {
    for (const auto& s : sections_) {
        if (rva < s.va || rva - s.va >= s.rawSize) continue;
        const std::uint32_t into = rva - s.va;
        offset = std::uint64_t{s.rawAt} + into;
        room = s.rawSize - into;
        // The section's bytes end where the file ends.
        room = offset >= fileSize_ ? 0 : std::min<std::uint64_t>(room, fileSize_ - offset);
        return true;
    }
    return false;
}

bool cModuleFile::OpenRoot() {
    if (rootOpened_) return true;
    if (rsrcRva_ == 0 || rsrcSize_ == 0) return Fail(mSysText::kResourceDataNotFound);
    if (!RvaToOffset(rsrcRva_, rsrcAt_, rsrcRoom_)) return Fail(mSysText::kResourceDataNotFound);
    rootOpened_ = true;
    return true;
}

bool cModuleFile::ReadDirectory(std::uint32_t at, cDirectory& dir) {
    if (at > rsrcRoom_ || kDirectoryHeaderSize > rsrcRoom_ - at) return Fail(mSysText::kInvalidData);
    // One read for the header and the first few entries, which is the whole of most directories.
    const std::uint64_t left = rsrcRoom_ - at - kDirectoryHeaderSize;
    const std::size_t guess = static_cast<std::size_t>(std::min<std::uint64_t>(left, kGuessEntries * kDirectoryEntrySize));
    std::vector<std::uint8_t> head;
    if (!ReadAt(rsrcAt_ + at, kDirectoryHeaderSize + guess, head)) return Fail(mSysText::kInvalidData);
    cByteView hv(head);
    dir.at = at;
    dir.named = hv.U16(12);
    const std::size_t count = std::size_t{dir.named} + hv.U16(14);
    // The entries must lie in the section before anything is sized by their count.
    if (count * kDirectoryEntrySize > left) return Fail(mSysText::kInvalidData);
    if (count * kDirectoryEntrySize <= guess) {
        dir.raw.assign(head.begin() + kDirectoryHeaderSize,
                       head.begin() + static_cast<std::ptrdiff_t>(kDirectoryHeaderSize + count * kDirectoryEntrySize));
        return true;
    }
    if (!ReadAt(rsrcAt_ + at + kDirectoryHeaderSize, count * kDirectoryEntrySize, dir.raw))
        return Fail(mSysText::kInvalidData);
    return true;
}

const cModuleFile::cDirectory* cModuleFile::Directory(std::uint32_t at, std::uint32_t parent) {
    // A subdirectory may not point back at a directory above it: the tree has three levels and
    // no loops.
    if (at == parent) {
        Fail(mSysText::kInvalidData);
        return nullptr;
    }
    // The root and the name directories of the types asked for are kept; there are few of them.
    if (auto it = directories_.find(at); it != directories_.end()) return &it->second;
    cDirectory dir;
    if (!ReadDirectory(at, dir)) return nullptr;
    return &directories_.emplace(at, std::move(dir)).first->second;
}

bool cModuleFile::EntryString(const cEntry& e, std::u16string& out) {
    const std::uint32_t at = e.name & ~kHighBit;
    std::vector<std::uint8_t> raw;
    if (at > rsrcRoom_ || 2 > rsrcRoom_ - at || !ReadAt(rsrcAt_ + at, 2, raw)) return Fail(mSysText::kInvalidData);
    const std::size_t length = cByteView(raw).U16(0);
    if (length * 2 > rsrcRoom_ - at - 2 || !ReadAt(rsrcAt_ + at + 2, length * 2, raw)) return Fail(mSysText::kInvalidData);
    cByteView sv(raw);
    out.resize(length);
    for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char16_t>(sv.U16(i * 2));
    return true;
}

bool cModuleFile::EntryName(const cEntry& e, cResourceID& out) {
    if ((e.name & kHighBit) == 0) {
        out = static_cast<std::int32_t>(e.name & 0xFFFF);
        return true;
    }
    std::u16string s;
    if (!EntryString(e, s)) return false;
    out = mText16::ToUtf8(s);
    return true;
}

std::optional<std::size_t> cModuleFile::FindEntry(const cDirectory& dir, const cKey& key, bool& damaged) {
    damaged = false;
    const std::size_t count = dir.Count();
    if (!key.isName) {
        // Numbered entries follow the named ones in ascending order; a binary search finds them
        // at once, and a scan of every entry covers modules that do not keep the order.
        std::size_t lo = std::min<std::size_t>(dir.named, count), hi = count;
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (dir.At(mid).name < key.id) lo = mid + 1;
            else hi = mid;
        }
        if (lo < count && dir.At(lo).name == key.id) return lo;
        for (std::size_t i = 0; i < count; ++i) {
            if (dir.At(i).name == key.id) return i;
        }
        return std::nullopt;
    }
    std::u16string s;
    for (std::size_t i = 0; i < count; ++i) {
        if ((dir.At(i).name & kHighBit) == 0) continue;
        if (!EntryString(dir.At(i), s)) {
            damaged = true;
            return std::nullopt;
        }
        if (mText16::Upper(s) == key.name) return i;
    }
    return std::nullopt;
}

// The name directory a type entry points to, or null with LastError set (a data entry where a
// directory belongs is damage).
const cModuleFile::cDirectory* cModuleFile::NameDirectory(const cEntry& typeEntry) {
    if ((typeEntry.target & kHighBit) == 0) {
        Fail(mSysText::kInvalidData);
        return nullptr;
    }
    return Directory(typeEntry.target & ~kHighBit, 0);
}

std::optional<cModuleFile::cResource> cModuleFile::FindPE(const cKey& name, const cKey& type) {
    if (!OpenRoot()) return std::nullopt;
    const cDirectory* root = Directory(0, kNoParent);
    if (!root) return std::nullopt;
    bool damaged = false;
    const auto t = FindEntry(*root, type, damaged);
    if (!t) {
        if (!damaged) Fail(mSysText::kResourceTypeNotFound);
        return std::nullopt;
    }
    const cEntry typeEntry = root->At(*t);
    const cDirectory* names = NameDirectory(typeEntry);
    if (!names) return std::nullopt;
    const std::uint32_t namesAt = names->at;
    const auto n = FindEntry(*names, name, damaged);
    if (!n) {
        if (!damaged) Fail(mSysText::kResourceNameNotFound);
        return std::nullopt;
    }
    const std::uint32_t langsAt = names->At(*n).target & ~kHighBit;
    cDirectory langDir;
    if ((names->At(*n).target & kHighBit) == 0 || langsAt == 0 || langsAt == namesAt ||
        !ReadDirectory(langsAt, langDir)) {
        Fail(mSysText::kInvalidData);
        return std::nullopt;
    }
    const cDirectory* langs = &langDir;
    if (langs->Count() == 0) {
        Fail(mSysText::kResourceLangNotFound);
        return std::nullopt;
    }
    // The lowest language number (0, neutral, when present); a directory holding only named
    // languages gives its first entry.
    std::size_t pick = langs->Count();
    for (std::size_t i = 0; i < langs->Count(); ++i) {
        const cEntry e = langs->At(i);
        if (e.name & kHighBit) continue;
        if (pick == langs->Count() || e.name < langs->At(pick).name) pick = i;
    }
    if (pick == langs->Count()) pick = 0;
    const std::uint32_t dataAt = langs->At(pick).target;
    // The third level holds data entries; a directory there is damage.
    std::vector<std::uint8_t> raw;
    if ((dataAt & kHighBit) != 0 || dataAt > rsrcRoom_ || kDataEntrySize > rsrcRoom_ - dataAt ||
        !ReadAt(rsrcAt_ + dataAt, kDataEntrySize, raw)) {
        Fail(mSysText::kInvalidData);
        return std::nullopt;
    }
    cByteView dv(raw);
    cResource r;
    r.size = dv.U32(4);
    r.mapped = RvaToOffset(dv.U32(0), r.offset, r.room);
    return r;
}

bool cModuleFile::EnumPE(const cDirectory& dir, const tEnumProc& proc) {
    // The directory stays where it is while the callback looks up further resources: kept
    // directories live in a map, whose elements never move.
    for (std::size_t i = 0; i < dir.Count(); ++i) {
        const cEntry e = dir.At(i);
        cResourceID id;
        if (!EntryName(e, id)) return false;
        if (!proc(id)) return Fail(mSysText::kResourceEnumUserStop);
    }
    return true;
}

bool cModuleFile::EnumTypesPE(const tEnumProc& proc) {
    if (!OpenRoot()) return false;
    const cDirectory* root = Directory(0, kNoParent);
    if (!root) return false;
    return EnumPE(*root, proc);
}

bool cModuleFile::EnumNamesPE(const cKey& type, const tEnumProc& proc) {
    if (!OpenRoot()) return false;
    const cDirectory* root = Directory(0, kNoParent);
    if (!root) return false;
    bool damaged = false;
    const auto t = FindEntry(*root, type, damaged);
    if (!t) return damaged ? false : Fail(mSysText::kResourceTypeNotFound);
    const cDirectory* names = NameDirectory(root->At(*t));
    if (!names) return false;
    return EnumPE(*names, proc);
}
