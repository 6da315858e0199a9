#include "resources/mThumbnail.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

#include "base/cResourceID.h"
#include "base/mLanguage.h"
#include "icon/cAnimatedCursor.h"
#include "icon/cFileIcon.h"
#include "icon/mBestImage.h"
#include "icon/mFileKind.h"
#include "platform/cByteView.h"
#include "platform/cModuleFile.h"
#include "platform/cReadFile.h"
#include "platform/mSysText.h"
#include "resources/mIconGroups.h"

namespace mThumbnail {

namespace {

constexpr std::size_t kHeaderSize = cFileIcon::kHeaderSize;
constexpr std::size_t kEntrySize = cFileIcon::kEntrySize; // ICONDIRENTRY
constexpr std::size_t kGroupEntrySize = 14; // GRPICONDIRENTRY
// Enough of a block for its header's depth: a BITMAPINFOHEADER, or a PNG signature.
constexpr std::uint32_t kDepthProbeBytes = 40;

// The icon a file shows: its directory read on opening, its blocks one at a time when asked.
class cShownIcon {
public:
    explicit cShownIcon(std::string locale) : locale_(std::move(locale)) {}

    // Reads the directory. "" when done, else why not.
    std::string Open(const std::string& path) {
        if (!file_.Open(path)) return mSysText::TextLine(file_.LastError(), path);
        std::array<std::uint8_t, kHeaderSize> head{};
        const bool whole = file_.ReadAt(0, head.data(), head.size()) == head.size();
        if (whole && mFileKind::IsModuleHeader(head)) {
            file_.Close();
            isModule_ = true;
            return OpenModule(path);
        }
        // A compiled resource file is opened as a module is.
        std::array<std::uint8_t, 16> resHead{};
        if (file_.ReadAt(0, resHead.data(), resHead.size()) == resHead.size() && mFileKind::IsResFileHeader(resHead)) {
            file_.Close();
            isModule_ = true;
            return OpenModule(path);
        }
        if (whole && mFileKind::IsIconFileHeader(head)) return OpenIconFile(cByteView(head).U16(4));
        if (whole && mFileKind::IsCursorFileHeader(head)) {
            // A cursor's entries hold its hotspot where an icon's hold the depth: its images'
            // own headers tell the depth.
            std::string failure = OpenIconFile(cByteView(head).U16(4));
            for (auto& e : entries_) {
                e.wPlanes = 1;
                e.wBitCount = 0;
            }
            return failure;
        }
        std::array<std::uint8_t, 12> riff{};
        if (file_.ReadAt(0, riff.data(), riff.size()) == riff.size() && mFileKind::IsAnimatedCursorHeader(riff)) {
            file_.Close();
            return OpenAnimation(path);
        }
        return "it is neither an icon file, a cursor nor a Windows module";
    }

    // Moves on to the next icon group of a module, for when the one opened gives no picture: false
    // when there is none (or kMaxGroups were tried). Its directory's failure in `failure`.
    bool NextGroup(std::string& failure) {
        if (!isModule_) return false;
        if (!groupsListed_) {
            groupsListed_ = true;
            // The names after the first, as many as are ever tried.
            module_.EnumResourceNames(kRtGroupIcon, [this](const cResourceID& id) {
                groups_.push_back(id);
                return groups_.size() < kMaxGroups;
            });
            if (!groups_.empty() && groups_.front() == firstGroup_) groups_.erase(groups_.begin());
        }
        if (nextGroup_ >= groups_.size()) return false;
        const cResourceID id = groups_[nextGroup_++];
        failure = OpenGroup(id, "its icon group " + ResourceIDText(id));
        return true;
    }

    const std::vector<ICONDIRENTRY>& Entries() const noexcept { return entries_; }

