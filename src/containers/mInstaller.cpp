#include "containers/mInstaller.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <mutex>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <libmsi.h>

#include "icon/cFileIcon.h"
#include "platform/cSharedLibrary.h"

namespace mInstaller {

namespace {

// The package library and the GLib calls made on its objects, loaded by the child process that
// reads (never by the program itself: the library and what it needs, ICU's data among them, would
// take more address space than many a whole run of the command line may use).
struct cLibrary {
    decltype(&::libmsi_database_new) libmsi_database_new = nullptr;
    decltype(&::libmsi_query_new) libmsi_query_new = nullptr;
    decltype(&::libmsi_query_execute) libmsi_query_execute = nullptr;
    decltype(&::libmsi_query_fetch) libmsi_query_fetch = nullptr;
    decltype(&::libmsi_record_get_string) libmsi_record_get_string = nullptr;
    decltype(&::libmsi_record_is_null) libmsi_record_is_null = nullptr;
    decltype(&::libmsi_record_get_stream) libmsi_record_get_stream = nullptr;
    decltype(&::g_input_stream_read) g_input_stream_read = nullptr;
    decltype(&::g_object_unref) g_object_unref = nullptr;
    decltype(&::g_error_free) g_error_free = nullptr;
    decltype(&::g_free) g_free = nullptr;
    decltype(&::g_log_set_handler) g_log_set_handler = nullptr;
};
cLibrary& Msi() {
    static cLibrary library;
    return library;
}
// Loads the library into Msi(); the loader's words for what failed, "" when every call is there.
std::string LoadLibrary() {
    cLibrary& l = Msi();
    cSharedLibrary library("libmsi.so.0");
    library.Get(l.libmsi_database_new, "libmsi_database_new");
    library.Get(l.libmsi_query_new, "libmsi_query_new");
    library.Get(l.libmsi_query_execute, "libmsi_query_execute");
    library.Get(l.libmsi_query_fetch, "libmsi_query_fetch");
    library.Get(l.libmsi_record_get_string, "libmsi_record_get_string");
    library.Get(l.libmsi_record_is_null, "libmsi_record_is_null");
    library.Get(l.libmsi_record_get_stream, "libmsi_record_get_stream");
    library.Get(l.g_input_stream_read, "g_input_stream_read");
    library.Get(l.g_object_unref, "g_object_unref");
    library.Get(l.g_error_free, "g_error_free");
    library.Get(l.g_free, "g_free");
    library.Get(l.g_log_set_handler, "g_log_set_handler");
    return library.Error();
}

// Owners of the library's objects and of its errors.
struct cUnref {
    void operator()(void* object) const noexcept { Msi().g_object_unref(object); }
};
template <typename T>
using tRef = std::unique_ptr<T, cUnref>;

struct cErrorBox {
    GError* error = nullptr;
    cErrorBox() = default;
    cErrorBox(const cErrorBox&) = delete;
    cErrorBox& operator=(const cErrorBox&) = delete;
    ~cErrorBox() { Clear(); }
    void Clear() noexcept {
        if (error) Msi().g_error_free(error);
        error = nullptr;
    }
    // The library's words for what went wrong, or `otherwise`.
    std::string Text(const std::string& otherwise) const {
        return error && error->message && *error->message ? std::string(error->message) : otherwise;
    }
};

struct cFreeString {
    void operator()(gchar* text) const noexcept { Msi().g_free(text); }
};

const std::string kSource = cError::SourceOf("mInstaller");

[[noreturn]] void Fail(std::int32_t number, const std::string& text) { throw cError(number, kSource, text); }

std::string RowText(const std::string& path, const std::string& row) { return path + ", Icon row \"" + row + "\""; }

// Runs a query that takes no parameters; null when the table it names is not in the package.
tRef<LibmsiQuery> Query(LibmsiDatabase* db, const char* sql) {
    cErrorBox error;
    tRef<LibmsiQuery> query(Msi().libmsi_query_new(db, sql, &error.error));
    if (!query) return nullptr;
    if (!Msi().libmsi_query_execute(query.get(), nullptr, &error.error)) return nullptr;
    return query;
}

std::string StringField(LibmsiRecord* record, guint field) {
    std::unique_ptr<gchar, cFreeString> text(Msi().libmsi_record_get_string(record, field));
    return text ? std::string(text.get()) : std::string();
}

// The library and the storage library under it tell of a damaged file on standard error as well
// as in the error they return; the error is what the program reports, once, naming the file.
void QuietLibraryWarnings() {
    static std::once_flag once;
    std::call_once(once, [] {
        const auto levels =
            static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_MESSAGE);
        const auto quiet = [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {};
        // libmsi logs without a domain of its own.
        for (const char* domain : {"libgsf:msole", "libgsf", "libmsi", static_cast<const char*>(nullptr)})
            Msi().g_log_set_handler(domain, levels, quiet, nullptr);
    });
}

// The child's side: the rows as the library reads them, written to `out` as messages: 'P' the
// product icon's row name; 'R' a row's name, then 'D' chunks of its stream and 'Z' its end; 'E' a
// number and a text, what went wrong; 'F' the end. Each message is its tag, a 32-bit length and
// that many bytes.
bool Put(int out, char tag, const void* bytes, std::uint32_t n) {
    unsigned char head[5] = {static_cast<unsigned char>(tag), static_cast<unsigned char>(n & 0xFF),
                             static_cast<unsigned char>((n >> 8) & 0xFF), static_cast<unsigned char>((n >> 16) & 0xFF),
                             static_cast<unsigned char>(n >> 24)};
    for (const auto& [p, len] :
         {std::pair<const void*, std::size_t>{head, 5}, std::pair<const void*, std::size_t>{bytes, n}}) {
        const auto* at = static_cast<const unsigned char*>(p);
        for (std::size_t done = 0; done < len;) {
            const ssize_t wrote = ::write(out, at + done, len - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) return false;
            done += static_cast<std::size_t>(wrote);
        }
    }
    return true;
}
bool PutText(int out, char tag, const std::string& text) {
    return Put(out, tag, text.data(), static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), 1u << 16)));
}
bool PutError(int out, std::int32_t number, const std::string& text) {
    std::string message(4, '\0');
    for (int i = 0; i < 4; ++i)
        message[static_cast<std::size_t>(i)] =
            static_cast<char>((static_cast<std::uint32_t>(number) >> (8 * i)) & 0xFF);
    return PutText(out, 'E', message + text);
}

