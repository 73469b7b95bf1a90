// The oc command-line tool: every failure ends in one line on stderr and exit code 1 (2 for a
// command line that cannot be parsed).
#include "cli/commands.h"
#include "core/base/exception.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <map>
#include <new>
#include <string>

namespace {

void errorLine(std::string message) {
    std::replace(message.begin(), message.end(), '\n', ' ');
    std::cerr << "oc: " << message << std::endl;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("Character recognition and verification from the command line");
    app.require_subcommand(1);
    const std::map<std::string, oc_tools::CommandRun> commands = {
        {"train", oc_tools::addTrainCommand(app)},
        {"arrange", oc_tools::addArrangeCommand(app)},
        {"eval", oc_tools::addEvalCommand(app)}};
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        errorLine(std::string(e.what()) + " (see oc --help)");
        return 2;
    }
    try {
        return commands.at(app.get_subcommands().front()->get_name())();
    } catch (const xcException& e) {
        errorLine(e.message());
    } catch (const std::bad_alloc&) {
        errorLine("out of memory");
    } catch (const std::exception& e) {
        errorLine(e.what());
    } catch (...) {
        errorLine("unexpected failure");
    }
    return 1;
}
