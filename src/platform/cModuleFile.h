#pragma once
// cModuleFile: a Windows module (PE32, PE32+ or NE) opened as a data file, with the resource calls
// of the platform's loader: load and free, find a resource by name and type, its size, its bytes,
// and the enumeration of resource types and of the names of one type. No code of the module runs.
//
// Opening reads only the headers (DOS header, PE headers and section table, or the NE header and
// its resource table); the PE resource tree is read directory by directory when asked, and a
// resource's bytes only when they are loaded. Small reads are served from the last few 8 KiB
// blocks of the file read (at most 64 KiB kept per open module), so the directories and small
// resources that lie together cost one read of the file. A directory is read and decoded once: its entries,
// the identifiers they stand for and an index of its names, so a lookup by name costs the same
// for the first name as for the ten-thousandth. Every read is bounds-checked against the file and
// its section; counts are bounded by the bytes that hold them before anything is sized by them,
// and the names of one directory by the bytes of the section (names that need more than it holds
// overlap, which a valid tree never does).
//
// A 32-bit compiled resource file (.res: RESOURCEHEADER records back to back, the first an empty
// one) is opened the same way and answers every call as a PE module holding the same resources
// would: types and names in the order a resource compiler lays them out in a module (names
// before numbers, names case-insensitively by their text, numbers ascending), languages ascending.
// Its headers are read whole on opening (each bounded by the file) and indexed; a header that
// runs past the end of the file, or data that does, makes the file kInvalidData.
//
// A load of many groups opens the module once and looks every group up in the same object, so
// the directories and the name index are read once per load.
//
// Failures answer false (or an empty result) and leave the platform's system code in LastError(),
// with its text (the file's name filled in for "%1") in LastErrorText():
//   kFileNotFound, kPathNotFound, kAccessDenied...  the file cannot be opened
//   kOpenFailed              a FIFO, socket or device: not a file to read a module from
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
// handed out as UTF-8 (an unpaired surrogate in its own three-byte form, so that the name finds
// the same units again); NE names (ANSI, Windows-1252) likewise. A resource stored in several
// languages resolves to its lowest language number, which is language 0 (neutral) when present.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/cResourceID.h"
#include "platform/cByteView.h"
#include "platform/cReadFile.h"

class cModuleFile {
public:
    enum class eFormat { kNone, kPE32, kPE32Plus, kNE, kRes };

    // A resource found by FindResource: where its bytes lie in the file and how many there are.
    // For NE modules the size is the stored length in alignment units, so it may be padded past
    // the end of the resource's own data.
    struct cResource {
        std::uint64_t offset = 0;
        std::uint32_t size = 0;
        bool mapped = false; // false when the data's address lies outside every section
        std::uint64_t room = 0; // bytes from `offset` to the end of its section or of the file
    };

    using tEnumProc = std::function<bool(const cResourceID&)>;

    cModuleFile() = default;
    cModuleFile(const cModuleFile&) = delete;
    cModuleFile& operator=(const cModuleFile&) = delete;

    // LoadLibraryEx as a data file. False on failure (LastError tells why); the object is then
    // not loaded.
    bool Load(const std::string& path);
    // The same for a module already in memory (a stream out of a container); `name` stands for
    // its path in Path() and in the texts of errors.
    bool LoadBytes(const std::string& name, std::shared_ptr<const std::vector<std::uint8_t>> bytes);
    // FreeLibrary: closes the file and forgets the tables. Safe to call at any time.
    void Free();
    bool IsLoaded() const noexcept { return format_ != eFormat::kNone; }
    eFormat Format() const noexcept { return format_; }
    const std::string& Path() const noexcept { return path_; }
    // The file's length when it was opened.
    std::uint64_t FileSize() const noexcept { return fileSize_; }

    // FindResource with the names as text ("#14", "MAINICON").
    std::optional<cResource> FindResource(std::string_view name, std::string_view type);
    // The same with identifiers: a number (1 to 65535) or a name; an empty identifier is not found.
    std::optional<cResource> FindResourceId(const cResourceID& name, const cResourceID& type);

