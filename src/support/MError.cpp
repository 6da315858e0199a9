#include "support/MError.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "base/mProgram.h"
#include "base/mTr.h"
#include "platform/cRegistryStore.h"
#include "support/CLog.h"

namespace MError {

namespace {

class cStderrView final : public cErrorView {
public:
    void ShowError(const std::string&, const std::string& text) override {
        std::string lines = text;
        for (char& c : lines) {
            if (c == '\r') c = '\n';
        }
        std::cerr << lines << '\n' << std::flush;
    }
};

cStderrView gStderrView;
cErrorView* gView = nullptr;
std::mutex gMutex;
std::string gPinnedLogPath;

bool CanWriteIn(const std::string& dir) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || ::access(dir.c_str(), W_OK) != 0) return false;
    std::string file = dir + "/errlog.txt";
    if (::stat(file.c_str(), &st) == 0) return S_ISREG(st.st_mode) && ::access(file.c_str(), W_OK) == 0;
    return true;
}

std::filesystem::path StateHome() {
    const char* xdg = std::getenv("XDG_STATE_HOME");
    if (xdg && *xdg == '/') return xdg;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".local" / "state";
}

} // namespace

void LogStoreEvents() {
    cRegistryStore::SetEventSink([](const std::string& message, cRegistryStore::eEvent kind) {
        bool logged = false;
        try {
            CLog log;
            log.LogPath(ErrorLogPath());
            log.LogEvent(message, CLog::kWarning);
            logged = true;
        } catch (const std::exception& e) {
            std::cerr << "pictrix: " << message << " (the error log could not be written: " << e.what() << ")\n";
        }
        // That changes cannot be saved is shown as well: standard error, or the windows' box.
        if (kind == cRegistryStore::eEvent::kCannotSave && logged) {
            try {
                ErrorView().ShowError(std::string(kTitle), message);
            } catch (...) {
                std::cerr << "pictrix: " << message << '\n';
            }
        }
    });
}

void LogInformation(const std::string& message) noexcept {
    try {
        CLog log;
        log.LogPath(ErrorLogPath());
        log.LogEvent(message, CLog::kInformation);
    } catch (const std::exception& e) {
        std::cerr << "pictrix: " << message << " (the error log could not be written: " << e.what() << ")\n";
    }
}

void SetErrorView(cErrorView* view) {
    std::lock_guard lock(gMutex);
    gView = view;
}

cErrorView& ErrorView() {
    std::lock_guard lock(gMutex);
    return gView ? *gView : gStderrView;
}

std::string ErrorLogPathFor(const std::string& programDir) {
    // An installed program keeps its bin folder clean, however writable it is.
    if (!mProgram::IsInstalledAt(programDir) && CanWriteIn(programDir)) return programDir + "/errlog.txt";
    auto dir = StateHome() / "pictrix";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return (dir / "errlog.txt").string();
}

std::string ErrorLogPath() {
    {
        std::lock_guard lock(gMutex);
        if (!gPinnedLogPath.empty()) return gPinnedLogPath;
    }
    return ErrorLogPathFor(mProgram::ProgramDir());
}

void SetErrorLogPath(std::string path) {
    std::lock_guard lock(gMutex);
    gPinnedLogPath = std::move(path);
}

void ReportEscaped() noexcept {
    try {
        throw;
    } catch (const cError& e) {
        ReportError(e, true, true);
    } catch (const std::bad_alloc&) {
        ReportError(cError::kOutOfMemory, mProgram::ExeBaseName(), cError::RuntimeDescription(cError::kOutOfMemory),
                    true, true);
    } catch (const std::exception& e) {
        ReportError(cError::kInvalidCall, mProgram::ExeBaseName(), e.what(), true, true);
    } catch (...) {
        ReportError(cError::kInvalidCall, mProgram::ExeBaseName(), cError::RuntimeDescription(cError::kInvalidCall),
                    true, true);
    }
}

std::string ReportText(std::int32_t number, std::string_view source, std::string_view description) {
    std::string text = mTr::Fill(PICTRIX_TR("MError", "Error #%1"), {std::to_string(number)});
    text += '\r';
    text += source;
    text += '\r';
    text += description;
    return text;
}

void ReportError(std::int32_t number, const std::string& source, const std::string& description, bool log,
                 bool show) noexcept {
    std::string logFailure;
    if (log) {
        try {
            CLog errLog;
            errLog.LogPath(ErrorLogPath());
            const cError current(number, source, description);
            errLog.LogEvent(std::to_string(number) + "\n" + description, CLog::kError, &current);
        } catch (const cError& e) {
            logFailure =
                mTr::Fill(PICTRIX_TR("MError", "The error could not be written to the error log: Error #%1, %2"),
                          {std::to_string(e.Number()), e.Description()});
        } catch (const std::exception& e) {
            logFailure =
                mTr::Fill(PICTRIX_TR("MError", "The error could not be written to the error log: %1"), {e.what()});
        } catch (...) {
            logFailure = PICTRIX_TR("MError", "The error could not be written to the error log.");
        }
    }
    try {
        std::string text = ReportText(number, source, description);
        if (!logFailure.empty()) text += "\r\r" + logFailure;
        if (show) {
            ErrorView().ShowError(std::string(kTitle), text);
        } else if (!logFailure.empty()) {
            // Only to be logged, and the log failed: standard error keeps it from vanishing.
            gStderrView.ShowError(std::string(kTitle), text);
        }
    } catch (...) {
        // A view that fails has nowhere left to report to; the program carries on.
        try {
            std::cerr << "pictrix: Error #" << number << ' ' << source << ": " << description << '\n';
        } catch (...) {}
    }
}

} // namespace MError
