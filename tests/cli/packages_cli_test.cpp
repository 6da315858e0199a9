// Installer packages and AppImages through pictrix-cli as users run it: list --json read by
// Python's json, extract's files against the icon file, the module (through wrestool) and the
// image (through unsquashfs and Pillow) they came from, render, similar, and the launchers'
// commands.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"
#include "icon/mWrestool.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Fixture;
using mTestKit::Quote;

// Python's reading of list --json: per file, its container, its count of groups, then each
// group's position and id.
std::string ListedByPython(const std::string& files) {
    const std::string script = "import json, sys\n"
                               "for line in sys.stdin:\n"
                               "    r = json.loads(line)\n"
                               "    if 'groups' in r: print(r['container'], r['groups'], r['status'])\n"
                               "    else: print(r['position'], r['id'], len(r['images']))\n";
    mTestKit::cTempDir dir;
    mTestKit::WriteBytes(dir.File("read.py"), std::vector<std::uint8_t>(script.begin(), script.end()));
    std::string out;
    mTestKit::Run(Quote(PICTRIX_BINARY_DIR "/pictrix-cli") + " list --json " + files + " 2>/dev/null | " +
                      Quote(PICTRIX_PYTHON) + " " + Quote(dir.File("read.py")),
                  &out);
    return out;
}

TEST(CliPackages, AnInstallerPackageListsAndExtractsItsIconRows) {
    const std::string msi = Fixture("containers/icons.msi");
    const std::string module = Fixture("modules/good32.dll");
    // The module's own groups, as wrestool lists them (a group in several languages once, in its
    // lowest, as the package's row gives it): the package names them after its row.
    std::string listed;
    ASSERT_EQ(mTestKit::Run("wrestool -l --type=14 " + Quote(module), &listed), 0);
    std::vector<std::pair<std::string, std::string>> names; // name, language
    for (std::size_t at = listed.find("--name="); at != std::string::npos; at = listed.find("--name=", at + 1)) {
        std::string name = listed.substr(at + 7, listed.find(' ', at) - at - 7);
        if (name.size() > 1 && name.front() == '\'') name = name.substr(1, name.size() - 2);
        const std::size_t lang = listed.find("--language=", at) + 11;
        const std::string language = listed.substr(lang, listed.find(' ', lang) - lang);
        if (names.empty() || names.back().first != name) names.emplace_back(name, language);
    }
    ASSERT_EQ(names.size(), 8u) << listed;

    const std::string text = ListedByPython(Quote(msi));
    EXPECT_EQ(text.substr(0, text.find('\n') + 1), "1 zproduct.ico 6\n");
    EXPECT_NE(text.find("10 extra.ico 1\nmsi 10 read\n"), std::string::npos) << text;

    mTestKit::cTempDir out;
    std::string err;
    ASSERT_EQ(mTestKit::Cli("extract --quiet -o " + Quote(out.Path().string()) + " " + Quote(msi), nullptr, &err), 0)
        << err;
    // The product's icon is the icon file given to wixl, byte for byte.
    EXPECT_EQ(mTestKit::ReadBytes(out.File("icons1zproduct.ico.ico")), mTestKit::ReadBytes(Fixture("icons/six.ico")));
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& [name, language] = names[i];
        SCOPED_TRACE(name);
        const std::string file = out.File("icons" + std::to_string(i + 2) + "tool.dll:" + name + ".ico");
        ASSERT_TRUE(fs::exists(file));
        mWrestool::ExpectSame(mTestKit::ReadBytes(file), mWrestool::Extract(module, name, language));
    }

    // similar finds the product's icon in the icon file it came from.
    std::string similar;
    ASSERT_EQ(mTestKit::Cli("similar " + Quote(msi) + " --group 1 --max-distance 0 " + Quote(Fixture("icons/six.ico")),
                            &similar, &err),
              0)
        << err;
    EXPECT_NE(similar.find("six.ico"), std::string::npos) << similar;
}

