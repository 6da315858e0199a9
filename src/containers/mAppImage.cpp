#include "containers/mAppImage.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include <sqfs/compressor.h>
#include <sqfs/data_reader.h>
#include <sqfs/dir_reader.h>
#include <sqfs/error.h>
#include <sqfs/inode.h>
#include <sqfs/io.h>
#include <sqfs/super.h>

#include "platform/cByteView.h"
#include "platform/cReadFile.h"

namespace mAppImage {

namespace {

const std::string kSource = cError::SourceOf("mAppImage");

[[noreturn]] void Fail(std::int32_t number, const std::string& text) { throw cError(number, kSource, text); }

// The image as the library reads it: the file from the image's start to its end. Reads outside
// it fail; nothing is ever written.
struct cImageFile {
    sqfs_file_t base{};
    cReadFile* file = nullptr;
    std::uint64_t start = 0, size = 0;
};

int ReadAt(sqfs_file_t* f, sqfs_u64 offset, void* buffer, size_t n) {
    auto* image = reinterpret_cast<cImageFile*>(f);
    if (offset > image->size || n > image->size - offset) return SQFS_ERROR_OUT_OF_BOUNDS;
    return image->file->ReadAt(image->start + offset, buffer, n) == n ? 0 : SQFS_ERROR_IO;
}
int WriteAt(sqfs_file_t*, sqfs_u64, const void*, size_t) { return SQFS_ERROR_UNSUPPORTED; }
sqfs_u64 SizeOf(const sqfs_file_t* f) { return reinterpret_cast<const cImageFile*>(f)->size; }
int Truncate(sqfs_file_t*, sqfs_u64) { return SQFS_ERROR_UNSUPPORTED; }
// The object lives on the reader's stack: the library's destroy has nothing to free.
void DestroyNothing(sqfs_object_t*) {}

struct cDestroy {
    void operator()(void* object) const noexcept { sqfs_destroy(object); }
};
template <typename T>
using tObject = std::unique_ptr<T, cDestroy>;
struct cFree {
    void operator()(void* p) const noexcept { sqfs_free(p); }
};
using tInode = std::unique_ptr<sqfs_inode_generic_t, cFree>;

bool IsLink(const sqfs_inode_generic_t& inode) {
    return inode.base.type == SQFS_INODE_SLINK || inode.base.type == SQFS_INODE_EXT_SLINK;
}
bool IsFile(const sqfs_inode_generic_t& inode) {
    return inode.base.type == SQFS_INODE_FILE || inode.base.type == SQFS_INODE_EXT_FILE;
}

// A link's target resolved from the folder `from` (components from the root) into components
// from the root; nothing when it climbs above the root.
std::optional<std::vector<std::string>> Resolve(std::vector<std::string> from, std::string_view target) {
    if (!target.empty() && target.front() == '/') from.clear();
    std::size_t at = 0;
    while (at <= target.size()) {
        std::size_t end = target.find('/', at);
        if (end == std::string_view::npos) end = target.size();
        const std::string_view part = target.substr(at, end - at);
        if (part == "..") {
            if (from.empty()) return std::nullopt;
            from.pop_back();
        } else if (!part.empty() && part != ".") {
            from.emplace_back(part);
        }
        at = end + 1;
    }
    return from;
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string path;
    for (const auto& part : parts) path += (path.empty() ? "" : "/") + part;
    return path;
}

} // namespace

std::optional<std::uint64_t> ImageOffset(const std::vector<std::uint8_t>& head, std::uint64_t fileSize) {
    const cByteView v(head);
    if (!v.Has(0, 16) || v.U8(0) != 0x7F || v.U8(1) != 'E' || v.U8(2) != 'L' || v.U8(3) != 'F') return std::nullopt;
    // The AppImage runtimes are little-endian programs; ELF32 and ELF64 alike.
    if (v.U8(5) != 1) return std::nullopt;
    std::uint64_t shoff = 0, entsize = 0, count = 0;
    if (v.U8(4) == 1) {
        if (!v.Has(0, 52)) return std::nullopt;
        shoff = v.U32(32);
        entsize = v.U16(46);
        count = v.U16(48);
    } else if (v.U8(4) == 2) {
        if (!v.Has(0, 64)) return std::nullopt;
        shoff = v.U64(40);
        entsize = v.U16(58);
        count = v.U16(60);
    } else {
        return std::nullopt;
    }
    // Both factors are 16-bit: the product cannot overflow; the sum is checked before it is made.
    const std::uint64_t table = entsize * count;
    if (shoff > fileSize || table > fileSize - shoff) return std::nullopt;
    return shoff + table;
}

bool IsSvg(const std::vector<std::uint8_t>& bytes) noexcept {
    // The start of the document, past a byte order mark, blanks, the XML declaration, comments
    // and a doctype, must open an svg element.
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), std::min<std::size_t>(bytes.size(), 4096));
    std::size_t at = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    for (;;) {
        at = text.find_first_not_of(" \t\r\n", at);
        if (at == std::string_view::npos) return false;
        if (text.compare(at, 4, "<svg") == 0) return true;
        if (text.compare(at, 2, "<?") == 0 || text.compare(at, 2, "<!") == 0) {
            const std::string_view close = text.compare(at, 4, "<!--") == 0 ? "-->" : ">";
            const std::size_t end = text.find(close, at + 2);
            if (end == std::string_view::npos) return false;
            at = end + close.size();
            continue;
        }
        return false;
    }
}

