#pragma once
// The independent oracle for icon groups out of modules: wrestool (icoutils) writes a group as an
// .ico file that may carry trailing bytes past the last image, so files are compared by header,
// directory (the first 12 bytes of each entry) and blocks.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

namespace mWrestool {

struct cIco {
    std::vector<std::uint8_t> header;
    std::vector<std::vector<std::uint8_t>> entries; // first 12 bytes of each ICONDIRENTRY
    std::vector<std::vector<std::uint8_t>> blocks;
    std::string problem;
};

inline cIco Parse(const std::vector<std::uint8_t>& b) {
    cIco ico;
    if (b.size() < 6) {
        ico.problem = "shorter than a header";
        return ico;
    }
    ico.header.assign(b.begin(), b.begin() + 6);
    const std::size_t count = GetLE16(b, 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + 16 * i;
        if (at + 16 > b.size()) {
            ico.problem = "directory cut short";
            return ico;
        }
        ico.entries.emplace_back(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + 12));
        const std::size_t size = GetLE32(b, at + 8), offset = GetLE32(b, at + 12);
        if (offset > b.size() || size > b.size() - offset) {
            ico.problem = "block " + std::to_string(i + 1) + " outside the file";
            return ico;
        }
        ico.blocks.emplace_back(b.begin() + static_cast<long>(offset), b.begin() + static_cast<long>(offset + size));
    }
    return ico;
}

// wrestool's file of one group of resource type `type` (14: .ico, 12: .cur), "--name=" a number or
// a name, and a language when given.
inline std::vector<std::uint8_t> ExtractGroup(int type, const std::string& module, const std::string& name,
                                              const std::string& language) {
    mTestKit::cTempDir dir;
    const std::string out = dir.File(type == 12 ? "group.cur" : "group.ico");
    std::string cmd = "wrestool -x -t" + std::to_string(type) + " --name=" + mTestKit::Quote(name);
    if (!language.empty()) cmd += " --language=" + language;
    cmd += " -o " + mTestKit::Quote(out) + " " + mTestKit::Quote(module) + " 2>&1";
    std::string output;
    mTestKit::Run(cmd, &output);
    try {
        return mTestKit::ReadBytes(out);
    } catch (const std::exception&) {
        ADD_FAILURE() << cmd << ": " << output;
        return {};
    }
}

// wrestool's .ico of one icon group.
inline std::vector<std::uint8_t> Extract(const std::string& module, const std::string& name,
                                         const std::string& language = {}) {
    return ExtractGroup(14, module, name, language);
}

inline void ExpectSame(const std::vector<std::uint8_t>& ours, const std::vector<std::uint8_t>& oracle);

// wrestool's .cur of one cursor group.
inline std::vector<std::uint8_t> ExtractCursor(const std::string& module, const std::string& name,
                                               const std::string& language = {}) {
    return ExtractGroup(12, module, name, language);
}

// Our .cur and wrestool's describe the same cursor. wrestool moves each image's hotspot into its
// entry but leaves the entry's size that of the resource, 4 bytes (the hotspot) more than the
// image it writes; ours is the image's own size, so that the blocks lie back to back as in a
// .cur file. Everything else is compared as it is.
inline void ExpectSameCursor(const std::vector<std::uint8_t>& ours, std::vector<std::uint8_t> oracle) {
    ASSERT_GE(oracle.size(), 6u);
    for (std::size_t i = 0; i < GetLE16(oracle, 4) && 6 + 16 * i + 16 <= oracle.size(); ++i) {
        const std::size_t at = 6 + 16 * i + 8;
        PutLE32(oracle, at, GetLE32(oracle, at) - 4);
    }
    ExpectSame(ours, oracle);
}

// Our bytes and wrestool's describe the same icon.
inline void ExpectSame(const std::vector<std::uint8_t>& ours, const std::vector<std::uint8_t>& oracle) {
    const cIco a = Parse(ours), b = Parse(oracle);
    ASSERT_EQ(a.problem, "");
    ASSERT_EQ(b.problem, "");
    EXPECT_EQ(a.header, b.header);
    ASSERT_EQ(a.entries.size(), b.entries.size());
    for (std::size_t i = 0; i < a.entries.size(); ++i) {
        SCOPED_TRACE("image " + std::to_string(i + 1));
        EXPECT_EQ(a.entries[i], b.entries[i]);
        EXPECT_EQ(a.blocks[i], b.blocks[i]);
    }
}

} // namespace mWrestool
