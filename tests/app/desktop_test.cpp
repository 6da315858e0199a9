// Pictrix on the desktop: the desktop entry as the desktop's own validator reads it, the list
// files' MIME package as update-mime-database builds it, and an installation into a staging
// folder (DESTDIR) whose programs find their help and keep their error log out of bin.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

namespace {

namespace fs = std::filesystem;
using mTestKit::Quote;

const fs::path kSource = PICTRIX_SOURCE_DIR;
const fs::path kBuild = PICTRIX_BINARY_DIR;
constexpr const char* kListType = "application/x-pictrix-recurse-list";

std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every path below `root` with the bytes of its files, to compare a folder before and after.
std::string Tree(const fs::path& root) {
    std::string all;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        all += fs::relative(e.path(), root).string() + (e.is_directory() ? "/\n" : "\n");
        if (e.is_regular_file()) all += Text(e.path()) + "\n";
    }
    return all;
}

// The value of `key` in the group `[group]` of a desktop entry.
std::string EntryValue(const std::string& entry, const std::string& group, const std::string& key) {
    std::istringstream lines(entry);
    std::string line, current;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.front() == '[')
            current = line;
        else if (current == "[" + group + "]" && line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    }
    return {};
}

TEST(Desktop, TheEntryIsValidAndOpensAndPrints) {
    const fs::path entry = kSource / "data" / "org.pictrix.Pictrix.desktop";
    std::string complaints;
    EXPECT_EQ(mTestKit::Run("desktop-file-validate " + Quote(entry.string()) + " 2>&1", &complaints), 0) << complaints;
    EXPECT_EQ(complaints, "");
    const std::string text = Text(entry);
    EXPECT_EQ(EntryValue(text, "Desktop Entry", "Exec"), "pictrix %f");
    EXPECT_EQ(EntryValue(text, "Desktop Entry", "Icon"), "pictrix");
    EXPECT_EQ(EntryValue(text, "Desktop Entry", "Actions"), "Print;");
    EXPECT_EQ(EntryValue(text, "Desktop Action Print", "Exec"), "pictrix /p %f");
    const std::string types = EntryValue(text, "Desktop Entry", "MimeType");
    for (const char* type : {kListType, "image/vnd.microsoft.icon", "application/x-ms-dos-executable"})
        EXPECT_NE(types.find(std::string(type) + ";"), std::string::npos) << type;
    // Software centres offer the program for exactly the types its entry opens.
    const std::string metainfo = Text(kSource / "data" / "org.pictrix.Pictrix.metainfo.xml");
    std::string provided;
    const std::regex mediatype("<mediatype>([^<]+)</mediatype>");
    for (auto m = std::sregex_iterator(metainfo.begin(), metainfo.end(), mediatype); m != std::sregex_iterator(); ++m)
        provided += (*m)[1].str() + ";";
    EXPECT_EQ(provided, types);
}

TEST(Desktop, TheMimePackageDeclaresTheListFiles) {
    mTestKit::cTempDir dir;
    const fs::path mime = dir.Path() / "mime";
    fs::create_directories(mime / "packages");
    fs::copy_file(kSource / "data" / "pictrix-mime.xml", mime / "packages" / "pictrix.xml");
    std::string output;
    ASSERT_EQ(mTestKit::Run("update-mime-database " + Quote(mime.string()) + " 2>&1", &output), 0) << output;
    const std::string globs = Text(mime / "globs2");
    EXPECT_NE(globs.find(std::string(":") + kListType + ":*.ier\n"), std::string::npos);
    // Shortcuts by name, and Windows 10's icon stores typed as the other modules.
    EXPECT_NE(globs.find(":application/x-ms-shortcut:*.lnk\n"), std::string::npos) << globs;
    EXPECT_NE(globs.find(":application/x-ms-dos-executable:*.mun\n"), std::string::npos) << globs;
    EXPECT_NE(Text(mime / "magic").find("application/x-ms-shortcut"), std::string::npos);
    // Compiled resource files by name and by their empty first header, which wins over another
    // program's *.res of the shared database.
    EXPECT_NE(globs.find(":application/x-ms-compiled-resources:*.res\n"), std::string::npos) << globs;
    EXPECT_NE(Text(mime / "magic").find("application/x-ms-compiled-resources"), std::string::npos);
    const std::string type = Text(mime / "application" / "x-pictrix-recurse-list.xml");
    EXPECT_NE(type.find("<comment>Pictrix Recurse List</comment>"), std::string::npos) << type;
    EXPECT_NE(type.find("<sub-class-of type=\"text/plain\"/>"), std::string::npos) << type;
}