TEST(CliPackages, AnAppImageGivesItsDirIconAsStored) {
    struct cCase {
        const char* fixture;
        int side;
    };
    for (const cCase& c : {cCase{"containers/png.AppImage", 48}, cCase{"containers/link.AppImage", 64}}) {
        SCOPED_TRACE(c.fixture);
        const std::string image = Fixture(c.fixture);
        EXPECT_EQ(ListedByPython(Quote(image)), "1 .DirIcon 1\nappimage 1 read\n");

        // unsquashfs finds the image where Python's reading of the ELF header says it starts.
        mTestKit::cTempDir dir;
        std::string offset;
        ASSERT_EQ(mTestKit::Run(Quote(PICTRIX_PYTHON) +
                                    " -c 'import struct,sys; d=open(sys.argv[1],\"rb\").read(64); "
                                    "print(struct.unpack_from(\"<Q\",d,40)[0] + "
                                    "struct.unpack_from(\"<H\",d,58)[0] * struct.unpack_from(\"<H\",d,60)[0])' " +
                                    Quote(image),
                                &offset),
                  0);
        const std::string tree = dir.File("tree");
        ASSERT_EQ(mTestKit::Run("PATH=$PATH:/usr/sbin unsquashfs -q -n -o " + offset.substr(0, offset.size() - 1) +
                                " -d " + Quote(tree) + " " + Quote(image) + " >/dev/null 2>&1"),
                  0);
        const auto png = mTestKit::ReadBytes(fs::canonical(tree + "/.DirIcon").string());

        std::string err;
        ASSERT_EQ(mTestKit::Cli("extract --quiet -o " + Quote(dir.Path().string()) + " " + Quote(image), nullptr, &err),
                  0)
            << err;
        const std::string base = fs::path(image).stem().string();
        const auto ico = mTestKit::ReadBytes(dir.File(base + "1.DirIcon.ico"));
        ASSERT_EQ(ico.size(), 22 + png.size());
        EXPECT_EQ(std::vector<std::uint8_t>(ico.begin() + 22, ico.end()), png);
        EXPECT_EQ(ico[6], c.side);

        // render: Pillow sees the pixels of the stored PNG.
        const std::string rendered = dir.File("r.png");
        ASSERT_EQ(mTestKit::Cli("render " + Quote(image) + " -o " + Quote(rendered), nullptr, &err), 0) << err;
        std::string same;
        ASSERT_EQ(mTestKit::Run(Quote(PICTRIX_PYTHON) +
                                    " -c 'import sys; from PIL import Image; "
                                    "a, b = (Image.open(p).convert(\"RGBA\") for p in sys.argv[1:]); "
                                    "print(a.size == b.size and a.tobytes() == b.tobytes())' " +
                                    Quote(rendered) + " " + Quote(tree + "/.DirIcon"),
                                &same),
                  0);
        EXPECT_EQ(same, "True\n");
    }
}

