#pragma once
// mListPrint: the printed search list, apart from the printer: an empty line in the printer's own
// font; "Pictrix Recurse List" in Arial 12 point bold; the date and the time; "File: " and the
// list file (bold); one line per entry; "Number of items in list: " and the count. The entries
// come from a list file (empty lines skipped), or from the window's list when no file is named
// (every entry that is not empty, checked or not).
//
// A list file is read as the window reads it (mListFile); every entry is printed, also past the
// kMaxEntries the window holds. A file of more than kMaxTextBytes bytes of entries is no list file,
// so no file makes the printing hold or send without bound. Any failure is raised where it happens,
// after the lines before it were given to the printer; the caller then drops the document.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/mTr.h"

class cSearchList;
class cTextDevice;

namespace mListPrint {

inline constexpr std::string_view kHeading = PICTRIX_TR_NOOP("mListPrint", "Pictrix Recurse List");
inline constexpr std::string_view kFontName = "Arial";
inline constexpr double kHeadingSize = 12;
inline constexpr double kTextSize = 10;
// The name a printed list goes by in the printer's queue.
inline constexpr std::string_view kDocumentName = "Pictrix Recurse List";
inline constexpr std::int32_t kMaxEntries = 32767;
inline constexpr std::size_t kMaxTextBytes = 32u << 20;

// Prints the list and ends the document. `date` and `time` are the current date and time in the
// user's short forms. `busy` (when given) is told true before the entries and false once the
// document has been ended, or when a failure leaves. Answers the number of entries printed.
std::int32_t PrintFromFile(cTextDevice& printer, const std::string& file, const cSearchList& list,
                           std::string_view date, std::string_view time, const std::function<void(bool)>& busy = {});

} // namespace mListPrint
