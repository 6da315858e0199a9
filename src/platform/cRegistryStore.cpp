#include "platform/cRegistryStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/mSysText.h"

namespace mReg {

std::string ResultText(std::uint32_t code) {
    switch (code) {
    case kErrorSuccess: return "The operation completed successfully.";
    case kErrorFileNotFound: return "The system cannot find the file specified.";
    case kErrorAccessDenied: return "Access is denied.";
    case kErrorInvalidHandle: return "The handle is invalid.";
    case kErrorOutOfMemory: return "Not enough storage is available to complete this operation.";
    case kErrorInvalidParameter: return "The parameter is incorrect.";
    case kErrorBadPathname: return "The specified path is invalid.";
    case kErrorMoreData: return "More data is available.";
    case kErrorNoMoreItems: return "No more data is available.";
    case kErrorBadDb: return "The configuration registry database is corrupt.";
    case kErrorCantRead: return "The configuration registry key could not be read.";
    case kErrorCantWrite: return "The configuration registry key could not be written.";
    case kErrorKeyDeleted: return "Illegal operation attempted on a registry key that has been marked for deletion.";
    default: return "Registry error " + std::to_string(code) + ".";
    }
}

std::string RootName(std::uint32_t root) {
    switch (root) {
    case kHKeyClassesRoot: return "HKEY_CLASSES_ROOT";
    case kHKeyCurrentUser: return "HKEY_CURRENT_USER";
    case kHKeyLocalMachine: return "HKEY_LOCAL_MACHINE";
    default: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%08X", root);
        return buf;
    }
    }
}

std::string TypeName(std::uint32_t type) {
    switch (type) {
    case kRegNone: return "REG_NONE";
    case kRegSz: return "REG_SZ";
    case kRegExpandSz: return "REG_EXPAND_SZ";
    case kRegBinary: return "REG_BINARY";
    case kRegDword: return "REG_DWORD";
    case kRegDwordBigEndian: return "REG_DWORD_BIG_ENDIAN";
    case kRegLink: return "REG_LINK";
    case kRegMultiSz: return "REG_MULTI_SZ";
    default: {
        char buf[24];
        std::snprintf(buf, sizeof buf, "REG_0x%08X", type);
        return buf;
    }
    }
}

} // namespace mReg

using namespace mReg;

namespace {

// 'PXR2' in the file header, so that a database that is not a store of ours is recognised.
constexpr int kApplicationId = 0x50585232;
constexpr int kSchemaVersion = 1;
// How long a store opened read-only for its values waits for a lock (the wait for the lock
// itself has already passed by then).
constexpr int kReadOnlyWaitMs = 1000;

// A failed SQLite call inside an operation; carries the result code.
struct cDbFailure {
    int rc;
};

bool IsRoot(std::uint32_t root) {
    return root == kHKeyClassesRoot || root == kHKeyCurrentUser || root == kHKeyLocalMachine;
}

// Registry names compare without regard to case; ASCII letters fold, other bytes (UTF-8) stay.
std::string Fold(std::string_view s) {
    std::string f(s);
    for (char& c : f) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return f;
}

// Splits a subkey path into its names. A trailing backslash is allowed; an empty name inside the
// path (a leading or doubled backslash) or a name over the length limit is not.
std::uint32_t SplitPath(std::string_view path, std::vector<std::string_view>& parts) {
    parts.clear();
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    if (path.empty()) return kErrorSuccess;
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('\\', start);
        std::string_view part =
            path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part.empty()) return kErrorBadPathname;
        if (part.size() > kMaxKeyNameLength) return kErrorInvalidParameter;
        parts.push_back(part);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return kErrorSuccess;
}

std::string Join(const std::vector<std::string_view>& parts, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        if (i) s += '\\';
        s += parts[i];
    }
    return s;
}

