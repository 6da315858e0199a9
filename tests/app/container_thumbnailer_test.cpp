// pictrix-container-thumbnailer as GNOME's file manager runs it: installed under /usr/local (the
// factory's sandbox sees /usr alone), found by GnomeDesktopThumbnailFactory through its
// .thumbnailer file and run inside bubblewrap; and its refusals, as the static thumbnailer's.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/mThumbnailer.h"
#include "common/mTestKit.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Fixture;
using mTestKit::Quote;

// A folder below /usr/local, removed with everything in it.
struct cUsrLocalDir {
    fs::path path;
    cUsrLocalDir() {
        std::string pattern = "/usr/local/pictrix-test-XXXXXX";
        if (::mkdtemp(pattern.data())) path = pattern;
    }
    ~cUsrLocalDir() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
    cUsrLocalDir(const cUsrLocalDir&) = delete;
    cUsrLocalDir& operator=(const cUsrLocalDir&) = delete;
};

TEST(ContainerThumbnailer, GnomesFactoryShowsEveryContainer) {
    if (mTestKit::Run(Quote(PICTRIX_PYTHON) + " -c 'import gi; gi.require_version(\"GnomeDesktop\", \"3.0\")' 2>&1") !=
        0)
        GTEST_SKIP() << "GnomeDesktop's introspection data (gir1.2-gnomedesktop-3.0) is not installed";
    if (mTestKit::Run("command -v bwrap >/dev/null") != 0) GTEST_SKIP() << "bubblewrap is not installed";
    if (mTestKit::Run("bwrap --ro-bind / / --unshare-all --die-with-parent true 2>/dev/null") != 0)
        GTEST_SKIP() << "bubblewrap cannot make a sandbox on this machine";
    if (!fs::exists(PICTRIX_BINARY_DIR "/pictrix-container-thumbnailer")) GTEST_SKIP() << "a build without Qt";
    // The factory's sandbox gives the program no /proc, without which the sanitizers' runtime
    // cannot map the process and aborts it: the regular build is what the factory runs.
    if (mTestKit::UnderAddressSanitizer()) GTEST_SKIP() << "the sandbox lacks /proc, which a sanitized program needs";
    cUsrLocalDir prefix;
    if (prefix.path.empty()) GTEST_SKIP() << "/usr/local is not writable here";
    std::string log;
    ASSERT_EQ(mTestKit::Run(std::string(PICTRIX_CMAKE_COMMAND) + " --install " + Quote(PICTRIX_BINARY_DIR) +
                                " --prefix " + Quote(prefix.path.string()) + " --component thumbnailer 2>&1",
                            &log),
              0)
        << log;
    mTestKit::cTempDir home;
    struct cCase {
        const char* mime;
        const char* fixture;
        std::string expected; // width, height and the centre pixel's RGBA
        const char* size = "NORMAL"; // the factory's
    };
    const cCase cases[] = {
        // six.ico's largest image, 32 pixels, kept so; its centre is opaque.
        {"application/x-msi", "containers/icons.msi", "32 32 "},
        {"application/vnd.appimage", "containers/png.AppImage", "48 48 "},
        // The drawing, a red square, drawn at the size asked: a normal and an extra large one.
        {"application/vnd.appimage", "containers/svg.AppImage", "128 128 255 0 0 255\n"},
        {"application/vnd.appimage", "containers/svg.AppImage", "512 512 255 0 0 255\n", "XLARGE"},
        // A damaged one gets none (the factory records a failure).
        {"application/vnd.appimage", "containers/loop.AppImage", "none"},
        // The static thumbnailer's containers: the 128-pixel PNG element, the first group's 32.
        {"image/x-icns", "icns/png2icns.icns", "128 128 252 163 1 255\n"},
        {"application/x-ms-compiled-resources", "modules/good.res", "32 32 123 189 0 255\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fixture) + " " + c.size);
        std::string out;
        const std::string said = home.File("stderr");
        const int status =
            mTestKit::Run("env THUMBNAIL_SIZE=" + std::string(c.size) + " HOME=" + Quote(home.Path().string()) +
                              " XDG_CACHE_HOME=" + Quote(home.File("cache")) +
                              " XDG_DATA_DIRS=" + Quote((prefix.path / "share").string()) +
                              ":/usr/share PATH=" + Quote((prefix.path / "bin").string()) + ":/usr/bin:/bin " +
                              Quote(PICTRIX_PYTHON) + " " + Quote(PICTRIX_SOURCE_DIR "/tests/app/gnome_thumbnail.py") +
                              " " + c.mime + " " + Quote(Fixture(c.fixture)) + " 2>" + Quote(said),
                          &out);
        const auto stderrBytes = mTestKit::ReadBytes(said);
        const std::string warnings(stderrBytes.begin(), stderrBytes.end());
        ASSERT_EQ(status, 0) << out << warnings;
        EXPECT_EQ(out.rfind(c.expected, 0), 0u) << out << warnings;
        // The factory warns of a thumbnailer that leaves files beside its output.
        EXPECT_EQ(warnings.find("left files"), std::string::npos) << warnings;
    }
}

TEST(ContainerThumbnailer, SaysWhatItIsAndRefusesBadUsage) {
    std::ostringstream out, err;
    EXPECT_EQ(mThumbnailer::Run({"--help"}, out, err, mThumbnailer::kContainerThumbnailer), 0);
    EXPECT_EQ(out.str().rfind("usage: pictrix-container-thumbnailer", 0), 0u) << out.str();
    mTestKit::cTempDir dir;
    std::ostringstream out2, err2;
    EXPECT_EQ(mThumbnailer::Run({"-s", "0", Fixture("containers/icons.msi"), dir.File("t.png")}, out2, err2,
                                mThumbnailer::kContainerThumbnailer),
              2);
    EXPECT_FALSE(fs::exists(dir.File("t.png")));
}

} // namespace
