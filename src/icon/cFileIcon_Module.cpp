// cFileIcon: icons out of modules. A group-icon resource (type 14: GRPICONDIR, then one 14-byte
// GRPICONDIRENTRY per image) names an icon resource (type 3) per image by number; the group becomes
// the object's header and directory with back-to-back .ico offsets, each icon resource one block.

#include "icon/cFileIcon.h"

#include "platform/cByteView.h"
#include "platform/cModuleFile.h"
#include "base/mChecked.h"

namespace {

constexpr std::size_t kGroupEntrySize = 14;

} // namespace

bool cFileIcon::LoadIconFromEXE(const std::string& fileName, std::int32_t groupNumber, const std::string& groupName) {
    Reset(fileName);

    // The module is opened for this call only; every path out of here closes it.
    cModuleFile module;
    if (!module.Load(fileName)) throw Error(kErrCantLoadLibrary, "Can't load icon library.");

    std::string name;
    if (groupNumber != 0) {
        name = "#" + std::to_string(groupNumber);
        resourceID_ = groupNumber;
    } else {
        name = groupName;
        resourceID_ = groupName;
    }

    const auto group = module.FindResource(name, "#" + std::to_string(kRtGroupIcon));
    if (!group) throw Error(kErrCantFindIcons, "Can't find icons.");
    const std::uint32_t groupSize = cModuleFile::SizeofResource(*group);
    // Nothing past the group's own end is read: a group too short for its header or for the count
    // it claims is no group of icons.
    if (groupSize < kHeaderSize) throw Error(kErrCantFindIcons, "Can't find icons.");
    std::vector<std::uint8_t> head;
    if (!module.ReadResource(*group, kHeaderSize, head)) throw Error(kErrCantLoadResource, "Can't load file.");
    cByteView hv(head);
    header_.idReserved = hv.U16(0);
    header_.idType = hv.U16(2);
    header_.idCount = hv.I16(4);
    if (header_.idCount <= 0) {
        // A negative count holds no images either: the object keeps the invariant that idCount
        // is its number of images, so that saving it fails instead of writing a broken header.
        header_.idCount = 0;
        return false;
    }

    const auto count = static_cast<std::size_t>(header_.idCount);
    const std::size_t groupBytes = kHeaderSize + kGroupEntrySize * count;
    if (groupSize < groupBytes) {
        header_.idCount = 0;
        throw Error(kErrCantFindIcons, "Can't find icons.");
    }
    std::vector<std::uint8_t> raw;
    if (!module.ReadResource(*group, static_cast<std::uint32_t>(groupBytes), raw)) {
        header_.idCount = 0;
        throw Error(kErrCantLoadResource, "Can't load file.");
    }
    cByteView gv(raw);
    std::vector<ICONDIRENTRY> entries(count);
    std::vector<std::uint16_t> ids(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderSize + i * kGroupEntrySize;
        DecodeSharedFields(gv, at, entries[i]);
        ids[i] = gv.U16(at + 12);
    }

    // The .ico layout: the first block right after the directory, the others back to back. The
    // first offset is 16-bit arithmetic, so more than 2047 images overflow.
    try {
        std::int32_t offset = mChecked::Add<std::int16_t>(
            kHeaderSize, mChecked::Mul<std::int16_t>(kEntrySize, header_.idCount));
        for (std::size_t i = 0; i < count; ++i) {
            entries[i].dwImageOffset = offset;
            if (i + 1 < count) offset = mChecked::Add(offset, entries[i].dwBytesInRes);
        }
    } catch (const cError&) {
        header_.idCount = 0;
        throw;
    }

    // NE lengths are whole alignment units, usually padded past the image: a resource at least as
    // long as the entry says gives its first dwBytesInRes bytes. PE lengths must match exactly.
    const bool padded = module.Format() == cModuleFile::eFormat::kNE;
    std::vector<std::vector<std::uint8_t>> blocks(count);
    bool failed = false;
    for (std::size_t i = 0; i < count; ++i) {
        const auto image = module.FindResource("#" + std::to_string(ids[i]), "#" + std::to_string(kRtIcon));
        if (!image) {
            failed = true;
            break;
        }
        const std::int64_t length = cModuleFile::SizeofResource(*image);
        const std::int64_t wanted = entries[i].dwBytesInRes;
        if (length <= 0 || wanted <= 0 || (padded ? length < wanted : length != wanted)) {
            failed = true;
            continue;
        }
        if (!module.ReadResource(*image, static_cast<std::uint32_t>(wanted), blocks[i])) {
            failed = true;
            break;
        }
    }
    if (failed) {
        header_.idCount = 0;
        resourceID_ = std::monostate{};
        throw Error(kErrReadBits, "Failed to read bitmap bits from resource.");
    }
    entries_ = std::move(entries);
    blocks_ = std::move(blocks);
    return true;
}