// The last name of a stored path.
std::string_view LastName(std::string_view path) {
    auto at = path.rfind('\\');
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

// The range of folded paths of the descendants of `fold`: [lo, hi).
void ChildRange(const std::string& fold, std::string& lo, std::string& hi) {
    if (fold.empty()) {
        lo.clear();
        hi = "\xff\xff\xff\xff";
        return;
    }
    lo = fold + '\\';
    hi = fold + char('\\' + 1);
}

std::string TimeStampForName() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tm);
    return buf;
}

// Renames without ever replacing an existing file.
bool RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    if (::access(to.c_str(), F_OK) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}
cRegistryStore::tEventSink& Sink() {
    static cRegistryStore::tEventSink sink;
    return sink;
}

void LogStoreEvent(const std::string& message, cRegistryStore::eEvent kind = cRegistryStore::eEvent::kNote) {
    cRegistryStore::tEventSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = Sink();
    }
    if (sink) {
        sink(message, kind);
        return;
    }
    std::cerr << "pictrix: " << message << '\n';
}

// Holds an exclusive lock on the store's folder while the file is checked, moved or created, so
// that two processes never both decide to replace the same file.
class cFolderLock {
public:
    explicit cFolderLock(const std::string& file) {
        auto dir = std::filesystem::path(file).parent_path();
        if (dir.empty()) dir = ".";
        fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {}
        }
    }
    ~cFolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    cFolderLock(const cFolderLock&) = delete;
    cFolderLock& operator=(const cFolderLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace

void cRegistryStore::SetEventSink(tEventSink sink) {
    std::lock_guard lock(SinkMutex());
    Sink() = std::move(sink);
}

// A prepared statement, finalized on destruction. Every failing call throws cDbFailure.
class cRegistryStore::cStatement {
public:
    cStatement(sqlite3* db, const char* sql) {
        int rc = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
        if (rc != SQLITE_OK) throw cDbFailure{rc};
    }
    ~cStatement() { sqlite3_finalize(stmt_); }
    cStatement(const cStatement&) = delete;
    cStatement& operator=(const cStatement&) = delete;

    cStatement& Bind(int i, std::int64_t v) {
        Check(sqlite3_bind_int64(stmt_, i, v));
        return *this;
    }
    cStatement& Bind(int i, std::string_view s) {
        Check(sqlite3_bind_text(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT));
        return *this;
    }
    cStatement& BindBlob(int i, std::span<const std::uint8_t> b) {
        static const std::uint8_t kEmpty = 0;
        Check(
            sqlite3_bind_blob(stmt_, i, b.empty() ? &kEmpty : b.data(), static_cast<int>(b.size()), SQLITE_TRANSIENT));
        return *this;
    }
    // True while a row is there.
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw cDbFailure{rc};
    }
    std::int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
    bool IsNull(int col) { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
    std::string Text(int col) {
        const auto* p = sqlite3_column_text(stmt_, col);
        int n = sqlite3_column_bytes(stmt_, col);
        return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string();
    }
    std::vector<std::uint8_t> Blob(int col) {
        const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, col));
        int n = sqlite3_column_bytes(stmt_, col);
        return p ? std::vector<std::uint8_t>(p, p + n) : std::vector<std::uint8_t>();
    }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) throw cDbFailure{rc};
    }
    sqlite3_stmt* stmt_ = nullptr;
};

namespace {

void Exec(sqlite3* db, const char* sql) {
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) throw cDbFailure{rc};
}

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    "  root INTEGER NOT NULL, fold TEXT NOT NULL, path TEXT NOT NULL,"
    "  PRIMARY KEY(root, fold)) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS vals("
    "  root INTEGER NOT NULL, keyfold TEXT NOT NULL, fold TEXT NOT NULL, name TEXT NOT NULL,"
    "  type INTEGER NOT NULL, data BLOB NOT NULL,"
    "  UNIQUE(root, keyfold, fold));";

} // namespace

cRegistryStore::cRegistryStore(std::string file, int lockWaitMs) : file_(std::move(file)), lockWaitMs_(lockWaitMs) {
    Open();
}

cRegistryStore::~cRegistryStore() { CloseDb(); }

void cRegistryStore::CloseDb() noexcept {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
}