    // The first n bytes (at most the block's length) of block i (0-based). "" when done.
    std::string ReadBlock(std::size_t i, std::uint32_t n, std::vector<std::uint8_t>& out) {
        out.clear();
        const ICONDIRENTRY& e = entries_[i];
        const std::string damaged = "image " + std::to_string(i + 1) + " is missing or damaged";
        if (e.dwBytesInRes <= 0) return damaged;
        n = std::min(n, static_cast<std::uint32_t>(e.dwBytesInRes));
        if (frame_.ImageCount() > 0) {
            const auto block = frame_.Block(static_cast<std::int32_t>(i + 1));
            const auto kept = block.first(std::min<std::size_t>(n, block.size()));
            out.assign(kept.begin(), kept.end());
            return {};
        }
        if (!isModule_) {
            if (e.dwImageOffset < 0) return damaged;
            const auto at = static_cast<std::uint64_t>(e.dwImageOffset);
            const auto length = static_cast<std::uint64_t>(e.dwBytesInRes);
            if (at > file_.Size() || length > file_.Size() - at) return damaged;
            out.resize(n);
            if (file_.ReadAt(at, out.data(), n) != n) return damaged;
            return {};
        }
        // The icon resource must hold the bytes the group gives it: exactly (PE), or at least, for
        // NE lengths are whole alignment units.
        // A group in the user's language takes its images in that language where they have it.
        std::optional<cModuleFile::cResource> r;
        if (language_) r = module_.FindResourceId(std::int32_t{ids_[i]}, kRtIcon, *language_);
        if (!r) r = module_.FindResourceId(std::int32_t{ids_[i]}, kRtIcon);
        if (!r) return damaged;
        const std::int64_t length = cModuleFile::SizeofResource(*r);
        const bool padded = module_.Format() == cModuleFile::eFormat::kNE;
        if (padded ? length < e.dwBytesInRes : length != e.dwBytesInRes) return damaged;
        if (!module_.ReadResource(*r, n, out)) return damaged;
        return {};
    }

private:
    std::string OpenIconFile(std::uint16_t count) {
        const std::size_t dirBytes = std::size_t{count} * kEntrySize;
        if (file_.Size() < kHeaderSize || file_.Size() - kHeaderSize < dirBytes)
            return "its icon directory is cut short";
        std::vector<std::uint8_t> dir(dirBytes);
        if (file_.ReadAt(kHeaderSize, dir.data(), dirBytes) != dirBytes) return "its icon directory is cut short";
        const cByteView v(dir);
        entries_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            cFileIcon::DecodeSharedFields(v, i * kEntrySize, entries_[i]);
            entries_[i].dwImageOffset = v.I32(i * kEntrySize + 12);
        }
        return {};
    }

    std::string OpenModule(const std::string& path) {
        if (!module_.Load(path)) return mSysText::TextLine(module_.LastError(), path);
        // The first group in the module's order, as the shell takes it, read without decoding
        // the names of the groups after it.
        const auto first = module_.FirstResource(kRtGroupIcon);
        if (!first) {
            const std::uint32_t why = module_.LastError();
            if (why == mSysText::kResourceTypeNotFound || why == mSysText::kResourceDataNotFound ||
                why == mSysText::kResourceNameNotFound)
                return "it holds no icons";
            return "its resources are damaged: " + mSysText::TextLine(why, path);
        }
        firstGroup_ = first->first;
        return OpenGroup(first->first, "its first icon group (" + ResourceIDText(first->first) + ")");
    }

    // Reads the directory of icon group `id` in the language that suits the user best (the only
    // one of most groups); `named` names the group in the reasons.
    std::string OpenGroup(const cResourceID& id, const std::string& named) {
        entries_.clear();
        ids_.clear();
        language_.reset();
        std::vector<std::uint16_t> languages;
        module_.EnumResourceLanguages(kRtGroupIcon, id, [&languages](std::uint16_t l) {
            languages.push_back(l);
            return languages.size() < kMaxLanguages;
        });
        std::optional<cModuleFile::cResource> found;
        if (languages.size() > 1) {
            language_ = languages[mLanguage::BestMatch(languages, locale_)];
            found = module_.FindResourceId(id, kRtGroupIcon, *language_);
        }
        if (!found) found = module_.FindResourceId(id, kRtGroupIcon);
        const std::string damaged = named + " is damaged";
        if (!found) return damaged;
        const cModuleFile::cResource& group = *found;
        std::vector<std::uint8_t> raw;
        if (cModuleFile::SizeofResource(group) < kHeaderSize || !module_.ReadResource(group, kHeaderSize, raw))
            return damaged;
        const std::int16_t count = cByteView(raw).I16(4);
        if (count <= 0) return named + " lists no images";
        const std::size_t bytes = kHeaderSize + kGroupEntrySize * static_cast<std::size_t>(count);
        if (cModuleFile::SizeofResource(group) < bytes ||
            !module_.ReadResource(group, static_cast<std::uint32_t>(bytes), raw))
            return damaged;
        const cByteView v(raw);
        entries_.resize(static_cast<std::size_t>(count));
        ids_.resize(entries_.size());
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            const std::size_t at = kHeaderSize + i * kGroupEntrySize;
            cFileIcon::DecodeSharedFields(v, at, entries_[i]);
            ids_[i] = v.U16(at + 12);
        }
        return {};
    }

