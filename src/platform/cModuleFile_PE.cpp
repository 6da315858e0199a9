// cModuleFile: PE32 and PE32+ modules. The COFF header, the optional header of either magic, the
// resource entry of its data directory and the section table are read when the module is opened.
// The resource tree (IMAGE_RESOURCE_DIRECTORY and its entries, type -> name -> language, then an
// IMAGE_RESOURCE_DATA_ENTRY) is read one directory at a time when a lookup or an enumeration needs
// it; each directory read is decoded (its names read and indexed) and kept with the tables, and
// each resource looked up keeps what its language directory and data entry said.

#include "platform/cModuleFile.h"

#include <algorithm>

#include "platform/mSysText.h"
#include "platform/mText16.h"

namespace {

constexpr std::size_t kSignatureSize = 4; // "PE\0\0"
// IMAGE_FILE_HEADER (COFF).
constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::size_t kCoffNumberOfSections = 2;
constexpr std::size_t kCoffSizeOfOptionalHeader = 16;
// IMAGE_OPTIONAL_HEADER32 / 64: the magic, then NumberOfRvaAndSizes and the data directories.
constexpr std::uint16_t kMagicPE32 = 0x10B;
constexpr std::uint16_t kMagicPE32Plus = 0x20B;
constexpr std::size_t kOptNumberOfRvaAndSizes32 = 92;
constexpr std::size_t kOptNumberOfRvaAndSizes64 = 108;
constexpr std::size_t kOptMagic = 0;
constexpr std::size_t kNumberOfRvaAndSizesSize = 4;
constexpr std::size_t kDataDirectorySize = 8; // VirtualAddress, Size
constexpr std::size_t kDataDirectorySizeField = 4;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
// IMAGE_SECTION_HEADER.
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSectionVirtualAddress = 12;
constexpr std::size_t kSectionSizeOfRawData = 16;
constexpr std::size_t kSectionPointerToRawData = 20;
// IMAGE_RESOURCE_DIRECTORY: counts of the named and the numbered entries that follow it.
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirNumberOfNamedEntries = 12;
constexpr std::size_t kDirNumberOfIdEntries = 14;
// IMAGE_RESOURCE_DIRECTORY_ENTRY: Name, OffsetToData.
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kEntryOffsetToData = 4;
// IMAGE_RESOURCE_DATA_ENTRY: OffsetToData (an RVA), Size, CodePage, Reserved.
constexpr std::size_t kDataEntrySize = 16;
constexpr std::size_t kDataEntryRva = 0;
constexpr std::size_t kDataEntrySizeField = 4;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kGuessEntries = 8;
// Names are read through a window of this many bytes: the names of a directory usually lie
// together, so a directory of thousands of names takes a handful of reads.
constexpr std::size_t kNameWindow = 16384;

} // namespace

bool cModuleFile::LoadPE(std::uint32_t peAt) {
    std::vector<std::uint8_t> coff;
    const std::uint64_t coffAt = std::uint64_t{peAt} + kSignatureSize;
    if (!ReadAt(coffAt, kCoffHeaderSize, coff)) return false;
    cByteView cv(coff);
    const std::uint16_t sectionCount = cv.U16(kCoffNumberOfSections);
    const std::uint16_t optionalSize = cv.U16(kCoffSizeOfOptionalHeader);

    std::vector<std::uint8_t> opt;
    const std::uint64_t optAt = coffAt + kCoffHeaderSize;
    if (!ReadAt(optAt, optionalSize, opt)) return false;
    cByteView ov(opt);
    if (!ov.Has(kOptMagic, 2)) return false;
    const std::uint16_t magic = ov.U16(kOptMagic);
    std::size_t countAt = 0;
    if (magic == kMagicPE32) {
        countAt = kOptNumberOfRvaAndSizes32;
    } else if (magic == kMagicPE32Plus) {
        countAt = kOptNumberOfRvaAndSizes64;
    } else {
        return false;
    }
    if (!ov.Has(countAt, kNumberOfRvaAndSizesSize)) return false;
    const std::uint32_t dirCount = ov.U32(countAt);
    const std::size_t resAt = countAt + kNumberOfRvaAndSizesSize + kResourceDirectoryIndex * kDataDirectorySize;
    if (dirCount > kResourceDirectoryIndex && ov.Has(resAt, kDataDirectorySize)) {
        t_->rsrcRva = ov.U32(resAt);
        t_->rsrcSize = ov.U32(resAt + kDataDirectorySizeField);
    }

    std::vector<std::uint8_t> table;
    const std::uint64_t tableAt = optAt + optionalSize;
    if (!ReadAt(tableAt, std::size_t{sectionCount} * kSectionHeaderSize, table)) return false;
    cByteView tv(table);
    t_->sections.resize(sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::size_t at = i * kSectionHeaderSize;
        t_->sections[i].va = tv.U32(at + kSectionVirtualAddress);
        t_->sections[i].rawSize = tv.U32(at + kSectionSizeOfRawData);
        t_->sections[i].rawAt = tv.U32(at + kSectionPointerToRawData);
    }
    t_->format = magic == kMagicPE32 ? eFormat::kPE32 : eFormat::kPE32Plus;
    return true;
}

