#pragma once
// Test helpers for byte patches of the module fixtures: where the PE headers and the resource tree
// of a well-formed module lie, found by a plain walk of its (trusted) bytes. Shared by the test
// programs of platform, icon, resources and search.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/mTestKit.h"

namespace mModulePatch {

struct cPeLayout {
    std::size_t peAt = 0; // "PE\0\0"
    std::size_t sectionCountAt = 0; // NumberOfSections
    std::size_t resourceDirAt = 0; // the resource entry of the data directory (RVA, Size)
    std::size_t sectionTableAt = 0;
    std::uint32_t rsrcRva = 0;
    std::size_t rsrcAt = 0; // file offset of the resource root
};

inline cPeLayout Layout(const std::vector<std::uint8_t>& b) {
    cPeLayout l;
    l.peAt = GetLE32(b, 0x3C);
    l.sectionCountAt = l.peAt + 6;
    const std::size_t optAt = l.peAt + 24;
    const std::uint16_t magic = GetLE16(b, optAt);
    l.resourceDirAt = optAt + (magic == 0x20B ? 112 : 96) + 2 * 8;
    l.sectionTableAt = optAt + GetLE16(b, l.peAt + 20);
    l.rsrcRva = GetLE32(b, l.resourceDirAt);
    for (std::size_t i = 0; i < GetLE16(b, l.sectionCountAt); ++i) {
        const std::size_t s = l.sectionTableAt + 40 * i;
        const std::uint32_t va = GetLE32(b, s + 12), raw = GetLE32(b, s + 16), at = GetLE32(b, s + 20);
        if (l.rsrcRva >= va && l.rsrcRva < va + raw) l.rsrcAt = at + (l.rsrcRva - va);
    }
    if (l.rsrcAt == 0) throw std::runtime_error("no resource section");
    return l;
}

// File offset of the entry with number `id` in the directory at `dirAt` (relative to the root).
inline std::size_t EntryAt(const std::vector<std::uint8_t>& b, const cPeLayout& l, std::uint32_t dirAt,
                           std::uint32_t id) {
    const std::size_t d = l.rsrcAt + dirAt;
    const std::size_t count = std::size_t{GetLE16(b, d + 12)} + GetLE16(b, d + 14);
    for (std::size_t i = 0; i < count; ++i) {
        if (GetLE32(b, d + 16 + 8 * i) == id) return d + 16 + 8 * i;
    }
    throw std::runtime_error("no entry " + std::to_string(id));
}

// The subdirectory offset (relative to the root) an entry points to.
inline std::uint32_t SubOf(const std::vector<std::uint8_t>& b, std::size_t entryAt) {
    return GetLE32(b, entryAt + 4) & 0x7FFFFFFFu;
}

// File offset of the type entry, the name entry and the (first language's) data entry of a
// numbered resource.
struct cResourcePlace {
    std::size_t typeEntryAt = 0, nameEntryAt = 0, langEntryAt = 0, dataEntryAt = 0;
};

inline cResourcePlace Place(const std::vector<std::uint8_t>& b, const cPeLayout& l, std::uint32_t type,
                            std::uint32_t name) {
    cResourcePlace p;
    p.typeEntryAt = EntryAt(b, l, 0, type);
    const std::uint32_t names = SubOf(b, p.typeEntryAt);
    p.nameEntryAt = EntryAt(b, l, names, name);
    const std::uint32_t langs = SubOf(b, p.nameEntryAt);
    p.langEntryAt = l.rsrcAt + langs + 16;
    p.dataEntryAt = l.rsrcAt + GetLE32(b, p.langEntryAt + 4);
    return p;
}

// File offset of a resource's bytes, through its data entry's RVA.
inline std::size_t DataAt(const std::vector<std::uint8_t>& b, const cPeLayout& l, const cResourcePlace& p) {
    return l.rsrcAt + (GetLE32(b, p.dataEntryAt) - l.rsrcRva);
}

// A copy of a fixture with a patch applied, written into `dir`.
template <class F>
std::string Patched(const mTestKit::cTempDir& dir, const std::string& fixture, const std::string& name, F patch) {
    auto bytes = mTestKit::ReadBytes(mTestKit::Fixture(fixture));
    patch(bytes);
    const std::string path = dir.File(name);
    mTestKit::WriteBytes(path, bytes);
    return path;
}

} // namespace mModulePatch