    // An animated cursor: its first frame, read whole (the reader bounds the file and its counts).
    std::string OpenAnimation(const std::string& path) {
        cAnimatedCursor animation;
        try {
            animation.Load(path);
        } catch (const cError& e) {
            return "it is a damaged animated cursor: " + e.Description();
        }
        frame_ = std::move(animation.TakeFrames().front());
        for (std::int32_t n = 1; n <= frame_.ImageCount(); ++n) {
            ICONDIRENTRY e = frame_.Entry(n);
            if (frame_.IsCursor()) {
                e.wPlanes = 1;
                e.wBitCount = 0;
            }
            entries_.push_back(e);
        }
        return {};
    }

    bool isModule_ = false;
    std::string locale_; // whose language a group is shown in
    std::optional<std::uint16_t> language_; // the group's, when it is stored in several
    cResourceID firstGroup_;
    std::vector<cResourceID> groups_; // a module's icon groups, once the first gave no picture
    bool groupsListed_ = false;
    std::size_t nextGroup_ = 0;
    cFileIcon frame_; // an animated cursor's first frame
    cReadFile file_; // an icon file
    cModuleFile module_; // a module
    std::vector<ICONDIRENTRY> entries_;
    std::vector<std::uint16_t> ids_; // a module's icon resource per image
};

// The picture of the icon opened in `icon`. With `stored`, a PNG image that fits the square and
// can be written as it is (mDib::PngAsStored) goes there instead, undecoded, and the picture
// is left empty.
cThumbnail Draw(cShownIcon& icon, std::int32_t size, std::vector<std::uint8_t>* stored) {
    cThumbnail out;
    const auto& entries = icon.Entries();

    // The choice by the directory; where it leaves the depth of an image of the chosen size open,
    // that image's own header tells it, and the choice is made again among the same size.
    std::vector<mBestImage::cImageKind> kinds;
    kinds.reserve(entries.size());
    for (const auto& e : entries)
        kinds.push_back({cFileIcon::SideOf(e.bWidth), cFileIcon::SideOf(e.bHeight), cFileIcon::ColourCountOf(e, {})});
    std::int32_t pick = mBestImage::FitImageIndex(kinds, size);
    if (pick < 1) {
        out.failure = "its icon lists no images";
        return out;
    }
    const auto side = [&kinds](std::size_t i) { return std::max(kinds[i].width, kinds[i].height); };
    const std::int32_t chosenSide = side(static_cast<std::size_t>(pick - 1));
    std::size_t probes = 0;
    std::vector<std::uint8_t> block;
    for (std::size_t i = 0; i < entries.size() && probes < kMaxDepthProbes; ++i) {
        const ICONDIRENTRY& e = entries[i];
        if (side(i) != chosenSide || e.bColorCount != 0 || e.wBitCount > 0) continue;
        ++probes;
        if (icon.ReadBlock(i, kDepthProbeBytes, block).empty()) kinds[i].colours = cFileIcon::ColourCountOf(e, block);
    }
    if (probes > 0) pick = mBestImage::FitImageIndex(kinds, size);
    out.image = pick;

    const ICONDIRENTRY& e = entries[static_cast<std::size_t>(pick - 1)];
    const std::string which = "image " + std::to_string(pick);
    if (e.dwBytesInRes > 0 && static_cast<std::uint32_t>(e.dwBytesInRes) > kMaxBlockBytes) {
        out.failure = which + " is too large (" + std::to_string(e.dwBytesInRes) + " bytes)";
        return out;
    }
    out.failure = icon.ReadBlock(static_cast<std::size_t>(pick - 1), kMaxBlockBytes, block);
    if (!out.failure.empty()) return out;
    // The decoder takes images of up to mDib::kMaxDimension pixels a side: a larger one is
    // refused here, before anything is decoded.
    const auto layout = mDib::ParseBlock(cByteView(block));
    if (!layout) {
        out.failure = which + " cannot be decoded";
        return out;
    }
    if (stored && layout->png && layout->width <= size && layout->height <= size) {
        *stored = mDib::PngAsStored(cByteView(block));
        if (!stored->empty()) return out;
    }
    mDib::cBitmap argb = cFileIcon::BlockArgb(block);
    if (argb.Empty()) {
        out.failure = which + " cannot be decoded";
        return out;
    }
    // Smaller than the square: kept at its own size, since an enlarged icon only looks blurred
    // (the file manager centres it).
    if (argb.Width() <= size && argb.Height() <= size) {
        out.argb = std::move(argb);
        return out;
    }
    const auto [w, h] = mDib::FittedSize(argb.Width(), argb.Height(), size);
    out.argb = mDib::ScaleSmooth(argb, w, h);
    return out;
}

