// The subcommands of the oc tool: each adds itself to the application and returns what runs it
// once the command line is parsed.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace oc_tools {

// What a parsed subcommand runs; returns the exit code. Errors are thrown (std::exception or
// the library's xcException) and reported by main.
using CommandRun = std::function<int()>;

// Each adds its subcommand ("train", "arrange", "eval") to app.
CommandRun addTrainCommand(CLI::App& app);
CommandRun addArrangeCommand(CLI::App& app);
CommandRun addEvalCommand(CLI::App& app);

} // namespace oc_tools
