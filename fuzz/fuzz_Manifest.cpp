// Any bytes as a manifest to resume from, and each of its lines as a record: the readers must end,
// hold no record longer than the file, and give back what they say: a finished source's records
// are the bytes at its place, each of them a whole record of that source; a string read from a
// record and written again reads back the same.

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "mFuzzFile.h"
#include "base/mJson.h"
#include "cli/mCliRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        if (const auto record = mJson::ParseObject(text.substr(at, end - at))) {
            for (const auto& m : record->Items()) {
                if (m.type != mJson::cValue::eType::kString) continue;
                const auto again = mJson::ParseObject("{\"k\":" + mJson::String(m.text) + "}");
                if (!again || again->String("k") != m.text) __builtin_trap();
            }
        }
        at = end + 1;
    }
    const std::string path = mFuzzFile::Path(data, size);
    if (path.empty()) return 0;
    mCli::cEarlierManifest manifest;
    std::ostringstream err;
    if (!manifest.Read(path, err)) return 0;
    if (manifest.End() > size) __builtin_trap();
    // Each source a line names, as a resume asks for it: its records lie in the file, and the
    // outputs read back from them are the source's.
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const auto record = mJson::ParseObject(text.substr(at, end - at));
        const auto source = record ? mCli::PathOf(*record, "source") : std::nullopt;
        if (const auto* entry = source ? manifest.Find(*source) : nullptr) {
            if (entry->offset + entry->length > size) __builtin_trap();
            std::vector<std::string> outputs;
            std::string lines;
            manifest.Outputs(*entry, *source, outputs);
            if (!manifest.Records(*entry, lines) || lines.size() != entry->length) __builtin_trap();
        }
        at = end + 1;
    }
    return 0;
}