TEST(Desktop, AnInstallationFindsItsHelpAndKeepsItsLogOutOfBin) {
    if (!fs::exists(kBuild / "pictrix")) GTEST_SKIP() << "a build without the desktop program";
    mTestKit::cTempDir dir;
    const fs::path stage = dir.Path() / "stage";
    std::string output;
    ASSERT_EQ(mTestKit::Run("DESTDIR=" + Quote(stage.string()) + " " + Quote(PICTRIX_CMAKE_COMMAND) + " --install " +
                                Quote(kBuild.string()) + " --prefix /usr 2>&1",
                            &output),
              0)
        << output;
    const fs::path usr = stage / "usr";
    for (const char* file :
         {"bin/pictrix", "bin/pictrix-cli", "bin/pictrix-thumbnailer", "share/pictrix/Help/index.htm",
          "share/applications/org.pictrix.Pictrix.desktop", "share/mime/packages/pictrix.xml",
          "share/metainfo/org.pictrix.Pictrix.metainfo.xml", "share/bash-completion/completions/pictrix-cli",
          "share/bash-completion/completions/pictrix", "share/bash-completion/completions/pictrix-thumbnailer",
          "share/man/man1/pictrix.1.gz", "share/man/man1/pictrix-cli.1.gz", "share/man/man1/pictrix-thumbnailer.1.gz",
          "share/icons/hicolor/48x48/mimetypes/application-x-pictrix-recurse-list.png",
          "share/thumbnailers/pictrix.thumbnailer", "bin/pictrix-container-thumbnailer",
          "share/thumbnailers/pictrix-containers.thumbnailer"})
        EXPECT_TRUE(fs::is_regular_file(usr / file)) << file;
    // bin holds the programs and nothing else.
    int inBin = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(usr / "bin")) ++inBin;
    EXPECT_EQ(inBin, 4);
    // The icon at each size, a PNG of that size (IHDR width and height).
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        const auto png = mTestKit::ReadBytes(
            (usr / "share/icons/hicolor" / (std::to_string(size) + "x" + std::to_string(size)) / "apps/pictrix.png")
                .string());
        ASSERT_GT(png.size(), 24u);
        const auto be32 = [&png](std::size_t at) {
            return (std::uint32_t{png[at]} << 24) | (std::uint32_t{png[at + 1]} << 16) |
                   (std::uint32_t{png[at + 2]} << 8) | png[at + 3];
        };
        EXPECT_EQ(be32(16), static_cast<std::uint32_t>(size));
        EXPECT_EQ(be32(20), static_cast<std::uint32_t>(size));
    }

    // The installed program, run from the staging folder: its help under share/pictrix, its log
    // under the state folder even though bin is writable here.
    const fs::path state = dir.Path() / "state";
    ASSERT_EQ(mTestKit::Run("XDG_STATE_HOME=" + Quote(state.string()) + " " +
                                Quote((usr / "bin/pictrix-cli").string()) + " paths",
                            &output),
              0);
    const fs::path help = usr / "share/pictrix/Help/index.htm";
    EXPECT_NE(output.find(" (installed)\n"), std::string::npos) << output;
    EXPECT_NE(output.find("help: " + help.string() + "\n"), std::string::npos) << output;
    EXPECT_NE(output.find("error log: " + (state / "pictrix/errlog.txt").string() + "\n"), std::string::npos) << output;
    // The manuals render without a warning; the software centres' metadata validates; the
    // completion is bash.
    for (const char* page : {"pictrix", "pictrix-cli", "pictrix-thumbnailer"}) {
        SCOPED_TRACE(page);
        const fs::path gz = usr / "share/man/man1" / (std::string(page) + ".1.gz");
        std::string warnings;
        EXPECT_EQ(mTestKit::Run("MANWIDTH=80 man --warnings -E UTF-8 -l " + Quote(gz.string()) + " 2>&1 >/dev/null",
                                &warnings),
                  0);
        EXPECT_EQ(warnings, "");
    }
    output.clear();
    if (mTestKit::Run("command -v appstreamcli >/dev/null") == 0) {
        EXPECT_EQ(mTestKit::Run("appstreamcli validate --no-net " +
                                    Quote((usr / "share/metainfo/org.pictrix.Pictrix.metainfo.xml").string()) + " 2>&1",
                                &output),
                  0)
            << output;
        EXPECT_EQ(output.find("W:"), std::string::npos) << output;
    } else {
        std::cout << "appstreamcli is not installed: the metadata was not validated\n";
    }

    // make uninstall takes away every file of the manifest and the folders the installation made.
    output.clear();
    ASSERT_EQ(mTestKit::Run(Quote((kSource / "scripts/uninstall.sh").string()) + " " +
                                Quote((kBuild / "install_manifest.txt").string()) + " " + Quote(stage.string()) +
                                " /usr 2>&1",
                            &output),
              0)
        << output;
    EXPECT_EQ(Tree(stage), "") << "left after uninstall";

    // Installed for real, under a prefix whose data folder comes before the one where an image
    // viewer and a Windows program loader already open icon files and modules: they stay the
    // defaults (as the freedesktop query tools resolve them), Pictrix is offered beside them and is
    // the default for its lists alone. The prefix holds empty folders and a user's mimeapps.list
    // before: uninstalling leaves it byte for byte as it was.
    if (mTestKit::Run("command -v xdg-mime >/dev/null") == 0) {
        const fs::path prefix = dir.Path() / "local", system = dir.Path() / "system", bin = dir.Path() / "bin";
        for (const char* empty : {"bin", "share/man", "share/icons/hicolor/48x48"})
            fs::create_directories(prefix / empty);
        fs::create_directories(prefix / "share/applications");
        std::ofstream(prefix / "share/applications/mimeapps.list")
            << "[Added Associations]\nimage/x-icon=viewer.desktop;\n";
        const std::string prefixBefore = Tree(prefix);
        fs::create_directories(system / "applications");
        fs::create_directories(bin);
        fs::create_directory_symlink("/usr/share/mime", system / "mime");
        for (const auto& [program, types] : {std::pair{"viewer", "image/vnd.microsoft.icon;image/png;"},
                                             std::pair{"loader", "application/x-ms-dos-executable;"}}) {
            std::ofstream(system / "applications" / (std::string(program) + ".desktop"))
                << (std::string("[Desktop Entry]\nType=Application\nName=") + program + "\nExec=" + program +
                    " %f\nMimeType=" + types + "\n");
            std::ofstream(bin / program) << "#!/bin/sh\n";
            fs::permissions(bin / program, fs::perms::owner_all);
        }
        ASSERT_EQ(mTestKit::Run("update-desktop-database " + Quote((system / "applications").string())), 0);
        const std::string env =
            "env -i PATH=" + Quote(bin.string() + ":" + (prefix / "bin").string() + ":/usr/bin:/bin") +
            " HOME=" + Quote(dir.Path().string()) + " XDG_DATA_HOME=" + Quote((dir.Path() / "home").string()) +
            " XDG_CONFIG_HOME=" + Quote((dir.Path() / "config").string()) +
            " XDG_CONFIG_DIRS=" + Quote((dir.Path() / "etc").string()) +
            " XDG_DATA_DIRS=" + Quote((prefix / "share").string() + ":" + system.string()) + " ";
        const auto defaults = [&env] {
            std::string all;
            for (const char* type :
                 {"image/vnd.microsoft.icon", "image/x-icon", "application/x-ms-dos-executable", kListType}) {
                std::string app;
                mTestKit::Run(env + "xdg-mime query default " + type, &app);
                all += std::string(type) + "=" + app;
                if (mTestKit::Run("command -v gio >/dev/null") == 0) {
                    app.clear();
                    mTestKit::Run(env + "gio mime " + type + " 2>&1 | head -1 | sed 's/.*: //'", &app);
                    all += " gio:" + app;
                }
            }
            return all;
        };
        const std::string before = defaults();
        output.clear();
        ASSERT_EQ(mTestKit::Run(env + Quote(PICTRIX_CMAKE_COMMAND) + " --install " + Quote(kBuild.string()) +
                                    " --prefix " + Quote(prefix.string()) + " 2>&1",
                                &output),
                  0)
            << output;
        const std::string after = defaults();
        EXPECT_NE(after.find("image/vnd.microsoft.icon=viewer.desktop\n"), std::string::npos) << after;
        EXPECT_NE(after.find("image/x-icon=viewer.desktop\n"), std::string::npos) << after;
        EXPECT_NE(after.find("application/x-ms-dos-executable=loader.desktop\n"), std::string::npos) << after;
        EXPECT_NE(after.find(std::string(kListType) + "=org.pictrix.Pictrix.desktop\n"), std::string::npos) << after;
        EXPECT_EQ(after.find("gio:org.pictrix.Pictrix.desktop"), after.rfind("gio:org.pictrix.Pictrix.desktop"))
            << after;
        std::string offered;
        if (mTestKit::Run("command -v gio >/dev/null") == 0) {
            mTestKit::Run(env + "gio mime image/vnd.microsoft.icon", &offered);
            const auto recommended = offered.find("Recommended applications:\n");
            EXPECT_NE(recommended, std::string::npos) << offered;
            EXPECT_NE(offered.find("\torg.pictrix.Pictrix.desktop\n", recommended), std::string::npos) << offered;
        }
        output.clear();
        ASSERT_EQ(mTestKit::Run(env + Quote((kSource / "scripts/uninstall.sh").string()) + " " +
                                    Quote((kBuild / "install_manifest.txt").string()) + " '' " +
                                    Quote(prefix.string()) + " 2>&1",
                                &output),
                  0)
            << output;
        EXPECT_EQ(Tree(prefix), prefixBefore);
        EXPECT_EQ(defaults(), before);
        // Into a prefix that is not there: it goes with the rest.
        fs::remove_all(prefix);
        ASSERT_EQ(mTestKit::Run(env + Quote(PICTRIX_CMAKE_COMMAND) + " --install " + Quote(kBuild.string()) +
                                " --prefix " + Quote(prefix.string()) + " >/dev/null 2>&1 && " +
                                Quote((kSource / "scripts/uninstall.sh").string()) + " " +
                                Quote((kBuild / "install_manifest.txt").string()) + " '' " + Quote(prefix.string()) +
                                " >/dev/null"),
                  0);
        EXPECT_FALSE(fs::exists(prefix)) << Tree(prefix);
    } else {
        std::cout << "xdg-mime is not installed: the defaults after a real installation were not checked\n";
    }

    // And the build tree's program finds the help beside it.
    output.clear();
    ASSERT_EQ(mTestKit::Run(Quote((kBuild / "pictrix-cli").string()) + " paths", &output), 0);
    EXPECT_NE(output.find("help: " + (kBuild / "Help/index.htm").string() + "\n"), std::string::npos) << output;
    EXPECT_TRUE(fs::is_regular_file(kBuild / "Help/index.htm"));
}