std::string cRegistryStore::DefaultPath() {
    std::filesystem::path base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : ".") / ".config";
    }
    return (base / "pictrix" / "registry.sqlite3").string();
}

cRegistryStore& cRegistryStore::User() {
    static cRegistryStore store(DefaultPath());
    return store;
}

bool cRegistryStore::IsDamage(int rc) const noexcept {
    int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Why a SQLite failure leaves the store unusable, in words for the user: the system's reason
// when there is one.
std::string cRegistryStore::FailureText(int rc) {
    if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) {
        locked_ = true;
        return "another program keeps it locked";
    }
    // The system's word on writing the file (or, before there is one, its folder) says most.
    std::string target = file_;
    if (::access(target.c_str(), F_OK) != 0) target = std::filesystem::path(file_).parent_path().string();
    if (!target.empty() && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        if (errno == EROFS) return "it lies on a read-only file system";
        if (errno == EACCES || errno == EPERM) return mSysText::TextLine(mSysText::kAccessDenied);
    }
    const int err = db_ ? sqlite3_system_errno(db_) : 0;
    if (err != 0) return mSysText::TextLine(mSysText::FromErrno(err));
    if ((rc & 0xff) == SQLITE_READONLY) return "it cannot be written";
    return sqlite3_errstr(rc);
}

// Opens the file and checks that it is a healthy store of ours (creating the tables in a new or
// empty file). kDamaged, with a reason, when SQLite finds the file damaged (or it is a database
// of another program) and it must be moved aside; kUnusable when it cannot be opened or written
// for any other reason (permissions, a read-only file system, a lock held past the wait), which
// is no fault of the file: it is then neither moved nor changed.
cRegistryStore::eOpen cRegistryStore::TryOpen(std::string& reason) {
    CloseDb();
    locked_ = false;
    int rc =
        sqlite3_open_v2(file_.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        reason = db_ ? FailureText(sqlite3_extended_errcode(db_)) : sqlite3_errstr(rc);
        CloseDb();
        return IsDamage(rc) ? eOpen::kDamaged : eOpen::kUnusable;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, lockWaitMs_);
    try {
        {
            cStatement check(db_, "PRAGMA quick_check(1)");
            if (!check.Step() || check.Text(0) != "ok") {
                reason = "the database is damaged";
                CloseDb();
                return eOpen::kDamaged;
            }
        }
        // A file the system lets us read but not write was opened read-only.
        if (file_ != ":memory:" && sqlite3_db_readonly(db_, "main") == 1) throw cDbFailure{SQLITE_READONLY};
        Exec(db_, "BEGIN IMMEDIATE");
        try {
            std::int64_t appId = 0, tables = 0;
            {
                cStatement s(db_, "PRAGMA application_id");
                if (s.Step()) appId = s.Int(0);
            }
            {
                cStatement s(db_, "SELECT count(*) FROM sqlite_master");
                if (s.Step()) tables = s.Int(0);
            }
            if (appId != kApplicationId && !(appId == 0 && tables == 0)) {
                Exec(db_, "ROLLBACK");
                reason = "the file is not a Pictrix settings store";
                CloseDb();
                return eOpen::kDamaged;
            }
            Exec(db_, kSchema);
            if (appId == 0) {
                Exec(db_, "PRAGMA application_id = 1347965490"); // kApplicationId
                Exec(db_, "PRAGMA user_version = 1");
            }
            Exec(db_, "COMMIT");
        } catch (const cDbFailure&) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        if (file_ != ":memory:") {
            cStatement wal(db_, "PRAGMA journal_mode=WAL");
            wal.Step();
            Exec(db_, "PRAGMA synchronous=NORMAL");
        }
        static_assert(kApplicationId == 1347965490 && kSchemaVersion == 1);
    } catch (const cDbFailure& f) {
        const bool damaged = IsDamage(f.rc);
        reason = damaged ? std::string(sqlite3_errstr(f.rc)) : FailureText(f.rc);
        CloseDb();
        return damaged ? eOpen::kDamaged : eOpen::kUnusable;
    }
    return eOpen::kOpened;
}

