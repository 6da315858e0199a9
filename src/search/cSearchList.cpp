#include "search/cSearchList.h"

#include <algorithm>

#include "base/cError.h"

bool cSearchList::Append(std::string text) {
    if (Full()) return false;
    entries_.push_back(cEntry{std::move(text), false});
    return true;
}

const cSearchList::cEntry& cSearchList::At(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= entries_.size())
        cError::RaiseRuntime(cError::kSubscriptOutOfRange);
    return entries_[static_cast<std::size_t>(index)];
}

cSearchList::cEntry& cSearchList::At(int index) {
    return const_cast<cEntry&>(static_cast<const cSearchList&>(*this).At(index));
}

std::int16_t cSearchList::CheckedCount() const noexcept {
    return static_cast<std::int16_t>(
        std::count_if(entries_.begin(), entries_.end(), [](const cEntry& e) { return e.checked; }));
}

std::int16_t cSearchList::RemoveChecked() {
    return static_cast<std::int16_t>(std::erase_if(entries_, [](const cEntry& e) { return e.checked; }));
}

std::vector<std::string_view> cSearchList::CheckedEntries() const {
    std::vector<std::string_view> out;
    for (const cEntry& e : entries_) {
        if (e.checked) out.emplace_back(e.text);
    }
    return out;
}

std::vector<std::string_view> cSearchList::SavedEntries() const {
    std::vector<std::string_view> out = CheckedEntries();
    if (!out.empty()) return out;
    out.reserve(entries_.size());
    for (const cEntry& e : entries_) out.emplace_back(e.text);
    return out;
}
