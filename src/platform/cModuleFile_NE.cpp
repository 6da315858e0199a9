// cModuleFile: NE (16-bit) modules. The NE header gives the resource table's place (ne_rsrctab)
// and its end (the resident-name table, ne_restab), both relative to the NE header. The table is:
//   rscAlignShift   u16       resource offsets and lengths are in units of 1 << shift bytes
//   TYPEINFO...               rtTypeID u16 (high bit set: a number in the low 15 bits; otherwise
//                             the offset of a name in this table), rtResourceCount u16,
//                             rtReserved u32, then rtResourceCount NAMEINFO records of 12 bytes:
//                             rnOffset u16, rnLength u16, rnFlags u16, rnID u16 (coded like
//                             rtTypeID), rnHandle u16, rnUsage u16
//   rtTypeID 0                the end of the types
//   names                     length-prefixed ANSI strings, a length of 0 ends them
// The table is read whole when the module is opened (it lies in the header, at most 64 KiB).

#include "platform/cModuleFile.h"

#include "platform/mSysText.h"
#include "platform/mText16.h"

namespace {

constexpr std::size_t kNeHeaderSize = 64;
constexpr std::size_t kTypeInfoSize = 8;
constexpr std::size_t kNameInfoSize = 12;
// A larger shift could not express a length in 32 bits.
constexpr std::uint16_t kMaxShift = 16;

} // namespace

bool cModuleFile::LoadNE(std::uint32_t neAt) {
    std::vector<std::uint8_t> head;
    if (!ReadAt(neAt, kNeHeaderSize, head)) return false;
    cByteView hv(head);
    const std::uint16_t rsrcTab = hv.U16(0x24);
    const std::uint16_t resTab = hv.U16(0x26);
    if (resTab < rsrcTab) return false;
    if (!ReadAt(std::uint64_t{neAt} + rsrcTab, resTab - rsrcTab, neTable_)) return false;
    format_ = eFormat::kNE;
    return true;
}

bool cModuleFile::NeString(std::size_t at, std::string& out) const {
    cByteView tv(neTable_);
    if (!tv.Has(at, 1)) return false;
    const std::size_t length = tv.U8(at);
    if (!tv.Has(at + 1, length)) return false;
    out = mText16::FromAnsi(std::string_view(reinterpret_cast<const char*>(neTable_.data() + at + 1), length));
    return true;
}

bool cModuleFile::NeId(std::uint16_t raw, cResourceID& out) const {
    if (raw & 0x8000) {
        out = static_cast<std::int32_t>(raw & 0x7FFF);
        return true;
    }
    std::string name;
    if (!NeString(raw, name)) return false;
    out = std::move(name);
    return true;
}

bool cModuleFile::NeTypes(std::vector<cNeType>& types) {
    types.clear();
    if (neTable_.empty()) return Fail(mSysText::kResourceDataNotFound);
    cByteView tv(neTable_);
    if (!tv.Has(0, 2)) return Fail(mSysText::kInvalidData);
    neShift_ = tv.U16(0);
    if (neShift_ > kMaxShift) return Fail(mSysText::kInvalidData);
    std::size_t at = 2;
    // Each TYPEINFO takes at least 8 bytes, so the loop ends within the table.
    while (tv.Has(at, 2)) {
        const std::uint16_t raw = tv.U16(at);
        if (raw == 0) break;
        if (!tv.Has(at, kTypeInfoSize)) return Fail(mSysText::kInvalidData);
        cNeType t;
        t.count = tv.U16(at + 2);
        t.firstName = at + kTypeInfoSize;
        if (!tv.Has(t.firstName, std::size_t{t.count} * kNameInfoSize)) return Fail(mSysText::kInvalidData);
        if (!NeId(raw, t.id)) return Fail(mSysText::kInvalidData);
        types.push_back(std::move(t));
        at = types.back().firstName + std::size_t{types.back().count} * kNameInfoSize;
    }
    return true;
}

bool cModuleFile::NeMatches(const cResourceID& id, const cKey& key) {
    if (const auto* n = std::get_if<std::int32_t>(&id)) return !key.isName && *n == key.id;
    if (const auto* s = std::get_if<std::string>(&id)) return key.isName && mText16::Upper(mText16::FromUtf8(*s)) == key.name;
    return false;
}

const cModuleFile::cNeType* cModuleFile::NeFindType(const std::vector<cNeType>& types, const cKey& key) {
    for (const auto& t : types) {
        if (NeMatches(t.id, key)) return &t;
    }
    Fail(mSysText::kResourceTypeNotFound);
    return nullptr;
}

std::optional<cModuleFile::cResource> cModuleFile::FindNE(const cKey& name, const cKey& type) {
    std::vector<cNeType> types;
    if (!NeTypes(types)) return std::nullopt;
    const cNeType* t = NeFindType(types, type);
    if (!t) return std::nullopt;
    cByteView tv(neTable_);
    for (std::size_t i = 0; i < t->count; ++i) {
        const std::size_t at = t->firstName + i * kNameInfoSize;
        cResourceID id;
        if (!NeId(tv.U16(at + 6), id)) {
            Fail(mSysText::kInvalidData);
            return std::nullopt;
        }
        if (!NeMatches(id, name)) continue;
        cResource r;
        r.offset = std::uint64_t{tv.U16(at)} << neShift_;
        r.size = static_cast<std::uint32_t>(std::uint32_t{tv.U16(at + 2)} << neShift_);
        r.mapped = true;
        r.room = r.offset >= fileSize_ ? 0 : fileSize_ - r.offset;
        return r;
    }
    Fail(mSysText::kResourceNameNotFound);
    return std::nullopt;
}

bool cModuleFile::EnumNE(const cKey& type, const tEnumProc& proc) {
    std::vector<cNeType> types;
    if (!NeTypes(types)) return false;
    const cNeType* t = NeFindType(types, type);
    if (!t) return false;
    cByteView tv(neTable_);
    for (std::size_t i = 0; i < t->count; ++i) {
        cResourceID id;
        if (!NeId(tv.U16(t->firstName + i * kNameInfoSize + 6), id)) return Fail(mSysText::kInvalidData);
        if (!proc(id)) return Fail(mSysText::kResourceEnumUserStop);
    }
    return true;
}
