// cFileIcon: .icns files. mIcns turns the elements into image blocks; here they become one group
// with a directory entry each, as an .ico file of the same images would hold them.

#include "icon/cFileIcon.h"

#include "base/mChecked.h"
#include "icon/mIcns.h"
#include "platform/cReadFile.h"
#include "platform/mSysText.h"

bool cFileIcon::LoadIcns(const std::string& fileName) {
    Reset(fileName);
    cReadFile file;
    if (!file.Open(fileName)) RaiseLoad(mSysText::TextLine(file.LastError(), fileName));
    // The whole file is read: its images are most of it, and the group keeps them.
    const std::uint64_t size = file.Size();
    if (size > std::uint64_t{0x7FFFFFFF})
        throw cError(cError::kInvalidPicture, cError::SourceOf("mIcns"),
                     fileName + ": an icns file of " + std::to_string(size) + " bytes is larger than any icon");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (file.ReadAt(0, bytes.data(), bytes.size()) != bytes.size())
        RaiseLoad(mSysText::TextLine(file.LastError(), fileName));
    cLoadBudget budget(size + mIcns::kDecodeAllowance);
    std::vector<mIcns::cImage> images = mIcns::Read(bytes, fileName, budget);
    bytes = {};
    if (images.empty())
        throw cError(cError::kInvalidPicture, cError::SourceOf("mIcns"),
                     fileName + ": the file holds no image element");

    ICONDIR header;
    header.idType = kTypeIcon;
    header.idCount = static_cast<std::int16_t>(images.size());
    std::vector<ICONDIRENTRY> entries(images.size());
    std::vector<std::vector<std::uint8_t>> blocks(images.size());
    std::vector<cElementInfo> elements(images.size());
    std::int32_t offset = kHeaderSize + kEntrySize * header.idCount;
    for (std::size_t i = 0; i < images.size(); ++i) {
        mIcns::cImage& image = images[i];
        ICONDIRENTRY& e = entries[i];
        e.bWidth = SideByte(image.width);
        e.bHeight = SideByte(image.height);
        e.bColorCount = image.bits == 1 ? 2 : image.bits == 4 ? 16 : 0;
        e.wPlanes = 1;
        e.wBitCount = static_cast<std::int16_t>(image.bits);
        e.dwBytesInRes = mChecked::Narrow<std::int32_t>(image.block.size());
        e.dwImageOffset = offset;
        offset = mChecked::Add(offset, e.dwBytesInRes);
        elements[i] = {image.element, image.width, image.height, image.scale};
        blocks[i] = std::move(image.block);
    }
    header_ = header;
    entries_ = std::move(entries);
    blocks_ = std::move(blocks);
    elements_ = std::move(elements);
    return true;
}