// Opens an empty store in memory for this run.
void cRegistryStore::OpenInMemory() {
    file_ = ":memory:";
    std::string ignored;
    TryOpen(ignored);
}

// The store could not be opened for writing: its values are copied, read-only, into a store in
// memory that serves this run, and the file is left as it is. The user learns it once.
void cRegistryStore::OpenReadOnlyCopy(const std::string& reason) {
    const std::string path = file_;
    const bool locked = locked_;
    const bool exists = ::access(path.c_str(), F_OK) == 0;
    sqlite3* source = nullptr;
    bool copied = false;
    auto copy = [&](const std::string& name, int flags) {
        if (source) sqlite3_close_v2(source);
        source = nullptr;
        const int how = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | flags;
        if (sqlite3_open_v2(name.c_str(), &source, how, nullptr) != SQLITE_OK) return false;
        sqlite3_busy_timeout(source, std::min(lockWaitMs_, kReadOnlyWaitMs));
        // Only a store of ours is taken over.
        sqlite3_stmt* id = nullptr;
        bool ours = false;
        if (sqlite3_prepare_v2(source, "PRAGMA application_id", -1, &id, nullptr) == SQLITE_OK &&
            sqlite3_step(id) == SQLITE_ROW)
            ours = sqlite3_column_int64(id, 0) == kApplicationId;
        sqlite3_finalize(id);
        if (!ours) return false;
        sqlite3_backup* backup = sqlite3_backup_init(db_, "main", source, "main");
        if (!backup) return false;
        const int rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        return rc == SQLITE_DONE;
    };
    OpenInMemory();
    if (db_) {
        copied = copy(path, 0);
        // A store in write-ahead-log mode needs its index file to be read; where that cannot be
        // made (a read-only folder or file system) the file is read as it stands, which is safe
        // because nothing can be writing it then. Not when it is locked: then someone is.
        if (!copied && !locked) {
            std::string uri = "file:";
            for (char c : path) {
                if (c == '%' || c == '?' || c == '#') {
                    char buf[4];
                    std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
                    uri += buf;
                } else {
                    uri += c;
                }
            }
            copied = copy(uri + "?immutable=1", SQLITE_OPEN_URI);
        }
        if (source) sqlite3_close_v2(source);
        if (!copied) {
            // Whatever a failed copy left behind goes; the run starts from the defaults.
            OpenInMemory();
        }
    }
    if (!exists) {
        ReportCannotSave("The settings store " + path + " cannot be created (" + reason +
                         "): the settings are at their defaults, and changes made now cannot be saved.");
    } else if (copied) {
        ReportCannotSave("The settings store " + path + " cannot be written (" + reason +
                         "): the settings were read from it, but changes made now cannot be saved. The file is left "
                         "as it is.");
    } else {
        ReportCannotSave("The settings store " + path + " cannot be used (" + reason +
                         "): the settings are at their defaults, and changes made now cannot be saved. The file is "
                         "left as it is.");
    }
}

void cRegistryStore::ReportCannotSave(const std::string& message) {
    if (cannotSaveReported_) return;
    cannotSaveReported_ = true;
    LogStoreEvent(message, eEvent::kCannotSave);
}

