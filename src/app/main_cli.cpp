// pictrix-cli: the command-line front end.

#include <iostream>

#include "app/mCli.h"

int main(int argc, char** argv) {
    mCli::tArgs args(argv + 1, argv + argc);
    return mCli::Run(args, std::cout, std::cerr);
}
