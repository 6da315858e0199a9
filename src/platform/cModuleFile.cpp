// cModuleFile: opening a module (DOS header, then the PE or NE header), names and keys, the calls
// shared by both formats. The PE resource tree is in cModuleFile_PE.cpp, the NE resource table in
// cModuleFile_NE.cpp.

#include "platform/cModuleFile.h"

#include <algorithm>

#include "platform/mSysText.h"
#include "platform/mText16.h"

namespace {

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kLfanewAt = 0x3C;
// The DOS, PE or NE headers and the section table of a usual module fit in its first 4 KiB.
constexpr std::uint64_t kHeadBytes = 4096;
// Small reads (directories, data entries, group headers, most images) are served from aligned
// blocks of the file read whole and kept while they are among the last few used: a load reads
// the resource tree and its small resources in a handful of reads instead of one each.
constexpr std::size_t kSmallRead = 4096;
constexpr std::uint64_t kBlockBytes = 8 * 1024;
constexpr std::size_t kBlocksKept = 8;

} // namespace

bool cModuleFile::ReadAt(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>& out) {
    if (offset > fileSize_ || n > fileSize_ - offset) return false;
    // The headers usually lie in the file's first bytes, which were read once on opening.
    const std::vector<std::uint8_t>& head = t_->head;
    if (offset <= head.size() && n <= head.size() - offset) {
        out.assign(head.begin() + static_cast<std::ptrdiff_t>(offset),
                   head.begin() + static_cast<std::ptrdiff_t>(offset + n));
        return true;
    }
    // The head itself is read straight from the file, on opening.
    if (n != 0 && n <= kSmallRead && !head.empty()) {
        const std::uint64_t start = offset - offset % kBlockBytes;
        if (offset + n <= start + kBlockBytes) {
            if (const std::vector<std::uint8_t>* block = Block(start)) {
                const std::uint64_t at = offset - start;
                if (at + n <= block->size()) {
                    out.assign(block->begin() + static_cast<std::ptrdiff_t>(at),
                               block->begin() + static_cast<std::ptrdiff_t>(at + n));
                    return true;
                }
            }
        }
    }
    out.resize(n);
    if (n == 0) return true;
    if (file_.ReadAt(offset, out.data(), n) != n) {
        if (file_.LastError() != 0) lastError_ = file_.LastError();
        return false;
    }
    return true;
}

const std::vector<std::uint8_t>* cModuleFile::Block(std::uint64_t start) {
    auto& blocks = t_->blocks;
    const auto found = std::find_if(blocks.begin(), blocks.end(), [start](const auto& b) { return b.first == start; });
    if (found != blocks.end()) {
        // The most recently used goes first.
        std::rotate(blocks.begin(), found, found + 1);
        return &blocks.front().second;
    }
    // A block that cannot be read whole (the file shrank, a read failed) is not kept: the read
    // goes to the file itself and reports what it finds.
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes, fileSize_ - start));
    std::vector<std::uint8_t> bytes(n);
    if (file_.ReadAt(start, bytes.data(), n) != n) return nullptr;
    if (blocks.size() == kBlocksKept) blocks.pop_back();
    blocks.emplace(blocks.begin(), start, std::move(bytes));
    return &blocks.front().second;
}

void cModuleFile::Free() {
    file_.Close();
    fileSize_ = 0;
    format_ = eFormat::kNone;
    t_.reset();
}

bool cModuleFile::Load(const std::string& path) {
    Free();
    path_ = path;
    lastError_ = 0;
    if (!file_.Open(path)) return Fail(file_.LastError());
    return LoadOpened();
}

bool cModuleFile::LoadBytes(const std::string& name, std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    Free();
    path_ = name;
    lastError_ = 0;
    file_.OpenBytes(std::move(bytes));
    return LoadOpened();
}