    // FindResource in one language (PE); kResourceLangNotFound when the resource is not stored in
    // it. NE modules store no languages: the resource is found as without one.
    std::optional<cResource> FindResourceId(const cResourceID& name, const cResourceID& type, std::uint16_t language);
    // The languages a resource is stored in, in the module's order (ascending by number), each
    // handed to `proc`, which answers true to go on. True when every language was delivered; an NE
    // module stores none (nothing is delivered, the answer is true); a resource that is not there
    // or a damaged language directory answers false with LastError set.
    using tLanguageProc = std::function<bool(std::uint16_t)>;
    bool EnumResourceLanguages(const cResourceID& type, const cResourceID& name, const tLanguageProc& proc);
    // The languages of every resource of a type at once, in the order EnumResourceNames hands the
    // names out: `proc` receives each name's position (0-based) and its languages (empty where its
    // language directory is damaged, which a lookup of it then reports). No name is looked up
    // again. An NE module stores no languages: nothing is delivered. False when the type cannot
    // be read (LastError says why).
    using tNameLanguagesProc = std::function<void(std::size_t position, const std::vector<std::uint16_t>& languages)>;
    bool EnumNameLanguages(const cResourceID& type, const tNameLanguagesProc& proc);

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
    // The first resource of a type in the module's order, with its identifier, reading only that
    // entry of the type's name directory (EnumResourceNames decodes every name to hand out the
    // first). Nothing when the type has none or its first entry is damaged (LastError says).
    std::optional<std::pair<cResourceID, cResource>> FirstResource(const cResourceID& type);

