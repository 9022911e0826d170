// The option table of "sfxpack pack", its parser and the usage text.
#include "Options.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace {

struct FlagName {
    const char* name;
    uint16_t bit;
};

const FlagName kFlagNames[] = {
    {"offer-run", 0x0001},       {"user-selects", 0x0002},       {"hide-overwrite", 0x0004},
    {"auto-start", 0x0008},      {"no-done-message", 0x0010},    {"expand-env", 0x0020},
    {"list-hidden", 0x0040},     {"no-show-files", 0x0080},      {"auto-start-by-name", 0x0100},
    {"allow-cancel", 0x0200},
};

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value) {
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 0);
    return *end == '\0' && value <= max && text[0] != '-';
}

template <typename Target>
struct Option {
    const char* name;
    const char* argument;   // nullptr for a switch
    const char* help;
    std::function<bool(Target&, const std::string&)> set;
};

constexpr unsigned long kMinVolumeSize = 64;

bool ParseOverwrite(const std::string& value, int count, int& mode) {
    const char* modes[] = {"always", "never", "ask"};
    for (int i = 0; i < count; ++i)
        if (value == modes[i]) {
            mode = i;
            return true;
        }
    return false;
}

bool ParsePassword(const std::string& value, std::string& password) {
    password = value;
    return !value.empty() && value.size() <= 80;
}

bool SetString(PackOptions& o, int index, const std::string& value) {
    if (value.size() > 255)
        return false;
    o.strings[index] = value;
    return true;
}

const std::vector<Option<PackOptions>>& Table() {
    static const std::vector<Option<PackOptions>> table = {
        {"-o", "OUT", "the self-extractor to write",
         [](PackOptions& o, const std::string& v) { o.output = v; return true; }},
        {"--stub", "STUB", "the stub program the header and archive are appended to",
         [](PackOptions& o, const std::string& v) { o.stub = v; return true; }},
        {"--caption", "T", "dialog caption",
         [](PackOptions& o, const std::string& v) { return SetString(o, 0, v); }},
        {"--dest", "T", "destination: a folder, \"><\" (temporary folder), <VOLATILE> or a registry value",
         [](PackOptions& o, const std::string& v) { return SetString(o, 1, v); }},
        {"--command", "T", "command offered after extraction",
         [](PackOptions& o, const std::string& v) { return SetString(o, 2, v); }},
        {"--fallback", "T", "destination when the registry value is missing",
         [](PackOptions& o, const std::string& v) { return SetString(o, 3, v); }},
        {"--message", "T", "message shown before the dialog",
         [](PackOptions& o, const std::string& v) { return SetString(o, 4, v); }},
        {"--message-style", "N", "message-box style of the start-up message",
         [](PackOptions& o, const std::string& v) {
             unsigned long n;
             if (!ParseNumber(v, 0xFFFFFFFFul, n))
                 return false;
             o.messageStyle = static_cast<uint32_t>(n);
             return true;
         }},
        {"--flags", "LIST", "header flags: names separated by commas, or a number",
         [](PackOptions& o, const std::string& v) { return ParseHeaderFlags(v, o.flags); }},
        {"--overwrite", "MODE", "always, never or ask",
         [](PackOptions& o, const std::string& v) {
             int mode;
             if (!ParseOverwrite(v, 3, mode))
                 return false;
             o.overwriteMode = static_cast<uint8_t>(mode);
             return true;
         }},
        {"--password", "PW", "encrypt the entries (traditional PKWARE encryption)",
         [](PackOptions& o, const std::string& v) { return ParsePassword(v, o.password); }},
        {"--store", nullptr, "store the files without compression",
         [](PackOptions& o, const std::string&) { o.store = true; return true; }},
        {"--level", "N", "deflate level 1 to 9 (default 6)",
         [](PackOptions& o, const std::string& v) {
             unsigned long n;
             if (!ParseNumber(v, 9, n) || n < 1)
                 return false;
             o.level = static_cast<int>(n);
             return true;
         }},
        {"--elevation", "LEVEL", "rights the program asks for: invoker (default), highest or admin",
         [](PackOptions& o, const std::string& v) {
             const char* const levels[][2] = {{"invoker", "asInvoker"},
                                              {"highest", "highestAvailable"},
                                              {"admin", "requireAdministrator"}};
             for (const auto& level : levels)
                 if (v == level[0]) {
                     o.executionLevel = level[1];
                     return true;
                 }
             return false;
         }},
        {"--zip", "ARCHIVE", "append this existing archive unchanged",
         [](PackOptions& o, const std::string& v) { o.zip = v; return true; }},
        {"--volume-size", "BYTES", "spread the archive over numbered volume files of this size",
         [](PackOptions& o, const std::string& v) {
             unsigned long n;
             if (!ParseNumber(v, 0xFFFFFFFFul, n) || n < kMinVolumeSize)
                 return false;
             o.volumeSize = static_cast<uint32_t>(n);
             return true;
         }},
    };
    return table;
}

