#include "cli/mCliRecords.h"

#include <charconv>
#include <cstdio>
#include <iostream>

#include "cli/mCli.h"
#include "base/mJson.h"
#include "icon/mDHash.h"
#include "search/mListFile.h"

namespace mCli {

namespace {

std::string Id(const cResourceID& id) {
    if (IsNumber(id)) return std::to_string(std::get<std::int32_t>(id));
    if (IsName(id)) return mJson::String(std::get<std::string>(id));
    return "null";
}

std::string OrNull(const std::string& text) { return text.empty() ? "null" : mJson::String(text); }

// The fields every record of a source starts with.
std::string SourceFields(const cBatch::cSource& s) {
    std::string out = "{\"source\":" + mJson::String(s.path);
    if (!mJson::IsUtf8(s.path)) out += ",\"source_bytes\":" + mJson::String(mJson::Base64(s.path));
    out += ",\"source_sha256\":" + OrNull(s.sha256);
    return out;
}

// Standard input, split at line ends or NUL bytes.
void ReadStdin(bool nul, std::vector<std::string>& files) {
    std::string entry;
    int c = 0;
    while ((c = std::getchar()) != EOF) {
        const bool end = nul ? c == '\0' : (c == '\n' || c == '\r');
        if (!end) {
            entry += static_cast<char>(c);
            continue;
        }
        if (!entry.empty()) files.push_back(entry);
        entry.clear();
    }
    if (!entry.empty()) files.push_back(entry);
}

} // namespace

bool ParseJobs(const std::string& text, int& jobs) {
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > 64) return false;
    jobs = n;
    return true;
}

bool ReadSources(cSourceOptions& options, std::vector<std::string>& files, std::ostream& err) {
    files.clear();
    files = options.files;
    bool stdinUsed = false;
    for (const auto& list : options.lists) {
        if (list == "-") {
            if (stdinUsed) continue;
            stdinUsed = true;
            ReadStdin(options.nulSeparated, files);
            continue;
        }
        try {
            mListFile::Read(list, [&files](std::string&& entry) {
                files.push_back(entry);
                return true;
            });
        } catch (const cError& e) {
            PrintError(err, list, e);
            return false;
        }
    }
    if (options.nulSeparated && !stdinUsed) {
        err << "pictrix-cli: -0 reads names from standard input: add --from -\n";
        options.usage = true;
        return false;
    }
    return true;
}

std::string ManifestLines(const cBatch::cSource& s, bool outputs) {
    if (!s.read && !s.path.empty()) {
        return SourceFields(s) + ",\"status\":\"failed\",\"error\":" + mJson::String(s.error) + "}\n";
    }
    std::string lines;
    for (const auto& g : s.groups) {
        std::string r = SourceFields(s);
        r += ",\"kind\":" + std::string(g.cursor ? "\"cursor\"" : "\"icon\"") +
             ",\"position\":" + std::to_string(g.position) + ",\"id\":" + Id(g.id) +
             ",\"language\":" + OrNull(g.language);
        if (g.frame > 0) r += ",\"frame\":" + std::to_string(g.frame);
        r += ",\"images\":[";
        for (std::size_t i = 0; i < g.images.size(); ++i) {
            const auto& im = g.images[i];
            if (i > 0) r += ',';
            r += "{\"width\":" + std::to_string(im.width) + ",\"height\":" + std::to_string(im.height) +
                 ",\"bits\":" + std::to_string(im.bits) + ",\"bytes\":" + std::to_string(im.bytes) +
                 ",\"png\":" + (im.png ? "true" : "false") + ",\"sha256\":" + OrNull(im.sha256);
            if (im.hotspot)
                r += ",\"hotspot\":{\"x\":" + std::to_string(im.hotspot->x) +
                     ",\"y\":" + std::to_string(im.hotspot->y) + "}";
            r += "}";
        }
        r += "]";
        if (!g.images.empty()) r += ",\"dhash\":" + (g.dhash ? '"' + mDHash::Hex(*g.dhash) + '"' : std::string("null"));
        if (outputs) {
            const bool written = !g.output.empty();
            r += ",\"output\":" + OrNull(g.output) + ",\"sha256\":" + (written ? OrNull(g.icoSha256) : "null") +
                 ",\"status\":" + OrNull(g.status);
            if (!g.error.empty()) r += ",\"error\":" + mJson::String(g.error);
        } else if (!g.error.empty()) {
            // A group that could not be read says so in a listing too.
            r += ",\"status\":\"failed\",\"error\":" + mJson::String(g.error);
        }
        lines += r + "}\n";
    }
    return lines;
}

} // namespace mCli
