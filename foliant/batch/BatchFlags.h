// The command line of foliant-batch: one table of flags gives both the
// parser and the --help text.
#pragma once

#include <string>
#include <vector>

struct BatchOptions {
    std::string ini;                  // empty: main.ini beside the program
    std::string book;                 // empty unless --book was given
    bool bookGiven = false;
    std::string out;
    std::string encoding;             // of the pieces, overriding the settings
    bool encodingGiven = false;
    std::string inputCodePage;        // of text that does not say its own
    bool inputCodePageGiven = false;
    std::vector<std::string> files;
    bool help = false;
};

// Fills 'options' from argv[1...]; false with 'error' set for a bad line.
bool ParseBatchArguments(int argc, char** argv, BatchOptions& options, std::string& error);

// The usage line and one line per flag.
std::string BatchHelpText();
