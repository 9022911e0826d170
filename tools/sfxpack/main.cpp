// sfxpack: packager and inspector for unfurl self-extractors.
#include <iostream>
#include <string>
#include <vector>

#include "Pack.h"
#include "sys/SfxSystem.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "sys/WideText.h"
#endif

namespace {

// The arguments in UTF-8: on Windows from the wide command line, so that
// any file name can be given; elsewhere as the terminal gave them.
std::vector<std::string> Arguments(int argc, char** argv) {
#ifdef _WIN32
    (void)argc;
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i)
        args.push_back(Utf8Of(wide[i]));
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

// The header's texts and the password are the ANSI code page's bytes, as
// the stub shows them and its password box gives them.
void KeepInAnsi(PackOptions& options) {
    for (std::string& text : options.strings)
        text = PlatformSfxSystem().ToAnsi(text);
    options.password = PlatformSfxSystem().ToAnsi(options.password);
}

void KeepInAnsi(ExtractOptions& options) {
    options.password = PlatformSfxSystem().ToAnsi(options.password);
}

// Parses a command's arguments and runs it, or prints the usage.
template <typename Options, typename Parse, typename Run>
int ParseAndRun(const std::vector<std::string>& args, Parse parse, Run run) {
    Options options;
    std::string error;
    if (!parse({args.begin() + 1, args.end()}, options, error)) {
        std::cerr << "sfxpack: " << error << "\n\n" << UsageText();
        return kExitUsage;
    }
    KeepInAnsi(options);
    return run(options, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = Arguments(argc, argv);
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
