// cFileIcon: icons and cursors out of modules. A group-icon resource (type 14: GRPICONDIR, then one
// 14-byte GRPICONDIRENTRY per image) names an icon resource (type 3) per image by number; the group
// becomes the object's header and directory with back-to-back .ico offsets, each icon resource one
// block. A group cursor (type 12) names cursor resources (type 1) the same way and becomes a .cur.

#include "icon/cFileIcon.h"

#include <algorithm>

#include "platform/cByteView.h"
#include "platform/cModuleFile.h"
#include "base/mChecked.h"

namespace {

constexpr std::size_t kGroupEntrySize = 14; // GRPICONDIRENTRY and GRPCURSORDIRENTRY
constexpr std::int32_t kHotspotSize = 4; // a cursor image's x and y before its bitmap

} // namespace

bool cFileIcon::LoadIconFromEXE(const std::string& fileName, std::int32_t groupNumber, const std::string& groupName,
                                cLoadBudget* budget) {
    Reset(fileName);
    // The module is opened for this call only; every path out of here closes it.
    cModuleFile module;
    if (!module.Load(fileName)) throw Error(kErrCantLoadLibrary, "Can't load icon library.");
    return LoadIconFromEXE(module, groupNumber, groupName, budget);
}

bool cFileIcon::LoadIconFromEXE(cModuleFile& module, std::int32_t groupNumber, const std::string& groupName,
                                cLoadBudget* budget) {
    Reset(module.Path());
    // A number is looked up as "#" and its digits, a name as given (so "#5" finds group 5 too).
    const std::string name = groupNumber != 0 ? "#" + std::to_string(groupNumber) : groupName;
    if (groupNumber != 0)
        resourceID_ = groupNumber;
    else
        resourceID_ = groupName;
    return LoadGroup(module, eKind::kIcon, cModuleFile::ParseName(name), name.size(), std::nullopt, false, budget);
}

bool cFileIcon::LoadGroupFromEXE(cModuleFile& module, const cGroupRef& group, cLoadBudget* budget) {
    Reset(module.Path());
    resourceID_ = group.id;
    const std::size_t nameBytes = ResourceIDText(group.id).size() + 1;
    return LoadGroup(module, group.kind, group.id, nameBytes, group.language, group.ownLanguage, budget);
}

