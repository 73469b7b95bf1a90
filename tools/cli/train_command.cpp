// oc train: an alphabet folder into an archive, compiled on request.
#include "cli/alphabet_source.h"
#include "cli/commands.h"
#include "common/alphabet_folder.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

namespace oc_tools {

namespace {

struct TrainArgs {
    std::string folder;
    std::string output;
    bool compile = false;
};

// Every ordered pair of distinct characters whose row character scores above the threshold in
// the column character's image.
void printConfusablePairs(const xcOCAlphabet& a) {
    long pairs = 0;
    for (const auto& row : a.characters())
        for (const auto& col : a.characters()) {
            if (row->key() == col->key() || !a.areConfusable(row->key(), col->key())) continue;
            if (pairs++ == 0)
                std::printf("confusable pairs (score of the first in the second's image):\n");
            std::printf("  %-8s %-8s %.3f\n", row->name().c_str(), col->name().c_str(),
                        a.confusion(row->key(), col->key()));
        }
    if (pairs == 0) std::printf("no confusable pairs\n");
}

int runTrain(const TrainArgs& args) {
    xcPtrHandle_const<xcOCAlphabet> alphabet = readAlphabetFolder(args.folder).alphabet;
    if (args.compile) {
        auto compiled = xcPtrHandle<xcOCAlphabet>(new xcOCAlphabet(*alphabet));
        compiled->compile(nullptr, 0);
        printConfusablePairs(*compiled);
        alphabet = compiled;
    }
    const std::size_t bytes = storeAlphabet(alphabet, args.output);
    std::printf("wrote %s: %ld characters, %s, %zu bytes\n", args.output.c_str(),
                alphabet->numChars(), alphabet->isCompiled() ? "compiled" : "not compiled", bytes);
    return 0;
}

} // namespace

CommandRun addTrainCommand(CLI::App& app) {
    auto args = std::make_shared<TrainArgs>();
    CLI::App* cmd =
        app.add_subcommand("train", "Build an alphabet archive from an alphabet folder");
    cmd->add_option("ALPHABET_DIR", args->folder, "Folder with alphabet.json and model images")
        ->required();
    cmd->add_option("-o,--output", args->output, "Archive to write (alphabet.oca)")->required();
    cmd->add_flag("--compile", args->compile,
                  "Compile the alphabet and print its confusable pairs");
    return [args] { return runTrain(*args); };
}

} // namespace oc_tools