void cRegistryStore::Open() {
    if (file_ != ":memory:") {
        std::error_code ec;
        auto dir = std::filesystem::path(file_).parent_path();
        if (!dir.empty()) std::filesystem::create_directories(dir, ec);
        if (ec) {
            ReportCannotSave("The folder of the settings store " + file_ + " could not be created (" + ec.message() +
                             "); settings are kept in memory for this run, and changes made now "
                             "cannot be saved.");
            file_ = ":memory:";
        }
    }
    if (file_ == ":memory:") {
        OpenInMemory();
        return;
    }
    // Only a regular file is a store, checked as every file the program writes is: a FIFO would
    // hold the first read for good, and a device or a folder is nobody's store. Nothing opens it.
    struct stat st {};
    if (::stat(file_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        const char* what = S_ISFIFO(st.st_mode)   ? "a FIFO"
                           : S_ISDIR(st.st_mode)  ? "a folder"
                           : S_ISSOCK(st.st_mode) ? "a socket"
                                                  : "a device";
        ReportCannotSave("The settings store " + file_ + " cannot be used (it is " + what +
                         ", not a regular file): the settings are at their defaults, and changes made now cannot be "
                         "saved. The file is left as it is.");
        OpenInMemory();
        return;
    }
    cFolderLock lock(file_);
    std::string reason;
    switch (TryOpen(reason)) {
    case eOpen::kOpened: return;
    case eOpen::kDamaged: Recover(reason); return;
    case eOpen::kUnusable: OpenReadOnlyCopy(reason); return;
    }
}

// Moves the damaged file aside (never over anything) and starts a fresh store; the caller holds
// the folder lock.
void cRegistryStore::Recover(const std::string& reason) {
    CloseDb();
    std::string stamp = TimeStampForName();
    std::string aside;
    bool moved = false;
    for (int n = 0; n < 100 && !moved; ++n) {
        aside = file_;
        aside += ".damaged-";
        aside += stamp;
        if (n) {
            aside += '-';
            aside += std::to_string(n);
        }
        moved = RenameNoReplace(file_, aside);
        if (!moved && errno != EEXIST && errno != ENOTEMPTY) break;
    }
    if (!moved) {
        int err = errno;
        ReportCannotSave("The settings store " + file_ + " could not be opened (" + reason +
                         ") and could not be moved aside (" + mSysText::TextLine(mSysText::FromErrno(err)) +
                         "); settings are kept in memory for this run, and changes made now cannot be saved.");
        OpenInMemory();
        return;
    }
    // The write-ahead log belongs to the damaged file: keep it beside that file, and drop the
    // shared-memory index, so that the fresh store never replays either.
    std::string wal = file_ + "-wal";
    if (::access(wal.c_str(), F_OK) == 0) RenameNoReplace(wal, aside + "-wal");
    ::unlink((file_ + "-shm").c_str());
    LogStoreEvent("The settings store " + file_ + " could not be used (" + reason + "); it was moved to " + aside +
                  " and a fresh store was started.");
    std::string again;
    if (TryOpen(again) != eOpen::kOpened) {
        ReportCannotSave("A fresh settings store could not be started at " + file_ + " (" + again +
                         "); settings are kept in memory for this run, and changes made now cannot be saved.");
        OpenInMemory();
    }
}

// Runs one operation in one transaction. Damage found on the way moves the file aside and the
// operation runs once more on the fresh store.
template <class F>
std::uint32_t cRegistryStore::Run(bool write, F&& body) {
    std::lock_guard guard(mutex_);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!db_) return kErrorBadDb;
        int failure = SQLITE_OK;
        try {
            Exec(db_, write ? "BEGIN IMMEDIATE" : "BEGIN");
            std::uint32_t result;
            try {
                result = body();
            } catch (...) {
                sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
                throw;
            }
            if (result == kErrorSuccess && write) {
                Exec(db_, "COMMIT");
            } else {
                sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            }
            return result;
        } catch (const cDbFailure& f) {
            failure = f.rc;
        } catch (const std::bad_alloc&) {
            return kErrorOutOfMemory;
        }
        if (!IsDamage(failure) || attempt > 0 || file_ == ":memory:") {
            return write ? kErrorCantWrite : kErrorCantRead;
        }
        cFolderLock lock(file_);
        // Another process may have replaced the file already; only a file still damaged moves.
        std::string reason;
        switch (TryOpen(reason)) {
        case eOpen::kOpened: break;
        case eOpen::kDamaged: Recover(reason); break;
        case eOpen::kUnusable: OpenReadOnlyCopy(reason); break;
        }
    }
    return write ? kErrorCantWrite : kErrorCantRead;
}

bool cRegistryStore::KeyRowExists(std::uint32_t root, const std::string& fold) {
    if (fold.empty()) return true;
    cStatement s(db_, "SELECT 1 FROM keys WHERE root=? AND fold=?");
    s.Bind(1, root).Bind(2, fold);
    return s.Step();
}

