#include "platform/cWrittenFiles.h"

void cWrittenFiles::Record(const std::string& path, cIdentity identity) { files_[path] = identity; }

bool cWrittenFiles::Holds(const std::string& path, cIdentity identity) const {
    const auto it = files_.find(path);
    return it != files_.end() && it->second == identity;
}
