// pictrix-cli info: the header and directory of .ico and .cur files, and the frames, steps and
// rates of animated cursors.

#include <iomanip>

#include "cli/mCli.h"
#include "icon/cAnimatedCursor.h"
#include "icon/cFileIcon.h"
#include "icon/mFileKind.h"

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

} // namespace

int Info(const tArgs& given, std::ostream& out, std::ostream& err) {
    constexpr std::string_view kUsage = "usage: pictrix-cli info FILE...\n";
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
        cFileIcon icon;
        const bool cursor = kind == mFileKind::eKind::kCursorFile;
        if (!Guard(err, file, [&] { cursor ? icon.LoadCursor(file) : icon.LoadIcon(file); })) {
            status = 1;
            continue;
        }
        out << Printable(file) << '\n';
        PrintIcon(icon, out);
    }
    return status;
}

} // namespace mCli