bool cModuleFile::LoadOpened() {
    fileSize_ = file_.Size();
    t_ = std::make_unique<cTables>();
    {
        std::vector<std::uint8_t> head;
        if (ReadAt(0, static_cast<std::size_t>(std::min<std::uint64_t>(kHeadBytes, fileSize_)), head))
            t_->head = std::move(head);
    }

    // A compiled resource file starts with its empty header where a module has "MZ".
    static constexpr std::uint8_t kEmptyResource[16] = {0, 0, 0, 0, 0x20, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0};
    if (t_->head.size() >= sizeof kEmptyResource &&
        std::equal(kEmptyResource, kEmptyResource + sizeof kEmptyResource, t_->head.begin())) {
        if (!LoadRes()) {
            const std::uint32_t code = lastError_ != 0 ? lastError_ : mSysText::kInvalidData;
            Free();
            return Fail(code);
        }
        format_ = eFormat::kRes;
        return true;
    }

    std::vector<std::uint8_t> dos;
    if (!ReadAt(0, kDosHeaderSize, dos)) {
        Free();
        return Fail(mSysText::kBadExeFormat);
    }
    cByteView dv(dos);
    if (dv.U8(0) != 'M' || dv.U8(1) != 'Z') {
        Free();
        return Fail(mSysText::kBadExeFormat);
    }
    const std::uint32_t lfanew = dv.U32(kLfanewAt);
    std::vector<std::uint8_t> sig;
    bool ok = false;
    if (ReadAt(lfanew, 4, sig)) {
        if (sig[0] == 'P' && sig[1] == 'E' && sig[2] == 0 && sig[3] == 0)
            ok = LoadPE(lfanew);
        else if (sig[0] == 'N' && sig[1] == 'E')
            ok = LoadNE(lfanew);
    } else if (ReadAt(lfanew, 2, sig) && sig[0] == 'N' && sig[1] == 'E') {
        ok = LoadNE(lfanew);
    }
    if (!ok) {
        Free();
        return Fail(mSysText::kBadExeFormat);
    }
    format_ = t_->format;
    return true;
}

std::string cModuleFile::LastErrorText() const { return mSysText::Text(lastError_, path_); }

cResourceID cModuleFile::ParseName(std::string_view text) {
    if (text.empty()) return std::monostate{};
    if (text[0] != '#') return std::string(text);
    // Decimal digits after "#"; whatever follows them is ignored, as the platform's number parser
    // does.
    std::uint32_t value = 0;
    std::size_t i = 1;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
        if (value > 0xFFFF) return std::monostate{};
    }
    if (i == 1 || value == 0) return std::monostate{};
    return static_cast<std::int32_t>(value);
}

std::optional<cModuleFile::cKey> cModuleFile::KeyOf(const cResourceID& id) {
    cKey key;
    if (const auto* n = std::get_if<std::int32_t>(&id)) {
        if (*n < 1 || *n > 0xFFFF) return std::nullopt;
        key.id = static_cast<std::uint16_t>(*n);
        return key;
    }
    if (const auto* s = std::get_if<std::string>(&id)) {
        if (s->empty()) return std::nullopt;
        key.isName = true;
        key.name = mText16::Upper(mText16::FromUtf8(*s));
        return key;
    }
    return std::nullopt;
}

std::optional<cModuleFile::cResource> cModuleFile::FindResource(std::string_view name, std::string_view type) {
    return FindResourceId(ParseName(name), ParseName(type));
}

std::optional<cModuleFile::cKey> cModuleFile::TypeKeyOf(const cResourceID& type) {
    if (!IsLoaded()) {
        Fail(mSysText::kInvalidParameter);
        return std::nullopt;
    }
    auto typeKey = KeyOf(type);
    if (!typeKey) Fail(mSysText::kResourceTypeNotFound);
    return typeKey;
}

std::optional<cModuleFile::cResource> cModuleFile::FindResourceId(const cResourceID& name, const cResourceID& type) {
    return FindResource(name, type, std::nullopt);
}

