#include "resources/ui/mFileOpenSave.h"

#include <QDir>

#include "base/mTr.h"
#include "base/ui/mQtPath.h"
#include "base/ui/mQtText.h"
#include "platform/ui/cPrompts.h"

namespace mFileOpenSave {

namespace {

using mQtText::Q;

enum class eDialog { kOpen, kSave };

// The converted filter's entries: description and pattern pairs.
std::vector<cPrompts::cFilter> Filters(const std::string& converted) {
    std::vector<cPrompts::cFilter> out;
    for (std::int32_t n = 1;; ++n) {
        const std::string entry = FilterEntryAt(converted, n);
        if (entry.empty()) break;
        const auto nul = entry.find('\0');
        out.push_back({Q(entry.substr(0, nul)), nul == std::string::npos ? QString() : Q(entry.substr(nul + 1))});
    }
    return out;
}

cPrompts::cFileRequest Request(eDialog dialog, const std::string& converted, std::string_view title, const cAsk& ask) {
    cPrompts::cFileRequest r;
    r.title = Q(title);
    r.initialDir = Q(ask.initialDir);
    r.fileName = Q(ask.fileName);
    r.filters = Filters(converted);
    r.filterIndex = ask.filterIndex;
    r.defaultExtension = Q(ask.defaultExt);
    r.hideReadOnly = dialog == eDialog::kSave || ask.hideReadOnly;
    r.overwritePrompt = dialog == eDialog::kSave && ask.overwritePrompt;
    return r;
}

cPrompts::cFileAnswer Put(eDialog dialog, QWidget* owner, const cPrompts::cFileRequest& request) {
    return dialog == eDialog::kOpen ? cPrompts::Current().OpenFile(owner, request)
                                    : cPrompts::Current().SaveFile(owner, request);
}

// A chosen path as the system names it (Qt may show a name otherwise).
std::string PathOf(const QString& chosen) { return mQtPath::FromQt(QDir::toNativeSeparators(chosen)); }

std::optional<std::string> Ask(eDialog dialog, QWidget* owner, std::string_view filter, std::string_view title,
                               const cAsk& ask) {
    // The filters' descriptions in the user's language (the core marks them in this context).
    const std::string translated = mTr::Text("mFileOpenSave", filter);
    cPrompts::cFileRequest request = Request(dialog, ConvertFilter(translated), title, ask);
    request.fileMustExist = dialog == eDialog::kOpen;
    const cPrompts::cFileAnswer a = Put(dialog, owner, request);
    if (!a.confirmed || a.files.isEmpty() || a.files.front().isEmpty()) return std::nullopt;
    return PathOf(a.files.front());
}

} // namespace

std::optional<std::string> AskOpen(QWidget* owner, std::string_view filter, std::string_view title, const cAsk& ask) {
    return Ask(eDialog::kOpen, owner, filter, title, ask);
}

std::optional<std::string> AskSave(QWidget* owner, std::string_view filter, std::string_view title, const cAsk& ask) {
    return Ask(eDialog::kSave, owner, filter, title, ask);
}

std::string ConvertFilter(std::string_view filter) {
    std::string out(filter);
    for (char& c : out) {
        if (c == '|' || c == ':') c = '\0';
    }
    out.append(2, '\0');
    return out;
}

std::string CutAtNul(std::string_view s) {
    const auto nul = s.find('\0');
    return std::string(nul == std::string_view::npos ? s : s.substr(0, nul));
}

std::string FilterEntryAt(std::string_view s, std::int32_t n) {
    if (s.empty() || n < 1) return {};
    std::size_t start = 0;
    while (true) {
        const std::size_t first = s.find('\0', start);
        if (first == std::string_view::npos) return {};
        const std::size_t second = s.find('\0', first + 1);
        const std::string_view entry =
            second == std::string_view::npos ? s.substr(start) : s.substr(start, second - start);
        // The list's closing NULs hold no entry.
        if (entry.find_first_not_of('\0') == std::string_view::npos) return {};
        if (n == 1) return std::string(entry);
        if (second == std::string_view::npos) return {};
        --n;
        start = second + 1;
    }
}

} // namespace mFileOpenSave
