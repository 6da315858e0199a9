#include "app/mPngExport.h"

#include <filesystem>
#include <limits>
#include <set>

#include "app/mIconCommands.h"
#include "base/mOutputName.h"
#include "base/mTr.h"
#include "icon/mBestImage.h"
#include "platform/cReplaceFile.h"
#include "platform/mSysText.h"

namespace mPngExport {

std::vector<std::int32_t> ImagesToExport(const cFileIcon& icon, const std::vector<bool>& chosen, bool gridShown) {
    std::vector<std::int32_t> images;
    if (!gridShown) {
        // At 256 pixels, the largest side an icon directory can state, the fitting choice is the
        // largest image with the most colours.
        if (const std::int32_t best = mBestImage::FitImageIndex(icon, 256); best > 0) images.push_back(best);
        return images;
    }
    return mIconCommands::ChosenImageNumbers(icon.ImageCount(), chosen);
}

std::string BaseName(const cFileIcon& icon) {
    std::string base = std::filesystem::path(icon.Filename()).stem().string();
    if (base.empty()) base = "icon";
    if (!IsEmpty(icon.ResourceID())) {
        base += '-';
        base += ResourceIDText(icon.ResourceID());
    }
    for (char& c : base) {
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) c = '_';
    }
    return base;
}

std::int32_t BitDepth(const cFileIcon& icon, std::int32_t n) {
    const std::int64_t colours = icon.ImageColourCount(n);
    if (colours >= std::numeric_limits<std::int32_t>::max()) return 32;
    std::int32_t bits = 1;
    while (bits < 31 && (std::int64_t{1} << bits) < colours) ++bits;
    return bits;
}

std::string FileName(const cFileIcon& icon, std::int32_t n) {
    return BaseName(icon) + "-" + std::to_string(icon.ImageWidth(n)) + "x" + std::to_string(icon.ImageHeight(n)) + "-" +
           std::to_string(BitDepth(icon, n)) + "bit.png";
}

std::vector<cFile> Plan(const cFileIcon& icon, const std::vector<std::int32_t>& images) {
    std::vector<cFile> plan;
    std::set<std::string> used;
    for (const std::int32_t n : images) {
        const std::string wanted = FileName(icon, n);
        std::string name = mOutputName::Fit(wanted);
        for (int k = 2; used.count(name) != 0; ++k) name = mOutputName::Numbered(wanted, k);
        used.insert(name);
        plan.push_back({n, name});
    }
    return plan;
}

std::vector<std::uint8_t> PngBytes(const cFileIcon& icon, std::int32_t n) {
    // A stored PNG is written as stored, but only when it decodes: a block that no viewer can
    // show is a failed file, not a written one.
    const mDib::cBitmap argb = icon.ImageArgb(n);
    if (argb.Empty()) return {};
    if (icon.IsPngImage(n)) {
        const auto block = icon.Block(n);
        return {block.begin(), block.end()};
    }
    return mDib::EncodePng(argb);
}

std::vector<std::string> ExistingFiles(const std::vector<cFile>& plan, const std::string& folder) {
    std::vector<std::string> existing;
    for (const auto& f : plan) {
        const std::filesystem::path path = std::filesystem::path(folder) / f.name;
        // A link is never replaced (its output takes another name), so it is not asked about.
        const auto kind = mFileAt::At(path.string()).kind;
        if (kind != mFileAt::eKind::kMissing && kind != mFileAt::eKind::kLink && kind != mFileAt::eKind::kUnknown)
            existing.push_back(path.string());
    }
    return existing;
}

std::string ReplaceQuestion(const std::vector<std::string>& existing) {
    if (existing.size() == 1)
        return mTr::Fill(PICTRIX_TR("mPngExport", "%1 already exists.\rDo you want to replace it?"), {existing[0]});
    return mTr::Fill(
        PICTRIX_TR("mPngExport", "%1 of these files already exist, %2 among them.\rDo you want to replace them?"),
        {std::to_string(existing.size()), existing[0]});
}

cReport Write(const cFileIcon& icon, const std::vector<cFile>& plan, const std::string& folder) {
    cReport report;
    for (const auto& f : plan) {
        const std::string path = folder.empty() ? f.name : (std::filesystem::path(folder) / f.name).string();
        const std::vector<std::uint8_t> png = PngBytes(icon, f.image);
        if (png.empty()) {
            report.failed.push_back(
                {path, mTr::Fill(PICTRIX_TR("mPngExport", "image %1 cannot be decoded"), {std::to_string(f.image)})});
            continue;
        }
        // Names made inside a folder never go through a link: such an image takes the next free
        // "~N" name. A name from a save dialog is the user's and may be a link.
        const auto kind = folder.empty() ? cReplaceFile::eName::kChosen : cReplaceFile::eName::kMade;
        std::string used = path;
        for (int k = 2;
             kind == cReplaceFile::eName::kMade && mFileAt::At(used).kind == mFileAt::eKind::kLink && k < 1'000'000;
             ++k)
            used = mOutputName::Numbered(path, k);
        cReplaceFile out;
        if (!out.Open(used, kind) || !out.Write(png) || !out.Commit()) {
            report.failed.push_back({used, mSysText::TextLine(out.LastError(), used)});
            continue;
        }
        if (used != path) report.renamed.push_back({path, used});
        report.written.push_back(used);
    }
    return report;
}

std::string ReportText(const cReport& report) {
    const std::size_t n = report.written.size();
    std::string text = mTr::Fill(n == 1 ? PICTRIX_TR("mPngExport", "%1 PNG file written.")
                                        : PICTRIX_TR("mPngExport", "%1 PNG files written."),
                                 {std::to_string(n)});
    for (const auto& r : report.renamed)
        text += "\n" + mTr::Fill(PICTRIX_TR("mPngExport",
                                            "%1 is a symbolic link, which is never written through; saved as %2"),
                                 {r.wanted, r.used});
    for (const auto& f : report.failed) text += "\n" + f.path + ": " + f.reason;
    return text;
}

} // namespace mPngExport