std::uint32_t cRegistryStore::CheckKey(const cRegKey& key, std::uint32_t need) {
    if (key.store_ != this || !IsRoot(key.root_)) return kErrorInvalidHandle;
    if ((key.access_ & need) != need) return kErrorAccessDenied;
    if (!KeyRowExists(key.root_, key.fold_)) return kErrorKeyDeleted;
    return kErrorSuccess;
}

std::uint32_t cRegistryStore::OpenKey(std::uint32_t root, std::string_view subKey, std::uint32_t access, cRegKey& key) {
    key.Close();
    if (!IsRoot(root)) return kErrorInvalidHandle;
    std::vector<std::string_view> parts;
    if (auto rc = SplitPath(subKey, parts); rc != kErrorSuccess) return rc;
    std::string fold = Fold(Join(parts, parts.size()));
    std::string path;
    std::uint32_t rc = Run(false, [&]() -> std::uint32_t {
        if (fold.empty()) return kErrorSuccess;
        cStatement s(db_, "SELECT path FROM keys WHERE root=? AND fold=?");
        s.Bind(1, root).Bind(2, fold);
        if (!s.Step()) return kErrorFileNotFound;
        path = s.Text(0);
        return kErrorSuccess;
    });
    if (rc != kErrorSuccess) return rc;
    key.store_ = this;
    key.root_ = root;
    key.access_ = access;
    key.path_ = std::move(path);
    key.fold_ = std::move(fold);
    return kErrorSuccess;
}

std::uint32_t cRegistryStore::CreateKey(std::uint32_t root, std::string_view subKey, std::uint32_t access, cRegKey& key,
                                        std::uint32_t* disposition) {
    key.Close();
    if (!IsRoot(root)) return kErrorInvalidHandle;
    std::vector<std::string_view> parts;
    if (auto rc = SplitPath(subKey, parts); rc != kErrorSuccess) return rc;
    std::string path, fold;
    bool created = false;
    std::uint32_t rc = Run(true, [&]() -> std::uint32_t {
        path.clear();
        fold.clear();
        created = false;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            std::string partFold = Fold(parts[i]);
            std::string childFold = fold.empty() ? partFold : fold + '\\' + partFold;
            std::string childPath;
            {
                cStatement s(db_, "SELECT path FROM keys WHERE root=? AND fold=?");
                s.Bind(1, root).Bind(2, childFold);
                if (s.Step()) childPath = s.Text(0);
            }
            if (childPath.empty()) {
                // New keys below an existing one keep the spelling of that one's path.
                childPath = path.empty() ? std::string(parts[i]) : path + '\\' + std::string(parts[i]);
                cStatement ins(db_, "INSERT INTO keys(root, fold, path) VALUES(?, ?, ?)");
                ins.Bind(1, root).Bind(2, childFold).Bind(3, childPath);
                ins.Step();
                created = true;
            }
            path = std::move(childPath);
            fold = std::move(childFold);
        }
        return kErrorSuccess;
    });
    if (rc != kErrorSuccess) return rc;
    if (disposition) *disposition = created ? kCreatedNewKey : kOpenedExistingKey;
    key.store_ = this;
    key.root_ = root;
    key.access_ = access;
    key.path_ = std::move(path);
    key.fold_ = std::move(fold);
    return kErrorSuccess;
}

std::uint32_t cRegistryStore::DeleteKey(std::uint32_t root, std::string_view subKey) {
    if (!IsRoot(root)) return kErrorInvalidHandle;
    std::vector<std::string_view> parts;
    if (auto rc = SplitPath(subKey, parts); rc != kErrorSuccess) return rc;
    if (parts.empty()) return kErrorAccessDenied;
    std::string fold = Fold(Join(parts, parts.size()));
    return Run(true, [&]() -> std::uint32_t {
        if (!KeyRowExists(root, fold)) return kErrorFileNotFound;
        std::string lo, hi;
        ChildRange(fold, lo, hi);
        {
            cStatement s(db_, "SELECT 1 FROM keys WHERE root=? AND fold>=? AND fold<? LIMIT 1");
            s.Bind(1, root).Bind(2, lo).Bind(3, hi);
            if (s.Step()) return kErrorAccessDenied;
        }
        cStatement dv(db_, "DELETE FROM vals WHERE root=? AND keyfold=?");
        dv.Bind(1, root).Bind(2, fold);
        dv.Step();
        cStatement dk(db_, "DELETE FROM keys WHERE root=? AND fold=?");
        dk.Bind(1, root).Bind(2, fold);
        dk.Step();
        return kErrorSuccess;
    });
}

