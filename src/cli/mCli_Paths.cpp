// pictrix-cli paths: where the program keeps its help, its error log and its settings.

#include "cli/mCli.h"
#include "base/mProgram.h"
#include "platform/cRegistryStore.h"
#include "support/MError.h"

namespace mCli {

int Paths(const tArgs& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        if (args[0].size() > 1 && args[0][0] == '-')
            return UnknownOption(err, "paths", args[0], "usage: pictrix-cli paths\n");
        err << "usage: pictrix-cli paths\n";
        return 2;
    }
    out << "program: " << mProgram::ExePath() << (mProgram::IsInstalled() ? " (installed)" : " (build tree)") << '\n';
    out << "help: " << mProgram::HelpDir() << mProgram::kSeparator << "index.htm\n";
    out << "error log: " << MError::ErrorLogPath() << '\n';
    out << "settings: " << cRegistryStore::DefaultPath() << '\n';
    return 0;
}

} // namespace mCli
