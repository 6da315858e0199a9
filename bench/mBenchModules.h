#pragma once
// The modules of 1,200 icon groups that the retrieval benchmarks open, made once with windres and
// ld from the icon fixtures (they stay in bench-retrieve/ of the build):
//  - "repeating": the icon fixtures in turn, numbered groups and every tenth one named, as
//    bench/extract.sh makes it; eleven different icons, so identical images recur;
//  - "distinct": the same sequence with every image made different (a pixel changed per group), so
//    no picture can be taken from another group's.
// One group in eleven holds only a 256-pixel PNG image.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "icon/cFileIcon.h"
#include "platform/cByteView.h"
#include "platform/mDib.h"

namespace mBenchModules {

namespace fs = std::filesystem;

inline constexpr int kGroups = 1200;
inline const char* const kSources[] = {"vista.ico",    "six.ico",    "depth32.ico", "multi.ico",
                                       "depth24.ico",  "png256.ico", "depth8.ico",  "hole24.ico",
                                       "single32.ico", "depth4.ico", "depth1.ico"};

inline fs::path WorkDir() {
    const fs::path dir = fs::path(PICTRIX_BINARY_DIR) / "bench-retrieve";
    fs::create_directories(dir);
    return dir;
}

inline void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) throw std::runtime_error("failed: " + command);
}

// An .ico file of `icon` with each image changed in one place by `variant`: a PNG image gets a
// pixel recoloured and is encoded again, a DIB image has the last byte of its mask flipped.
inline std::vector<std::uint8_t> Variant(const cFileIcon& icon, int variant) {
    std::vector<std::vector<std::uint8_t>> blocks;
    for (std::int32_t n = 1; n <= icon.ImageCount(); ++n) {
        const auto block = icon.Block(n);
        if (icon.IsPngImage(n)) {
            mDib::cBitmap argb = mDib::DecodePng(cByteView(block));
            argb.SetPixel(variant % argb.Width(), variant / argb.Width() % argb.Height(),
                          0xFF000000u | static_cast<std::uint32_t>(variant) * 2654435761u);
            blocks.push_back(mDib::EncodePng(argb));
        } else {
            blocks.emplace_back(block.begin(), block.end());
            blocks.back().back() ^= static_cast<std::uint8_t>(1 + variant % 255);
            blocks.back()[blocks.back().size() - 2] ^= static_cast<std::uint8_t>(variant / 255);
        }
    }
    const std::size_t count = blocks.size();
    std::vector<std::uint8_t> out(cFileIcon::kHeaderSize + cFileIcon::kEntrySize * count);
    PutU16(out, 2, 1);
    PutU16(out, 4, static_cast<std::uint16_t>(count));
    std::size_t at = out.size();
    for (std::size_t i = 0; i < count; ++i) {
        const ICONDIRENTRY& e = icon.Entry(static_cast<std::int32_t>(i + 1));
        const std::size_t entry = cFileIcon::kHeaderSize + cFileIcon::kEntrySize * i;
        out[entry] = e.bWidth;
        out[entry + 1] = e.bHeight;
        out[entry + 2] = e.bColorCount;
        PutU16(out, entry + 4, e.wPlanes);
        PutU16(out, entry + 6, static_cast<std::uint16_t>(e.wBitCount));
        PutU32(out, entry + 8, static_cast<std::uint32_t>(blocks[i].size()));
        PutU32(out, entry + 12, static_cast<std::uint32_t>(at));
        at += blocks[i].size();
    }
    for (const auto& b : blocks) out.insert(out.end(), b.begin(), b.end());
    return out;
}

// The module of 1,200 groups, made on first use.
inline std::string Module(bool distinct) {
    const fs::path dir = WorkDir();
    const fs::path module = dir / (distinct ? "distinct.dll" : "repeating.dll");
    if (fs::exists(module)) return module.string();
    const fs::path icons = fs::path(PICTRIX_FIXTURE_DIR) / "icons";
    const fs::path rc = dir / "module.rc";
    std::ofstream script(rc);
    for (int i = 1; i <= kGroups; ++i) {
        fs::path source = icons / kSources[i % std::size(kSources)];
        if (distinct) {
            cFileIcon icon;
            icon.LoadIcon(source.string());
            source = dir / ("g" + std::to_string(i) + ".ico");
            const auto bytes = Variant(icon, i);
            std::ofstream(source, std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        }
        script << (i % 10 == 0 ? "GROUP" + std::to_string(i) : std::to_string(i)) << " ICON \"" << source.string()
               << "\"\n";
    }
    script.close();
    const fs::path object = dir / "module.o";
    Run("i686-w64-mingw32-windres --preprocessor=cpp '" + rc.string() + "' -O coff -o '" + object.string() + "'");
    Run("i686-w64-mingw32-ld --dll -e 0 -s '" + object.string() + "' -o '" + module.string() + "'");
    for (int i = 1; i <= kGroups; ++i) fs::remove(dir / ("g" + std::to_string(i) + ".ico"));
    fs::remove(object);
    return module.string();
}

} // namespace mBenchModules