std::uint32_t cRegistryStore::QueryValue(const cRegKey& key, std::string_view name, std::uint32_t& type,
                                         std::vector<std::uint8_t>& data, std::uint32_t& size, bool sizeOnly,
                                         std::uint32_t capacity) {
    data.clear();
    return Run(false, [&]() -> std::uint32_t {
        if (auto rc = CheckKey(key, kKeyQueryValue); rc != kErrorSuccess) return rc;
        cStatement s(db_, "SELECT type, data FROM vals WHERE root=? AND keyfold=? AND fold=?");
        s.Bind(1, key.root_).Bind(2, key.fold_).Bind(3, Fold(name));
        if (!s.Step()) return kErrorFileNotFound;
        type = static_cast<std::uint32_t>(s.Int(0));
        auto bytes = s.Blob(1);
        size = static_cast<std::uint32_t>(bytes.size());
        if (sizeOnly) return kErrorSuccess;
        if (bytes.size() > capacity) return kErrorMoreData;
        data = std::move(bytes);
        return kErrorSuccess;
    });
}

std::uint32_t cRegistryStore::SetValue(const cRegKey& key, std::string_view name, std::uint32_t type,
                                       std::span<const std::uint8_t> data) {
    if (name.size() > kMaxValueNameLength) return kErrorInvalidParameter;
    if (data.size() > static_cast<std::size_t>(INT32_MAX)) return kErrorInvalidParameter;
    return Run(true, [&]() -> std::uint32_t {
        if (auto rc = CheckKey(key, kKeySetValue); rc != kErrorSuccess) return rc;
        cStatement s(db_, "INSERT INTO vals(root, keyfold, fold, name, type, data) VALUES(?, ?, ?, ?, ?, ?) "
                          "ON CONFLICT(root, keyfold, fold) DO UPDATE SET type=excluded.type, data=excluded.data");
        s.Bind(1, key.root_).Bind(2, key.fold_).Bind(3, Fold(name)).Bind(4, name).Bind(5, type).BindBlob(6, data);
        s.Step();
        return kErrorSuccess;
    });
}

std::uint32_t cRegistryStore::DeleteValue(const cRegKey& key, std::string_view name) {
    return Run(true, [&]() -> std::uint32_t {
        if (auto rc = CheckKey(key, kKeySetValue); rc != kErrorSuccess) return rc;
        cStatement s(db_, "DELETE FROM vals WHERE root=? AND keyfold=? AND fold=?");
        s.Bind(1, key.root_).Bind(2, key.fold_).Bind(3, Fold(name));
        s.Step();
        return sqlite3_changes(db_) > 0 ? kErrorSuccess : kErrorFileNotFound;
    });
}

