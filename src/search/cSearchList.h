#pragma once
// cSearchList: the search window's list as data: an ordered sequence of entries, each a text
// (normally a full file path, bytes as the file system gives them) and a check mark. Order is the
// order of insertion; duplicates are allowed; new entries are unchecked.
//
// Invariant: at most kMaxEntries entries, since every count of the list is a 16-bit signed
// number; Append refuses an entry beyond that. Indices are 0-based, as the list box numbers its
// items; an index outside the list raises runtime error 9.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class cSearchList {
public:
    static constexpr std::int16_t kMaxEntries = 32767;
    // The room the window reserves when it loads.
    static constexpr std::size_t kReservedEntries = 30000;

    struct cEntry {
        std::string text;
        bool checked = false;
    };

    void Reserve(std::size_t entries) { entries_.reserve(entries); }

    // Appends an unchecked entry at the end; false (and nothing changes) when the list is full.
    bool Append(std::string text);
    void Clear() noexcept { entries_.clear(); }

    std::int16_t ListCount() const noexcept { return static_cast<std::int16_t>(entries_.size()); }
    bool Full() const noexcept { return entries_.size() >= static_cast<std::size_t>(kMaxEntries); }
    const std::string& Text(int index) const { return At(index).text; }
    bool Checked(int index) const { return At(index).checked; }
    void SetChecked(int index, bool checked) { At(index).checked = checked; }
    std::int16_t CheckedCount() const noexcept;

    // Removes every checked entry; the others keep their order. Answers how many went.
    std::int16_t RemoveChecked();

    // The checked entries in list order.
    std::vector<std::string_view> CheckedEntries() const;
    // What a save writes: the checked entries, or every entry when none is checked.
    std::vector<std::string_view> SavedEntries() const;

private:
    const cEntry& At(int index) const;
    cEntry& At(int index);

    std::vector<cEntry> entries_;
};