std::vector<std::uint8_t> ReadDirIcon(const std::string& path, cLoadBudget& budget) {
    cReadFile file;
    if (!file.Open(path)) Fail(cError::kFileNotFound, path + " cannot be opened");
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(64, file.Size())));
    if (file.ReadAt(0, head.data(), head.size()) != head.size())
        Fail(cError::kPathFileAccess, path + " cannot be read");
    const auto offset = ImageOffset(head, file.Size());
    if (!offset) Fail(cError::kInvalidPicture, path + " is not an AppImage: its ELF header is damaged or cut short");

    cImageFile image;
    image.base.base.destroy = &DestroyNothing;
    image.base.read_at = &ReadAt;
    image.base.write_at = &WriteAt;
    image.base.get_size = &SizeOf;
    image.base.truncate = &Truncate;
    image.file = &file;
    image.start = *offset;
    image.size = file.Size() - *offset;
    sqfs_file_t* sq = &image.base;

    const std::string inImage =
        path + " is not an AppImage that can be read: its SquashFS image at offset " + std::to_string(*offset);
    sqfs_super_t super{};
    if (sqfs_super_read(&super, sq) != 0) Fail(cError::kInvalidPicture, inImage + " has no valid superblock");
    sqfs_compressor_config_t config{};
    sqfs_compressor_t* rawCompressor = nullptr;
    if (sqfs_compressor_config_init(&config, static_cast<SQFS_COMPRESSOR>(super.compression_id), super.block_size,
                                    SQFS_COMP_FLAG_UNCOMPRESS) != 0 ||
        sqfs_compressor_create(&config, &rawCompressor) != 0)
        Fail(cError::kInvalidPicture, inImage + " uses a compression this program cannot read");
    tObject<sqfs_compressor_t> compressor(rawCompressor);
    tObject<sqfs_dir_reader_t> dirs(sqfs_dir_reader_create(&super, compressor.get(), sq, 0));
    if (!dirs) Fail(cError::kOutOfMemory, inImage + " cannot be read");
    sqfs_inode_generic_t* rawRoot = nullptr;
    if (sqfs_dir_reader_get_root_inode(dirs.get(), &rawRoot) != 0)
        Fail(cError::kInvalidPicture, inImage + " has a damaged root folder");
    tInode root(rawRoot);

    // .DirIcon, and where it is a link, what it points to, a few hops at most.
    std::vector<std::string> at = {".DirIcon"};
    tInode inode;
    for (int hop = 0;; ++hop) {
        sqfs_inode_generic_t* raw = nullptr;
        const std::string where = Joined(at);
        if (sqfs_dir_reader_find_by_path(dirs.get(), root.get(), where.c_str(), &raw) != 0)
            Fail(cError::kFileNotFound,
                 path + ": its image holds no " +
                     (hop == 0 ? std::string(".DirIcon") : "\"" + where + "\" (.DirIcon's link)"));
        inode.reset(raw);
        if (!IsLink(*inode)) break;
        if (hop == kMaxHops)
            Fail(cError::kInvalidPicture, path + ": its .DirIcon is a link followed " + std::to_string(kMaxHops) +
                                              " times without reaching a file (a loop?)");
        const std::size_t n = std::min<std::size_t>(inode->payload_bytes_used, inode->base.type == SQFS_INODE_SLINK
                                                                                   ? inode->data.slink.target_size
                                                                                   : inode->data.slink_ext.target_size);
        const std::string_view target(reinterpret_cast<const char*>(inode->extra), n);
        at.pop_back();
        auto next = Resolve(at, target);
        if (!next || next->empty())
            Fail(cError::kInvalidPicture,
                 path + ": its .DirIcon is a link that leads out of the image (" + std::string(target) + ")");
        at = std::move(*next);
    }
    if (!IsFile(*inode)) Fail(cError::kInvalidPicture, path + ": its .DirIcon is not a file");
    sqfs_u64 size = 0;
    if (sqfs_inode_get_file_size(inode.get(), &size) != 0)
        Fail(cError::kInvalidPicture, path + ": its .DirIcon has a damaged size");
    if (size > kMaxIconBytes || !budget.Take(size))
        Fail(cError::kOutOfMemory, path + ": its .DirIcon claims " + std::to_string(size) +
                                       " bytes, more than an icon is allowed (" +
                                       std::to_string(std::min(kMaxIconBytes, budget.Limit() - budget.Used())) + ")");
    tObject<sqfs_data_reader_t> data(sqfs_data_reader_create(sq, super.block_size, compressor.get(), 0));
    if (!data) Fail(cError::kOutOfMemory, inImage + " cannot be read");
    if (sqfs_data_reader_load_fragment_table(data.get(), &super) != 0)
        Fail(cError::kInvalidPicture, inImage + " has a damaged fragment table");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0) {
        const sqfs_s32 got =
            sqfs_data_reader_read(data.get(), inode.get(), 0, bytes.data(), static_cast<sqfs_u32>(bytes.size()));
        if (got < 0 || static_cast<std::uint64_t>(got) != size)
            Fail(cError::kInvalidPicture,
                 path + ": its .DirIcon (" + std::to_string(size) + " bytes) cannot be read: its data is damaged");
    }
    return bytes;
}

} // namespace mAppImage
