// The flags table of foliant-batch and what is made from it.
#include "batch/BatchFlags.h"

#include <algorithm>
#include <string_view>

#include "convert/DocumentKinds.h"

namespace {

struct Flag {
    std::string_view name;
    std::string_view value;  // empty for a flag without a value
    std::string_view help;
    std::string BatchOptions::*text;
    bool BatchOptions::*given;
};

const Flag kFlags[] = {
    {"--ini", "FILE", "settings file to read (default: main.ini beside the program)",
     &BatchOptions::ini, nullptr},
    {"--book", "NAME", "book name (default: BookName from the settings)", &BatchOptions::book,
     &BatchOptions::bookGiven},
    {"--out", "DIR", "existing folder that receives the book's folder", &BatchOptions::out,
     nullptr},
    {"--encoding", "NAME",
     "encoding of the pieces: ansi, utf-8, utf-8-bom, utf-16le or a code-page number such "
     "as 1251 or 936 (default: OutputCodePage from the settings, else ansi)",
     &BatchOptions::encoding, &BatchOptions::encodingGiven},
    {"--input-codepage", "NAME",
     "encoding of text files without a byte-order mark and of web pages that do not name "
     "theirs (default: InputCodePage from the settings, else ansi)",
     &BatchOptions::inputCodePage, &BatchOptions::inputCodePageGiven},
    {"--help", "", "show this text", nullptr, &BatchOptions::help},
};

const Flag* FindFlag(std::string_view name) {
    for (const Flag& flag : kFlags)
        if (flag.name == name)
            return &flag;
    return nullptr;
}

// 'paragraph' in lines of at most 'width' characters, broken at blanks.
std::string Wrapped(const std::string& paragraph, size_t width = 76) {
    std::string text, line;
    for (size_t at = 0; at < paragraph.size();) {
        size_t blank = paragraph.find(' ', at);
        std::string word = paragraph.substr(at, blank == std::string::npos ? blank : blank - at);
        at = blank == std::string::npos ? paragraph.size() : blank + 1;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            text += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return text + line + "\n";
}

}  // namespace

bool ParseBatchArguments(int argc, char** argv, BatchOptions& options, std::string& error) {
    bool onlyFiles = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (onlyFiles || arg.size() < 2 || arg.substr(0, 2) != "--") {
            options.files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        std::string_view name = arg;
        std::string_view inlineValue;
        bool hasInline = false;
        if (size_t eq = arg.find('='); eq != std::string_view::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
            hasInline = true;
        }
        const Flag* flag = FindFlag(name);
        if (flag == nullptr) {
            error = "unknown option " + std::string(name);
            return false;
        }
        if (flag->given != nullptr)
            options.*(flag->given) = true;
        if (flag->value.empty())
            continue;
        if (hasInline) {
            options.*(flag->text) = std::string(inlineValue);
        } else if (i + 1 < argc) {
            options.*(flag->text) = argv[++i];
        } else {
            error = std::string(name) + " needs " + std::string(flag->value);
            return false;
        }
    }
    if (options.help)
        return true;
    if (options.out.empty()) {
        error = "--out DIR is required";
        return false;
    }
    return true;
}

std::string BatchHelpText() {
    std::string text = "usage: foliant-batch";
    for (const Flag& flag : kFlags) {
        if (flag.name == "--help")
            continue;
        std::string shown = std::string(flag.name) + (flag.value.empty() ? "" : " ") +
                            std::string(flag.value);
        text += flag.name == "--out" ? " " + shown : " [" + shown + "]";
    }
    text += " FILE...\n\n" +
            Wrapped("Converts documents (" + KnownEndings() +
                    ") into the text pieces of a book, as the desktop program does. Text files "
                    "in UTF-8 or UTF-16 are recognised by their bytes. Characters the chosen encoding "
                    "lacks are written as their nearest equivalent, or as \"?\", which is "
                    "reported.") +
            "\n";
    for (const Flag& flag : kFlags) {
        std::string shown = "  " + std::string(flag.name) + (flag.value.empty() ? "" : " ") +
                            std::string(flag.value);
        shown.resize(std::max<size_t>(shown.size() + 1, 20), ' ');
        // The help wraps under itself.
        std::string help = Wrapped(std::string(flag.help), 76 - shown.size());
        for (size_t at = help.find('\n'); at + 1 < help.size(); at = help.find('\n', at + 1))
            help.insert(at + 1, shown.size(), ' ');
        text += shown + help;
    }
    text += "\nExit codes: 0 done, 1 stopped, 2 refused, 3 settings or language file unusable,\n"
            "4 the book's folder could not be made or a piece could not be written.\n";
    return text;
}
