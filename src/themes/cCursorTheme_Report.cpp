// cCursorTheme: the report of a conversion, as text and as JSON, and how to choose the theme.

#include "themes/cCursorTheme.h"

#include <sstream>

#include "base/mJson.h"
#include "base/mPrintable.h"

namespace {

const char* StatusWord(cCursorTheme::eStatus s) {
    switch (s) {
    case cCursorTheme::eStatus::kConverted: return "converted";
    case cCursorTheme::eStatus::kMissing: return "missing";
    case cCursorTheme::eStatus::kDamaged: return "skipped";
    case cCursorTheme::eStatus::kNotNamed: break;
    }
    return "absent";
}

template <typename T, typename F>
std::string JsonList(const std::vector<T>& items, F each) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        out += each(items[i]);
    }
    return out + "]";
}

std::string Number(std::int64_t n) { return std::to_string(n); }

} // namespace

std::string cCursorTheme::ReportText() const {
    std::ostringstream out;
    const auto P = [](const std::string& s) { return mPrintable::Of(s); };
    out << "pack: " << P(folder_) << '\n';
    if (!inf_.empty())
        out << "INF: " << P(inf_) << (schemeName_.empty() ? "" : ", scheme \"" + P(schemeName_) + "\"") << '\n';
    else
        out << "no INF: roles told by the files' names\n";
    if (!themeFolder_.empty()) out << "theme: " << P(themeFolder_) << '\n';
    int converted = 0, missing = 0, skipped = 0, absent = 0;
    for (std::size_t r = 0; r < roles_.size(); ++r) {
        const cRole& role = roles_[r];
        const auto& def = mCursorRoles::Roles()[r];
        out << def.value << " (" << def.title << "): ";
        switch (role.status) {
        case eStatus::kNotNamed:
            ++absent;
            out << "not in the pack\n";
            continue;
        case eStatus::kMissing:
            ++missing;
            out << "MISSING: " << P(role.error) << '\n';
            continue;
        case eStatus::kDamaged:
            ++skipped;
            out << "SKIPPED: " << P(role.file) << ": " << P(role.error) << '\n';
            continue;
        case eStatus::kConverted: ++converted; break;
        }
        out << P(role.file) << " -> " << def.xcursorNames.front() << " and " << def.xcursorNames.size() - 1
            << " other names; sizes";
        for (std::size_t i = 0; i < role.sizes.size(); ++i) out << (i ? ", " : " ") << role.sizes[i];
        if (!role.delays.empty()) {
            out << "; " << role.frames << " steps, ms:";
            for (const std::uint32_t d : role.delays) out << ' ' << d;
        }
        out << '\n';
        for (const cScaled& s : role.scaled)
            out << "  scaled: " << s.size << " from " << s.from << ", hotspot " << s.xhot << ',' << s.yhot << '\n';
        for (const std::string& n : role.notes) out << "  note: " << P(n) << '\n';
    }
    if (!unused_.empty()) {
        out << "unused files:";
        for (const std::string& u : unused_) out << ' ' << P(u);
        out << '\n';
    }
    out << converted << " converted, " << missing << " missing, " << skipped << " skipped, " << absent
        << " not in the pack\n";
    return out.str();
}

std::string cCursorTheme::ReportJson() const {
    using mJson::String;
    std::string out = "{\"theme\":" + String(themeFolder_) + ",\"pack\":" + String(folder_) +
                      ",\"inf\":" + (inf_.empty() ? std::string("null") : String(inf_)) +
                      ",\"scheme\":" + String(schemeName_) + ",\"complete\":" + (Complete() ? "true" : "false") +
                      ",\"roles\":[";
    for (std::size_t r = 0; r < roles_.size(); ++r) {
        const cRole& role = roles_[r];
        const auto& def = mCursorRoles::Roles()[r];
        if (r) out += ',';
        out += "{\"role\":" + String(def.value) + ",\"title\":" + String(def.title) +
               ",\"status\":" + String(StatusWord(role.status)) + ",\"file\":" + String(role.file) +
               ",\"source\":" + String(role.path);
        std::vector<std::string> names;
        if (role.status == eStatus::kConverted)
            for (const auto n : def.xcursorNames) names.emplace_back(n);
        out += ",\"names\":" + JsonList(names, [](const std::string& n) { return String(n); });
        out += ",\"sizes\":" + JsonList(role.sizes, [](std::int32_t s) { return Number(s); });
        out += ",\"frames\":" + Number(role.frames);
        out += ",\"delays\":" + JsonList(role.delays, [](std::uint32_t d) { return Number(d); });
        out += ",\"scaled\":" + JsonList(role.scaled, [](const cScaled& s) {
                   return "{\"size\":" + Number(s.size) + ",\"from\":" + Number(s.from) + ",\"hotspot\":[" +
                          Number(s.xhot) + "," + Number(s.yhot) + "]}";
               });
        out += ",\"notes\":" + JsonList(role.notes, [](const std::string& n) { return String(n); });
        out += ",\"error\":" + String(role.error) + "}";
    }
    out += "],\"unused\":" + JsonList(unused_, [](const std::string& n) { return String(n); }) + "}\n";
    return out;
}

std::string cCursorTheme::HowToChoose(const std::string& name, const std::string& dir) {
    // Quoted for a POSIX shell: the name may hold blanks and quotes.
    std::string n = "'";
    for (const char c : mPrintable::Of(name)) n += c == '\'' ? std::string("'\\''") : std::string(1, c);
    n += "'";
    std::string out = "To use the theme (nothing was changed):\n"
                      "  GNOME:  gsettings set org.gnome.desktop.interface cursor-theme " +
                      n +
                      "\n"
                      "  KDE:    plasma-apply-cursortheme " +
                      n +
                      "  (or System Settings > Colors & Themes > Cursors)\n"
                      "  other:  XCURSOR_THEME=" +
                      n + " in the session's environment\n";
    if (dir != DefaultDir())
        out += "  " + mPrintable::Of(dir) +
               " is not where the desktop looks by itself: add it to XCURSOR_PATH, or install the theme "
               "under ~/.local/share/icons\n";
    return out;
}
