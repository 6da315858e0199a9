// FRecurse: Find Similar. The walk of New over every name, then each file loaded as Extract loads
// it and compared (mSimilar::NearestGroup); the files within the distance go into the list best
// first, where they are checked, saved, printed and extracted as any search's.

#include <QApplication>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QTimer>

#include <algorithm>
#include <charconv>

#include "base/ui/mQtPath.h"
#include "base/ui/mQtText.h"
#include "platform/ui/cPrompts.h"
#include "search/cFolderWalk.h"
#include "search/mRecurse.h"
#include "search/mSimilar.h"
#include "search/ui/FRecurse.h"
#include "search/ui/FRecurse_State.h"
#include "search/ui/cSearchListModel.h"
#include "support/MError.h"
#include "support/cRegistry.h"
#include "support/ui/mWindowParts.h"

namespace {

using mQtText::Q;
using mQtText::Utf8;

// Where the distance last used is kept, beside the search's other settings.
constexpr std::string_view kDistanceValue = "SimilarDistance";

cRegistry DistanceValue() {
    cRegistry registry = mWindowParts::MachineKey(mRecurse::kSearchKey);
    registry.ValueKey(std::string(kDistanceValue));
    return registry;
}

QString Tr(const char* text, int n = -1) { return QCoreApplication::translate("FRecurse", text, nullptr, n); }

} // namespace

// Gathers the walk's files, processing events as the window's walk does.
class FRecurse::cSimilarHost final : public cFolderWalk::cHost {
public:
    explicit cSimilarHost(FRecurse& window) : w_(window) {}
    bool Append(const std::string& entry) override {
        files.push_back(entry);
        return true;
    }
    void Status(const std::string& text) override { w_.Status(text); }
    bool DoEvents() override {
        w_.DoEvents();
        return w_.s_->Running;
    }
    void EnableTimer(bool) override {}
    void ReportError(const cError& e) override { MError::ReportError(e, true, false); }
    std::vector<std::string> files;

private:
    FRecurse& w_;
};

std::optional<FRecurse::cSimilarAsk> FRecurse::AskSimilar(QWidget* owner) {
    cSimilarAsk ask;
    try {
        cRegistry stored = DistanceValue();
        stored.Default(std::string("10"));
        const std::string text = cRegistry::TextOf(stored.Value());
        int n = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
        if (ec == std::errc() && end == text.data() + text.size() && n >= 0 && n <= 64) ask.distance = n;
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    const std::optional<QString> folder =
        cPrompts::Current().Folder(owner, Tr(QT_TRANSLATE_NOOP("FRecurse", "Find similar icons in:")), QString());
    if (!folder || folder->isEmpty()) return std::nullopt;
    ask.folder = mQtPath::FromQt(*folder);
    const std::optional<QString> distance = cPrompts::Current().Input(
        owner,
        Tr(QT_TRANSLATE_NOOP("FRecurse", "How many of the 64 bits of the pictures' hashes may differ (0 to 64)?")),
        Tr(QT_TRANSLATE_NOOP("FRecurse", "Find Similar Icons")), QString::number(ask.distance));
    if (!distance) return std::nullopt;
    bool ok = false;
    const int n = distance->trimmed().toInt(&ok);
    if (!ok || n < 0 || n > 64) return std::nullopt;
    ask.distance = n;
    try {
        cRegistry stored = DistanceValue();
        stored.ValueType(static_cast<std::int32_t>(mReg::kRegSz));
        stored.Value(std::to_string(n));
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    return ask;
}

void FRecurse::FindSimilar(std::uint64_t hash, const std::string& what, const cSimilarAsk& ask) {
    if (!s_->similarConnected) {
        s_->similarConnected = true;
        connect(s_->List1->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& current) {
                    if (!current.isValid() || current.row() >= List().ListCount()) return;
                    const std::string text = SimilarText(List().Text(current.row()));
                    if (!text.empty()) Status(text);
                });
    }
    SetCaption(mRecurse::Caption(ask.folder));
    s_->FileSpec = "*.*";
    cBusyRun run(*this, cBusyRun::eKind::kWalk);
    s_->ListModel->Clear();
    s_->similar.clear();
    s_->cutFile.clear();
    struct cFound {
        std::string file;
        mSimilar::cFileMatch match;
    };
    std::vector<cFound> found;
    try {
        cSimilarHost host(*this);
        cFolderWalk walk(host, s_->FileSpec, s_->mnuHidden && s_->mnuHidden->isChecked());
        walk.WalkFolder(cFolderWalk::StartPath(ask.folder));
        for (std::size_t i = 0; i < host.files.size() && s_->Running; ++i) {
            const std::string& file = host.files[i];
            if (i % 64 == 0)
                Status(Utf8(Tr(QT_TRANSLATE_NOOP("FRecurse", "Comparing %1 of %2 files"))
                                .arg(static_cast<qulonglong>(i + 1))
                                .arg(static_cast<qulonglong>(host.files.size()))));
            DoEvents();
            try {
                if (auto match = cError::Guarded([&] { return mSimilar::NearestGroup(file, hash, ask.distance); }))
                    found.push_back({file, std::move(*match)});
            } catch (const cError&) {
                // Files that are no icons or modules are what most of a folder holds: passed over.
            }
        }
    } catch (const cError& e) {
        MError::ReportError(e, true, false);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const cFound& a, const cFound& b) { return a.match.distance < b.match.distance; });
    for (const cFound& f : found) {
        if (!s_->ListModel->Append(f.file)) break;
        const QString group = f.match.label.empty() ? QString::number(f.match.group)
                                                    : QString("%1 (%2)").arg(f.match.group).arg(Q(f.match.label));
        s_->ListModel->Note(
            f.file, Tr(QT_TRANSLATE_NOOP("FRecurse", "(distance %1, group %2)")).arg(f.match.distance).arg(group));
        s_->similar[f.file] = Utf8(Tr(QT_TRANSLATE_NOOP("FRecurse", "Distance %1 from %2: group %3"))
                                       .arg(f.match.distance)
                                       .arg(Q(what))
                                       .arg(group));
    }
    s_->ListModel->Publish();
    Status(Utf8(Tr(QT_TRANSLATE_N_NOOP("FRecurse", "Find Similar: %n file(s) hold a group within %1 of %2"),
                   static_cast<int>(found.size()))
                    .arg(ask.distance)
                    .arg(Q(what))));
    QApplication::beep();
    s_->DataChanged = true;
}

std::string FRecurse::SimilarText(const std::string& entry) const {
    const auto it = s_->similar.find(entry);
    return it == s_->similar.end() ? std::string() : it->second;
}
