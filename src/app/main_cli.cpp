// pictrix-cli: the command-line front end.

#include <iostream>

#include "app/mCli.h"
#include "support/MError.h"

int main(int argc, char** argv) {
    MError::LogStoreEvents();
    mCli::tArgs args(argv + 1, argv + argc);
    return mCli::Run(args, std::cout, std::cerr);
}