bool cModuleFile::RvaToOffset(std::uint32_t rva, std::uint64_t& offset, std::uint64_t& room) const {
    for (const auto& s : t_->sections) {
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
    cTables& t = *t_;
    if (t.rootOpened) return true;
    if (t.rsrcRva == 0 || t.rsrcSize == 0) return Fail(mSysText::kResourceDataNotFound);
    if (!RvaToOffset(t.rsrcRva, t.rsrcAt, t.rsrcRoom)) return Fail(mSysText::kResourceDataNotFound);
    t.rootOpened = true;
    return true;
}

bool cModuleFile::ReadDirectory(std::uint32_t at, cDirectory& dir, std::size_t most) {
    const cTables& t = *t_;
    if (at > t.rsrcRoom || kDirectoryHeaderSize > t.rsrcRoom - at) return Fail(mSysText::kInvalidData);
    // One read for the header and the first few entries, which is the whole of most directories.
    const std::uint64_t left = t.rsrcRoom - at - kDirectoryHeaderSize;
    const std::size_t guess =
        static_cast<std::size_t>(std::min<std::uint64_t>(left, kGuessEntries * kDirectoryEntrySize));
    std::vector<std::uint8_t> head;
    if (!ReadAt(t.rsrcAt + at, kDirectoryHeaderSize + guess, head)) return Fail(mSysText::kInvalidData);
    cByteView hv(head);
    dir.at = at;
    dir.named = hv.U16(kDirNumberOfNamedEntries);
    std::size_t count = std::size_t{dir.named} + hv.U16(kDirNumberOfIdEntries);
    // The entries must lie in the section before anything is sized by their count.
    if (count * kDirectoryEntrySize > left) return Fail(mSysText::kInvalidData);
    count = std::min(count, most);
    std::vector<std::uint8_t> raw;
    if (count * kDirectoryEntrySize <= guess) {
        raw.assign(head.begin() + kDirectoryHeaderSize,
                   head.begin() + static_cast<std::ptrdiff_t>(kDirectoryHeaderSize + count * kDirectoryEntrySize));
    } else if (!ReadAt(t.rsrcAt + at + kDirectoryHeaderSize, count * kDirectoryEntrySize, raw)) {
        return Fail(mSysText::kInvalidData);
    }
    cByteView rv(raw);
    dir.entries.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entryAt = i * kDirectoryEntrySize;
        dir.entries[i] = cEntry{rv.U32(entryAt), rv.U32(entryAt + kEntryOffsetToData)};
    }
    return true;
}

