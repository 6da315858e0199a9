// pictrix-cli info: the header and directory of .ico files.

#include <iomanip>

#include "app/mCli.h"
#include "icon/cFileIcon.h"

namespace mCli {

int Info(const tArgs& given, std::ostream& out, std::ostream& err) {
    const tArgs args = Operands(given);
    if (args.empty()) {
        err << "usage: pictrix-cli info FILE.ico...\n";
        return 2;
    }
    int status = 0;
    for (const auto& file : args) {
        cFileIcon icon;
        if (!Guard(err, file, [&] { icon.LoadIcon(file); })) {
            status = 1;
            continue;
        }
        const ICONDIR& h = icon.Header();
        out << Printable(file) << '\n'
            << "header: reserved " << h.idReserved << ", type " << h.idType << ", images " << h.idCount << '\n'
            << "     #  width height    colours   bytes  offset  format\n";
        for (std::int32_t i = 1; i <= icon.ImageCount(); ++i) {
            const ICONDIRENTRY& e = icon.Entry(i);
            out << std::setw(6) << i << std::setw(7) << icon.ImageWidth(i) << std::setw(7) << icon.ImageHeight(i)
                << std::setw(11) << icon.ImageColourCount(i) << std::setw(8) << icon.ImageSize(i) << std::setw(8)
                << e.dwImageOffset << "  " << (icon.IsPngImage(i) ? "PNG" : "DIB") << '\n';
        }
    }
    return status;
}

} // namespace mCli
