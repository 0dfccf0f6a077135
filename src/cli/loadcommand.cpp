// SPDX-License-Identifier: MIT
#include "loadcommand.h"

#include "cli.h"

namespace vellora::cli {

int LoadCommand(const std::vector<std::string>&, std::ostream&, std::ostream& err) {
    err << "vellora-cli load: not available yet\n";
    return kExitUsage;
}

} // namespace vellora::cli