// Decodes the identifiers of a directory's entries in order, reading the names through a window,
// and indexes the names. Stops at the first name that lies outside the section, or that would
// bring the names read to more bytes than the section holds: a valid tree stores each name of a
// directory once, so only names that overlap (the same bytes named again and again) get there.
bool cModuleFile::ReadNames(cDirectory& dir) {
    const cTables& t = *t_;
    std::vector<std::uint8_t> window;
    std::uint64_t windowAt = 0;
    // Names scattered back and forth would make every window a new read: past twice the section,
    // reads take only the bytes asked for.
    std::uint64_t windowed = 0;
    const std::uint64_t mostWindowed = 2 * t.rsrcRoom + kNameWindow;
    // The n bytes at `at` (relative to the root), or null when they lie outside the section.
    auto bytes = [&](std::uint64_t at, std::size_t n) -> const std::uint8_t* {
        if (at > t.rsrcRoom || n > t.rsrcRoom - at) return nullptr;
        if (at < windowAt || at - windowAt > window.size() || n > window.size() - (at - windowAt)) {
            auto want = static_cast<std::size_t>(std::min<std::uint64_t>(t.rsrcRoom - at, std::max(n, kNameWindow)));
            if (windowed + want > mostWindowed) want = n;
            windowed += want;
            if (!ReadAt(t.rsrcAt + at, want, window)) {
                window.clear();
                return nullptr;
            }
            windowAt = at;
        }
        return window.data() + (at - windowAt);
    };
    // Numbers need no reading; every numbered entry is indexed, damaged names or not. A directory
    // in the stored order (names first, then numbers ascending, as linkers write it) needs no
    // index: FindEntry's binary search finds the first entry of each number there.
    const std::size_t named = std::min<std::size_t>(dir.named, dir.entries.size());
    bool ordered = true;
    for (std::size_t i = 0; i < dir.entries.size() && ordered; ++i) {
        const std::uint32_t name = dir.entries[i].name;
        ordered = i < named ? (name & kHighBit) != 0 : i == named || dir.entries[i - 1].name <= name;
    }
    for (std::size_t i = 0; i < dir.entries.size() && !ordered; ++i) {
        const std::uint32_t name = dir.entries[i].name;
        if (name <= 0xFFFF) dir.numbers.try_emplace(static_cast<std::uint16_t>(name), i);
    }
    std::uint64_t nameBytes = 0;
    dir.ids.reserve(dir.entries.size());
    for (std::size_t i = 0; i < dir.entries.size(); ++i) {
        const cEntry& e = dir.entries[i];
        if ((e.name & kHighBit) == 0) {
            dir.ids.emplace_back(static_cast<std::int32_t>(e.name & 0xFFFF));
            continue;
        }
        const std::uint32_t at = e.name & ~kHighBit;
        const std::uint8_t* p = bytes(at, 2);
        if (!p) break;
        const std::size_t length = std::size_t{p[0]} | std::size_t{p[1]} << 8;
        nameBytes += 2 + 2 * length;
        if (nameBytes > t.rsrcRoom) break;
        p = bytes(std::uint64_t{at} + 2, 2 * length);
        if (!p) break;
        std::u16string name(length, u'\0');
        for (std::size_t c = 0; c < length; ++c) name[c] = static_cast<char16_t>(p[2 * c] | p[2 * c + 1] << 8);
        dir.ids.emplace_back(mText16::ToUtf8(name));
        IndexName(dir, std::move(name), i);
    }
    dir.damaged = dir.ids.size() < dir.entries.size();
    return true;
}

std::shared_ptr<cModuleFile::cDirectory> cModuleFile::Directory(std::uint32_t at, std::uint32_t parent) {
    // A subdirectory may not point back at a directory above it: the tree has three levels and
    // no loops.
    if (at == parent) {
        Fail(mSysText::kInvalidData);
        return nullptr;
    }
    // The root and the name directories of the types asked for are kept; there are few of them.
    if (auto it = t_->directories.find(at); it != t_->directories.end()) return it->second;
    auto dir = std::make_shared<cDirectory>();
    if (!ReadDirectory(at, *dir) || !ReadNames(*dir)) return nullptr;
    t_->directories.emplace(at, dir);
    return dir;
}

std::optional<std::size_t> cModuleFile::FindEntry(const cDirectory& dir, const cKey& key, bool& damaged) {
    damaged = false;
    const std::size_t count = dir.entries.size();
    if (!key.isName) {
        // Numbered entries follow the named ones in ascending order; a binary search finds them
        // at once.
        std::size_t lo = std::min<std::size_t>(dir.named, count), hi = count;
        while (lo < hi) {
            const std::size_t mid = lo + (hi - lo) / 2;
            if (dir.entries[mid].name < key.id)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo < count && dir.entries[lo].name == key.id) return lo;
        // Modules that do not keep the order: the first entry with the number.
        if (auto it = dir.numbers.find(key.id); it != dir.numbers.end()) return it->second;
        return std::nullopt;
    }
    return FindName(dir, key, damaged);
}