// make deb: the package holds the installation, depends on runtime libraries only, and lintian
// (where installed) finds no error in it.
TEST(Desktop, ThePackageHoldsTheInstallation) {
    if (!fs::exists(kBuild / "pictrix") || !fs::exists(kBuild / "CPackConfig.cmake"))
        GTEST_SKIP() << "a build without the desktop program";
    if (mTestKit::Run("command -v dpkg-deb >/dev/null && command -v cpack >/dev/null") != 0)
        GTEST_SKIP() << "no dpkg-deb";
    if (mTestKit::UnderAddressSanitizer())
        GTEST_SKIP() << "the package is made of the regular build, not of the sanitizers' one";
    mTestKit::cTempDir dir;
    std::string output;
    ASSERT_EQ(mTestKit::Run("cd " + Quote(dir.Path().string()) + " && cpack -G DEB --config " +
                                Quote((kBuild / "CPackConfig.cmake").string()) + " 2>&1",
                            &output),
              0)
        << output;
    const std::string deb = (dir.Path() / "pictrix_" PICTRIX_VERSION "_amd64.deb").string();
    ASSERT_TRUE(fs::exists(deb)) << output;
    std::string files;
    ASSERT_EQ(mTestKit::Run("dpkg-deb -c " + Quote(deb), &files), 0);
    for (const char* f :
         {"./usr/bin/pictrix\n", "./usr/bin/pictrix-cli\n", "./usr/bin/pictrix-thumbnailer\n",
          "./usr/share/applications/org.pictrix.Pictrix.desktop\n",
          "./usr/share/metainfo/org.pictrix.Pictrix.metainfo.xml\n", "./usr/share/thumbnailers/pictrix.thumbnailer\n",
          "./usr/share/mime/packages/pictrix.xml\n", "./usr/share/man/man1/pictrix-cli.1.gz\n",
          "./usr/share/doc/pictrix/copyright\n", "./usr/share/doc/pictrix/changelog.gz\n",
          "./usr/share/bash-completion/completions/pictrix-cli\n"})
        EXPECT_NE(files.find(f), std::string::npos) << f;
    // No maintainer script: the package is its files. Installed by dpkg into a root where an image
    // viewer and a Windows program loader open icon files and modules and the distribution names
    // its defaults, it adds exactly its list and changes nothing else; removed, it leaves the root
    // byte for byte as it was.
    std::string control;
    ASSERT_EQ(mTestKit::Run("dpkg-deb -I " + Quote(deb), &control), 0);
    for (const char* script : {" postinst", " prerm", " preinst", " postrm"})
        EXPECT_EQ(control.find(script), std::string::npos) << control;
    const fs::path root = dir.Path() / "root", admin = dir.Path() / "dpkg";
    fs::create_directories(root / "usr/share/applications");
    for (const char* sub : {"info", "updates", "triggers"}) fs::create_directories(admin / sub);
    std::ofstream(admin / "status");
    std::ofstream(admin / "available");
    for (const auto& [program, types] : {std::pair{"viewer", "image/vnd.microsoft.icon;image/png;"},
                                         std::pair{"loader", "application/x-ms-dos-executable;"}})
        std::ofstream(root / "usr/share/applications" / (std::string(program) + ".desktop"))
            << (std::string("[Desktop Entry]\nType=Application\nName=") + program + "\nExec=" + program +
                " %f\nMimeType=" + types + "\n");
    std::ofstream(root / "usr/share/applications/gnome-mimeapps.list")
        << "[Default Applications]\nimage/vnd.microsoft.icon=viewer.desktop;\n";
    const std::string before = Tree(root);
    const std::string dpkg = "dpkg --instdir=" + Quote(root.string()) + " --admindir=" + Quote(admin.string()) +
                             " --force-depends --force-not-root ";
    output.clear();
    ASSERT_EQ(mTestKit::Run(dpkg + "-i " + Quote(deb) + " 2>&1", &output), 0) << output;
    std::string listed;
    ASSERT_EQ(mTestKit::Run(dpkg + "-L pictrix", &listed), 0);
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string path = "/" + fs::relative(e.path(), root).string();
        const bool ours = listed.find("\n" + path + "\n") != std::string::npos || listed.rfind(path + "\n", 0) == 0;
        if (!ours &&
            before.find(fs::relative(e.path(), root).string() + (e.is_directory() ? "/\n" : "\n")) == std::string::npos)
            ADD_FAILURE() << "not in the package's list: " << path;
    }
    EXPECT_EQ(Text(root / "usr/share/applications/gnome-mimeapps.list"),
              "[Default Applications]\nimage/vnd.microsoft.icon=viewer.desktop;\n");
    EXPECT_FALSE(fs::exists(root / "usr/share/applications/mimeapps.list"));
    ASSERT_EQ(mTestKit::Run(dpkg + "--purge pictrix 2>&1", &output), 0) << output;
    EXPECT_EQ(Tree(root), before);
    std::string depends;
    ASSERT_EQ(mTestKit::Run("dpkg-deb -f " + Quote(deb) + " Depends", &depends), 0);
    EXPECT_NE(depends.find("libqt6widgets6"), std::string::npos) << depends;
    // Cursor themes are written by libXcursor: the runtime library, not its headers.
    EXPECT_NE(depends.find("libxcursor1"), std::string::npos) << depends;
    for (const char* tool : {"cups-daemon", "clang", "mingw", "tumbler", "-dev"})
        EXPECT_EQ(depends.find(tool), std::string::npos) << depends;
    // lintian, pedantic and with its notes, finds no error and nothing missing of Debian's
    // hardening in the programs.
    if (mTestKit::Run("command -v lintian >/dev/null") == 0) {
        output.clear();
        EXPECT_EQ(mTestKit::Run("lintian --fail-on error --pedantic --display-info " + Quote(deb) + " 2>&1", &output),
                  0)
            << output;
        EXPECT_EQ(output.find("hardening-"), std::string::npos) << output;
    }
}

} // namespace

