// sfxpack: packager and inspector for unfurl self-extractors.
#include <iostream>
#include <string>
#include <vector>

#include "Pack.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << UsageText();
        return kExitDone;
    }
    if (args.size() == 2 && args[0] == "list")
        return RunList(args[1], std::cout, std::cerr);
    if (!args.empty() && args[0] == "pack") {
        PackOptions options;
        std::string error;
        if (!ParsePackOptions({args.begin() + 1, args.end()}, options, error)) {
            std::cerr << "sfxpack: " << error << "\n\n" << UsageText();
            return kExitUsage;
        }
        return RunPack(options, std::cerr);
    }
    if (!args.empty() && args[0] == "extract") {
        ExtractOptions options;
        std::string error;
        if (!ParseExtractOptions({args.begin() + 1, args.end()}, options, error)) {
            std::cerr << "sfxpack: " << error << "\n\n" << UsageText();
            return kExitUsage;
        }
        return RunExtract(options, std::cerr);
    }
    std::cerr << UsageText();
    return kExitUsage;
}
