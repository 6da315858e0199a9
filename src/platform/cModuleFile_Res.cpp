// cModuleFile: 32-bit compiled resource files. Each resource is a RESOURCEHEADER (DataSize,
// HeaderSize, TYPE and NAME each an ordinal 0xFFFF + number or a NUL-terminated UTF-16 string,
// padding to a DWORD, DataVersion, MemoryFlags, LanguageId, Version, Characteristics) followed by
// its data, padded to a DWORD. The whole sequence is read and indexed on opening, as a PE module's
// directories are read when asked.

#include "platform/cModuleFile.h"

#include <algorithm>
#include <tuple>

#include "platform/mSysText.h"
#include "platform/mText16.h"

namespace {

// A header's fixed fields after TYPE and NAME: DataVersion, MemoryFlags, LanguageId, Version,
// Characteristics.
constexpr std::size_t kTailBytes = 16;
// Far more than any header needs (two names of a few hundred characters): longer ones are damage.
constexpr std::uint32_t kMaxHeaderBytes = 64 * 1024;

} // namespace

bool cModuleFile::LoadRes() {
    struct cRaw {
        cKey type, name;
        cResourceID typeId, nameId;
        std::uint16_t language = 0;
        cResource resource;
    };
    std::vector<cRaw> raw;
    std::vector<std::uint8_t> header;
    // Reads an ordinal or a string at `at` of the header; false where it runs out of it.
    const auto readId = [&header](std::size_t& at, cKey& key, cResourceID& id) {
        const cByteView v(header);
        if (!v.Has(at, 2)) return false;
        if (v.U16(at) == 0xFFFF) {
            if (!v.Has(at, 4)) return false;
            key.isName = false;
            key.id = v.U16(at + 2);
            id = static_cast<std::int32_t>(key.id);
            at += 4;
            return true;
        }
        std::u16string text;
        for (;; at += 2) {
            if (!v.Has(at, 2)) return false;
            const char16_t c = v.U16(at);
            if (c == 0) break;
            text.push_back(c);
        }
        at += 2;
        key.isName = true;
        key.name = mText16::Upper(text);
        id = mText16::ToUtf8(text);
        return true;
    };
    // The loop always moves on by at least a header's fixed size, so it ends within the file.
    for (std::uint64_t at = 0; at < fileSize_;) {
        // A few zero bytes of padding may end a file.
        if (fileSize_ - at < 8) break;
        std::vector<std::uint8_t> sizes;
        if (!ReadAt(at, 8, sizes)) return Fail(mSysText::kInvalidData);
        const std::uint32_t dataSize = cByteView(sizes).U32(0);
        const std::uint32_t headerSize = cByteView(sizes).U32(4);
        if (headerSize < 8 + 4 + 4 + kTailBytes || headerSize > kMaxHeaderBytes || headerSize > fileSize_ - at)
            return Fail(mSysText::kInvalidData);
        if (!ReadAt(at, headerSize, header)) return Fail(mSysText::kInvalidData);
        cRaw r;
        std::size_t pos = 8;
        if (!readId(pos, r.type, r.typeId) || !readId(pos, r.name, r.nameId)) return Fail(mSysText::kInvalidData);
        pos = (pos + 3) & ~std::size_t{3};
        if (pos > headerSize || headerSize - pos < kTailBytes) return Fail(mSysText::kInvalidData);
        r.language = cByteView(header).U16(pos + 6);
        const std::uint64_t dataAt = at + headerSize;
        if (dataSize > fileSize_ - dataAt) return Fail(mSysText::kInvalidData);
        r.resource.offset = dataAt;
        r.resource.size = dataSize;
        r.resource.mapped = true;
        r.resource.room = fileSize_ - dataAt;
        // The empty header that starts the file (type and name 0) stands for no resource.
        const bool empty = !r.type.isName && r.type.id == 0 && !r.name.isName && r.name.id == 0;
        if (!empty) raw.push_back(std::move(r));
        at = dataAt + dataSize;
        at += (4 - at % 4) % 4;
    }

    // The order of a module's directories: names (by their upper-case text) before numbers.
    const auto keyLess = [](const cKey& a, const cKey& b) {
        if (a.isName != b.isName) return a.isName;
        return a.isName ? a.name < b.name : a.id < b.id;
    };
    const auto keyEqual = [](const cKey& a, const cKey& b) {
        return a.isName == b.isName && (a.isName ? a.name == b.name : a.id == b.id);
    };
    std::stable_sort(raw.begin(), raw.end(), [&](const cRaw& a, const cRaw& b) {
        if (!keyEqual(a.type, b.type)) return keyLess(a.type, b.type);
        if (!keyEqual(a.name, b.name)) return keyLess(a.name, b.name);
        return a.language < b.language;
    });
    auto types = std::make_shared<cDirectory>();
    std::vector<cTables::cResType> names;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const cRaw& r = raw[i];
        const bool newType = i == 0 || !keyEqual(raw[i - 1].type, r.type);
        if (newType) {
            const std::size_t n = types->ids.size();
            types->ids.push_back(r.typeId);
            if (r.type.isName)
                types->names.try_emplace(r.type.name, n);
            else
                types->numbers.try_emplace(r.type.id, n);
            names.push_back({std::make_shared<cDirectory>(), {}});
        }
        cTables::cResType& t = names.back();
        if (newType || !keyEqual(raw[i - 1].name, r.name)) {
            const std::size_t n = t.names->ids.size();
            t.names->ids.push_back(r.nameId);
            if (r.name.isName)
                t.names->names.try_emplace(r.name.name, n);
            else
                t.names->numbers.try_emplace(r.name.id, n);
            t.languages.emplace_back();
        }
        // The same resource twice in one language: the first one counts, as a compiler keeps it.
        auto& languages = t.languages.back();
        if (languages.empty() || languages.back().first != r.language) languages.emplace_back(r.language, r.resource);
    }
    t_->resTypes = std::move(types);
    t_->resNames = std::move(names);
    t_->format = eFormat::kRes;
    return true;
}

const cModuleFile::cTables::cResType* cModuleFile::ResType(const cKey& type) {
    bool damaged = false;
    const auto n = FindName(*t_->resTypes, type, damaged);
    if (!n) {
        Fail(mSysText::kResourceTypeNotFound);
        return nullptr;
    }
    return &t_->resNames[*n];
}

std::optional<cModuleFile::cResource> cModuleFile::FindRes(const cKey& name, const cKey& type,
                                                           std::optional<std::uint16_t> language) {
    const cTables::cResType* t = ResType(type);
    if (!t) return std::nullopt;
    bool damaged = false;
    const auto n = FindName(*t->names, name, damaged);
    if (!n) {
        Fail(mSysText::kResourceNameNotFound);
        return std::nullopt;
    }
    const auto& languages = t->languages[*n];
    if (!language) return languages.front().second;
    for (const auto& [id, resource] : languages) {
        if (id == *language) return resource;
    }
    Fail(mSysText::kResourceLangNotFound);
    return std::nullopt;
}