const std::vector<Option<ExtractOptions>>& ExtractTable() {
    static const std::vector<Option<ExtractOptions>> table = {
        {"--password", "PW", "password of encrypted entries; without it they fail",
         [](ExtractOptions& o, const std::string& v) { return ParsePassword(v, o.password); }},
        {"--overwrite", "MODE",
         "always or never; without it the header's mode holds and the question keeps the file",
         [](ExtractOptions& o, const std::string& v) { return ParseOverwrite(v, 2, o.overwriteMode); }},
    };
    return table;
}

// Options from the table go to 'options', other arguments to 'plain'.
template <typename Target>
bool ParseWithTable(const std::vector<Option<Target>>& table, const std::vector<std::string>& args,
                    Target& options, std::vector<std::string>& plain, std::string& error,
                    const std::function<void(const std::string&)>& seen) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            plain.push_back(arg);
            continue;
        }
        const Option<Target>* option = nullptr;
        for (const Option<Target>& o : table)
            if (arg == o.name)
                option = &o;
        if (!option) {
            error = "unknown option " + arg;
            return false;
        }
        std::string value;
        if (option->argument) {
            if (++i == args.size()) {
                error = arg + " needs " + option->argument;
                return false;
            }
            value = args[i];
        }
        seen(arg);
        if (!error.empty())
            return false;
        if (!option->set(options, value)) {
            error = "bad value for " + arg + ": " + value;
            return false;
        }
    }
    return true;
}

template <typename Target>
void AppendOptionHelp(const std::vector<Option<Target>>& table, std::string& text) {
    for (const Option<Target>& o : table) {
        std::string left = std::string("  ") + o.name + (o.argument ? std::string(" ") + o.argument : "");
        left.resize(std::max<size_t>(left.size() + 1, 24), ' ');
        text += left + o.help + "\n";
    }
}

}  // namespace

bool ParseHeaderFlags(const std::string& list, uint16_t& flags) {
    unsigned long number;
    if (ParseNumber(list, 0xFFFF, number)) {
        flags = static_cast<uint16_t>(number);
        return true;
    }
    uint16_t result = 0;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        std::string name = list.substr(start, end - start);
        bool known = false;
        for (const FlagName& f : kFlagNames)
            if (name == f.name) {
                result |= f.bit;
                known = true;
            }
        if (!known)
            return false;
        start = end + 1;
    }
    flags = result;
    return true;
}

std::string HeaderFlagNames(uint16_t flags) {
    std::string names;
    for (const FlagName& f : kFlagNames)
        if (flags & f.bit)
            names += (names.empty() ? "" : ",") + std::string(f.name);
    if (flags & 0x0400)
        names += names.empty() ? "spanned" : ",spanned";
    return names;
}

bool ParsePackOptions(const std::vector<std::string>& args, PackOptions& options,
                      std::string& error) {
    bool sizeChosen = false;
    auto seen = [&](const std::string& arg) {
        if (arg != "--store" && arg != "--level")
            return;
        if (sizeChosen)
            error = "--store and --level exclude each other";
        sizeChosen = true;
    };
    if (!ParseWithTable(Table(), args, options, options.paths, error, seen))
        return false;
    if (options.output.empty() || options.stub.empty()) {
        error = "-o and --stub are required";
        return false;
    }
    if (options.zip.empty() == options.paths.empty()) {
        error = "give either --zip ARCHIVE or the paths to pack";
        return false;
    }
    if (!options.zip.empty() &&
        (!options.password.empty() || sizeChosen || options.volumeSize != 0)) {
        error = "--password, --store, --level and --volume-size apply only to paths";
        return false;
    }
    return true;
}

bool ParseExtractOptions(const std::vector<std::string>& args, ExtractOptions& options,
                         std::string& error) {
    std::vector<std::string> plain;
    if (!ParseWithTable(ExtractTable(), args, options, plain, error, [](const std::string&) {}))
        return false;
    if (plain.size() != 2) {
        error = "extract needs FILE and DIR";
        return false;
    }
    options.file = plain[0];
    options.destination = plain[1];
    return true;
}

std::string UsageText() {
    std::string text =
        "usage: sfxpack pack -o OUT --stub STUB [options] (--zip ARCHIVE | PATH...)\n"
        "       sfxpack list FILE\n"
        "       sfxpack extract FILE DIR [options]\n\noptions of pack:\n";
    AppendOptionHelp(Table(), text);
    text += "\noptions of extract:\n";
    AppendOptionHelp(ExtractTable(), text);
    text += "\nflag names: ";
    for (size_t i = 0; i < sizeof kFlagNames / sizeof kFlagNames[0]; ++i)
        text += (i ? "," : "") + std::string(kFlagNames[i].name);
    text += "\nexit codes: 0 done, 1 unusable archive or stub or an entry not extracted, 2 usage\n";
    return text;
}
