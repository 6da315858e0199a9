#pragma once
// cModuleFile: a Windows module (PE32, PE32+ or NE) opened as a data file, with the resource calls
// of the platform's loader: load and free, find a resource by name and type, its size, its bytes,
// and the enumeration of resource types and of the names of one type. No code of the module runs.
//
// Opening reads only the headers (DOS header, PE headers and section table, or the NE header and
// its resource table); the PE resource tree is read directory by directory when asked, and a
// resource's bytes only when they are loaded. Every read is bounds-checked against the file and
// its section; counts are bounded by the bytes that hold them before anything is sized by them.
//
// Failures answer false (or an empty result) and leave the platform's system code in LastError(),
// with its text (the file's name filled in for "%1") in LastErrorText():
//   kFileNotFound, kPathNotFound, kAccessDenied...  the file cannot be opened
//   kBadExeFormat            not a module, or its headers are damaged or cut short
//   kResourceDataNotFound    no resource table, or its (or a resource's) address lies outside
//                            every section or past the end of the file
//   kInvalidData             the PE resource tree or the NE resource table is damaged: a directory
//                            that runs out of its section, a subdirectory that points back to a
//                            directory above it, a directory where data belongs or the reverse
//   kResourceTypeNotFound, kResourceNameNotFound, kResourceLangNotFound   not found
//   kResourceEnumUserStop    an enumeration callback answered false
//
// Names: "#" followed by decimal digits names a number (1 to 65535); any other text names a string
// resource and compares case-insensitively, as the platform does. Names stored in UTF-16 (PE) are
// handed out as UTF-8; NE names (ANSI, Windows-1252) likewise. A resource stored in several
// languages resolves to its lowest language number, which is language 0 (neutral) when present.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/cResourceID.h"
#include "platform/cByteView.h"
#include "platform/cReadFile.h"

class cModuleFile {
public:
    enum class eFormat { kNone, kPE32, kPE32Plus, kNE };

    // A resource found by FindResource: where its bytes lie in the file and how many there are.
    // For NE modules the size is the stored length in alignment units, so it may be padded past
    // the end of the resource's own data.
    struct cResource {
        std::uint64_t offset = 0;
        std::uint32_t size = 0;
        bool mapped = false;    // false when the data's address lies outside every section
        std::uint64_t room = 0; // bytes from `offset` to the end of its section or of the file
    };

    using tEnumProc = std::function<bool(const cResourceID&)>;

    cModuleFile() = default;
    cModuleFile(const cModuleFile&) = delete;
    cModuleFile& operator=(const cModuleFile&) = delete;

    // LoadLibraryEx as a data file. False on failure (LastError tells why); the object is then
    // not loaded.
    bool Load(const std::string& path);
    // FreeLibrary: closes the file and forgets the tables. Safe to call at any time.
    void Free();
    bool IsLoaded() const noexcept { return format_ != eFormat::kNone; }
    eFormat Format() const noexcept { return format_; }
    const std::string& Path() const noexcept { return path_; }

    // FindResource with the names as text ("#14", "MAINICON").
    std::optional<cResource> FindResource(std::string_view name, std::string_view type);
    // The same with identifiers: a number (1 to 65535) or a name; an empty identifier is not found.
    std::optional<cResource> FindResourceId(const cResourceID& name, const cResourceID& type);

    // SizeofResource.
    static std::uint32_t SizeofResource(const cResource& r) noexcept { return r.size; }
    // LoadResource and LockResource together: the first n bytes of the resource (n <= its size)
    // in one read. False when they do not lie in the file, or the data's address lies outside
    // every section (kResourceDataNotFound), or the read fails.
    bool ReadResource(const cResource& r, std::uint32_t n, std::vector<std::uint8_t>& bytes);
    bool LoadResource(const cResource& r, std::vector<std::uint8_t>& bytes) { return ReadResource(r, r.size, bytes); }

    // EnumResourceTypes / EnumResourceNames: the callback receives each type (each name of the
    // type) in the order the module stores them, and answers true to go on. True when every entry
    // was delivered.
    bool EnumResourceTypes(const tEnumProc& proc);
    bool EnumResourceNames(const cResourceID& type, const tEnumProc& proc);

    std::uint32_t LastError() const noexcept { return lastError_; }
    void SetLastError(std::uint32_t code) noexcept { lastError_ = code; }
    // The system text of LastError(), ending in CR LF, with the file's name for "%1".
    std::string LastErrorText() const;

