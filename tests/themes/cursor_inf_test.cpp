// The INF of a cursor pack in the forms packs write it, and the file-name table used without one.

#include <gtest/gtest.h>

#include "themes/mCursorInf.h"
#include "themes/mCursorRoles.h"

namespace {

// A scheme's files as "Role=file" pairs, for readable failures.
std::string Files(const mCursorInf::cScheme& s) {
    std::string out;
    for (std::size_t r = 0; r < s.files.size(); ++r) {
        if (s.files[r].empty()) continue;
        out += std::string(mCursorRoles::Roles()[r].value) + "=" + s.files[r] + " ";
    }
    return out;
}

} // namespace

TEST(CursorInf, EveryFormPacksWrite) {
    struct cCase {
        const char* name;
        std::string text;
        std::string scheme, files;
    };
    const cCase cases[] = {
        {"scheme string with strings and folder ids",
         "[Version]\r\nsignature=\"$CHICAGO$\"\r\n[DefaultInstall]\r\nAddReg = Scheme.Reg\r\n"
         "[Scheme.Reg]\r\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,"
         "\"%10%\\%CUR_DIR%\\%pointer%,%10%\\%CUR_DIR%\\%help%,,%10%\\%CUR_DIR%\\%busy%\"\r\n"
         "[Strings]\r\nCUR_DIR = \"Cursors\\Blue Glass\"\r\nSCHEME_NAME = \"Blue Glass\"\r\n"
         "pointer = \"Normal.cur\"\r\nHELP=\"help.cur\"\r\nbusy = \"Busy.ani\"\r\n",
         "Blue Glass", "Arrow=Normal.cur Help=help.cur Wait=Busy.ani "},
        {"per-role lines in [Wreg], keys in any case, comments, the scheme named by the default value",
         "[wreg]\nHKEY_CURRENT_USER,\"control panel\\cursors\",,0x00020000,\"%name%\" ; the scheme\n"
         "HKCU,\"Control Panel\\Cursors\",arrow,0x00020000,\"%10%\\Cursors\\x\\a.cur\"\n"
         "hkcu,\"Control Panel\\Cursors\",SizeNESW,0x00020000,\"%10%\\Cursors\\x\\dgn2.cur\"\n"
         "HKCU,\"Control Panel\\Cursors\",Person,0x00020000,\"%10%\\Cursors\\x\\person.cur\"\n"
         "HKLM,\"Control Panel\\Cursors\",Help,0x00020000,\"elsewhere.cur\"\n"
         "[strings]\nNAME=Plain\n",
         "Plain", "Arrow=a.cur SizeNESW=dgn2.cur Person=person.cur "},
        {"per-role lines win over the scheme string; the misspelt key found under either spelling",
         "[Scheme.Reg]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"S\",,\"a.cur,b.cur,c.cur,d.cur,e.cur,f.cur,g.cur,"
         "%unavailable%\"\nHKCU,\"Control Panel\\Cursors\",Help,,\"%unavailiable%\"\n"
         "[Strings]\nunavailiable = \"Unavailiable.cur\"\n",
         "S",
         "Arrow=a.cur Help=Unavailiable.cur AppStarting=c.cur Wait=d.cur Crosshair=e.cur IBeam=f.cur NWPen=g.cur "
         "No=Unavailiable.cur "},
        {"continued lines, unquoted data, flags left out, unknown sections and strings kept as written",
         "[Mystery]\nfoo=bar\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"S\",0x00020000,a.cur,\\\n  b.cur,,%nokey%\n"
         "HKCU,\"Control Panel\\Cursors\",Hand,\"C:\\\\x\\hand.cur\"\n",
         "S", "Arrow=a.cur Help=b.cur Wait=%nokey% Hand=hand.cur "},
        {"quotes doubled inside quotes, %% for a percent sign",
         "[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"Say \"\"hi\"\" 100%%\",,\"x\\\"\"odd\"\".cur\"\n",
         "Say \"hi\" 100%", "Arrow=\"odd\".cur "},
        {"saved as Unicode: UTF-16LE with its mark",
         [] {
             std::string utf16 = "\xFF\xFE";
             for (const char c :
                  std::string("[Wreg]\r\nHKCU,\"Control Panel\\Cursors\",Arrow,,\"caf\xC3\xA9.cur\"\r\n")) {
                 // é is U+00E9: one UTF-16 unit.
                 if (c == '\xC3') continue;
                 utf16 += c == '\xA9' ? '\xE9' : c;
                 utf16 += '\0';
             }
             return utf16;
         }(),
         "", "Arrow=caf\xC3\xA9.cur "},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[Wreg]\nHKCU,\"Control Panel\\Cursors\",Help,,\"h.cur\"\n", "",
         "Help=h.cur "},
        {"nothing a scheme is made of", "[Version]\nsignature=\"$CHICAGO$\"\n[Strings]\na=b\n", "", ""},
    };
    for (const cCase& c : cases) {
        SCOPED_TRACE(c.name);
        const mCursorInf::cScheme s = mCursorInf::Parse(c.text);
        EXPECT_EQ(s.name, c.scheme);
        EXPECT_EQ(Files(s), c.files);
        EXPECT_EQ(s.AnyFile(), !c.files.empty());
    }
}