// The image of a group read whole that fits the square, never enlarged.
cThumbnail GroupPicture(const cFileIcon& icon, std::int32_t size) {
    cThumbnail out;
    out.image = mBestImage::FitImageIndex(icon, size);
    if (out.image < 1) {
        out.failure = "its icon lists no images";
        return out;
    }
    mDib::cBitmap argb = icon.ImageArgb(out.image);
    if (argb.Empty()) {
        out.failure = "image " + std::to_string(out.image) + " cannot be decoded";
        return out;
    }
    if (argb.Width() <= size && argb.Height() <= size) {
        out.argb = std::move(argb);
    } else {
        const auto [w, h] = mDib::FittedSize(argb.Width(), argb.Height(), size);
        out.argb = mDib::ScaleSmooth(argb, w, h);
    }
    return out;
}

// A Windows shortcut: the group it shows (its icon location, else its target's first group), as
// the loading core reads it; the image that fits the square, never enlarged. The same for a
// container (`container` its kind): its first group.
cThumbnail ShortcutThumbnail(const std::string& path, std::int32_t size,
                             std::optional<mFileKind::eKind> container = std::nullopt) {
    try {
        std::vector<cFileIcon> icons;
        if (container)
            mIconGroups::LoadContainer(path, *container, icons);
        else
            mIconGroups::Load(path, icons);
        if (icons.empty()) {
            cThumbnail out;
            out.failure = "it holds no icons";
            return out;
        }
        return GroupPicture(icons.front(), size);
    } catch (const cError& e) {
        cThumbnail out;
        if (!container) {
            out.failure = "the shortcut's icon cannot be read: " + e.Description();
        } else {
            // The readers name the file first; the thumbnailer names it already.
            std::string said = e.Description();
            if (said.rfind(path, 0) == 0) {
                said.erase(0, path.size());
                if (said.rfind(" is ", 0) == 0)
                    said = "it" + said;
                else
                    said.erase(0, said.find_first_not_of(",: "));
            }
            out.failure = said;
        }
        return out;
    }
}

// An .icns file: its one group, read whole (what it keeps is bounded by the file and the
// reader's allowance for decoded images).
cThumbnail IcnsThumbnail(const std::string& path, std::int32_t size) {
    try {
        cFileIcon icon;
        icon.LoadIcns(path);
        return GroupPicture(icon, size);
    } catch (const cError& e) {
        cThumbnail out;
        out.failure = e.Description();
        return out;
    }
}

cThumbnail MakeOrStore(const std::string& path, std::int32_t size, const std::string& locale,
                       std::vector<std::uint8_t>* stored) {
    cThumbnail out;
    if (size < 1 || size > kMaxSize) {
        out.failure = "the size " + std::to_string(size) + " is not from 1 to " + std::to_string(kMaxSize);
        return out;
    }
    if (mFileKind::ExtensionOf(path) == std::optional<std::string>("LNK")) return ShortcutThumbnail(path, size);
    // Containers by their first bytes: an .icns file's, an AppImage's ELF mark, a compound file
    // (read as an installer package, which the file manager hands over by its type).
    {
        std::uint8_t head[12] = {};
        cReadFile file;
        const std::size_t got = file.Open(path) ? file.ReadAt(0, head, sizeof head) : 0;
        const std::span<const std::uint8_t> bytes(head, got);
        if (mFileKind::IsIcnsFileHeader(bytes)) return IcnsThumbnail(path, size);
        if (mFileKind::IsAppImageHeader(bytes)) return ShortcutThumbnail(path, size, mFileKind::eKind::kAppImage);
        if (mFileKind::IsCompoundFileHeader(bytes)) return ShortcutThumbnail(path, size, mFileKind::eKind::kInstaller);
    }
    cShownIcon icon(locale);
    out.failure = icon.Open(path);
    if (!out.failure.empty()) return out;
    // A module's group that gives no picture fails alone: the next group is shown instead, and
    // where none does, the first one's reason is given.
    std::string first;
    for (std::string failure;;) {
        if (failure.empty()) {
            cThumbnail drawn = Draw(icon, size, stored);
            if (drawn.failure.empty()) return drawn;
            failure = std::move(drawn.failure);
        }
        if (first.empty()) first = failure;
        failure.clear();
        if (!icon.NextGroup(failure)) break;
    }
    out.failure = first;
    return out;
}

} // namespace

cThumbnail Make(const std::string& path, std::int32_t size, const std::string& locale) {
    return MakeOrStore(path, size, locale, nullptr);
}

cThumbnailPng MakePng(const std::string& path, std::int32_t size, const std::string& locale) {
    cThumbnailPng out;
    cThumbnail t = MakeOrStore(path, size, locale, &out.png);
    out.image = t.image;
    out.failure = std::move(t.failure);
    if (!out.failure.empty() || !out.png.empty()) return out;
    out.png = mDib::EncodePng(t.argb, true);
    if (out.png.empty()) out.failure = "the picture could not be encoded as PNG";
    return out;
}

} // namespace mThumbnail