    // "#123" gives the number 123; other texts give the name itself. Text after "#" that is not a
    // number from 1 to 65535 gives the empty identifier, which nothing matches.
    static cResourceID ParseName(std::string_view text);

private:
    static constexpr std::uint32_t kNoParent = 0xFFFFFFFFu;

    // What a lookup compares: a number, or a name upper-cased in UTF-16.
    struct cKey {
        bool isName = false;
        std::uint16_t id = 0;
        std::u16string name;
    };
    // One IMAGE_RESOURCE_DIRECTORY_ENTRY as stored.
    struct cEntry {
        std::uint32_t name = 0;   // Name: high bit set for a string, else the number
        std::uint32_t target = 0; // OffsetToData: high bit set for a subdirectory
    };
    // One IMAGE_RESOURCE_DIRECTORY with its entries, kept as stored and decoded when used
    // (a module's icon directory holds thousands of entries, of which a lookup reads a dozen).
    struct cDirectory {
        std::uint32_t at = 0; // offset from the start of the resource section
        std::uint16_t named = 0;
        std::vector<std::uint8_t> raw; // the entries, 8 bytes each
        std::size_t Count() const noexcept { return raw.size() / 8; }
        cEntry At(std::size_t i) const {
            cByteView v(raw);
            return cEntry{v.U32(i * 8), v.U32(i * 8 + 4)};
        }
    };
    // One NE TYPEINFO.
    struct cNeType {
        cResourceID id;
        std::size_t firstName = 0; // offset of its first NAMEINFO in the table
        std::uint16_t count = 0;
    };

    bool Fail(std::uint32_t code) noexcept {
        lastError_ = code;
        return false;
    }
    bool ReadAt(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>& out);
    static std::optional<cKey> KeyOf(const cResourceID& id);

    // PE (cModuleFile_PE.cpp).
    bool LoadPE(std::uint32_t peAt);
    bool RvaToOffset(std::uint32_t rva, std::uint64_t& offset, std::uint64_t& room) const;
    bool OpenRoot();
    bool ReadDirectory(std::uint32_t at, cDirectory& dir);
    const cDirectory* Directory(std::uint32_t at, std::uint32_t parent);
    const cDirectory* NameDirectory(const cEntry& typeEntry);
    bool EntryString(const cEntry& e, std::u16string& out);
    bool EntryName(const cEntry& e, cResourceID& out);
    std::optional<std::size_t> FindEntry(const cDirectory& dir, const cKey& key, bool& damaged);
    std::optional<cResource> FindPE(const cKey& name, const cKey& type);
    bool EnumPE(const cDirectory& dir, const tEnumProc& proc);
    bool EnumTypesPE(const tEnumProc& proc);
    bool EnumNamesPE(const cKey& type, const tEnumProc& proc);

    // NE (cModuleFile_NE.cpp).
    bool LoadNE(std::uint32_t neAt);
    bool NeTypes(std::vector<cNeType>& types);
    bool NeString(std::size_t at, std::string& out) const;
    bool NeId(std::uint16_t raw, cResourceID& out) const;
    static bool NeMatches(const cResourceID& id, const cKey& key);
    const cNeType* NeFindType(const std::vector<cNeType>& types, const cKey& key);
    std::optional<cResource> FindNE(const cKey& name, const cKey& type);
    bool EnumNE(const cKey& type, const tEnumProc& proc);

    std::string path_;
    cReadFile file_;
    std::uint64_t fileSize_ = 0;
    eFormat format_ = eFormat::kNone;
    std::uint32_t lastError_ = 0;
    std::vector<std::uint8_t> head_; // the file's first bytes, read once on opening

    // PE: sections and the resource section's place.
    struct cSection {
        std::uint32_t va = 0, rawSize = 0, rawAt = 0;
    };
    std::vector<cSection> sections_;
    std::uint32_t rsrcRva_ = 0;
    std::uint32_t rsrcSize_ = 0;
    std::uint64_t rsrcAt_ = 0;   // file offset of the resource root
    std::uint64_t rsrcRoom_ = 0; // bytes from there to the end of its section (or of the file)
    bool rootOpened_ = false;
    std::map<std::uint32_t, cDirectory> directories_; // the root and name directories read so far

    // NE: the resource table's bytes and the alignment shift.
    std::vector<std::uint8_t> neTable_;
    std::uint16_t neShift_ = 0;
};
