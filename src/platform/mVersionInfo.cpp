#include "platform/mVersionInfo.h"

#include <algorithm>
#include <charconv>

#include "base/mLanguage.h"
#include "platform/cByteView.h"
#include "platform/cModuleFile.h"
#include "platform/mText16.h"

namespace mVersionInfo {

namespace {

// RT_VERSION.
constexpr std::int32_t kRtVersion = 16;
// The signature of VS_FIXEDFILEINFO.
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
// A block's length is a 16-bit count: the root can hold no more.
constexpr std::size_t kMaxBlock = 0xFFFF;
// Keys of the format are short ("VS_VERSION_INFO", "StringFileInfo", "040904b0", string names).
constexpr std::size_t kMaxKey = 256;

std::size_t Align4(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

// One block of the tree: its key, where its value and its children lie, and where it ends.
struct cBlock {
    std::string key;
    std::size_t value = 0; // the value's offset
    std::size_t valueBytes = 0; // what wValueLength says, cut to the block
    std::size_t children = 0; // the first child's offset
    std::size_t end = 0; // one past the block
};

// The block at `at`, which must end by `limit`; nothing when it does not fit or has no key.
// `wide`: the 32-bit layout (wType, UTF-16 key); else the 16-bit one (ANSI key).
std::optional<cBlock> ReadBlock(const cByteView& v, std::size_t at, std::size_t limit, bool wide) {
    const std::size_t header = wide ? 6 : 4;
    if (limit > v.Size() || at > limit || limit - at < header) return std::nullopt;
    const std::size_t length = v.U16(at);
    if (length < header || length > limit - at) return std::nullopt;
    cBlock b;
    b.end = at + length;
    const std::size_t valueLength = v.U16(at + 2);
    const bool text = wide && v.U16(at + 4) == 1;
    std::size_t p = at + header;
    if (wide) {
        std::u16string key;
        for (;; p += 2) {
            if (b.end - p < 2 || key.size() > kMaxKey) return std::nullopt;
            const char16_t c = v.U16(p);
            if (c == 0) break;
            key += c;
        }
        b.key = mText16::ToUtf8(key);
        p += 2;
    } else {
        std::string key;
        for (;; ++p) {
            if (p >= b.end || key.size() > kMaxKey) return std::nullopt;
            const char c = static_cast<char>(v.U8(p));
            if (c == 0) break;
            key += c;
        }
        b.key = mText16::FromAnsi(key);
        ++p;
    }
    b.value = std::min(Align4(p), b.end);
    b.valueBytes = std::min<std::size_t>(text ? valueLength * std::size_t{2} : valueLength, b.end - b.value);
    b.children = std::min(Align4(b.value + b.valueBytes), b.end);
    return b;
}

// Every child of `parent`, in order, up to the first that does not fit.
std::vector<cBlock> Children(const cByteView& v, const cBlock& parent, bool wide) {
    std::vector<cBlock> children;
    std::size_t at = parent.children;
    while (at < parent.end) {
        auto child = ReadBlock(v, at, parent.end, wide);
        if (!child) break;
        at = Align4(child->end);
        children.push_back(std::move(*child));
    }
    return children;
}

// A string's text: from its value to the first NUL or the block's end. (Resource compilers
// disagree on whether wValueLength counts characters or bytes; the block's length is sure.)
std::string Text(const cByteView& v, const cBlock& b, bool wide) {
    if (wide) {
        std::u16string text;
        for (std::size_t p = b.value; b.end - p >= 2; p += 2) {
            const char16_t c = v.U16(p);
            if (c == 0) break;
            text += c;
        }
        return mText16::ToUtf8(text);
    }
    std::string text;
    for (std::size_t p = b.value; p < b.end; ++p) {
        const char c = static_cast<char>(v.U8(p));
        if (c == 0) break;
        text += c;
    }
    return mText16::FromAnsi(text);
}

std::array<std::uint16_t, 4> Version(const cByteView& v, std::size_t at) {
    const std::uint32_t ms = v.U32(at), ls = v.U32(at + 4);
    return {static_cast<std::uint16_t>(ms >> 16), static_cast<std::uint16_t>(ms), static_cast<std::uint16_t>(ls >> 16),
            static_cast<std::uint16_t>(ls)};
}

} // namespace

std::optional<cVersionInfo> Parse(std::span<const std::uint8_t> bytes) {
    const cByteView v(bytes.data(), std::min(bytes.size(), kMaxBlock));
    bool wide = true;
    if (v.Has(0, 8) && v.U16(6) == 'V' && v.U8(7) == 0)
        wide = true;
    else if (v.Has(0, 5) && v.U8(4) == 'V')
        wide = false;
    else
        return std::nullopt;
    const auto root = ReadBlock(v, 0, v.Size(), wide);
    if (!root || root->key != "VS_VERSION_INFO") return std::nullopt;
    cVersionInfo info;
    if (root->valueBytes >= 52 && v.U32(root->value) == kFixedSignature) {
        info.fileVersion = Version(v, root->value + 8);
        info.productVersion = Version(v, root->value + 16);
    }
    for (const cBlock& part : Children(v, *root, wide)) {
        if (part.key != "StringFileInfo") continue;
        for (const cBlock& table : Children(v, part, wide)) {
            cTable t;
            std::uint32_t id = 0;
            const char* end = table.key.data() + table.key.size();
            if (table.key.size() == 8 && std::from_chars(table.key.data(), end, id, 16).ptr == end) {
                t.language = static_cast<std::uint16_t>(id >> 16);
                t.codePage = static_cast<std::uint16_t>(id);
            }
            for (const cBlock& s : Children(v, table, wide)) t.strings.emplace_back(s.key, Text(v, s, wide));
            info.tables.push_back(std::move(t));
        }
    }
    return info;
}

std::optional<cVersionInfo> Read(cModuleFile& module) {
    const auto first = module.FirstResource(cResourceID{kRtVersion});
    if (!first) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(first->second.size, kMaxBlock));
    if (!module.ReadResource(first->second, n, bytes)) return std::nullopt;
    return Parse(bytes);
}

std::optional<cVersionInfo> ReadFile(const std::string& path) {
    cModuleFile module;
    if (!module.Load(path)) return std::nullopt;
    return Read(module);
}

void OrderForLocale(cVersionInfo& info, std::string_view locale) {
    if (info.tables.size() < 2) return;
    std::vector<std::uint16_t> languages;
    for (const cTable& t : info.tables) languages.push_back(t.language);
    const std::size_t best = mLanguage::BestMatch(languages, locale);
    std::rotate(info.tables.begin(), info.tables.begin() + static_cast<std::ptrdiff_t>(best),
                info.tables.begin() + static_cast<std::ptrdiff_t>(best) + 1);
}

std::string Value(const cVersionInfo& info, std::string_view key) {
    for (const cTable& t : info.tables)
        for (const auto& [k, value] : t.strings)
            if (k == key && value.find_first_not_of(" \t") != std::string::npos) return value;
    return {};
}

std::string VersionText(const std::array<std::uint16_t, 4>& v) {
    return std::to_string(v[0]) + '.' + std::to_string(v[1]) + '.' + std::to_string(v[2]) + '.' + std::to_string(v[3]);
}

} // namespace mVersionInfo
