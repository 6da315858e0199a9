#pragma once
// cRegistryStore: the hierarchical, typed key/value store that stands in for the registry. Three
// roots (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE), keys as backslash paths that
// compare case-insensitively and keep the spelling they were created with, values with their
// registry types (any type number is kept, its bytes stored as given). The operations answer the
// registry's result codes (kErrorSuccess, kErrorFileNotFound, kErrorMoreData, kErrorNoMoreItems...)
// and never raise.
//
// Persistence: one SQLite file, by default $XDG_CONFIG_HOME/pictrix/registry.sqlite3. Every write
// is one IMMEDIATE transaction, the journal is in WAL mode and a busy timeout makes a second
// process wait for the first, so several Pictrix processes share the file safely. A file that
// SQLite finds damaged (not a database, corrupt), or that is a database of another program, is
// never overwritten: it is renamed aside with a time stamp
// ("registry.sqlite3.damaged-20261208-011621"), the event goes to the error log and a fresh store
// is started in its place. A healthy file that cannot be written (permission denied, a read-only
// file system, a lock another process holds past the wait) is no damage: it is never moved or
// changed; its values are read into a store in memory that serves the run, and the user is told
// once that changes cannot be saved. When no file can be used at all the store lives in memory
// for the run, starting from the defaults, and says so the same way.
//
// An open key (cRegKey) is a root, the key's path and the access it was opened with; every call
// works on the state in the file at that moment, so a key deleted by another process answers
// kErrorKeyDeleted.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace mReg {

// Predefined roots, as the 32-bit handle values the registry gives them.
inline constexpr std::uint32_t kHKeyClassesRoot = 0x80000000u;
inline constexpr std::uint32_t kHKeyCurrentUser = 0x80000001u;
inline constexpr std::uint32_t kHKeyLocalMachine = 0x80000002u;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegLink = 6;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Access rights.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyNotify = 0x0010;
inline constexpr std::uint32_t kKeyCreateLink = 0x0020;
inline constexpr std::uint32_t kKeyAllAccess = 0x003F;

// Result codes.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorOutOfMemory = 14;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorBadPathname = 161;
inline constexpr std::uint32_t kErrorMoreData = 234;
inline constexpr std::uint32_t kErrorNoMoreItems = 259;
inline constexpr std::uint32_t kErrorBadDb = 1009;
inline constexpr std::uint32_t kErrorCantRead = 1012;
inline constexpr std::uint32_t kErrorCantWrite = 1013;
inline constexpr std::uint32_t kErrorKeyDeleted = 1018;

// Limits of key and value names, in bytes.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// Dispositions reported by CreateKey.
inline constexpr std::uint32_t kCreatedNewKey = 1;
inline constexpr std::uint32_t kOpenedExistingKey = 2;

// The platform's text for a result code ("The system cannot find the file specified.").
std::string ResultText(std::uint32_t code);
// "HKEY_CURRENT_USER" for a root, the number in hex for anything else.
std::string RootName(std::uint32_t root);
// A type's name ("REG_SZ"); unknown types as "REG_0x0000002A".
std::string TypeName(std::uint32_t type);

} // namespace mReg

class cRegistryStore;

// An open key. Closing is dropping the object (or Close()); nothing is held in the file.
class cRegKey {
public:
    bool IsOpen() const noexcept { return store_ != nullptr; }
    void Close() noexcept { store_ = nullptr; }
    std::uint32_t Root() const noexcept { return root_; }
    // The key's path as stored (spelling of its creation), "" for the root itself.
    const std::string& Path() const noexcept { return path_; }

private:
    friend class cRegistryStore;
    cRegistryStore* store_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint32_t access_ = 0;
    std::string path_;
    std::string fold_;
};

struct cRegKeyInfo {
    std::uint32_t subKeys = 0;
    std::uint32_t maxSubKeyLen = 0; // longest subkey name, in bytes
    std::uint32_t values = 0;
    std::uint32_t maxValueNameLen = 0;
    std::uint32_t maxValueLen = 0; // largest value data, in bytes
};

// One value with its key, for listing the whole store.
struct cRegEntry {
    std::uint32_t root = 0;
    std::string keyPath;
    bool hasValue = false; // false: a key without values (listed so that empty keys show)
    std::string valueName;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

class cRegistryStore {
public:
    // How long an operation waits for a lock another process holds: another process's writes
    // take milliseconds, and a lock held longer is said (the store then serves from memory) rather
    // than waited for while the window hangs.
    static constexpr int kLockWaitMs = 2000;

