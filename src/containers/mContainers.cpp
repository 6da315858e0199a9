#include "containers/mContainers.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <memory>

#include "base/cResourceID.h"
#include "containers/mAppImage.h"
#include "containers/mInstaller.h"
#include "platform/cByteView.h"
#include "platform/cModuleFile.h"
#include "platform/cReadFile.h"
#include "resources/mIconGroups.h"
#include "resources/mLauncher.h"

namespace mContainers {

namespace {

std::string StreamText(const std::string& file, const std::string& name) {
    return file + ", " + (name == ".DirIcon" ? std::string("its .DirIcon") : "Icon row \"" + name + "\"");
}

// PNG images as the bytes of an icon file holding them, each one's size taken from its IHDR.
std::vector<std::uint8_t> IcoOfPngs(const std::vector<std::vector<std::uint8_t>>& pngs) {
    std::vector<std::uint8_t> ico;
    auto put16 = [&ico](std::uint32_t v) {
        ico.push_back(static_cast<std::uint8_t>(v & 0xFF));
        ico.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    auto put32 = [&put16](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    put16(0);
    put16(cFileIcon::kTypeIcon);
    put16(static_cast<std::uint32_t>(pngs.size()));
    std::uint64_t at = 6 + 16 * pngs.size();
    for (const auto& png : pngs) {
        const auto side = cFileIcon::BlockSide(png);
        ico.push_back(cFileIcon::SideByte(side ? side->width : 0));
        ico.push_back(cFileIcon::SideByte(side ? side->height : 0));
        ico.push_back(0);
        ico.push_back(0);
        put16(1);
        put16(32);
        put32(static_cast<std::uint32_t>(png.size()));
        put32(static_cast<std::uint32_t>(at));
        at += png.size();
    }
    for (const auto& png : pngs) ico.insert(ico.end(), png.begin(), png.end());
    return ico;
}

// The drawing an AppImage's icon is, for its launcher; empty for a picture and for other files.
std::vector<std::uint8_t> Drawing(const std::string& file) {
    if (mFileKind::KindOf(file) != mFileKind::eKind::kAppImage) return {};
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(file, ec);
    cLoadBudget budget(ec ? 0 : size);
    std::vector<std::uint8_t> icon = mAppImage::ReadDirIcon(file, budget);
    return mAppImage::IsSvg(icon) ? icon : std::vector<std::uint8_t>();
}

tSvgRenderer& SvgRenderer() {
    static tSvgRenderer renderer;
    return renderer;
}

} // namespace

void Install() {
    mIconGroups::SetContainerReader(&LoadGroups);
    mLauncher::SetDrawingReader(&Drawing);
}

void SetSvgRenderer(tSvgRenderer renderer) { SvgRenderer() = std::move(renderer); }

namespace {
std::atomic<std::int32_t> gSvgSideAsked{0};
}

void SetSvgSideAsked(std::int32_t side) { gSvgSideAsked = side >= 1 && side <= kMaxSvgSide ? side : 0; }

std::vector<std::int32_t> SvgSides() {
    std::vector<std::int32_t> sides(std::begin(kSvgSides), std::end(kSvgSides));
    if (const std::int32_t asked = gSvgSideAsked; asked > 0 && !std::ranges::binary_search(sides, asked))
        sides.insert(std::ranges::upper_bound(sides, asked), asked);
    return sides;
}

void AddStream(const std::string& file, const std::string& name, std::vector<std::uint8_t> bytes,
               std::vector<cFileIcon>& groups, cLoadBudget& budget) {
    const std::string where = StreamText(file, name);
    try {
        if (mFileKind::IsModuleHeader(bytes)) {
            cModuleFile module;
            if (!module.LoadBytes(where, std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes))))
                throw cError(cFileIcon::kErrCantLoadLibrary, cError::SourceOf("mContainers"),
                             where + " holds a module that cannot be read: " + module.LastErrorText());
            std::vector<cResourceID> ids;
            // A module without group icons gives no groups.
            module.EnumResourceNames(kRtGroupIcon, [&ids](const cResourceID& id) {
                ids.push_back(id);
                return true;
            });
            for (const cResourceID& id : ids) {
                cFileIcon icon;
                icon.LoadGroupFromEXE(module, {cFileIcon::eKind::kIcon, id, std::nullopt, false}, &budget);
                icon.SetResourceID(name + ":" + ResourceIDText(id));
                groups.push_back(std::move(icon));
            }
            return;
        }
        cFileIcon icon;
        if (cFileIcon::IsPng(bytes)) {
            icon.LoadIconBytes(IcoOfPngs({bytes}), file, budget);
        } else {
            icon.LoadIconBytes(bytes, file, budget);
        }
        icon.SetResourceID(name);
        groups.push_back(std::move(icon));
    } catch (const cError& e) {
        // The readers' own words, after the place in the container they concern.
        if (e.Description().rfind(where, 0) == 0) throw;
        throw cError(e.Number(), e.Source(), where + ": " + e.Description());
    }
}

void LoadGroups(const std::string& file, mFileKind::eKind kind, std::vector<cFileIcon>& groups,
                std::vector<mIconGroups::cFailure>& failures, cLoadBudget& budget) {
    if (kind == mFileKind::eKind::kInstaller) {
        // The streams are held only until their groups are read; they have a budget of their own.
        cLoadBudget streams(budget.Limit() - cLoadBudget::kAllowance);
        for (auto& row : mInstaller::ReadIconRows(file, streams)) {
            std::vector<cFileIcon> rowGroups;
            try {
                AddStream(file, row.name, std::move(row.data), rowGroups, budget);
            } catch (const cError& e) {
                if (e.Number() == cError::kOutOfMemory) throw;
                const auto position = static_cast<std::int32_t>(groups.size() + failures.size() + 1);
                failures.push_back({position, {cFileIcon::eKind::kIcon, row.name, std::nullopt, false}, e});
                continue;
            }
            for (auto& group : rowGroups) groups.push_back(std::move(group));
        }
        return;
    }
    if (kind == mFileKind::eKind::kAppImage) {
        cLoadBudget streams(budget.Limit() - cLoadBudget::kAllowance);
        std::vector<std::uint8_t> icon = mAppImage::ReadDirIcon(file, streams);
        if (!cFileIcon::IsPng(icon) && !mAppImage::IsSvg(icon) && !mFileKind::IsIconFileHeader(icon))
            throw cError(cError::kInvalidPicture, cError::SourceOf("mContainers"),
                         file + ", its .DirIcon: neither a PNG image nor an SVG drawing (nor an icon file)");
        if (!mAppImage::IsSvg(icon)) {
            AddStream(file, ".DirIcon", std::move(icon), groups, budget);
            return;
        }
        // A drawing becomes a group of its pictures at the sizes icons are shown at.
        if (!SvgRenderer())
            throw cError(cFileIcon::kErrLoadIcon, cError::SourceOf("mContainers"),
                         file + ", its .DirIcon: an SVG drawing, which this program does not draw");
        const std::vector<std::int32_t> sides = SvgSides();
        std::vector<std::vector<std::uint8_t>> pngs;
        try {
            pngs = SvgRenderer()(icon, sides);
        } catch (const cError& e) {
            if (e.Number() == cError::kOutOfMemory) throw;
            throw cError(cFileIcon::kErrLoadIcon, cError::SourceOf("mContainers"),
                         file + ", its .DirIcon: an SVG drawing that cannot be drawn: " + e.Description());
        }
        for (std::size_t i = 0; i < sides.size(); ++i) {
            const auto side = i < pngs.size() ? cFileIcon::BlockSide(pngs[i]) : std::nullopt;
            if (!side || side->width != sides[i] || side->height != sides[i])
                throw cError(cFileIcon::kErrLoadIcon, cError::SourceOf("mContainers"),
                             file + ", its .DirIcon: an SVG drawing that cannot be drawn at " +
                                 std::to_string(sides[i]) + " x " + std::to_string(sides[i]));
        }
        AddStream(file, ".DirIcon", IcoOfPngs(pngs), groups, budget);
        return;
    }
    throw cError(cFileIcon::kErrCantLoadLibrary, cError::SourceOf("mContainers"), file + " is not a container");
}

} // namespace mContainers
