// sfxpack: packager and inspector for unfurl self-extractors.
#include <iostream>
#include <string>
#include <vector>

#include "Pack.h"

namespace {

// Parses a command's arguments and runs it, or prints the usage.
template <typename Options, typename Parse, typename Run>
int ParseAndRun(const std::vector<std::string>& args, Parse parse, Run run) {
    Options options;
    std::string error;
    if (!parse({args.begin() + 1, args.end()}, options, error)) {
        std::cerr << "sfxpack: " << error << "\n\n" << UsageText();
        return kExitUsage;
    }
    return run(options, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << UsageText();
        return kExitDone;
    }
    if (args.size() == 2 && args[0] == "list")
        return RunList(args[1], std::cout, std::cerr);
    if (!args.empty() && args[0] == "pack")
        return ParseAndRun<PackOptions>(args, ParsePackOptions, RunPack);
    if (!args.empty() && args[0] == "extract")
        return ParseAndRun<ExtractOptions>(args, ParseExtractOptions, RunExtract);
    std::cerr << UsageText();
    return kExitUsage;
}
