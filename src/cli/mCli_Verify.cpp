// pictrix-cli verify: an extraction's manifests checked against the files on disk. Every record
// that names an output must find a file there holding the bytes of its digest; every line must be
// a whole record. Names are taken from the records' `_bytes` members where a name is not UTF-8, so
// any name a file system allows is found.

#include <cstdint>
#include <unordered_map>

#include "base/mJson.h"
#include "cli/mCli.h"
#include "cli/mCliRecords.h"
#include "platform/cReadFile.h"
#include "platform/mSysText.h"
#include "search/cBatch.h"

namespace mCli {

namespace {

constexpr std::string_view kVerifyUsage = "usage: pictrix-cli verify MANIFEST...\n";

} // namespace

int Verify(const tArgs& args, std::ostream& out, std::ostream& err) {
    tArgs manifests;
    if (!Operands(args, "verify", kVerifyUsage, manifests, err)) return 2;
    if (manifests.empty()) return err << kVerifyUsage, 2;
    std::size_t checked = 0, wrong = 0;
    // An output named by several records (duplicates, reruns) is read once.
    std::unordered_map<std::string, std::string> digests;
    for (const auto& manifest : manifests) {
        cReadFile file;
        if (!file.Open(manifest)) {
            err << "pictrix-cli: " << Printable(manifest) << ": "
                << Printable(mSysText::TextLine(file.LastError(), manifest)) << '\n';
            ++wrong;
            continue;
        }
        std::uint64_t number = 0;
        // No record is this long: such a line counts as one that is not a record.
        const bool read = file.EachLine(64u << 20, [&](const cReadFile::cLine& line) {
            ++number;
            const auto record = line.ended && !line.tooLong ? mJson::ParseObject(line.text) : std::nullopt;
            const auto said = [&](const std::string& what) {
                err << "pictrix-cli: " << Printable(manifest) << ":" << number << ": " << what << '\n';
                ++wrong;
                return true;
            };
            if (!record) return said(line.ended ? "not a record" : "a record cut short (no line end)");
            const auto output = PathOf(*record, "output");
            if (!output || !record->Find("position")) return true;
            const auto sha = record->String("sha256");
            if (!sha || sha->size() != 64) return said("the record of " + Printable(*output) + " holds no digest");
            ++checked;
            auto it = digests.find(*output);
            std::uint32_t error = 0;
            if (it == digests.end()) it = digests.emplace(*output, cBatch::FileSha256(*output, &error)).first;
            if (it->second.empty()) {
                return said(Printable(*output) + ": " +
                            (error ? Printable(mSysText::TextLine(error, *output)) : std::string("cannot be read")));
            }
            if (it->second != *sha) said(Printable(*output) + " holds other bytes than its record says");
            return true;
        });
        if (!read) {
            err << "pictrix-cli: " << Printable(manifest) << ": "
                << Printable(mSysText::TextLine(file.LastError(), manifest)) << '\n';
            ++wrong;
        }
    }
    out << checked << (checked == 1 ? " output" : " outputs") << " checked, " << wrong
        << (wrong == 1 ? " problem" : " problems") << '\n';
    return wrong == 0 ? 0 : 1;
}

} // namespace mCli
