#include "themes/mCursorInf.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

#include "base/mUtf8.h"

namespace mCursorInf {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// The logical lines of the text: continuations joined, comments cut, each line at most kMaxLine.
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    bool quoted = false, comment = false;
    auto finish = [&] {
        const std::string_view t = Trim(line);
        if (!t.empty()) lines.emplace_back(t);
        line.clear();
        quoted = comment = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            // A "\" ending a line (outside quotes and comments) joins the next one to it.
            const std::string_view t = Trim(line);
            if (!comment && !quoted && !t.empty() && t.back() == '\\') {
                line.resize(static_cast<std::size_t>(t.data() + t.size() - 1 - line.data()));
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
                continue;
            }
            finish();
            continue;
        }
        if (comment) continue;
        if (c == '"') quoted = !quoted;
        if (c == ';' && !quoted) {
            comment = true;
            continue;
        }
        if (line.size() < kMaxLine) line.push_back(c);
    }
    finish();
    return lines;
}

// The fields of a line after "=" or of a registry line: split at commas outside quotes, each
// trimmed and unquoted ("" inside quotes is one quote).
std::vector<std::string> Fields(std::string_view s) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false, wasQuoted = false;
    auto finish = [&] {
        fields.push_back(wasQuoted ? field : std::string(Trim(field)));
        field.clear();
        wasQuoted = false;
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                field.push_back('"');
                ++i;
                continue;
            }
            if (!quoted && !wasQuoted) field.clear(); // blanks before the quote
            quoted = !quoted;
            wasQuoted = true;
            continue;
        }
        if (c == ',' && !quoted) {
            finish();
            continue;
        }
        if (wasQuoted && !quoted) {
            // Text after a closing quote belongs to the field as it stands (lenient).
            if (!std::isspace(static_cast<unsigned char>(c))) field.push_back(c);
            continue;
        }
        field.push_back(c);
    }
    finish();
    return fields;
}

class cStrings {
public:
    void Add(std::string_view key, std::string value) {
        std::string k = Lower(Trim(key));
        if (!k.empty() && !map_.contains(k)) map_.emplace(std::move(k), std::move(value));
    }
    std::optional<std::string> Find(const std::string& key) const {
        const std::string k = Lower(key);
        if (auto it = map_.find(k); it != map_.end()) return it->second;
        // The common misspelling, either way round.
        for (const auto& [wrong, right] : {std::pair{"unavailiable", "unavailable"}, {"unavailable", "unavailiable"}}) {
            const auto at = k.find(wrong);
            if (at == std::string::npos) continue;
            std::string other = k;
            other.replace(at, std::string_view(wrong).size(), right);
            if (auto it = map_.find(other); it != map_.end()) return it->second;
        }
        return std::nullopt;
    }
    // `s` with every %key% replaced once: a known key by its value, a folder id ("%10%") by
    // nothing, "%%" by "%"; an unknown key stays as written.
    std::string Substitute(std::string_view s) const {
        std::string out;
        std::size_t i = 0;
        while (i < s.size() && out.size() < kMaxLine) {
            const auto end = s[i] == '%' ? s.find('%', i + 1) : std::string_view::npos;
            if (end == std::string_view::npos) {
                out.push_back(s[i++]);
                continue;
            }
            const std::string_view key = s.substr(i + 1, end - i - 1);
            if (key.empty()) {
                out.push_back('%');
            } else if (std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                // A folder id: the Windows folder, the system folder...
            } else if (auto value = Find(std::string(key))) {
                out.append(*value, 0, kMaxLine - std::min(kMaxLine, out.size()));
            } else {
                out.append(s.substr(i, end - i + 1));
            }
            i = end + 1;
        }
        if (out.size() > kMaxLine) out.resize(kMaxLine);
        return out;
    }

private:
    std::map<std::string, std::string> map_;
};

struct cSection {
    std::string name; // lower case
    std::vector<std::string> lines;
};

bool IsCurrentUser(std::string_view root) {
    const std::string r = Lower(root);
    return r == "hkcu" || r == "hkey_current_user";
}

// A registry key as the INF writes it, lower case, with single "\" and none at either end.
std::string KeyOf(std::string_view key) {
    std::string k;
    for (const char c : Lower(key)) {
        if (c == '\\' && (k.empty() || k.back() == '\\')) continue;
        k.push_back(c);
    }
    while (!k.empty() && k.back() == '\\') k.pop_back();
    return k;
}