void WriteRows(const std::string& path, int out) {
    if (const std::string failed = LoadLibrary(); !failed.empty()) {
        PutError(out, cFileIcon::kErrCantLoadLibrary, path + ": the package library cannot be loaded: " + failed);
        return;
    }
    QuietLibraryWarnings();
    cErrorBox error;
    tRef<LibmsiDatabase> db(Msi().libmsi_database_new(path.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error.error));
    if (!db) {
        PutError(out, cError::kInvalidPicture,
                 path +
                     " is not a Windows Installer package that can be read: " + error.Text("the library refused it"));
        return;
    }
    if (auto query = Query(db.get(), "SELECT `Value` FROM `Property` WHERE `Property` = 'ARPPRODUCTICON'")) {
        cErrorBox fetchError;
        if (tRef<LibmsiRecord> record{Msi().libmsi_query_fetch(query.get(), &fetchError.error)})
            if (!PutText(out, 'P', StringField(record.get(), 1))) return;
    }
    if (auto query = Query(db.get(), "SELECT `Name`, `Data` FROM `Icon`")) {
        std::vector<std::uint8_t> chunk(64 * 1024);
        for (;;) {
            cErrorBox fetchError;
            tRef<LibmsiRecord> record{Msi().libmsi_query_fetch(query.get(), &fetchError.error)};
            if (!record) break;
            const std::string name = StringField(record.get(), 1);
            if (!PutText(out, 'R', name)) return;
            if (!Msi().libmsi_record_is_null(record.get(), 2)) {
                tRef<GInputStream> stream(Msi().libmsi_record_get_stream(record.get(), 2));
                if (!stream) {
                    PutError(out, cError::kInvalidPicture, RowText(path, name) + ": its Data stream cannot be read");
                    return;
                }
                for (;;) {
                    cErrorBox readError;
                    const gssize got =
                        Msi().g_input_stream_read(stream.get(), chunk.data(), chunk.size(), nullptr, &readError.error);
                    if (got < 0) {
                        PutError(out, cError::kInvalidPicture,
                                 RowText(path, name) +
                                     ": its Data stream cannot be read: " + readError.Text("a read failed"));
                        return;
                    }
                    if (got == 0) break;
                    if (!Put(out, 'D', chunk.data(), static_cast<std::uint32_t>(got))) return;
                }
            }
            if (!Put(out, 'Z', nullptr, 0)) return;
        }
    }
    Put(out, 'F', nullptr, 0);
}

