// SPDX-License-Identifier: MIT
#include "cli.h"

#include "checkcommand.h"
#include "convertcommand.h"
#include "countcommand.h"
#include "loadcommand.h"
#include "options.h"
#include "piecescommand.h"

#include "core/version.h"

#include <exception>
#include <new>

namespace vellora {

namespace {

void PrintUsage(std::ostream& out) {
    out << "usage:\n  " << cli::kCountUsage << "  " << cli::kLoadUsage << "  " << cli::kCheckUsage << "  "
        << cli::kConvertUsage << "  " << cli::kPiecesUsage
        << "\nFormats F: ci4 | 4 | ci8 | 8 | 16 | 32 (aliases i4, ia4, i8, ia8, ia16, rgba16, rgba32; "
           "ci4_ia16 and ci8_ia16 index IA16 palettes).\n"
           "Levels L: auto | auto-w64 | 0 to 7 (the index of the last level).\n"
        << cli::kDetailRule
        << "Every option takes its value as --name value or --name=value; -- ends the options.\n"
           "Exit code: 0 fits in TMEM, 1 exceeds TMEM, 2 bad usage or input.\n"
           "The text report's verdict is coloured on a terminal unless NO_COLOR is set; "
           "vellora-cli --version prints the version.\n";
}

} // namespace

bool UseColour(bool outIsTerminal, const char* noColor) {
    return outIsTerminal && (noColor == nullptr || *noColor == '\0');
}

namespace {

int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
               const CliTerminal& terminal) {
    try {
        if (args.empty()) {
            PrintUsage(err);
            return kExitUsage;
        }
        const std::string& command = args[0];
        if (command == "--help" || command == "-h" || command == "help") {
            PrintUsage(out);
            return kExitFits;
        }
        if (command == "--version" || command == "-V") {
            out << "vellora-cli " << kVersionText << "\n";
            return kExitFits;
        }
        if (command == "count")
            return cli::CountCommand(args, out, err, terminal);
        if (command == "load")
            return cli::LoadCommand(args, out, err, terminal);
        if (command == "check")
            return cli::CheckCommand(args, out, err, terminal);
        if (command == "convert")
            return cli::ConvertCommand(args, out, err);
        if (command == "pieces")
            return cli::PiecesCommand(args, out, err);
        err << "vellora-cli: unknown command \"" << command
            << "\" (allowed: count, load, check, convert, pieces, --help, --version)\n";
        return kExitUsage;
    } catch (const cli::UsageError& e) {
        err << e.what() << "\n";
    } catch (const std::bad_alloc&) {
        err << "vellora-cli: out of memory\n";
    } catch (const std::exception& e) {
        err << "vellora-cli: " << e.what() << "\n";
    } catch (...) {
        err << "vellora-cli: unexpected failure\n";
    }
    return kExitUsage;
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, CliTerminal terminal) {
    const int code = RunCommand(args, out, err, terminal);
    // A report that could not be written (a full disk, a closed pipe) is no
    // success, whatever the command found.
    if (!out.flush()) {
        err << "vellora-cli: cannot write to standard output\n";
        return kExitUsage;
    }
    return code;
}

} // namespace vellora