// The flags field of a registry line: empty or a number ("0x00020000", "0").
bool LooksLikeFlags(std::string_view f) {
    f = Trim(f);
    if (f.starts_with("0x") || f.starts_with("0X")) f.remove_prefix(2);
    return std::all_of(f.begin(), f.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

} // namespace

std::string LastComponent(std::string_view path) {
    path = Trim(path);
    while (!path.empty() && (path.front() == '"' || path.back() == '"')) {
        if (path.front() == '"') path.remove_prefix(1);
        if (!path.empty() && path.back() == '"') path.remove_suffix(1);
        path = Trim(path);
    }
    const auto slash = path.find_last_of("\\/");
    if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
    return std::string(Trim(path));
}

cScheme Parse(std::string_view text) {
    if (text.size() > kMaxBytes) text = text.substr(0, kMaxBytes);
    // INFs saved as Unicode are UTF-16LE with a byte-order mark; a UTF-8 one has its own mark.
    std::string decoded;
    if (text.starts_with("\xFF\xFE")) {
        for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
            char32_t c = static_cast<unsigned char>(text[i]) |
                         static_cast<char32_t>(static_cast<unsigned char>(text[i + 1])) << 8;
            if (c >= 0xD800 && c < 0xDC00 && i + 3 < text.size()) {
                const char32_t low = static_cast<unsigned char>(text[i + 2]) |
                                     static_cast<char32_t>(static_cast<unsigned char>(text[i + 3])) << 8;
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            mUtf8::Append(decoded, c);
        }
        text = decoded;
    } else if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    std::vector<cSection> sections(1);
    for (std::string& line : Lines(text)) {
        if (line.front() == '[') {
            const auto close = line.find(']');
            sections.push_back({Lower(Trim(std::string_view(line).substr(
                                    1, close == std::string::npos ? std::string::npos : close - 1))),
                                {}});
            continue;
        }
        sections.back().lines.push_back(std::move(line));
    }

    cStrings strings;
    for (const cSection& s : sections) {
        if (s.name != "strings") continue;
        for (const std::string& line : s.lines) {
            const auto eq = line.find('=');
            if (eq == std::string::npos) continue;
            const auto values = Fields(std::string_view(line).substr(eq + 1));
            strings.Add(std::string_view(line).substr(0, eq), values.empty() ? std::string() : values.front());
        }
    }

    cScheme scheme;
    std::array<std::string, mCursorRoles::kRoleCount> perRole;
    std::string defaultName;
    bool haveSchemeString = false;
    for (const cSection& s : sections) {
        if (s.name == "strings") continue;
        for (const std::string& line : s.lines) {
            // HKCU,"key","value name",flags,"data"
            const auto fields = Fields(line);
            if (fields.size() < 3 || !IsCurrentUser(fields[0])) continue;
            const std::string key = KeyOf(strings.Substitute(fields[1]));
            const std::string valueName = strings.Substitute(fields[2]);
            // The data: everything after the flags. Unquoted data with commas arrives as several
            // fields; the scheme string is such a list, so they are joined again.
            // A line that leaves the flags out has its data fourth.
            const bool flags = fields.size() > 4 || (fields.size() == 4 && LooksLikeFlags(fields[3]));
            std::string data;
            for (std::size_t i = flags ? 4 : 3; i < fields.size(); ++i) {
                if (i > (flags ? 4u : 3u)) data.push_back(',');
                data += fields[i];
            }
            data = strings.Substitute(data);
            if (key == "control panel\\cursors\\schemes") {
                if (haveSchemeString) continue; // the first scheme of the file
                haveSchemeString = true;
                scheme.name = std::string(Trim(valueName));
                std::size_t role = 0, at = 0;
                while (role < mCursorRoles::kRoleCount && at <= data.size()) {
                    const auto comma = std::min(data.find(',', at), data.size());
                    scheme.files[role++] = LastComponent(std::string_view(data).substr(at, comma - at));
                    at = comma + 1;
                }
            } else if (key == "control panel\\cursors") {
                if (Trim(valueName).empty()) {
                    if (defaultName.empty()) defaultName = std::string(Trim(data));
                } else if (auto role = mCursorRoles::RoleOfValue(Trim(valueName))) {
                    perRole[*role] = LastComponent(data);
                }
            }
        }
    }
    for (std::size_t r = 0; r < perRole.size(); ++r) {
        if (!perRole[r].empty()) scheme.files[r] = perRole[r];
    }
    if (scheme.name.empty()) scheme.name = defaultName;
    return scheme;
}

} // namespace mCursorInf
