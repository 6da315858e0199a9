// The version resource reader on what windres stores (cut out by wrestool), the 16-bit layout of NE
// modules, and damaged blocks: every prefix of a real resource, lengths that lie.

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "platform/mVersionInfo.h"

namespace {

using mVersionInfo::cVersionInfo;

std::string Tables(const cVersionInfo& info) {
    std::string text;
    for (const auto& t : info.tables) {
        text += std::to_string(t.language) + "/" + std::to_string(t.codePage) + ":";
        for (const auto& [k, v] : t.strings) text += " " + k + "=" + v;
        text += "\n";
    }
    return text;
}

TEST(VersionInfo, WhatTheResourceCompilerStoredEveryLanguageTheReadersFirst) {
    const auto bytes = mTestKit::ReadBytes(mTestKit::Fixture("versions/launcher32.bin"));
    auto info = mVersionInfo::Parse(bytes);
    ASSERT_TRUE(info);
    ASSERT_TRUE(info->fileVersion);
    EXPECT_EQ(mVersionInfo::VersionText(*info->fileVersion), "1.2.3.4");
    EXPECT_EQ(mVersionInfo::VersionText(*info->productVersion), "5.6.0.7");
    EXPECT_EQ(Tables(*info), "1033/1200: CompanyName=Example Works FileDescription=My App ProductName=My App Suite\n"
                             "1031/1200: FileDescription=Meine Anwendung ProductName=Meine Suite\n");
    const struct {
        const char* locale;
        const char* description;
        const char* company; // a key only the English table has is still found
    } readers[] = {{"de_AT.UTF-8", "Meine Anwendung", "Example Works"},
                   {"en_GB.UTF-8", "My App", "Example Works"},
                   {"", "My App", "Example Works"}};
    for (const auto& r : readers) {
        SCOPED_TRACE(r.locale);
        auto ordered = *info;
        mVersionInfo::OrderForLocale(ordered, r.locale);
        EXPECT_EQ(mVersionInfo::Value(ordered, "FileDescription"), r.description);
        EXPECT_EQ(mVersionInfo::Value(ordered, "CompanyName"), r.company);
        EXPECT_EQ(ordered.tables.size(), 2u);
    }
    EXPECT_EQ(mVersionInfo::Value(*info, "Comments"), "");
}

TEST(VersionInfo, TheSixteenBitLayoutOfNeModules) {
    // VS_VERSION_INFO > StringFileInfo > "040904E4" > CompanyName = "Caf\xe9" (Windows-1252).
    std::vector<std::uint8_t> v;
    auto block = [&v](const std::string& key, const std::string& value, auto&& children) {
        const std::size_t at = v.size();
        v.insert(v.end(), 4, 0);
        v.insert(v.end(), key.begin(), key.end());
        v.push_back(0);
        while (v.size() % 4) v.push_back(0);
        v.insert(v.end(), value.begin(), value.end());
        if (!value.empty()) v.push_back(0);
        while (v.size() % 4) v.push_back(0);
        children();
        PutLE16(v, at, static_cast<std::uint16_t>(v.size() - at));
        PutLE16(v, at + 2, static_cast<std::uint16_t>(value.empty() ? 0 : value.size() + 1));
    };
    block("VS_VERSION_INFO", "", [&] {
        block("StringFileInfo", "", [&] { block("040904E4", "", [&] { block("CompanyName", "Caf\xe9", [] {}); }); });
    });
    const auto info = mVersionInfo::Parse(v);
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->fileVersion);
    EXPECT_EQ(Tables(*info), "1033/1252: CompanyName=Caf\xc3\xa9\n");
}

TEST(VersionInfo, DamagedBlocksEndTheWalkNeverTheReader) {
    const auto good = mTestKit::ReadBytes(mTestKit::Fixture("versions/good32.bin"));
    const auto whole = mVersionInfo::Parse(good);
    ASSERT_TRUE(whole);
    EXPECT_EQ(mVersionInfo::Value(*whole, "FileDescription"), "Pictrix test module");
    // Cut short anywhere: the root claims more than there is, so nothing is read.
    for (std::size_t n = 0; n < good.size(); ++n) {
        SCOPED_TRACE(n);
        EXPECT_FALSE(mVersionInfo::Parse(std::span(good.data(), n)));
    }
    // Lengths that lie, as byte patches of the real resource.
    const std::size_t sfi = 0x5c; // the StringFileInfo block, after the root's header and value
    ASSERT_EQ(GetLE16(good, sfi + 6), 'S');
    const struct {
        const char* name;
        std::size_t at;
        std::uint16_t value;
        bool read;
        const char* description;
    } patches[] = {
        {"a child longer than its parent", sfi, 0xFFFF, true, ""},
        {"a child of length 0", sfi, 0, true, ""},
        {"a child shorter than its header", sfi, 3, true, ""},
        {"a root longer than the bytes", 0, static_cast<std::uint16_t>(good.size() + 4), false, ""},
        {"a text value longer than its block", sfi + 0x3c + 2, 0xFFFF, true, "Pictrix test module"},
    };
    for (const auto& p : patches) {
        SCOPED_TRACE(p.name);
        auto bytes = good;
        PutLE16(bytes, p.at, p.value);
        const auto info = mVersionInfo::Parse(bytes);
        ASSERT_EQ(info.has_value(), p.read);
        if (info) {
            EXPECT_EQ(mVersionInfo::Value(*info, "FileDescription"), p.description);
        }
    }
    // A root whose key is not VS_VERSION_INFO.
    auto unterminated = good;
    for (std::size_t i = 6; i < 0x26; i += 2) PutLE16(unterminated, i, 'X');
    EXPECT_FALSE(mVersionInfo::Parse(unterminated));
}

} // namespace