// Hostile INFs stay bounded: a value that names itself is substituted once, a line without end
// is cut, and a file past the limit is read up to it.
TEST(CursorInf, HostileTextStaysBounded) {
    const std::string self = "[Scheme.Reg]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"%a%\",,\"%a%%a%%a%\"\n"
                             "[Strings]\na=\"%a%%a%%a%%a%\"\n";
    const mCursorInf::cScheme s = mCursorInf::Parse(self);
    EXPECT_EQ(s.name, "%a%%a%%a%%a%");
    const std::string longLine =
        "[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"S\",,\"" + std::string(mCursorInf::kMaxLine * 3, 'x') + "\"\n";
    EXPECT_LE(mCursorInf::Parse(longLine).files[0].size(), mCursorInf::kMaxLine);
    std::string huge = "[R]\n";
    while (huge.size() <= mCursorInf::kMaxBytes) huge += ";" + std::string(1000, 'c') + "\n";
    huge += "HKCU,\"Control Panel\\Cursors\",Arrow,,\"late.cur\"\n";
    EXPECT_FALSE(mCursorInf::Parse(huge).AnyFile());
}

TEST(CursorRoles, FileNamesWithoutAnInf) {
    const std::pair<const char*, const char*> cases[] = {
        {"Normal Select.cur", "Arrow"},
        {"arrow.CUR", "Arrow"},
        {"Help.cur", "Help"},
        {"Working in Background.ani", "AppStarting"},
        {"appstarting.ani", "AppStarting"},
        {"Busy.ani", "Wait"},
        {"wait.cur", "Wait"},
        {"Precision.cur", "Crosshair"},
        {"cross.cur", "Crosshair"},
        {"Text Select.cur", "IBeam"},
        {"beam.cur", "IBeam"},
        {"Handwriting.cur", "NWPen"},
        {"pen.cur", "NWPen"},
        {"Unavailable.cur", "No"},
        {"unavailiable.cur", "No"},
        {"no.cur", "No"},
        {"Vertical Resize.cur", "SizeNS"},
        {"vert.cur", "SizeNS"},
        {"ns.cur", "SizeNS"},
        {"Horizontal Resize.cur", "SizeWE"},
        {"horz.cur", "SizeWE"},
        {"ew.cur", "SizeWE"},
        {"Diagonal Resize 1.cur", "SizeNWSE"},
        {"dgn1.cur", "SizeNWSE"},
        {"nwse.cur", "SizeNWSE"},
        {"Diagonal Resize 2.cur", "SizeNESW"},
        {"dgn2.cur", "SizeNESW"},
        {"Move.cur", "SizeAll"},
        {"Alternate Select.cur", "UpArrow"},
        {"up.cur", "UpArrow"},
        {"uparrow.cur", "UpArrow"},
        {"Link Select.cur", "Hand"},
        {"hand.cur", "Hand"},
        {"Location Select.cur", "Pin"},
        {"pin.cur", "Pin"},
        {"Person Select.cur", "Person"},
        {"folder/sub/Normal.cur", "Arrow"},
    };
    for (const auto& [file, role] : cases) {
        SCOPED_TRACE(file);
        const auto r = mCursorRoles::RoleOfFileName(file);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(mCursorRoles::Roles()[*r].value, role);
    }
    for (const char* file : {"readme.cur", "snow.cur", "pinky.cur", "noon.cur", ".cur", ""}) {
        SCOPED_TRACE(file);
        EXPECT_FALSE(mCursorRoles::RoleOfFileName(file).has_value());
    }
}
