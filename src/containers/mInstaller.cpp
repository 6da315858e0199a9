#include "containers/mInstaller.h"

#include <memory>
#include <mutex>

#include <libmsi.h>

namespace mInstaller {

namespace {

// Owners of the library's objects and of its errors.
struct cUnref {
    void operator()(void* object) const noexcept { g_object_unref(object); }
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
        if (error) g_error_free(error);
        error = nullptr;
    }
    // The library's words for what went wrong, or `otherwise`.
    std::string Text(const std::string& otherwise) const {
        return error && error->message && *error->message ? std::string(error->message) : otherwise;
    }
};

struct cFreeString {
    void operator()(gchar* text) const noexcept { g_free(text); }
};

const std::string kSource = cError::SourceOf("mInstaller");

[[noreturn]] void Fail(std::int32_t number, const std::string& text) { throw cError(number, kSource, text); }

std::string RowText(const std::string& path, const std::string& row) { return path + ", Icon row \"" + row + "\""; }

// Runs a query that takes no parameters; null when the table it names is not in the package.
tRef<LibmsiQuery> Query(LibmsiDatabase* db, const char* sql) {
    cErrorBox error;
    tRef<LibmsiQuery> query(libmsi_query_new(db, sql, &error.error));
    if (!query) return nullptr;
    if (!libmsi_query_execute(query.get(), nullptr, &error.error)) return nullptr;
    return query;
}

std::string StringField(LibmsiRecord* record, guint field) {
    std::unique_ptr<gchar, cFreeString> text(libmsi_record_get_string(record, field));
    return text ? std::string(text.get()) : std::string();
}

// The stream of a row, a chunk at a time, each chunk taken from the budget before it is kept.
std::vector<std::uint8_t> ReadStream(LibmsiRecord* record, const std::string& path, const std::string& row,
                                     cLoadBudget& budget) {
    std::vector<std::uint8_t> data;
    if (libmsi_record_is_null(record, 2)) return data;
    tRef<GInputStream> stream(libmsi_record_get_stream(record, 2));
    if (!stream) Fail(cError::kInvalidPicture, RowText(path, row) + ": its Data stream cannot be read");
    std::vector<std::uint8_t> chunk(64 * 1024);
    for (;;) {
        cErrorBox error;
        const gssize got = g_input_stream_read(stream.get(), chunk.data(), chunk.size(), nullptr, &error.error);
        if (got < 0)
            Fail(cError::kInvalidPicture,
                 RowText(path, row) + ": its Data stream cannot be read: " + error.Text("a read failed"));
        if (got == 0) break;
        if (!budget.Take(static_cast<std::uint64_t>(got)))
            Fail(cError::kOutOfMemory, RowText(path, row) +
                                           ": its Data stream is larger than the package's budget of " +
                                           std::to_string(budget.Limit()) + " bytes");
        data.insert(data.end(), chunk.begin(), chunk.begin() + got);
    }
    data.shrink_to_fit();
    return data;
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
            g_log_set_handler(domain, levels, quiet, nullptr);
    });
}

} // namespace

std::vector<cIconRow> ReadIconRows(const std::string& path, cLoadBudget& budget) {
    QuietLibraryWarnings();
    cErrorBox error;
    tRef<LibmsiDatabase> db(libmsi_database_new(path.c_str(), LIBMSI_DB_FLAGS_READONLY, nullptr, &error.error));
    if (!db)
        Fail(cError::kInvalidPicture,
             path + " is not a Windows Installer package that can be read: " + error.Text("the library refused it"));

    std::string product;
    if (auto query = Query(db.get(), "SELECT `Value` FROM `Property` WHERE `Property` = 'ARPPRODUCTICON'")) {
        cErrorBox fetchError;
        if (tRef<LibmsiRecord> record{libmsi_query_fetch(query.get(), &fetchError.error)})
            product = StringField(record.get(), 1);
    }

    std::vector<cIconRow> rows;
    auto query = Query(db.get(), "SELECT `Name`, `Data` FROM `Icon`");
    if (!query) return rows;
    for (;;) {
        cErrorBox fetchError;
        tRef<LibmsiRecord> record{libmsi_query_fetch(query.get(), &fetchError.error)};
        if (!record) break;
        // Each row costs its share of the budget, so that a table of countless empty rows stops.
        if (!budget.Take(cLoadBudget::kPerGroup))
            Fail(cError::kOutOfMemory, path + ": its Icon table has more rows than the package's budget allows (" +
                                           std::to_string(rows.size()) + " read)");
        cIconRow row;
        row.name = StringField(record.get(), 1);
        row.data = ReadStream(record.get(), path, row.name, budget);
        rows.push_back(std::move(row));
    }
    // The product's own icon first; the others keep the table's order.
    if (!product.empty()) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].name != product) continue;
            cIconRow first = std::move(rows[i]);
            rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
            rows.insert(rows.begin(), std::move(first));
            break;
        }
    }
    return rows;
}

} // namespace mInstaller
