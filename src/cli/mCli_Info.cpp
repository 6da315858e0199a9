// pictrix-cli info: the header and directory of .ico and .cur files, and the frames, steps and
// rates of animated cursors.

#include <iomanip>

#include "cli/mCli.h"
#include "icon/cAnimatedCursor.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"
#include "base/mLanguage.h"
#include "platform/cModuleFile.h"
#include "platform/mVersionInfo.h"

namespace mCli {

namespace {

void PrintIcon(const cFileIcon& icon, std::ostream& out) {
    const ICONDIR& h = icon.Header();
    out << "header: reserved " << h.idReserved << ", type " << h.idType << ", images " << h.idCount << '\n'
        << "     #  width height    colours   bytes  offset  format" << (icon.IsCursor() ? "  hotspot" : "") << '\n';
    for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) {
        const ICONDIRENTRY& e = icon.Entry(i);
        out << std::setw(6) << i << std::setw(7) << icon.ImageWidth(i) << std::setw(7) << icon.ImageHeight(i)
            << std::setw(11) << icon.ImageColourCount(i) << std::setw(8) << icon.ImageSize(i) << std::setw(8)
            << e.dwImageOffset << "  " << (icon.IsPngImage(i) ? "PNG" : "DIB");
        if (icon.IsCursor()) out << "     " << icon.Hotspot(i).x << ',' << icon.Hotspot(i).y;
        out << '\n';
    }
}

void PrintList(const char* what, const std::vector<std::uint32_t>& values, std::ostream& out) {
    out << what << ':';
    for (const std::uint32_t v : values) out << ' ' << v;
    out << '\n';
}

// A module's version resource: its fixed versions and every string table, the user's language
// first.
bool PrintModule(const std::string& file, std::ostream& out, std::ostream& err) {
    cModuleFile module;
    if (!module.Load(file)) {
        std::string text = module.LastErrorText();
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
        err << "pictrix-cli: " << Printable(file) << ": " << Printable(text) << '\n';
        return false;
    }
    out << Printable(file) << '\n';
    auto info = mVersionInfo::Read(module);
    if (!info) {
        out << "version: none\n";
        return true;
    }
    mVersionInfo::OrderForLocale(*info, mLanguage::UserLocale());
    if (info->fileVersion)
        out << "version: file " << mVersionInfo::VersionText(*info->fileVersion) << ", product "
            << mVersionInfo::VersionText(*info->productVersion) << '\n';
    for (const mVersionInfo::cTable& t : info->tables) {
        out << "strings " << mLanguage::Tag(t.language) << ", code page " << t.codePage << '\n';
        for (const auto& [key, value] : t.strings) out << "  " << Printable(key) << ": " << Printable(value) << '\n';
    }
    return true;
}

} // namespace

int Info(const tArgs& given, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsage =
        "usage: pictrix-cli info FILE...\n"
        "  the header and images of icon and cursor files, the version strings of modules\n";
    tArgs args;
    if (!Operands(given, "info", kUsage, args, err)) return 2;
    if (args.empty()) {
        err << kUsage;
        return 2;
    }
    int status = 0;
    for (const auto& file : args) {
        const mFileKind::eKind kind = mFileKind::KindOf(file);
        if (kind == mFileKind::eKind::kAnimatedCursor) {
            cAnimatedCursor animation;
            if (!Guard(err, file, [&] { animation.Load(file); })) {
                status = 1;
                continue;
            }
            out << Printable(file) << '\n'
                << "animated cursor: " << animation.FrameCount()
                << (animation.FrameCount() == 1 ? " frame, " : " frames, ") << animation.StepCount()
                << (animation.StepCount() == 1 ? " step" : " steps") << ", display rate " << animation.DisplayRate()
                << " jiffies" << (animation.HasSequence() ? ", sequence" : "")
                << (animation.HasRates() ? ", rates" : "") << '\n';
            // Steps name frames from 1, as the frames are listed.
            std::vector<std::uint32_t> steps;
            for (const std::uint32_t s : animation.Steps()) steps.push_back(s + 1);
            PrintList("steps (frames)", steps, out);
            PrintList("rates (jiffies)", animation.Rates(), out);
            for (const cFileIcon& frame : animation.Frames()) {
                out << "frame " << frame.Frame() << '\n';
                PrintIcon(frame, out);
            }
            continue;
        }
        if (kind == mFileKind::eKind::kModule) {
            bool done = false;
            if (!Guard(err, file, [&] { done = PrintModule(file, out, err); }) || !done) status = 1;
            continue;
        }
        cFileIcon icon;
        const bool cursor = kind == mFileKind::eKind::kCursorFile;
        if (!Guard(err, file, [&] {
                if (kind == mFileKind::eKind::kIcns)
                    icon.LoadIcns(file);
                else
                    cursor ? icon.LoadCursor(file) : icon.LoadIcon(file);
            })) {
            status = 1;
            continue;
        }
        out << Printable(file) << '\n';
        PrintIcon(icon, out);
    }
    return status;
}

} // namespace mCli
