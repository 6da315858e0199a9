// pictrix-cli similar: the groups of a collection that look like a given one, best first.

#include <charconv>
#include <sys/stat.h>
#include <set>
#include <thread>

#include "base/mJson.h"
#include "cli/mCli.h"
#include "cli/mCliRecords.h"
#include "search/cBatch.h"
#include "icon/mDHash.h"
#include "platform/mFindFile.h"
#include "platform/mSysText.h"
#include "search/cFolderWalk.h"
#include "search/cSimilarIndex.h"
#include "search/mSimilar.h"

namespace mCli {

namespace {

constexpr std::string_view kSimilarUsage =
    "usage: pictrix-cli similar QUERY [--group N] [--max-distance N] [--top K] [--json] [--jobs N] WHERE...\n"
    "  QUERY  an icon, cursor or module (its first group, or group N as list numbers them), or a\n"
    "         difference hash of 16 hex digits\n"
    "  WHERE  manifests of pictrix-cli extract or list --json, indexes of pictrix-cli index, files,\n"
    "         folders (every file below them) or FOLDER/PATTERN (the files below FOLDER whose names\n"
    "         match PATTERN, as the search window matches them)\n";

bool Number(const std::string& text, int low, int high, int& value) {
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < low || n > high) return false;
    value = n;
    return true;
}

// The groups of files, loaded as list --json loads them (digests and hashes), in order.
bool LoadGroups(const std::vector<std::string>& files, int jobs, const std::set<std::string>& quiet,
                const std::function<void(const cBatch::cSource&)>& each, std::ostream& err) {
    cBatch batch;
    cBatch::cHooks hooks;
    hooks.Error = [&](const std::string& source, const cError& e) {
        if (!quiet.count(source)) PrintError(err, source, e);
    };
    hooks.Done = each;
    return batch.Run(files, cBatch::Listing(jobs), hooks);
}

void PrintMatch(std::ostream& out, const mSimilar::cMatch& m, bool json) {
    const mSimilar::cGroup& g = m.group;
    if (json) {
        out << "{\"distance\":" << m.distance << ",\"source\":" << mJson::String(g.source);
        if (!mJson::IsUtf8(g.source)) out << ",\"source_bytes\":" << mJson::String(mJson::Base64(g.source));
        out << ",\"kind\":" << (g.cursor ? "\"cursor\"" : "\"icon\"") << ",\"position\":" << g.position << ",\"id\":"
            << (g.idIsName     ? mJson::String(g.id)
                : g.id.empty() ? std::string("null")
                               : g.id);
        if (g.frame > 0) out << ",\"frame\":" << g.frame;
        out << ",\"dhash\":\"" << mDHash::Hex(g.dhash) << "\",\"same_bytes\":" << (m.sameBytes ? "true" : "false")
            << "}\n";
        return;
    }
    out << m.distance << '\t' << Printable(g.source) << '\t' << g.position << '\t'
        << (g.id.empty() ? std::string("-") : Printable(g.id));
    if (m.sameBytes) out << "\tsame bytes";
    out << '\n';
}

} // namespace

