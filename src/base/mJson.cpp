#include "base/mJson.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "base/mUtf8.h"

namespace mJson {

namespace {

// The length of the well-formed UTF-8 sequence at `i`, or 0.
std::size_t SequenceAt(std::string_view t, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) return 1;
    const std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > t.size()) return 0;
    char32_t cp = c & (n == 2 ? 0x1F : n == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return n;
}

} // namespace

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = SequenceAt(text, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string String(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = SequenceAt(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for a byte that is not UTF-8
            ++i;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (n == 1 && (c < 0x20 || c == '"' || c == '\\' || c == 0x7F)) {
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            }
        } else {
            out.append(text.substr(i, n));
        }
        i += n;
    }
    out += '"';
    return out;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t v = static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[(v >> 18) & 63];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[v & 63] : '=';
    }
    return out;
}

} // namespace mJson

namespace mJson {

std::optional<std::string> FromBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    const auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    std::string out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        const int pad = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
        if (pad == 1 && text[i + 2] == '=') return std::nullopt;
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k) {
            const int d = k >= 4 - pad ? 0 : value(text[i + static_cast<std::size_t>(k)]);
            if (d < 0) return std::nullopt;
            v = (v << 6) | static_cast<std::uint32_t>(d);
        }
        out += static_cast<char>(v >> 16);
        if (pad < 2) out += static_cast<char>((v >> 8) & 0xFF);
        if (pad < 1) out += static_cast<char>(v & 0xFF);
    }
    return out;
}

namespace {

class cParser {
public:
    explicit cParser(std::string_view text) : text_(text), mostValues_(std::min(kMaxValues, 64 + text.size() / 7)) {}

    bool Document(cValue& v) {
        if (!Value(v, 0)) return false;
        Space();
        return at_ == text_.size();
    }

private:
    void Space() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool Eat(char c) {
        Space();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (text_.substr(at_, w.size()) != w) return false;
        at_ += w.size();
        return true;
    }

    bool Value(cValue& v, int depth) {
        if (depth > kMaxDepth || ++values_ > mostValues_) return false;
        Space();
        if (at_ >= text_.size()) return false;
        const char c = text_[at_];
        // An array or object costs about twice what a value does: it counts for two.
        if ((c == '{' || c == '[') && ++values_ > mostValues_) return false;
        if (c == '{') {
            ++at_;
            v.type = cValue::eType::kObject;
            v.children = std::make_unique<cValue::cChildren>();
            if (Eat('}')) return true;
            do {
                Space();
                std::string key;
                if (!String(key) || !Eat(':')) return false;
                v.children->keys.push_back(std::move(key));
                v.children->items.emplace_back();
                if (!Value(v.children->items.back(), depth + 1)) return false;
            } while (Eat(','));
            return Eat('}');
        }
        if (c == '[') {
            ++at_;
            v.type = cValue::eType::kArray;
            v.children = std::make_unique<cValue::cChildren>();
            if (Eat(']')) return true;
            do {
                v.children->items.emplace_back();
                if (!Value(v.children->items.back(), depth + 1)) return false;
            } while (Eat(','));
            return Eat(']');
        }
        if (c == '"') {
            v.type = cValue::eType::kString;
            return String(v.text);
        }
        if (Word("true") || Word("false")) {
            v.type = cValue::eType::kBool;
            v.boolean = c == 't';
            return true;
        }
        if (Word("null")) return true;
        return Number(v);
    }

    bool Number(cValue& v) {
        // The JSON grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
        const std::size_t start = at_;
        auto digits = [&] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
            return at_ > from;
        };
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        if (at_ < text_.size() && text_[at_] == '0') {
            ++at_;
        } else if (!digits()) {
            return false;
        }
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            if (!digits()) return false;
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (!digits()) return false;
        }
        v.type = cValue::eType::kNumber;
        v.text = text_.substr(start, at_ - start);
        const auto [end, ec] = std::from_chars(text_.data() + start, text_.data() + at_, v.number);
        if (ec == std::errc::result_out_of_range) v.number = text_[start] == '-' ? -HUGE_VAL : HUGE_VAL;
        return end == text_.data() + at_ || ec == std::errc::result_out_of_range;
    }

    bool Hex4(std::uint32_t& u) {
        if (text_.size() - at_ < 4) return false;
        u = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            u <<= 4;
            if (c >= '0' && c <= '9')
                u |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                u |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                u |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    bool String(std::string& out) {
        if (at_ >= text_.size() || text_[at_] != '"') return false;
        ++at_;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                // Raw bytes must be UTF-8.
                const std::size_t n = SequenceAt(text_, at_ - 1);
                if (n == 0) return false;
                out.append(text_.substr(at_ - 1, n));
                at_ += n - 1;
                continue;
            }
            if (at_ >= text_.size()) return false;
            const char e = text_[at_++];
            switch (e) {
            case '"':
            case '\\':
            case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                std::uint32_t u = 0;
                if (!Hex4(u)) return false;
                // A surrogate pair makes one code point; a lone surrogate becomes U+FFFD.
                if (u >= 0xD800 && u < 0xDC00 && text_.substr(at_, 2) == "\\u") {
                    const std::size_t back = at_;
                    at_ += 2;
                    std::uint32_t low = 0;
                    if (Hex4(low) && low >= 0xDC00 && low < 0xE000) {
                        u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
                    } else {
                        at_ = back;
                        u = 0xFFFD;
                    }
                } else if (u >= 0xD800 && u < 0xE000) {
                    u = 0xFFFD;
                }
                mUtf8::Append(out, u);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t values_ = 0;
    std::size_t mostValues_;
};

} // namespace

const std::vector<cValue>& cValue::Items() const noexcept {
    static const std::vector<cValue> kNone;
    return children ? children->items : kNone;
}

const std::vector<std::string>& cValue::Keys() const noexcept {
    static const std::vector<std::string> kNone;
    return children ? children->keys : kNone;
}

const cValue* cValue::Find(std::string_view key) const {
    if (type != eType::kObject || !children) return nullptr;
    const auto& keys = children->keys;
    for (std::size_t i = 0; i < keys.size() && i < children->items.size(); ++i)
        if (keys[i] == key) return &children->items[i];
    return nullptr;
}

std::optional<std::int32_t> cValue::Int32() const {
    if (type != eType::kNumber || !(number >= -2147483648.0 && number <= 2147483647.0)) return std::nullopt;
    const auto n = static_cast<std::int32_t>(number);
    if (static_cast<double>(n) != number) return std::nullopt;
    return n;
}

bool Parse(std::string_view text, cValue& value) {
    value = cValue();
    return cParser(text).Document(value);
}

std::optional<std::string> cValue::String(std::string_view key) const {
    const cValue* m = Find(key);
    if (!m || m->type != eType::kString) return std::nullopt;
    return m->text;
}

std::optional<std::int64_t> cValue::Count(std::string_view key) const {
    const cValue* m = Find(key);
    if (!m || m->type != eType::kNumber || m->text.empty() || m->text.size() > 18) return std::nullopt;
    std::int64_t n = 0;
    for (char c : m->text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::optional<cValue> ParseObject(std::string_view text) {
    cValue value;
    if (!Parse(text, value) || value.type != cValue::eType::kObject) return std::nullopt;
    return value;
}

} // namespace mJson
