#pragma once
// mListFile: the search window's list files (".ier"): plain text without header, trailer or check
// marks. Writing puts CR LF after each entry and then a second CR LF, so that every entry is
// followed by an empty line; no entries give a file of 0 bytes. Reading takes the file line by
// line: a CR, a LF, or a CR followed by a LF ends a line (files written by hand on Linux end
// their lines in a lone LF); empty lines are skipped; every other line is one entry, in file
// order, taken as it stands (bytes, no trimming), except that an entry ends at a NUL byte, as
// the list box that received such text would cut it.
//
// Reading is bounded: a line longer than kMaxLineBytes is no list file (no path is that long),
// and the reader stops as soon as its receiver refuses an entry (a full list), so no file, not
// even an endless device, makes it read or hold more than that.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mListFile {

inline constexpr std::size_t kMaxLineBytes = 32768;

// Receives one entry; answers false to stop the reading (the list is full).
using tSink = std::function<bool(std::string&&)>;

// The line splitter, fed the file's bytes chunk by chunk.
class cLineReader {
public:
    explicit cLineReader(tSink sink) : sink_(std::move(sink)) {}
    // Takes the next bytes of the file. False once the reading has stopped: the sink refused an
    // entry, or a line grew past kMaxLineBytes (TooLong).
    bool Feed(std::span<const std::uint8_t> bytes);
    // The end of the file: the last line, when it has no line end. False when the sink stopped.
    bool Finish();
    // Lines ended so far (empty ones included).
    std::int64_t Lines() const noexcept { return lines_; }
    bool TooLong() const noexcept { return tooLong_; }

private:
    bool Take(const char* data, std::size_t n);
    bool EndLine();

    tSink sink_;
    std::string line_;
    bool afterCR_ = false;
    bool stopped_ = false;
    bool tooLong_ = false;
    std::int64_t lines_ = 0;
};

// Reads the list file at `path`, handing each entry to `add`; `opened` (when given) is called
// once the file is open, before the first entry. Raises a cError when the file cannot be opened
// or read, or is no list file.
void Read(const std::string& path, const tSink& add, const std::function<void()>& opened = {});

// The bytes of a list file holding these entries.
std::string Encode(const std::vector<std::string_view>& entries);
// Writes a list file through a temporary file renamed over `path`: a failure leaves the old file
// as it was. Raises a cError naming the file.
void Write(const std::string& path, const std::vector<std::string_view>& entries);

} // namespace mListFile