    // Opens (or creates) the store in `file`; ":memory:" gives a store that lives for the object.
    // `lockWaitMs` bounds every wait for another process's lock.
    explicit cRegistryStore(std::string file, int lockWaitMs = kLockWaitMs);
    ~cRegistryStore();
    cRegistryStore(const cRegistryStore&) = delete;
    cRegistryStore& operator=(const cRegistryStore&) = delete;

    // The per-user store of this process, opened on first use at DefaultPath().
    static cRegistryStore& User();
    // $XDG_CONFIG_HOME/pictrix/registry.sqlite3, $HOME/.config/... when XDG_CONFIG_HOME is unset,
    // empty or not absolute.
    static std::string DefaultPath();

    // What the store reports: kNote for what belongs in the log (a damaged file moved aside),
    // kCannotSave for what the user must be told (changes made now cannot be saved, and why);
    // each is one line of text, and each store reports kCannotSave at most once.
    enum class eEvent { kNote, kCannotSave };
    // Where the store reports its events. The support layer routes them into the error log (and
    // shows kCannotSave); until then, and when `sink` is empty, they go to standard error.
    using tEventSink = std::function<void(const std::string& message, eEvent kind)>;
    static void SetEventSink(tEventSink sink);

    // The file in use (":memory:" when changes are not saved to any file).
    const std::string& File() const noexcept { return file_; }

    // RegOpenKeyEx: an empty subKey opens the root itself. kErrorFileNotFound when missing.
    std::uint32_t OpenKey(std::uint32_t root, std::string_view subKey, std::uint32_t access, cRegKey& key);
    // RegCreateKeyEx: creates every missing key of the path; disposition (optional) tells which.
    std::uint32_t CreateKey(std::uint32_t root, std::string_view subKey, std::uint32_t access, cRegKey& key,
                            std::uint32_t* disposition = nullptr);
    // RegDeleteKey: the key must have no subkeys (kErrorAccessDenied otherwise); its values go
    // with it. A root cannot be deleted.
    std::uint32_t DeleteKey(std::uint32_t root, std::string_view subKey);

    // RegQueryValueEx. With sizeOnly the type and size are reported and no data is copied. Else
    // up to `capacity` bytes are wanted: a larger value answers kErrorMoreData with its size and
    // type, leaving `data` empty. An empty name is the key's default value.
    std::uint32_t QueryValue(const cRegKey& key, std::string_view name, std::uint32_t& type,
                             std::vector<std::uint8_t>& data, std::uint32_t& size, bool sizeOnly = false,
                             std::uint32_t capacity = UINT32_MAX);
    // RegSetValueEx: replaces or adds the value (any type number, the bytes as given).
    std::uint32_t SetValue(const cRegKey& key, std::string_view name, std::uint32_t type,
                           std::span<const std::uint8_t> data);
    // RegDeleteValue.
    std::uint32_t DeleteValue(const cRegKey& key, std::string_view name);
    // RegQueryInfoKey.
    std::uint32_t QueryInfoKey(const cRegKey& key, cRegKeyInfo& info);
    // RegEnumValue: the name of value `index` (values in the order they were first set). A name
    // that needs more than `bufferChars` characters with its NUL answers kErrorMoreData.
    std::uint32_t EnumValue(const cRegKey& key, std::uint32_t index, std::string& name,
                            std::uint32_t bufferChars = UINT32_MAX, std::uint32_t* type = nullptr);
    // RegEnumKey: the name of subkey `index` (subkeys in case-insensitive name order), with the
    // same buffer rule.
    std::uint32_t EnumKey(const cRegKey& key, std::uint32_t index, std::string& name,
                          std::uint32_t bufferChars = UINT32_MAX);

    // Everything the store holds, by root and key path, values in their order.
    std::vector<cRegEntry> Snapshot();

private:
    class cStatement;
    enum class eOpen { kOpened, kDamaged, kUnusable };
    void Open();
    eOpen TryOpen(std::string& reason);
    void OpenInMemory();
    void OpenReadOnlyCopy(const std::string& reason);
    std::string FailureText(int rc);
    void ReportCannotSave(const std::string& message);
    void Recover(const std::string& reason);
    void CloseDb() noexcept;
    bool IsDamage(int rc) const noexcept;
    template <class F>
    std::uint32_t Run(bool write, F&& body);
    bool KeyRowExists(std::uint32_t root, const std::string& fold);
    std::uint32_t CheckKey(const cRegKey& key, std::uint32_t need);

    std::string file_;
    int lockWaitMs_;
    bool locked_ = false; // the last TryOpen failed on another process's lock
    bool cannotSaveReported_ = false; // the user has been told that changes cannot be saved
    sqlite3* db_ = nullptr;
    std::recursive_mutex mutex_;
};
