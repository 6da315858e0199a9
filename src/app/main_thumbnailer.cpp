// pictrix-thumbnailer: the freedesktop thumbnailer for icon files and Windows modules. It touches
// no settings and no error log: file managers run it often, in sandboxes, and only read its exit
// status.

#include <iostream>

#include "app/mThumbnailer.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return mThumbnailer::Run(args, std::cout, std::cerr);
}