// The name directory a type entry points to, or null with LastError set (a data entry where a
// directory belongs is damage).
std::shared_ptr<cModuleFile::cDirectory> cModuleFile::NameDirectory(const cEntry& typeEntry) {
    if ((typeEntry.target & kHighBit) == 0) {
        Fail(mSysText::kInvalidData);
        return nullptr;
    }
    return Directory(typeEntry.target & ~kHighBit, 0);
}

// The entries of one resource's language directory.
bool cModuleFile::ReadLanguages(const cDirectory& names, const cEntry& e, std::vector<cEntry>& languages) {
    const std::uint32_t langsAt = e.target & ~kHighBit;
    cDirectory langs;
    if ((e.target & kHighBit) == 0 || langsAt == 0 || langsAt == names.at || !ReadDirectory(langsAt, langs))
        return Fail(mSysText::kInvalidData);
    languages = std::move(langs.entries);
    return true;
}

// The data entry of one language of a resource: its place in the file, or the code of what is
// damaged. Without a language, the lowest language number (0, neutral, when present); a
// directory holding only named languages gives its first entry.
bool cModuleFile::ResolveData(const std::vector<cEntry>& languages, std::optional<std::uint16_t> language,
                              cResource& out) {
    const cTables& t = *t_;
    if (languages.empty()) return Fail(mSysText::kResourceLangNotFound);
    std::size_t pick = languages.size();
    for (std::size_t i = 0; i < languages.size(); ++i) {
        const cEntry& l = languages[i];
        if (l.name & kHighBit) continue;
        if (language) {
            if (l.name == *language) {
                pick = i;
                break;
            }
        } else if (pick == languages.size() || l.name < languages[pick].name) {
            pick = i;
        }
    }
    if (pick == languages.size()) {
        if (language) return Fail(mSysText::kResourceLangNotFound);
        pick = 0;
    }
    const std::uint32_t dataAt = languages[pick].target;
    // The third level holds data entries; a directory there is damage.
    std::vector<std::uint8_t> raw;
    if ((dataAt & kHighBit) != 0 || dataAt > t.rsrcRoom || kDataEntrySize > t.rsrcRoom - dataAt ||
        !ReadAt(t.rsrcAt + dataAt, kDataEntrySize, raw))
        return Fail(mSysText::kInvalidData);
    cByteView dv(raw);
    out = cResource{};
    out.size = dv.U32(kDataEntrySizeField);
    out.mapped = RvaToOffset(dv.U32(kDataEntryRva), out.offset, out.room);
    return true;
}

const std::vector<cModuleFile::cEntry>* cModuleFile::LeafLanguages(cDirectory& names, std::size_t n,
                                                                   std::vector<cEntry>& scratch) {
    cLeaf& leaf = names.leaves[n];
    if (leaf.languagesRead) {
        if (leaf.languagesError != 0) {
            Fail(leaf.languagesError);
            return nullptr;
        }
        return &leaf.languages;
    }
    if (!ReadLanguages(names, names.entries[n], scratch)) {
        leaf.languagesRead = true;
        leaf.languagesError = lastError_;
        return nullptr;
    }
    const std::uint64_t bytes = scratch.size() * kDirectoryEntrySize;
    if (bytes > t_->rsrcRoom - std::min(t_->rsrcRoom, t_->languageBytes)) return &scratch;
    t_->languageBytes += bytes;
    leaf.languagesRead = true;
    leaf.languages = std::move(scratch);
    return &leaf.languages;
}

std::optional<cModuleFile::cEntry> cModuleFile::TypeEntryPE(const cKey& type) {
    const auto root = TypesPE();
    if (!root) return std::nullopt;
    bool damaged = false;
    const auto t = FindEntry(*root, type, damaged);
    if (!t) {
        Fail(damaged ? mSysText::kInvalidData : mSysText::kResourceTypeNotFound);
        return std::nullopt;
    }
    return root->entries[*t];
}