    std::uint32_t LastError() const noexcept { return lastError_; }
    // The module names a resource table at all (a PE data directory entry that is not empty, an NE
    // table that is). One that is named but damaged still counts: reading it fails.
    bool HasResourceTable() const noexcept;
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
        std::uint32_t name = 0; // Name: high bit set for a string, else the number
        std::uint32_t target = 0; // OffsetToData: high bit set for a subdirectory
    };
    // What an entry of a name directory leads to: its data, or the code of why it cannot.
    struct cLeaf {
        bool known = false;
        std::uint32_t error = 0;
        cResource resource;
        // Its language directory's entries, read once (by a lookup or an enumeration of them).
        bool languagesRead = false;
        std::uint32_t languagesError = 0;
        std::vector<cEntry> languages;
    };
    // One directory decoded: an IMAGE_RESOURCE_DIRECTORY (PE) or the NAMEINFO list of one NE type.
    // The identifiers of its entries are decoded in order up to the first that cannot be (a name
    // outside the section, or names that together need more bytes than the section holds): `ids`
    // holds those before it and `damaged` tells that there is one. The index holds the first
    // entry of each name among `ids` and, in a PE directory out of the stored order (and in NE),
    // the first entry of each number.
    struct cDirectory {
        std::uint32_t at = 0;
        std::uint16_t named = 0;
        std::vector<cEntry> entries; // PE
        std::vector<cResourceID> ids;
        bool damaged = false;
        std::unordered_map<std::u16string, std::size_t> names;
        std::unordered_map<std::uint16_t, std::size_t> numbers;
        // PE: by entry, made when it is first looked up (a directory of thousands of icons that
        // shows one costs one).
        std::unordered_map<std::size_t, cLeaf> leaves;
    };
    // One NE TYPEINFO with its names.
    struct cNeType {
        cResourceID id;
        std::size_t firstName = 0; // offset of its first NAMEINFO in the table
        std::uint16_t count = 0;
        std::shared_ptr<cDirectory> names;
    };
    // What the headers and the resource tables say, read at most once per opening (a decoded
    // directory's ids and index never change once it is in `directories`).
    struct cTables {
        eFormat format = eFormat::kNone;
        std::vector<std::uint8_t> head; // the file's first bytes
        // Blocks of the file kept for small reads, by their offset, the most recently used first.
        std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>> blocks;
        // PE: sections and the resource section's place.
        struct cSection {
            std::uint32_t va = 0, rawSize = 0, rawAt = 0;
        };
        std::vector<cSection> sections;
        std::uint32_t rsrcRva = 0;
        std::uint32_t rsrcSize = 0;
        std::uint64_t rsrcAt = 0; // file offset of the resource root
        std::uint64_t rsrcRoom = 0; // bytes from there to the end of its section (or of the file)
        bool rootOpened = false;
        std::uint64_t languageBytes = 0; // language entries kept with the leaves
        std::map<std::uint32_t, std::shared_ptr<cDirectory>> directories; // the root and name directories
        // NE: the resource table's bytes, its alignment shift and its types once parsed.
        std::vector<std::uint8_t> neTable;
        std::uint16_t neShift = 0;
        bool neParsed = false;
        std::uint32_t neError = 0;
        std::vector<cNeType> neTypes;
        // RES: the types (ids and index), and per type its names and per name its languages
        // with their data, ascending.
        std::shared_ptr<cDirectory> resTypes;
        struct cResType {
            std::shared_ptr<cDirectory> names;
            std::vector<std::vector<std::pair<std::uint16_t, cResource>>> languages;
        };
        std::vector<cResType> resNames;
    };

    bool Fail(std::uint32_t code) noexcept {
        lastError_ = code;
        return false;
    }
    bool ReadAt(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>& out);
    // The block of the file at `start` (a multiple of the block size) from the kept ones, read
    // and kept when it is not there; null when it cannot be read whole.
    const std::vector<std::uint8_t>* Block(std::uint64_t start);
    static std::optional<cKey> KeyOf(const cResourceID& id);
    // The index lookups shared by both formats: the first entry with this name (or, for NE, number)
    // among the decoded ones; nullopt with `damaged` set when it is not there and the directory
    // has an entry that could not be decoded.
    static std::optional<std::size_t> FindName(const cDirectory& dir, const cKey& key, bool& damaged);
    static void IndexName(cDirectory& dir, std::u16string name, std::size_t i);
    // Hands out the decoded ids and reports a damaged directory after them.
    bool EnumIds(const std::shared_ptr<cDirectory>& dir, const tEnumProc& proc);

    // Reads the headers of the file opened in file_ (Load, LoadBytes).
    bool LoadOpened();

    // PE (cModuleFile_PE.cpp).
    bool LoadPE(std::uint32_t peAt);
    bool RvaToOffset(std::uint32_t rva, std::uint64_t& offset, std::uint64_t& room) const;
    bool OpenRoot();
    bool ReadDirectory(std::uint32_t at, cDirectory& dir, std::size_t most = SIZE_MAX);
    bool ReadNames(cDirectory& dir);
    std::shared_ptr<cDirectory> Directory(std::uint32_t at, std::uint32_t parent);
    std::shared_ptr<cDirectory> NameDirectory(const cEntry& typeEntry);
    std::optional<std::size_t> FindEntry(const cDirectory& dir, const cKey& key, bool& damaged);
    // The entries of the language directory a name entry points to; false with LastError set.
    bool ReadLanguages(const cDirectory& names, const cEntry& e, std::vector<cEntry>& languages);
    // The data entry of `language` among a resource's languages, or of the lowest language.
    bool ResolveData(const std::vector<cEntry>& languages, std::optional<std::uint16_t> language, cResource& out);
    // The name directory of a type and the index of a name in it, or nothing with LastError set.
    std::optional<std::size_t> NameIndexPE(const cKey& name, const cKey& type, std::shared_ptr<cDirectory>& names);
    // The languages of entry n of a name directory: kept with the leaf while the languages kept
    // stay within the bytes of the resource section (a valid tree stores each language directory
    // once; names that share one would otherwise keep a copy each), else read into `scratch`.
    // Null with LastError set when they cannot be read.
    const std::vector<cEntry>* LeafLanguages(cDirectory& names, std::size_t n, std::vector<cEntry>& scratch);
    std::optional<cResource> FindPE(const cKey& name, const cKey& type, std::optional<std::uint16_t> language = {});
    std::optional<std::pair<cResourceID, cResource>> FirstPE(const cKey& type);
    // The type's entry in the root directory, or nothing with LastError set.
    std::optional<cEntry> TypeEntryPE(const cKey& type);
    // The key of a type, or nothing with LastError set (also when no module is loaded).
    std::optional<cKey> TypeKeyOf(const cResourceID& type);
    // FindResourceId with or without a language.
    std::optional<cResource> FindResource(const cResourceID& name, const cResourceID& type,
                                          std::optional<std::uint16_t> language);
    std::shared_ptr<cDirectory> TypesPE();
    std::shared_ptr<cDirectory> NamesPE(const cKey& type);

    // NE (cModuleFile_NE.cpp).
    bool LoadNE(std::uint32_t neAt);
    bool NeTypes();
    bool NeString(std::size_t at, std::string& out) const;
    bool NeId(std::uint16_t raw, cResourceID& out) const;
    static bool NeMatches(const cResourceID& id, const cKey& key);
    const cNeType* NeFindType(const cKey& key);
    std::optional<cResource> FindNE(const cKey& name, const cKey& type);
    std::shared_ptr<cDirectory> NamesNE(const cKey& type);

    // RES (cModuleFile_Res.cpp).
    bool LoadRes();
    // The type's entry and the name's entry, or nothing with LastError set.
    const cTables::cResType* ResType(const cKey& type);
    std::optional<cResource> FindRes(const cKey& name, const cKey& type, std::optional<std::uint16_t> language);

    std::string path_;
    cReadFile file_;
    std::uint64_t fileSize_ = 0;
    eFormat format_ = eFormat::kNone;
    std::uint32_t lastError_ = 0;
    std::unique_ptr<cTables> t_; // null when not loaded
};