int Similar(const tArgs& args, std::ostream& out, std::ostream& err) {
    int group = 0, maxDistance = 10, top = 0;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    bool json = false;
    std::vector<std::string> operands;
    const auto number = [](int low, int high, int& into) {
        return [low, high, &into](const std::string& value) { return Number(value, low, high, into); };
    };
    const std::vector<cOption> options = {
        {"--json", {}, [&json](const std::string&) { return json = true; }},
        {"--group", "a positive number", number(1, 65535, group)},
        {"--max-distance", "a number from 0 to 64", number(0, 64, maxDistance)},
        {"--top", "a positive number", number(1, 1 << 30, top)},
        JobsOption(jobs),
    };
    if (!ParseOptions(args, "similar", kSimilarUsage, options, operands, err)) return 2;
    if (operands.size() < 2) {
        err << kSimilarUsage;
        return 2;
    }

    // The query: a file's group, or a hash given as such.
    const std::string& query = operands[0];
    std::uint64_t hash = 0;
    std::optional<mSimilar::tDigest> digest;
    cReadFile probe;
    const bool isFile = probe.Open(query);
    probe.Close();
    if (!isFile && mDHash::ParseHex(query, hash)) {
        if (group != 0) {
            err << "pictrix-cli similar: --group needs a file as the query\n";
            return 2;
        }
    } else {
        std::optional<mSimilar::cGroup> chosen;
        bool anyGroup = false;
        LoadGroups(
            {query}, 1, {},
            [&](const cBatch::cSource& s) {
                anyGroup = !s.groups.empty();
                for (const mSimilar::cGroup& g : mSimilar::FromSource(s))
                    if (!chosen && (group == 0 || g.position == group)) chosen = g;
            },
            err);
        if (!chosen) {
            err << "pictrix-cli: " << Printable(query) << ": "
                << (group != 0 ? "it has no group " + std::to_string(group) + " with a picture"
                    : anyGroup ? std::string("no group of it has a picture that can be read")
                               : std::string("it holds no icon or cursor groups"))
                << '\n';
            return 1;
        }
        hash = chosen->dhash;
        digest = chosen->digest;
    }

    mSimilar::cRanking ranking(hash, digest, maxDistance, static_cast<std::size_t>(top));
    bool ok = true;
    std::vector<std::string> files;
    std::set<std::string> walked;
    for (std::size_t i = 1; i < operands.size(); ++i) {
        const std::string& where = operands[i];
        std::string folder, spec;
        if (mSimilar::WalkOperand(where, folder, spec)) {
            cFolderWalk::cQuietHost host(
                [&](const std::string& f) {
                    // The walk lists the folders too: they hold no groups.
                    struct stat st {};
                    if (::stat(f.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
                    walked.insert(f);
                    files.push_back(f);
                },
                [&err](const cError& e) { err << "pictrix-cli: " << ErrorText(e) << '\n'; });
            host.OnUnreadable([&](const std::string& f, std::uint32_t error) {
                err << "pictrix-cli: " << Printable(f)
                    << ": the folder cannot be read: " << Printable(mSysText::TextLine(error, f)) << '\n';
                ok = false;
            });
            cFolderWalk walk(host, spec);
            walk.WalkFolder(cFolderWalk::StartPath(folder));
            continue;
        }
        // A file: an index, a manifest (its first byte opens a record), or an icon, cursor or module.
        try {
            if (cSimilarIndex::IsIndex(where)) {
                cSimilarIndex index;
                index.OpenFile(where);
                // Only the records of the nearest are read: a search for the best ten reads ten.
                const auto near = index.Nearest(hash, maxDistance, static_cast<std::size_t>(top));
                for (const mSimilar::cGroup& g : index.ResolveAll({near.begin(), near.end()})) ranking.Offer(g);
                continue;
            }
            cReadFile file;
            char first = 0;
            if (file.Open(where) && file.ReadAt(0, &first, 1) == 1 && first == '{') {
                mSimilar::ReadManifest(where, [&](mSimilar::cGroup&& g, std::uint64_t) { ranking.Offer(g); });
                continue;
            }
        } catch (const cError& e) {
            PrintError(err, where, e);
            ok = false;
            continue;
        }
        files.push_back(where);
    }
    if (!files.empty()) {
        LoadGroups(
            files, jobs, walked,
            [&](const cBatch::cSource& s) {
                if (!s.read && !walked.count(s.path)) ok = false;
                // A walk passes over files that hold no icons without a word, not over files it
                // cannot read.
                struct stat st {};
                if (!s.read && walked.count(s.path) && ::stat(s.path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                    cReadFile file;
                    char byte = 0;
                    if (!file.Open(s.path) || (file.ReadAt(0, &byte, 1) == 0 && file.LastError() != 0)) {
                        err << "pictrix-cli: " << Printable(s.path)
                            << ": the file cannot be read: " << Printable(mSysText::TextLine(file.LastError(), s.path))
                            << '\n';
                        ok = false;
                    }
                }
                for (const mSimilar::cGroup& g : mSimilar::FromSource(s)) ranking.Offer(g);
            },
            err);
    }
    for (const mSimilar::cMatch& m : ranking.Best()) PrintMatch(out, m, json);
    return ok ? 0 : 1;
}

} // namespace mCli
