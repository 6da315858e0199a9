#pragma once
// mOutputName: names the program makes for its outputs inside a folder (batch extraction, images
// exported into a folder). One rule keeps two outputs apart ("~N" before the extension) and one
// makes a name fit where file systems take it (a file name of up to kMaxNameBytes bytes).

#include <cstddef>
#include <string>

namespace mOutputName {

// The longest file name (one path component) that file systems take, in bytes.
inline constexpr std::size_t kMaxNameBytes = 255;

// `path` with its file name made to fit kMaxNameBytes: a longer name keeps its start, cut at a
// character boundary, then "~" and 16 hex digits of a hash of the whole name, then its extension
// (from its last "."). The same path always gives the same result, and names that differ
// anywhere get different hashes. A name that fits is returned as it is.
std::string Fit(const std::string& path);

// The n-th name of a series (n >= 2): "~n" before the extension of `path`'s file name, made to
// fit. n = 1 gives Fit(path).
std::string Numbered(const std::string& path, int n);

} // namespace mOutputName
