// pictrix-container-thumbnailer: the freedesktop thumbnailer for Windows Installer packages and
// AppImages, whose readers need shared libraries (libmsi, libsquashfs) that the static
// pictrix-thumbnailer cannot link. The same command and the same promises as that one; like it,
// it touches no settings and no error log.

#include <QGuiApplication>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/mThumbnailer.h"
#include "containers/mContainers.h"
#include "containers/mSvgHelper.h"
#include "containers/ui/mSvgIcons.h"

namespace {

// Qt's runtime folder, where none is set (a sandbox): a fresh folder removed again at the end, so
// that nothing is left beside the output (GNOME's factory refuses a folder with files left in it).
struct cRuntimeFolder {
    std::string path;
    cRuntimeFolder() {
        const char* set = std::getenv("XDG_RUNTIME_DIR");
        if (set && *set) return;
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / "pictrix-runtime-XXXXXX").string();
        if (::mkdtemp(pattern.data())) {
            path = pattern;
            ::setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
        }
    }
    ~cRuntimeFolder() {
        std::error_code ec;
        if (!path.empty()) std::filesystem::remove_all(path, ec);
    }
    cRuntimeFolder(const cRuntimeFolder&) = delete;
    cRuntimeFolder& operator=(const cRuntimeFolder&) = delete;
};

} // namespace

int main(int argc, char** argv) {
    mContainers::Install();
    // An SVG icon is drawn by Qt, which wants an application for its fonts: made only when a
    // drawing is asked for, on the platform that needs no display.
    static int qtArgc = 1;
    static char name[] = "pictrix-container-thumbnailer";
    static char* qtArgv[] = {name, nullptr};
    std::unique_ptr<cRuntimeFolder> runtime;
    std::unique_ptr<QGuiApplication> app;
    const mContainers::tSvgRenderer draw = [&](const std::vector<std::uint8_t>& svg,
                                               const std::vector<std::int32_t>& sides) {
        if (!app) {
            runtime = std::make_unique<cRuntimeFolder>();
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
        }
        return mSvgIcons::RenderSides(svg, sides);
    };
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = 0;
    if (args.size() == 2 && args[0] == mSvgHelper::kOption) {
        status = mSvgHelper::Serve(args[1], std::cin, std::cout, std::cerr, draw);
    } else {
        mContainers::SetSvgRenderer(draw);
        mThumbnailer::cProgram program = mThumbnailer::kContainerThumbnailer;
        program.sizeChosen = &mContainers::SetSvgSideAsked;
        status = mThumbnailer::Run(args, std::cout, std::cerr, program);
        mContainers::SetSvgRenderer(nullptr);
    }
    app.reset();
    runtime.reset();
    return status;
}
