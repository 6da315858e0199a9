#include "base/mJson.h"

#include <cstdint>

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

class cReader {
public:
    explicit cReader(std::string_view t) : t_(t) {}

    void Space() {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r')) ++i_;
    }
    bool AtEnd() const { return i_ == t_.size(); }
    bool Take(char c) {
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    char Peek() const { return i_ < t_.size() ? t_[i_] : '\0'; }

    // A value: its type and, for a scalar, its text. False when it is not one.
    bool Value(eType& type, std::string& text, std::size_t depth) {
        Space();
        const char c = Peek();
        if (c == '"') {
            type = eType::kString;
            return String(text);
        }
        if (c == '{' || c == '[') {
            type = c == '{' ? eType::kObject : eType::kArray;
            return depth < kMaxDepth && Nested(depth + 1);
        }
        for (const auto& [word, kind] :
             {std::pair{std::string_view("true"), eType::kBool}, std::pair{std::string_view("false"), eType::kBool},
              std::pair{std::string_view("null"), eType::kNull}}) {
            if (t_.substr(i_, word.size()) == word) {
                i_ += word.size();
                type = kind;
                text = word;
                return true;
            }
        }
        type = eType::kNumber;
        return Number(text);
    }

    // The rest of an object's members, after its "{".
    bool Members(std::vector<cMember>* into, std::size_t depth) {
        Space();
        if (Take('}')) return true;
        for (;;) {
            Space();
            cMember m;
            if (!String(m.key)) return false;
            Space();
            if (!Take(':') || !Value(m.type, m.text, depth)) return false;
            if (into) into->push_back(std::move(m));
            Space();
            if (Take('}')) return true;
            if (!Take(',')) return false;
        }
    }

private:
    bool Nested(std::size_t depth) {
        if (Take('{')) return Members(nullptr, depth);
        Take('[');
        Space();
        if (Take(']')) return true;
        for (;;) {
            eType type;
            std::string text;
            if (!Value(type, text, depth)) return false;
            Space();
            if (Take(']')) return true;
            if (!Take(',')) return false;
        }
    }

    bool Number(std::string& text) {
        const std::size_t start = i_;
        Take('-');
        if (Take('0')) {
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits()) return false;
        if (Take('e') || Take('E')) {
            if (!Take('+')) Take('-');
            if (!Digits()) return false;
        }
        text = t_.substr(start, i_ - start);
        return true;
    }
    bool Digits() {
        const std::size_t start = i_;
        while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') ++i_;
        return i_ > start;
    }
    bool Hex4(std::uint32_t& v) {
        if (t_.size() - i_ < 4) return false;
        v = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = t_[i_++];
            const int d = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
            if (d < 0) return false;
            v = (v << 4) | static_cast<std::uint32_t>(d);
        }
        return true;
    }
    static void Utf8(std::uint32_t cp, std::string& out) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    bool String(std::string& out) {
        out.clear();
        if (!Take('"')) return false;
        for (;;) {
            if (i_ >= t_.size()) return false;
            const unsigned char c = static_cast<unsigned char>(t_[i_]);
            if (c == '"') {
                ++i_;
                return true;
            }
            if (c < 0x20) return false;
            if (c != '\\') {
                const std::size_t n = SequenceAt(t_, i_);
                if (n == 0) return false;
                out.append(t_.substr(i_, n));
                i_ += n;
                continue;
            }
            ++i_;
            const char e = Peek();
            ++i_;
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                std::uint32_t cp = 0;
                if (!Hex4(cp)) return false;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    std::uint32_t low = 0;
                    if (!Take('\\') || !Take('u') || !Hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    return false;
                }
                Utf8(cp, out);
                break;
            }
            default: return false;
            }
        }
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

} // namespace

const cMember* cObject::Find(std::string_view key) const {
    for (const auto& m : members) {
        if (m.key == key) return &m;
    }
    return nullptr;
}

std::optional<std::string> cObject::String(std::string_view key) const {
    const cMember* m = Find(key);
    if (!m || m->type != eType::kString) return std::nullopt;
    return m->text;
}

std::optional<std::int64_t> cObject::Count(std::string_view key) const {
    const cMember* m = Find(key);
    if (!m || m->type != eType::kNumber || m->text.empty() || m->text.size() > 18) return std::nullopt;
    std::int64_t v = 0;
    for (char c : m->text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::optional<cObject> ParseObject(std::string_view text) {
    cReader r(text);
    r.Space();
    if (!r.Take('{')) return std::nullopt;
    cObject object;
    if (!r.Members(&object.members, 1)) return std::nullopt;
    r.Space();
    if (!r.AtEnd()) return std::nullopt;
    return object;
}

} // namespace mJson
