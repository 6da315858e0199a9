#pragma once
// mCliRecords: what pictrix-cli extract and list share at scale: the sources named on the command
// line, in list files and on standard input, and the JSON Lines records of a run (one object per
// icon group; one per file that could not be read).

#include <ostream>
#include <string>
#include <vector>

#include "search/cBatch.h"

namespace mCli {

struct cSourceOptions {
    std::vector<std::string> files; // named as arguments
    std::vector<std::string> lists; // --from: a list file (.ier or plain lines) or "-"
    bool nulSeparated = false; // -0: standard input holds names ended by NUL bytes
    bool usage = false; // set when the options do not fit together
};

// The sources in order: the arguments, then each list's entries. False, with a message, when a
// list cannot be read (or, with `usage` set, when -0 comes without --from -).
bool ReadSources(cSourceOptions& options, std::vector<std::string>& files, std::ostream& err);
// "--jobs N": 1 to 64.
bool ParseJobs(const std::string& text, int& jobs);

// The records of one source as JSON Lines. Without outputs (list --json) the groups carry no
// output, digest of it or status.
std::string ManifestLines(const cBatch::cSource& source, bool outputs);

} // namespace mCli