// keep-defaults.sh on a user's mimeapps.list: installed, the program that opened a type stays its
// default; removed, the list is byte for byte what it was. A list that is a symbolic link stays
// one (its target changes), and a list without a final line break keeps it so.
TEST(Desktop, KeepDefaultsWritesThroughALinkAndLeavesTheUsersBytes) {
    struct cCase {
        const char* name;
        bool link;
        std::string before; // the user's mimeapps.list
        std::string installed; // after install
    };
    const std::string kept = "image/vnd.microsoft.icon=viewer.desktop;\n";
    const cCase cases[] = {
        {"a file", false, "[Added Associations]\nimage/png=viewer.desktop;\n",
         "[Added Associations]\nimage/png=viewer.desktop;\n\n[Default Applications]\n" + kept},
        {"a link", true, "[Default Applications]\ntext/plain=editor.desktop;\n",
         "[Default Applications]\n" + kept + "text/plain=editor.desktop;\n"},
        {"no final line break", false, "[Default Applications]\ntext/plain=editor.desktop;",
         "[Default Applications]\n" + kept + "text/plain=editor.desktop;"},
        {"a link, no final line break", true, "[Default Applications]\ntext/plain=editor.desktop;",
         "[Default Applications]\n" + kept + "text/plain=editor.desktop;"},
        // Nothing to keep: the type has a default already; the file is not touched.
        {"a default already", false, "[Default Applications]\nimage/vnd.microsoft.icon=other.desktop;",
         "[Default Applications]\nimage/vnd.microsoft.icon=other.desktop;"},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        mTestKit::cTempDir dir;
        const fs::path data = dir.Path() / "data", apps = dir.Path() / "prefix/share/applications";
        const fs::path dotfiles = dir.Path() / "dotfiles";
        for (const fs::path& p : {data / "applications", apps, dotfiles, dir.Path() / "config"})
            fs::create_directories(p);
        std::ofstream(data / "applications/viewer.desktop")
            << "[Desktop Entry]\nType=Application\nName=viewer\nExec=viewer %f\nMimeType=image/vnd.microsoft.icon;\n";
        std::ofstream(data / "applications/mimeinfo.cache")
            << "[MIME Cache]\nimage/vnd.microsoft.icon=viewer.desktop;\n";
        std::ofstream(apps / "org.pictrix.Pictrix.desktop")
            << "[Desktop Entry]\nType=Application\nName=Pictrix\nExec=pictrix %f\nMimeType=image/vnd.microsoft.icon;\n";
        const fs::path list = apps / "mimeapps.list";
        const fs::path file = c.link ? dotfiles / "mimeapps.list" : list;
        std::ofstream(file, std::ios::binary) << c.before;
        if (c.link) fs::create_symlink(file, list);
        const std::string env = "XDG_CONFIG_HOME=" + Quote((dir.Path() / "config").string()) +
                                " XDG_CONFIG_DIRS=" + Quote((dir.Path() / "config").string()) +
                                " XDG_DATA_HOME=" + Quote((dir.Path() / "nothing").string()) +
                                " XDG_DATA_DIRS=" + Quote((dir.Path() / "prefix/share").string() + ":" + data.string());
        const std::string script = env + " bash " + Quote((kSource / "scripts/keep-defaults.sh").string());
        const std::string args = " " + Quote(apps.string()) + " org.pictrix.Pictrix.desktop " +
                                 Quote((dir.Path() / "prefix/share/pictrix/kept-defaults").string()) + " 2>&1";
        std::string output;
        ASSERT_EQ(mTestKit::Run(script + " install" + args, &output), 0) << output;
        EXPECT_EQ(fs::is_symlink(list), c.link);
        EXPECT_EQ(Text(file), c.installed);
        ASSERT_EQ(mTestKit::Run(script + " remove" + args, &output), 0) << output;
        EXPECT_EQ(fs::is_symlink(list), c.link);
        EXPECT_EQ(Text(file), c.before);
        // Nothing left beside it.
        EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), c.link ? 1 : 2);
    }
}

