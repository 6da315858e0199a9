// pictrix-cli log: the error log's path and contents.

#include <fstream>

#include "cli/mCli.h"
#include "support/MError.h"

namespace mCli {

int Log(const tArgs& args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        if (args[0].size() > 1 && args[0][0] == '-')
            return UnknownOption(err, "log", args[0], "usage: pictrix-cli log\n");
        err << "usage: pictrix-cli log\n";
        return 2;
    }
    const std::string path = MError::ErrorLogPath();
    out << "error log: " << path << '\n';
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        out << "(no error has been logged yet)\n";
        return 0;
    }
    out << in.rdbuf();
    return 0;
}

} // namespace mCli
