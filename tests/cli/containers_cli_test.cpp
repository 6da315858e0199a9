// .icns and .res files through pictrix-cli as users run it: list --json read by Python's json
// module, extract's .ico files decoded by Pillow against Pillow's own decoding of the .icns, a .res
// listed and extracted exactly as the module linked from the same script, render, similar, and a
// launcher that needs a command for either.

#include <filesystem>

#include <gtest/gtest.h>

#include "common/mTestKit.h"

using namespace mTestKit;
namespace fs = std::filesystem;

namespace {

int Python(const std::string& script, const std::string& args, std::string* out) {
    cTempDir dir;
    WriteBytes(dir.File("check.py"), std::vector<std::uint8_t>(script.begin(), script.end()));
    return Run(Quote(PICTRIX_PYTHON) + " " + Quote(dir.File("check.py")) + " " + args, out);
}

} // namespace

TEST(ContainersCli, IcnsListsExtractsAndRendersAsPillowReadsIt) {
    const std::string icns = Fixture("icns/png2icns.icns");
    cTempDir dir;
    std::string out, err;
    ASSERT_EQ(Cli("list --json " + Quote(icns), &out, &err), 0) << err;
    WriteBytes(dir.File("list.json"), std::vector<std::uint8_t>(out.begin(), out.end()));
    std::string summary;
    ASSERT_EQ(Python(R"(import json, sys
records = [json.loads(line) for line in open(sys.argv[1])]
group, source = records
print(source["container"], source["groups"], group["kind"], group["id"])
print(" ".join("%s:%dx%d@%d:%s" % (i["element"], i["width"], i["height"], i["scale"], i["png"]) for i in group["images"]))
)",
                     Quote(dir.File("list.json")), &summary),
              0);
    EXPECT_EQ(summary, "icns 1 icon None\n"
                       "is32:16x16@1:False il32:32x32@1:False ih32:48x48@1:False it32:128x128@1:False "
                       "ic08:256x256@1:False ic09:512x512@1:True\n");

    // The .ico keeps the five images up to 256 pixels; each as Pillow decodes the .icns.
    ASSERT_EQ(Cli("extract -o " + Quote(dir.Path().string()) + " " + Quote(icns), nullptr, &err), 0) << err;
    const std::string ico = dir.File("png2icns1.ico");
    ASSERT_TRUE(fs::exists(ico)) << err;
    std::string compared;
    ASSERT_EQ(Python(R"(import sys
from PIL import Image
ico = Image.open(sys.argv[1])
for size in sorted(ico.info["sizes"]):
    ours = ico.ico.getimage(size).convert("RGBA")
    theirs = Image.open(sys.argv[2])
    theirs.size = (size[0], size[1], 1)
    theirs.load()
    theirs = theirs.convert("RGBA")
    differ = sum(1 for a, b in zip(ours.getdata(), theirs.getdata()) if a != b and (a[3] or b[3]))
    print(size[0], differ)
)",
                     Quote(ico) + " " + Quote(icns), &compared),
              0);
    EXPECT_EQ(compared, "16 0\n32 0\n48 0\n128 0\n256 0\n");

    // The 512-pixel image is rendered at its own size, as a PNG.
    ASSERT_EQ(Cli("render " + Quote(icns) + " --image 6 -o " + Quote(dir.File("big.png")), &out, &err), 0) << err;
    EXPECT_EQ(ReadPng(dir.File("big.png")).Width(), 512);

    // A copy of the file is found as the same bytes; an .icns is no program: its launcher needs
    // a command.
    fs::copy_file(icns, dir.File("copy.icns"));
    ASSERT_EQ(Cli("similar " + Quote(icns) + " " + Quote(dir.File("copy.icns")), &out, &err), 0) << err;
    EXPECT_NE(out.find("copy.icns\t1\t-\tsame bytes"), std::string::npos) << out;
    EXPECT_NE(Cli("launcher " + Quote(icns) + " --data-home " + Quote(dir.File("home")), &out, &err), 0);
    EXPECT_NE(err.find("is not a program: its launcher needs a command (--exec)"), std::string::npos) << err;
}

TEST(ContainersCli, ResListsAndExtractsAsItsModule) {
    const std::string res = Fixture("modules/cursors.res");
    cTempDir dir;
    // The module under the same base name, so that extract names their groups alike.
    const std::string module = dir.File("cursors.dll");
    fs::copy_file(Fixture("modules/cursors32.dll"), module);
    std::string fromRes, fromModule, err;
    ASSERT_EQ(Cli("list --json " + Quote(res), &fromRes, &err), 0) << err;
    ASSERT_EQ(Cli("list --json " + Quote(module), &fromModule, &err), 0) << err;
    WriteBytes(dir.File("res.json"), std::vector<std::uint8_t>(fromRes.begin(), fromRes.end()));
    WriteBytes(dir.File("module.json"), std::vector<std::uint8_t>(fromModule.begin(), fromModule.end()));
    std::string verdict;
    ASSERT_EQ(Python(R"(import json, sys
def records(path):
    out = [json.loads(line) for line in open(path)]
    for r in out:
        for key in ("source", "source_sha256", "size", "mtime"):
            r.pop(key, None)
    return out
res, module = records(sys.argv[1]), records(sys.argv[2])
print(res[-1]["container"], module[-1]["container"], len(res) - 1)
res[-1].pop("container"); module[-1].pop("container")
print("same" if res == module else "differ")
)",
                     Quote(dir.File("res.json")) + " " + Quote(dir.File("module.json")), &verdict),
              0);
    // Three icon groups (one per language) and four cursor groups.
    EXPECT_EQ(verdict, "res module 7\nsame\n");

    // Extracted with its cursors: the same files, byte for byte, as from the module.
    fs::create_directories(dir.File("res"));
    fs::create_directories(dir.File("module"));
    ASSERT_EQ(Cli("extract --cursors -o " + Quote(dir.File("res")) + " " + Quote(res), nullptr, &err), 0) << err;
    ASSERT_EQ(Cli("extract --cursors -o " + Quote(dir.File("module")) + " " + Quote(module), nullptr, &err), 0) << err;
    std::vector<std::string> resFiles = Listing(dir.File("res")), moduleFiles = Listing(dir.File("module"));
    ASSERT_EQ(resFiles.size(), 7u);
    ASSERT_EQ(moduleFiles.size(), resFiles.size());
    for (std::size_t i = 0; i < resFiles.size(); ++i) {
        SCOPED_TRACE(resFiles[i]);
        EXPECT_EQ(resFiles[i], moduleFiles[i]);
        EXPECT_EQ(ReadBytes(dir.File("res/" + resFiles[i])), ReadBytes(dir.File("module/" + moduleFiles[i])));
    }

    std::string out;
    EXPECT_NE(Cli("launcher " + Quote(res) + " --data-home " + Quote(dir.File("home")), &out, &err), 0);
    EXPECT_NE(err.find("is not a program: its launcher needs a command (--exec)"), std::string::npos) << err;
}