// A desktop whose MIME package types every *.dll as a shared library by its name (libfm's, under
// LXDE and LXQt): with our package beside it, a Windows module named *.dll keeps a type the
// thumbnailer serves, and an ELF library (*.so) keeps its own, which the
// thumbnailer does not serve. Typed by GIO, as file managers type them.
TEST(Desktop, ADllIsAWindowsModuleWhereADesktopTypesItAsASharedLibrary) {
    if (mTestKit::Run("command -v gio >/dev/null") != 0) GTEST_SKIP() << "no gio";
    std::string thumbnailerTypes =
        EntryValue(Text(kSource / "share/thumbnailers/pictrix.thumbnailer"), "Thumbnailer Entry", "MimeType");
    thumbnailerTypes = ";" + thumbnailerTypes;
    mTestKit::cTempDir dir;
    const fs::path files = dir.Path() / "files";
    fs::create_directories(files);
    fs::copy_file(mTestKit::Fixture("modules/good32.dll"), files / "module.dll");
    fs::copy_file(mTestKit::Fixture("modules/good32.dll"), files / "MODULE.DLL");
    fs::copy_file(mTestKit::Fixture("modules/good32.dll"), files / "module.cpl");
    // An ELF library of the system, as the thumbnailer itself is an ELF file.
    for (const char* name : {"libelf.so", "libelf.so.1"}) fs::copy_file(kBuild / "pictrix-thumbnailer", files / name);
    const char* const desktopPackage =
        "<?xml version=\"1.0\"?>\n<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "<mime-type type=\"application/x-sharedlib\"><glob pattern=\"*.dll\"/><glob pattern=\"*.so.[0-9]\"/>"
        "</mime-type>\n</mime-info>\n";
    const struct {
        const char* name;
        bool ours;
        const char* file;
        bool served;
    } cases[] = {
        {"the desktop's package alone: the fault", false, "module.dll", false},
        {"a module", true, "module.dll", true},
        {"a module, capitals", true, "MODULE.DLL", true},
        {"a control panel module", true, "module.cpl", true},
        {"an ELF library", true, "libelf.so", false},
        {"an ELF library, versioned", true, "libelf.so.1", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path data = dir.Path() / (c.ours ? "with" : "without");
        const fs::path mime = data / "mime";
        if (!fs::exists(mime)) {
            fs::create_directories(mime / "packages");
            std::ofstream(mime / "packages/desktop.xml") << desktopPackage;
            if (c.ours) fs::copy_file(kSource / "data" / "pictrix-mime.xml", mime / "packages" / "pictrix.xml");
            std::string output;
            ASSERT_EQ(mTestKit::Run("update-mime-database " + Quote(mime.string()) + " 2>&1", &output), 0) << output;
        }
        std::string type;
        ASSERT_EQ(mTestKit::Run("XDG_DATA_HOME=" + Quote((dir.Path() / "none").string()) + " XDG_DATA_DIRS=" +
                                    Quote(data.string() + ":/usr/share") + " gio info -a standard::content-type " +
                                    Quote((files / c.file).string()) + " | sed -n 's/^ *standard::content-type: //p'",
                                &type),
                  0);
        ASSERT_FALSE(type.empty());
        type.pop_back(); // the line break
        EXPECT_EQ(thumbnailerTypes.find(";" + type + ";") != std::string::npos, c.served) << type;
    }
}