bool cFileIcon::LoadGroup(cModuleFile& module, eKind kind, const cResourceID& lookup, std::size_t nameBytes,
                          std::optional<std::uint16_t> language, bool ownLanguage, cLoadBudget* budget) {
    if (!module.IsLoaded()) throw Error(kErrCantLoadLibrary, "Can't load icon library.");
    cLoadBudget own(module.FileSize());
    if (!budget) budget = &own;
    const bool cursor = kind == eKind::kCursor;
    const std::int32_t groupType = cursor ? kRtGroupCursor : kRtGroupIcon;
    const std::int32_t imageType = cursor ? kRtCursor : kRtIcon;
    language_ = language;
    languageShown_ = ownLanguage && language.has_value();

    const auto group =
        languageShown_ ? module.FindResourceId(lookup, groupType, *language) : module.FindResourceId(lookup, groupType);
    if (!group) throw Error(kErrCantFindIcons, "Can't find icons.");
    const std::uint32_t groupSize = cModuleFile::SizeofResource(*group);
    // Nothing past the group's own end is read: a group too short for its header or for the count
    // it claims is no group of icons.
    if (groupSize < kHeaderSize) throw Error(kErrCantFindIcons, "Can't find icons.");
    // The header and, in the same read, as many entries as the group and the file hold.
    const std::uint64_t most = kHeaderSize + kGroupEntrySize * 0x7FFF;
    const auto readable = static_cast<std::uint32_t>(std::min<std::uint64_t>({groupSize, most, group->room}));
    std::vector<std::uint8_t> raw;
    if (readable < kHeaderSize || !module.ReadResource(*group, readable, raw))
        throw Error(kErrCantLoadResource, "Can't load file.");
    cByteView gv(raw);
    ICONDIR header;
    header.idReserved = gv.U16(0);
    header.idType = gv.U16(2);
    header.idCount = gv.I16(4);
    if (header.idCount <= 0) {
        // A negative count holds no images either: the object keeps the invariant that idCount
        // is its number of images, so that saving it fails instead of writing a broken header.
        header.idCount = 0;
        header_ = header;
        return false;
    }

    const auto count = static_cast<std::size_t>(header.idCount);
    const std::size_t groupBytes = kHeaderSize + kGroupEntrySize * count;
    if (groupSize < groupBytes) throw Error(kErrCantFindIcons, "Can't find icons.");
    if (raw.size() < groupBytes) throw Error(kErrCantLoadResource, "Can't load file.");
    std::vector<ICONDIRENTRY> entries(count);
    std::vector<std::uint16_t> ids(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderSize + i * kGroupEntrySize;
        if (cursor) {
            // GRPCURSORDIRENTRY: 16-bit width and height, planes and bit count, which the
            // hotspot replaces. The height counts the colour bitmap and the mask (twice the
            // image's) as most compilers store it; the image's own header corrects both below.
            entries[i].bWidth = SideByte(gv.U16(at));
            entries[i].bHeight = SideByte(gv.U16(at + 2) / 2);
            entries[i].dwBytesInRes = gv.I32(at + 8);
        } else {
            DecodeSharedFields(gv, at, entries[i]);
        }
        ids[i] = gv.U16(at + 12);
    }
    raw = {};

    // A cursor image starts with its hotspot, which moves into the entry: its block is the rest.
    const std::int32_t skip = cursor ? kHotspotSize : 0;
    // The .ico layout: the first block right after the directory, the others back to back. The
    // first offset is 16-bit arithmetic, so more than 2047 images overflow.
    std::int32_t offset =
        mChecked::Add<std::int16_t>(kHeaderSize, mChecked::Mul<std::int16_t>(kEntrySize, header.idCount));
    for (std::size_t i = 0; i < count; ++i) {
        entries[i].dwImageOffset = offset;
        if (i + 1 < count) offset = mChecked::Add(offset, mChecked::Sub(entries[i].dwBytesInRes, skip));
    }

    // What the group will keep must fit the load's budget before any block is read: entries that
    // name one large image again and again would otherwise copy it once per entry.
    std::uint64_t keeps = cLoadBudget::kPerGroup + nameBytes;
    for (const ICONDIRENTRY& e : entries)
        keeps += cLoadBudget::kPerImage + static_cast<std::uint64_t>(std::max(e.dwBytesInRes, 0));
    if (!budget->Take(keeps)) {
        resourceID_ = std::monostate{};
        throw Error(kErrReadBits, "Failed to read bitmap bits from resource.");
    }

    // NE lengths are whole alignment units, usually padded past the image: a resource at least as
    // long as the entry says gives its first dwBytesInRes bytes. PE lengths must match exactly.
    const bool padded = module.Format() == cModuleFile::eFormat::kNE;
    std::vector<std::vector<std::uint8_t>> blocks(count);
    bool failed = false;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t id = ids[i];
        // A group read in its own language takes its images in that language where they have it.
        std::optional<cModuleFile::cResource> image;
        if (languageShown_) image = module.FindResourceId(id, imageType, *language);
        if (!image) image = module.FindResourceId(id, imageType);
        if (!image) {
            failed = true;
            break;
        }
        const std::int64_t length = cModuleFile::SizeofResource(*image);
        const std::int64_t wanted = entries[i].dwBytesInRes;
        if (length <= 0 || wanted <= skip || (padded ? length < wanted : length != wanted)) {
            failed = true;
            continue;
        }
        if (!module.ReadResource(*image, static_cast<std::uint32_t>(wanted), blocks[i])) {
            failed = true;
            break;
        }
        if (cursor) {
            const cByteView hv(blocks[i]);
            entries[i].wPlanes = hv.U16(0);
            entries[i].wBitCount = hv.I16(2);
            entries[i].dwBytesInRes = static_cast<std::int32_t>(wanted - skip);
            blocks[i].erase(blocks[i].begin(), blocks[i].begin() + skip);
            // Resource compilers disagree on a cursor entry's height (twice the image's, or the
            // image's own): the image's own header settles both sides where it can be read.
            if (const auto side = BlockSide(blocks[i])) {
                entries[i].bWidth = SideByte(side->width);
                entries[i].bHeight = SideByte(side->height);
            }
        }
    }
    if (failed) {
        resourceID_ = std::monostate{};
        throw Error(kErrReadBits, "Failed to read bitmap bits from resource.");
    }
    header_ = header;
    entries_ = std::move(entries);
    blocks_ = std::move(blocks);
    return true;
}
