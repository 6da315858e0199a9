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
// The table is read whole when the module is opened (it lies in the header, at most 64 KiB), and
// its types are parsed and their names decoded and indexed once, when first asked for.

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
    if (!ReadAt(std::uint64_t{neAt} + rsrcTab, resTab - rsrcTab, t_->neTable)) return false;
    t_->format = eFormat::kNE;
    return true;
}

bool cModuleFile::NeString(std::size_t at, std::string& out) const {
    const std::vector<std::uint8_t>& table = t_->neTable;
    cByteView tv(table);
    if (!tv.Has(at, 1)) return false;
    const std::size_t length = tv.U8(at);
    if (!tv.Has(at + 1, length)) return false;
    out = mText16::FromAnsi(std::string_view(reinterpret_cast<const char*>(table.data() + at + 1), length));
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

// Parses the types once; each type's names are decoded up to the first that cannot be and
// indexed, as a PE directory is.
bool cModuleFile::NeTypes() {
    cTables& t = *t_;
    if (t.neParsed) return t.neError == 0 || Fail(t.neError);
    t.neParsed = true;
    auto fail = [&](std::uint32_t code) {
        t.neError = code;
        t.neTypes.clear();
        return Fail(code);
    };
    if (t.neTable.empty()) return fail(mSysText::kResourceDataNotFound);
    cByteView tv(t.neTable);
    if (!tv.Has(0, 2)) return fail(mSysText::kInvalidData);
    t.neShift = tv.U16(0);
    if (t.neShift > kMaxShift) return fail(mSysText::kInvalidData);
    std::size_t at = 2;
    // Each TYPEINFO takes at least 8 bytes, so the loop ends within the table.
    while (tv.Has(at, 2)) {
        const std::uint16_t raw = tv.U16(at);
        if (raw == 0) break;
        if (!tv.Has(at, kTypeInfoSize)) return fail(mSysText::kInvalidData);
        cNeType type;
        type.count = tv.U16(at + 2);
        type.firstName = at + kTypeInfoSize;
        if (!tv.Has(type.firstName, std::size_t{type.count} * kNameInfoSize)) return fail(mSysText::kInvalidData);
        if (!NeId(raw, type.id)) return fail(mSysText::kInvalidData);
        type.names = std::make_shared<cDirectory>();
        cDirectory& names = *type.names;
        for (std::size_t i = 0; i < type.count; ++i) {
            cResourceID id;
            if (!NeId(tv.U16(type.firstName + i * kNameInfoSize + 6), id)) break;
            if (const auto* n = std::get_if<std::int32_t>(&id))
                names.numbers.try_emplace(static_cast<std::uint16_t>(*n), i);
            else
                IndexName(names, mText16::FromUtf8(std::get<std::string>(id)), i);
            names.ids.push_back(std::move(id));
        }
        names.damaged = names.ids.size() < type.count;
        at = type.firstName + std::size_t{type.count} * kNameInfoSize;
        t.neTypes.push_back(std::move(type));
    }
    return true;
}

bool cModuleFile::NeMatches(const cResourceID& id, const cKey& key) {
    if (const auto* n = std::get_if<std::int32_t>(&id)) return !key.isName && *n == key.id;
    if (const auto* s = std::get_if<std::string>(&id))
        return key.isName && mText16::Upper(mText16::FromUtf8(*s)) == key.name;
    return false;
}

const cModuleFile::cNeType* cModuleFile::NeFindType(const cKey& key) {
    if (!NeTypes()) return nullptr;
    for (const auto& t : t_->neTypes) {
        if (NeMatches(t.id, key)) return &t;
    }
    Fail(mSysText::kResourceTypeNotFound);
    return nullptr;
}

std::optional<cModuleFile::cResource> cModuleFile::FindNE(const cKey& name, const cKey& type) {
    const cNeType* t = NeFindType(type);
    if (!t) return std::nullopt;
    bool damaged = false;
    const auto i = FindName(*t->names, name, damaged);
    if (!i) {
        Fail(damaged ? mSysText::kInvalidData : mSysText::kResourceNameNotFound);
        return std::nullopt;
    }
    cByteView tv(t_->neTable);
    const std::size_t at = t->firstName + *i * kNameInfoSize;
    cResource r;
    r.offset = std::uint64_t{tv.U16(at)} << t_->neShift;
    r.size = static_cast<std::uint32_t>(std::uint32_t{tv.U16(at + 2)} << t_->neShift);
    r.mapped = true;
    r.room = r.offset >= fileSize_ ? 0 : fileSize_ - r.offset;
    return r;
}

std::shared_ptr<cModuleFile::cDirectory> cModuleFile::NamesNE(const cKey& type) {
    const cNeType* t = NeFindType(type);
    return t ? t->names : nullptr;
}