std::optional<cModuleFile::cResource> cModuleFile::FindResourceId(const cResourceID& name, const cResourceID& type,
                                                                  std::uint16_t language) {
    return FindResource(name, type, language);
}

std::optional<cModuleFile::cResource> cModuleFile::FindResource(const cResourceID& name, const cResourceID& type,
                                                                std::optional<std::uint16_t> language) {
    const auto typeKey = TypeKeyOf(type);
    if (!typeKey) return std::nullopt;
    const auto nameKey = KeyOf(name);
    if (!nameKey) {
        Fail(mSysText::kResourceNameNotFound);
        return std::nullopt;
    }
    // NE modules have no languages.
    if (format_ == eFormat::kNE) return FindNE(*nameKey, *typeKey);
    if (format_ == eFormat::kRes) return FindRes(*nameKey, *typeKey, language);
    return FindPE(*nameKey, *typeKey, language);
}

bool cModuleFile::EnumResourceLanguages(const cResourceID& type, const cResourceID& name, const tLanguageProc& proc) {
    const auto typeKey = TypeKeyOf(type);
    if (!typeKey) return false;
    const auto nameKey = KeyOf(name);
    if (!nameKey) return Fail(mSysText::kResourceNameNotFound);
    if (format_ == eFormat::kNE) return FindNE(*nameKey, *typeKey).has_value();
    if (format_ == eFormat::kRes) {
        const cTables::cResType* t = ResType(*typeKey);
        if (!t) return false;
        bool damaged = false;
        const auto n = FindName(*t->names, *nameKey, damaged);
        if (!n) return Fail(mSysText::kResourceNameNotFound);
        for (const auto& [language, resource] : t->languages[*n]) {
            if (!proc(language)) return Fail(mSysText::kResourceEnumUserStop);
        }
        return true;
    }
    std::shared_ptr<cDirectory> names;
    const auto n = NameIndexPE(*nameKey, *typeKey, names);
    if (!n) return false;
    std::vector<cEntry> scratch;
    const std::vector<cEntry>* languages = LeafLanguages(*names, *n, scratch);
    if (!languages) return false;
    // Named languages are no language identifiers: they are left out, as lookups by language
    // never find them.
    for (const cEntry& l : *languages) {
        if (l.name > 0xFFFF) continue;
        if (!proc(static_cast<std::uint16_t>(l.name))) return Fail(mSysText::kResourceEnumUserStop);
    }
    return true;
}

bool cModuleFile::EnumNameLanguages(const cResourceID& type, const tNameLanguagesProc& proc) {
    const auto typeKey = TypeKeyOf(type);
    if (!typeKey) return false;
    if (format_ == eFormat::kNE) return true;
    if (format_ == eFormat::kRes) {
        const cTables::cResType* t = ResType(*typeKey);
        if (!t) return false;
        std::vector<std::uint16_t> ids;
        for (std::size_t i = 0; i < t->languages.size(); ++i) {
            ids.clear();
            for (const auto& l : t->languages[i]) ids.push_back(l.first);
            proc(i, ids);
        }
        return true;
    }
    const std::shared_ptr<cDirectory> names = NamesPE(*typeKey);
    if (!names) return false;
    std::vector<std::uint16_t> ids;
    std::vector<cEntry> scratch;
    for (std::size_t i = 0; i < names->ids.size(); ++i) {
        ids.clear();
        if (const std::vector<cEntry>* languages = LeafLanguages(*names, i, scratch)) {
            for (const cEntry& l : *languages) {
                if (l.name <= 0xFFFF) ids.push_back(static_cast<std::uint16_t>(l.name));
            }
        }
        proc(i, ids);
    }
    return true;
}