std::uint32_t cRegistryStore::QueryInfoKey(const cRegKey& key, cRegKeyInfo& info) {
    info = cRegKeyInfo{};
    return Run(false, [&]() -> std::uint32_t {
        if (auto rc = CheckKey(key, kKeyQueryValue); rc != kErrorSuccess) return rc;
        std::string lo, hi;
        ChildRange(key.fold_, lo, hi);
        cStatement k(db_, "SELECT path FROM keys WHERE root=? AND fold>=? AND fold<?");
        k.Bind(1, key.root_).Bind(2, lo).Bind(3, hi);
        std::size_t prefix = key.fold_.empty() ? 0 : key.fold_.size() + 1;
        while (k.Step()) {
            std::string p = k.Text(0);
            if (p.find('\\', prefix) != std::string::npos) continue; // a grandchild
            ++info.subKeys;
            info.maxSubKeyLen = std::max(info.maxSubKeyLen, static_cast<std::uint32_t>(p.size() - prefix));
        }
        cStatement v(db_, "SELECT length(CAST(name AS BLOB)), length(data) FROM vals WHERE root=? AND keyfold=?");
        v.Bind(1, key.root_).Bind(2, key.fold_);
        while (v.Step()) {
            ++info.values;
            info.maxValueNameLen = std::max(info.maxValueNameLen, static_cast<std::uint32_t>(v.Int(0)));
            info.maxValueLen = std::max(info.maxValueLen, static_cast<std::uint32_t>(v.Int(1)));
        }
        return kErrorSuccess;
    });
}

std::uint32_t cRegistryStore::EnumValue(const cRegKey& key, std::uint32_t index, std::string& name,
                                        std::uint32_t bufferChars, std::uint32_t* type) {
    name.clear();
    return Run(false, [&]() -> std::uint32_t {
        if (auto rc = CheckKey(key, kKeyQueryValue); rc != kErrorSuccess) return rc;
        cStatement s(db_, "SELECT name, type FROM vals WHERE root=? AND keyfold=? ORDER BY rowid LIMIT 1 OFFSET ?");
        s.Bind(1, key.root_).Bind(2, key.fold_).Bind(3, index);
        if (!s.Step()) return kErrorNoMoreItems;
        std::string n = s.Text(0);
        if (n.size() >= bufferChars) return kErrorMoreData;
        name = std::move(n);
        if (type) *type = static_cast<std::uint32_t>(s.Int(1));
        return kErrorSuccess;
    });
}

std::uint32_t cRegistryStore::EnumKey(const cRegKey& key, std::uint32_t index, std::string& name,
                                      std::uint32_t bufferChars) {
    name.clear();
    return Run(false, [&]() -> std::uint32_t {
        if (auto rc = CheckKey(key, kKeyEnumerateSubKeys); rc != kErrorSuccess) return rc;
        std::string lo, hi;
        ChildRange(key.fold_, lo, hi);
        // Children only: no further backslash after the parent's path.
        cStatement s(db_,
                     "SELECT path FROM keys WHERE root=? AND fold>=? AND fold<? AND instr(substr(fold, ?), '\\')=0 "
                     "ORDER BY fold LIMIT 1 OFFSET ?");
        std::int64_t from = key.fold_.empty() ? 1 : static_cast<std::int64_t>(key.fold_.size()) + 2;
        s.Bind(1, key.root_).Bind(2, lo).Bind(3, hi).Bind(4, from).Bind(5, index);
        if (!s.Step()) return kErrorNoMoreItems;
        std::string n(LastName(s.Text(0)));
        if (n.size() >= bufferChars) return kErrorMoreData;
        name = std::move(n);
        return kErrorSuccess;
    });
}

std::vector<cRegEntry> cRegistryStore::Snapshot() {
    std::vector<cRegEntry> out;
    Run(false, [&]() -> std::uint32_t {
        out.clear();
        cStatement s(db_, "SELECT k.root, k.path, v.name, v.type, v.data, v.rowid FROM "
                          "(SELECT root, fold, path FROM keys UNION ALL "
                          " SELECT DISTINCT root, keyfold, '' FROM vals WHERE keyfold='') AS k "
                          "LEFT JOIN vals AS v ON v.root=k.root AND v.keyfold=k.fold "
                          "ORDER BY k.root, k.fold, v.rowid");
        while (s.Step()) {
            cRegEntry e;
            e.root = static_cast<std::uint32_t>(s.Int(0));
            e.keyPath = s.Text(1);
            e.hasValue = !s.IsNull(3);
            if (e.hasValue) {
                e.valueName = s.Text(2);
                e.type = static_cast<std::uint32_t>(s.Int(3));
                e.data = s.Blob(4);
            }
            out.push_back(std::move(e));
        }
        return kErrorSuccess;
    });
    return out;
}
