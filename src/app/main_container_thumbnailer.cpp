// pictrix-container-thumbnailer: the freedesktop thumbnailer for Windows Installer packages and
// AppImages, whose readers need shared libraries (libmsi, libsquashfs) that the static
// pictrix-thumbnailer cannot link. The same command and the same promises as that one; like it,
// it touches no settings and no error log.

#include <iostream>
#include <memory>

#include "app/mThumbnailer.h"
#include "containers/mContainers.h"
#ifdef PICTRIX_SVG_ICONS
#include <QGuiApplication>

#include "containers/ui/mSvgIcons.h"
#endif

int main(int argc, char** argv) {
    mContainers::Install();
#ifdef PICTRIX_SVG_ICONS
    // An SVG icon is drawn by Qt, which wants an application for its fonts: made only when a
    // drawing is asked for, on the platform that needs no display.
    static int qtArgc = 1;
    static char name[] = "pictrix-container-thumbnailer";
    static char* qtArgv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    mContainers::SetSvgRenderer([](const std::vector<std::uint8_t>& svg, std::int32_t side) {
        if (!app) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            app = std::make_unique<QGuiApplication>(qtArgc, qtArgv);
        }
        return mSvgIcons::Render(svg, side);
    });
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = mThumbnailer::Run(args, std::cout, std::cerr, mThumbnailer::kContainerThumbnailer);
#ifdef PICTRIX_SVG_ICONS
    app.reset();
#endif
    return status;
}