std::optional<std::size_t> cModuleFile::NameIndexPE(const cKey& name, const cKey& type,
                                                    std::shared_ptr<cDirectory>& names) {
    const auto typeEntry = TypeEntryPE(type);
    if (!typeEntry) return std::nullopt;
    bool damaged = false;
    names = NameDirectory(*typeEntry);
    if (!names) return std::nullopt;
    const auto n = FindEntry(*names, name, damaged);
    if (!n) Fail(damaged ? mSysText::kInvalidData : mSysText::kResourceNameNotFound);
    return n;
}

std::optional<cModuleFile::cResource> cModuleFile::FindPE(const cKey& name, const cKey& type,
                                                          std::optional<std::uint16_t> language) {
    std::shared_ptr<cDirectory> names;
    const auto n = NameIndexPE(name, type, names);
    if (!n) return std::nullopt;
    std::vector<cEntry> scratch;
    const std::vector<cEntry>* found = LeafLanguages(*names, *n, scratch);
    if (!found) return std::nullopt;
    const std::vector<cEntry>& languages = *found;
    if (language) {
        cResource resource;
        if (!ResolveData(languages, language, resource)) return std::nullopt;
        return resource;
    }
    // Each resource's default data entry is read once.
    cLeaf& leaf = names->leaves[*n];
    if (!leaf.known) {
        leaf.known = true;
        leaf.error = ResolveData(languages, std::nullopt, leaf.resource) ? 0 : lastError_;
    }
    if (leaf.error != 0) {
        Fail(leaf.error);
        return std::nullopt;
    }
    return leaf.resource;
}

std::optional<std::pair<cResourceID, cModuleFile::cResource>> cModuleFile::FirstPE(const cKey& type) {
    const auto found = TypeEntryPE(type);
    if (!found) return std::nullopt;
    const cEntry& typeEntry = *found;
    cDirectory names;
    if ((typeEntry.target & kHighBit) == 0 || !ReadDirectory(typeEntry.target & ~kHighBit, names, 1)) {
        Fail(mSysText::kInvalidData);
        return std::nullopt;
    }
    if (names.entries.empty()) {
        Fail(mSysText::kResourceNameNotFound);
        return std::nullopt;
    }
    const cEntry& e = names.entries[0];
    cResourceID id;
    if ((e.name & kHighBit) == 0) {
        id = cResourceID(static_cast<std::int32_t>(e.name & 0xFFFF));
    } else {
        // One name: its length, then as many UTF-16 units, all inside the section.
        const cTables& tables = *t_;
        const std::uint64_t at = e.name & ~kHighBit;
        std::vector<std::uint8_t> raw;
        if (at > tables.rsrcRoom || 2 > tables.rsrcRoom - at || !ReadAt(tables.rsrcAt + at, 2, raw)) {
            Fail(mSysText::kInvalidData);
            return std::nullopt;
        }
        const std::size_t length = std::size_t{raw[0]} | std::size_t{raw[1]} << 8;
        if (2 + 2 * length > tables.rsrcRoom - at || !ReadAt(tables.rsrcAt + at + 2, 2 * length, raw)) {
            Fail(mSysText::kInvalidData);
            return std::nullopt;
        }
        std::u16string name(length, u'\0');
        for (std::size_t c = 0; c < length; ++c) name[c] = static_cast<char16_t>(raw[2 * c] | raw[2 * c + 1] << 8);
        id = cResourceID(mText16::ToUtf8(name));
    }
    std::vector<cEntry> languages;
    cResource resource;
    if (!ReadLanguages(names, e, languages) || !ResolveData(languages, std::nullopt, resource)) return std::nullopt;
    return std::make_pair(id, resource);
}

std::shared_ptr<cModuleFile::cDirectory> cModuleFile::TypesPE() {
    if (!OpenRoot()) return nullptr;
    return Directory(0, kNoParent);
}

std::shared_ptr<cModuleFile::cDirectory> cModuleFile::NamesPE(const cKey& type) {
    const auto root = TypesPE();
    if (!root) return nullptr;
    bool damaged = false;
    const auto t = FindEntry(*root, type, damaged);
    if (!t) {
        Fail(damaged ? mSysText::kInvalidData : mSysText::kResourceTypeNotFound);
        return nullptr;
    }
    return NameDirectory(root->entries[*t]);
}