// The parent's side: a pipe from the child, read with a limit on the silence between messages.
class cChild {
public:
    cChild(const std::string& path) : path_(path) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) Fail(cError::kTooManyFiles, path + ": no pipe for reading it");
        pid_ = ::fork();
        if (pid_ < 0) {
            ::close(fds[0]);
            ::close(fds[1]);
            Fail(cError::kOutOfMemory, path + ": no process for reading it");
        }
        if (pid_ == 0) {
            ::close(fds[0]);
            try {
                WriteRows(path, fds[1]);
            } catch (...) {}
            ::_exit(0);
        }
        ::close(fds[1]);
        in_ = fds[0];
    }
    ~cChild() {
        if (in_ >= 0) ::close(in_);
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            Reap();
        }
    }
    cChild(const cChild&) = delete;
    cChild& operator=(const cChild&) = delete;

    // The next message; nothing when the child ended without one (it crashed: what it said so
    // far stands, the error says how it ended).
    bool Next(char& tag, std::vector<std::uint8_t>& bytes, std::uint64_t most) {
        unsigned char head[5];
        if (!Read(head, 5)) return false;
        tag = static_cast<char>(head[0]);
        const std::uint32_t n =
            head[1] | (head[2] << 8) | (head[3] << 16) | (static_cast<std::uint32_t>(head[4]) << 24);
        if (n > most) return false;
        bytes.resize(n);
        return n == 0 || Read(bytes.data(), n);
    }
    // Why the child ended without finishing, in words; after Next answered false.
    std::string Ending() {
        if (timedOut_) return "the package library gave no answer for " + std::to_string(kSilenceSeconds) + " s";
        ::kill(pid_, SIGKILL);
        const int status = Reap();
        if (WIFSIGNALED(status) && WTERMSIG(status) != SIGKILL)
            return std::string("the package library crashed on it (") + ::strsignal(WTERMSIG(status)) + ")";
        return "the package library ended without reading it";
    }

    static constexpr int kSilenceSeconds = 20;

private:
    bool Read(unsigned char* at, std::size_t n) {
        for (std::size_t done = 0; done < n;) {
            pollfd p{in_, POLLIN, 0};
            const int ready = ::poll(&p, 1, kSilenceSeconds * 1000);
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0) timedOut_ = true;
            if (ready <= 0) return false;
            const ssize_t got = ::read(in_, at + done, n - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            done += static_cast<std::size_t>(got);
        }
        return true;
    }
    int Reap() {
        int status = 0;
        while (pid_ > 0 && ::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
        pid_ = -1;
        return status;
    }

    std::string path_;
    pid_t pid_ = -1;
    int in_ = -1;
    bool timedOut_ = false;
};

} // namespace

std::vector<cIconRow> ReadIconRows(const std::string& path, cLoadBudget& budget) {
    // The library is not safe on every damaged file (a crafted one can make it crash): it reads in
    // a child process of its own, which hands the rows over through a pipe, so that a crash or a
    // hang fails this file alone, never the program.
    cChild child(path);
    std::string product;
    std::vector<cIconRow> rows;
    bool inRow = false;
    char tag = 0;
    std::vector<std::uint8_t> bytes;
    for (;;) {
        // A message is at most a chunk, a name or a text.
        if (!child.Next(tag, bytes, std::uint64_t{1} << 17)) {
            Fail(cError::kInvalidPicture,
                 path + " is not a Windows Installer package that can be read: " + child.Ending());
        }
        const std::string text(bytes.begin(), bytes.end());
        switch (tag) {
        case 'P': product = text; break;
        case 'R':
            // Each row costs its share of the budget, so that a table of countless empty rows stops.
            if (!budget.Take(cLoadBudget::kPerGroup))
                Fail(cError::kOutOfMemory, path + ": its Icon table has more rows than the package's budget allows (" +
                                               std::to_string(rows.size()) + " read)");
            rows.push_back({text, {}});
            inRow = true;
            break;
        case 'D':
            if (!inRow) Fail(cError::kInvalidPicture, path + ": the package library's answer is out of order");
            if (!budget.Take(bytes.size()))
                Fail(cError::kOutOfMemory, RowText(path, rows.back().name) +
                                               ": its Data stream is larger than the package's budget of " +
                                               std::to_string(budget.Limit()) + " bytes");
            rows.back().data.insert(rows.back().data.end(), bytes.begin(), bytes.end());
            break;
        case 'Z': inRow = false; break;
        case 'E': {
            std::uint32_t number = 0;
            for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) number |= std::uint32_t{bytes[i]} << (8 * i);
            Fail(static_cast<std::int32_t>(number), text.size() > 4 ? text.substr(4) : path);
        }
        case 'F': {
            // The product's own icon first; the others keep the table's order.
            for (std::size_t i = 0; !product.empty() && i < rows.size(); ++i) {
                if (rows[i].name != product) continue;
                cIconRow first = std::move(rows[i]);
                rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
                rows.insert(rows.begin(), std::move(first));
                break;
            }
            return rows;
        }
        default: Fail(cError::kInvalidPicture, path + ": the package library's answer is damaged");
        }
    }
}

} // namespace mInstaller