TEST(CliPackages, AnSvgDirIconIsDrawnByTheProgramBesideAtEverySizeAndTheOneAsked) {
    if (!fs::exists(PICTRIX_BINARY_DIR "/pictrix-container-thumbnailer")) GTEST_SKIP() << "a build without Qt";
    const std::string image = Fixture("containers/svg.AppImage");
    mTestKit::cTempDir dir;
    std::string err;
    ASSERT_EQ(mTestKit::Cli("extract --quiet -o " + Quote(dir.Path().string()) + " " + Quote(image), nullptr, &err), 0)
        << err;
    // Pillow's reading of the icon file and of a render at a size between the group's: the red
    // square of the drawing, drawn at each size (not scaled: every pixel the drawing's red).
    const std::string rendered = dir.File("r.png");
    ASSERT_EQ(mTestKit::Cli("render " + Quote(image) + " --size 200 -o " + Quote(rendered), nullptr, &err), 0) << err;
    std::string seen;
    ASSERT_EQ(mTestKit::Run(Quote(PICTRIX_PYTHON) +
                                " -c 'import sys; from PIL import Image; "
                                "ico = Image.open(sys.argv[1]); print(sorted(w for w, h in ico.info[\"sizes\"])); "
                                "r = Image.open(sys.argv[2]).convert(\"RGBA\"); print(r.size, set(r.getdata()))' " +
                                Quote(dir.File("svg1.DirIcon.ico")) + " " + Quote(rendered),
                            &seen),
              0)
        << seen;
    EXPECT_EQ(seen, "[16, 22, 24, 32, 48, 64, 96, 128, 256]\n(200, 200) {(255, 0, 0, 255)}\n");

    // pictrix-cli without the program beside it says which program it misses.
    const std::string alone = dir.File("pictrix-cli");
    fs::copy_file(PICTRIX_BINARY_DIR "/pictrix-cli", alone);
    std::string said;
    EXPECT_EQ(
        mTestKit::Run(Quote(alone) + " render " + Quote(image) + " -o " + Quote(dir.File("n.png")) + " 2>&1", &said),
        1);
    EXPECT_NE(said.find(image + ", its .DirIcon: an SVG drawing that cannot be drawn: " +
                        dir.File("pictrix-container-thumbnailer") +
                        ", which draws SVG drawings for this program, is not installed"),
              std::string::npos)
        << said;
}

TEST(CliPackages, LaunchersRunTheAppImageAndInstallThePackage) {
    struct cCase {
        const char* fixture;
        std::string exec; // after the absolute path is put in for FILE
        bool scalable; // the launcher installs the icon as a drawing too
    };
    const bool svg = fs::exists(PICTRIX_BINARY_DIR "/pictrix-container-thumbnailer");
    const cCase cases[] = {{"containers/png.AppImage", "FILE", false},
                           {"containers/icons.msi", "wine msiexec /i FILE", false},
                           {"containers/svg.AppImage", "FILE", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        if (!svg && std::string(c.fixture) == "containers/svg.AppImage") continue;
        mTestKit::cTempDir home;
        std::string out, err;
        ASSERT_EQ(mTestKit::Cli("launcher " + Quote(Fixture(c.fixture)) + " --id app --data-home " +
                                    Quote(home.Path().string()),
                                &out, &err),
                  0)
            << err;
        const auto bytes = mTestKit::ReadBytes(home.File("applications/app.desktop"));
        const std::string desktop(bytes.begin(), bytes.end());
        std::string exec = c.exec;
        exec.replace(exec.find("FILE"), 4, fs::canonical(Fixture(c.fixture)).string());
        EXPECT_NE(desktop.find("\nExec=" + exec + "\n"), std::string::npos) << desktop;

        // A drawing is installed as the theme's scalable icon: GTK's icon theme draws it at a size
        // between the sizes written (a dock of 96 pixels at twice the scale). GIO lists no entry
        // whose program it cannot run (Wine, a fixture that is not executable).
        std::string seen;
        mTestKit::Run("LC_ALL=C.UTF-8 " + std::string(PICTRIX_PYTHON) +
                          " " PICTRIX_SOURCE_DIR "/tests/cli/launcher_desktop.py " + Quote(home.Path().string()) +
                          " app 192 2>&1",
                      &seen);
        EXPECT_EQ(seen.find("\n192 " + home.File("icons/hicolor/scalable/apps/app.svg ")) != std::string::npos,
                  c.scalable)
            << seen;
    }
}

TEST(CliPackages, AHostileContainerFailsAloneInAList) {
    const std::string text =
        ListedByPython(Quote(Fixture("containers/loop.AppImage")) + " " + Quote(Fixture("containers/png.AppImage")));
    EXPECT_EQ(text, "appimage 0 failed\n1 .DirIcon 1\nappimage 1 read\n");
}

} // namespace