bool cModuleFile::ReadResource(const cResource& r, std::uint32_t n, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (!IsLoaded()) return Fail(mSysText::kInvalidParameter);
    if (!r.mapped || n > r.size || n > r.room) return Fail(mSysText::kResourceDataNotFound);
    if (!ReadAt(r.offset, n, bytes)) {
        bytes.clear();
        if (lastError_ == 0) lastError_ = mSysText::kResourceDataNotFound;
        return Fail(lastError_);
    }
    return true;
}

std::optional<std::size_t> cModuleFile::FindName(const cDirectory& dir, const cKey& key, bool& damaged) {
    damaged = false;
    if (key.isName) {
        if (auto it = dir.names.find(key.name); it != dir.names.end()) return it->second;
    } else if (auto it = dir.numbers.find(key.id); it != dir.numbers.end()) {
        return it->second;
    }
    damaged = dir.damaged;
    return std::nullopt;
}

void cModuleFile::IndexName(cDirectory& dir, std::u16string name, std::size_t i) {
    dir.names.try_emplace(mText16::Upper(std::move(name)), i);
}

bool cModuleFile::EnumIds(const std::shared_ptr<cDirectory>& dir, const tEnumProc& proc) {
    // The ids of a decoded directory never change, so the callback may look up further resources
    // while they are handed out.
    for (const auto& id : dir->ids) {
        if (!proc(id)) return Fail(mSysText::kResourceEnumUserStop);
    }
    if (dir->damaged) return Fail(mSysText::kInvalidData);
    return true;
}

bool cModuleFile::EnumResourceTypes(const tEnumProc& proc) {
    if (!IsLoaded()) return Fail(mSysText::kInvalidParameter);
    std::shared_ptr<cDirectory> types;
    if (format_ == eFormat::kNE) {
        if (!NeTypes()) return false;
        types = std::make_shared<cDirectory>();
        for (const auto& t : t_->neTypes) types->ids.push_back(t.id);
    } else if (format_ == eFormat::kRes) {
        types = t_->resTypes;
    } else {
        types = TypesPE();
    }
    return types && EnumIds(types, proc);
}

std::optional<std::pair<cResourceID, cModuleFile::cResource>> cModuleFile::FirstResource(const cResourceID& type) {
    const auto typeKey = TypeKeyOf(type);
    if (!typeKey) return std::nullopt;
    if (format_ == eFormat::kRes) {
        const cTables::cResType* t = ResType(*typeKey);
        if (!t || t->names->ids.empty()) return std::nullopt;
        return std::make_pair(t->names->ids.front(), t->languages.front().front().second);
    }
    if (format_ != eFormat::kNE) return FirstPE(*typeKey);
    // An NE table is small by its format (16-bit counts in a 64 KiB window).
    std::optional<cResourceID> first;
    EnumResourceNames(type, [&first](const cResourceID& id) {
        first = id;
        return false;
    });
    if (!first) return std::nullopt;
    const auto resource = FindResourceId(*first, type);
    if (!resource) return std::nullopt;
    return std::make_pair(*first, *resource);
}

bool cModuleFile::EnumResourceNames(const cResourceID& type, const tEnumProc& proc) {
    if (!IsLoaded()) return Fail(mSysText::kInvalidParameter);
    const auto typeKey = KeyOf(type);
    if (!typeKey) return Fail(mSysText::kResourceTypeNotFound);
    if (format_ == eFormat::kRes) {
        const cTables::cResType* t = ResType(*typeKey);
        return t && EnumIds(t->names, proc);
    }
    const std::shared_ptr<cDirectory> names = format_ == eFormat::kNE ? NamesNE(*typeKey) : NamesPE(*typeKey);
    return names && EnumIds(names, proc);
}

bool cModuleFile::HasResourceTable() const noexcept {
    if (!t_) return false;
    if (t_->format == eFormat::kNE) return !t_->neTable.empty();
    if (t_->format == eFormat::kRes) return t_->resTypes && !t_->resTypes->ids.empty();
    return t_->rsrcRva != 0 && t_->rsrcSize != 0;
}
