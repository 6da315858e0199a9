// pictrix-cli list: the icon groups of files, each with its images.

#include "app/mCli.h"
#include "resources/mIconGroups.h"

namespace mCli {

int List(const tArgs& given, std::ostream& out, std::ostream& err) {
    const tArgs args = Operands(given);
    if (args.empty()) {
        err << "usage: pictrix-cli list FILE...\n";
        return 2;
    }
    int status = 0;
    for (const auto& arg : args) {
        std::vector<cFileIcon> icons;
        bool outOfMemory = false;
        // The file as given: whether it is an icon file is read from its name, or where the name
        // has no extension from its first bytes.
        const bool loaded = Guard(err, arg, [&] {
            try {
                mIconGroups::Load(arg, icons);
            } catch (const std::bad_alloc&) {
                outOfMemory = true;
                throw;
            } catch (const cError& e) {
                outOfMemory = e.Number() == cError::kOutOfMemory;
                throw;
            }
        });
        if (!loaded) {
            status = 1;
            // Out of memory lists the groups loaded whole before it; any other failure none.
            if (!outOfMemory) icons.clear();
        }
        const std::size_t count = icons.size();
        out << Printable(arg) << ": " << count << (count == 1 ? " icon group\n" : " icon groups\n");
        for (std::size_t i = 0; i < count; ++i) {
            const cFileIcon& icon = icons[i];
            const std::string name =
                IsEmpty(icon.ResourceID()) ? std::string("-") : Printable(ResourceIDText(icon.ResourceID()));
            out << i + 1 << '\t' << name << '\t' << icon.ImageCount();
            for (std::int32_t n = 1; n <= icon.ImageCount(); ++n) {
                out << (n == 1 ? "\t" : ", ") << icon.ImageWidth(n) << 'x' << icon.ImageHeight(n) << ' '
                    << icon.ImageColourCount(n);
            }
            out << '\n';
        }
    }
    return status;
}

} // namespace mCli
