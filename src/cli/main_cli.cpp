// pictrix-cli: the command-line front end.

#include <iostream>
#include <new>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "cli/mCli.h"
#include "containers/mContainers.h"
#include "containers/mSvgHelper.h"
#include "support/MError.h"

int main(int argc, char** argv) {
#if defined(__GLIBC__)
    // One heap for every thread: glibc gives each loader thread an arena of its own, each taking
    // 64 MiB of address space before it holds a byte, so the memory a run may take would grow
    // with --jobs rather than with what its loads hold.
    ::mallopt(M_ARENA_MAX, 1);
#endif
    // Every command reports the failures of each file itself; what still escapes (memory that ran
    // out outside any file's work) ends the run with status 1 and a message, never an abort.
    try {
        MError::LogStoreEvents();
        mContainers::Install();
        // SVG icons are drawn by the program beside this one that has Qt's SVG module.
        mSvgHelper::Install();
        mCli::tArgs args(argv + 1, argv + argc);
        return mCli::Run(args, std::cout, std::cerr);
    } catch (const std::bad_alloc&) {
        std::cerr << "pictrix-cli: 7, Out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "pictrix-cli: " << mCli::Printable(e.what()) << '\n';
    } catch (...) {
        std::cerr << "pictrix-cli: the command failed\n";
    }
    return 1;
}
