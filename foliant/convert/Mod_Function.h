// The conversion run: checks, output folder, then every file of the import
// list turned into text, cut and written as pieces, with progress, status
// and a stop request between files. It talks to its window only through
// RunHost, so the desktop window, the command line and tests drive it alike.
#pragma once

#include <string>
#include <vector>

#include "convert/DocumentKinds.h"
#include "convert/RunHost.h"
#include "convert/text/TextCoding.h"
#include "settings/LanguageTable.h"
#include "settings/Mod_DIM.h"
#include "sys/System.h"

class PieceWriter;

enum class RunOutcome { Refused, Finished, Stopped };


// The temporary text file name: folder, date without leading zeros, tick
// count as a signed number, converter tag, random number, ".txt".
std::string TemporaryFileName(const std::string& tempFolder, const CalendarDate& date,
                              uint32_t tickCount, const std::string& tag, int random);

// The piece estimate for files totalling 'totalBytes', 'itemCount' items.
int32_t EstimateFor(int64_t totalBytes, size_t itemCount, const AppSettings& settings);

// True when the last cut type does not cut: one output file per input.
bool IsPerFileMode(const AppSettings& settings);

class ConversionRun {
public:
    ConversionRun(System& sys, AppSettings& settings, const LanguageTable& lang, RunHost& host,
                  DocumentConverters& converters, RunState& state)
        : sys_(sys), settings_(settings), lang_(lang), host_(host), converters_(converters),
          state_(state) {}

    // The whole run of the output button.
    RunOutcome Cmd_Output();
    // The stop button: the run asks before its next file.
    void Cmd_StopOutput() { state_.StopRequested = true; }

    void EstimatePieces(const std::vector<std::string>& importList);
    // TEMP with a trailing backslash; the system's folder when TEMP is unset.
    std::string TempFolder();

private:
    // One entry of List2: a text file to cut, deleted after it when made
    // by a converter.
    struct WorkItem {
        std::string path;
        bool deleteAfter;
        TextCoding coding;  // of the text in the file
        bool clean;         // CR LF line ends, no byte-order mark
    };
    void ConvertAndCutFile(const std::string& path);
    // Turns the input into the text files to cut; false when it gave none,
    // with the reason in 'failure'.
    bool Convert(const std::string& path, const DocumentKind& kind, std::vector<WorkItem>& work,
                 SkipReason& failure, std::string& detail);
    std::string MakeTemporaryName(const std::string& tag);
    // A text of the language file in UTF-8, as the host takes its texts.
    std::string Said(int32_t id) const { return Utf8FromAnsi(sys_, lang_.Text(id)); }

    System& sys_;
    AppSettings& settings_;
    const LanguageTable& lang_;
    RunHost& host_;
    DocumentConverters& converters_;
    RunState& state_;
    PieceWriter* writer_ = nullptr;  // set while the run goes
    TextCoding output_;              // of the pieces
    TextCoding input_;               // of text that does not say its own
};

// The codings the settings name; false, naming the key, when one of them
// is not a coding the system writes or reads.
bool RunCodings(System& sys, const AppSettings& settings, TextCoding& output, TextCoding& input,
                std::string& badKey);

// The converters of the document readers: RTF and Word files read whole
// and written as plain text.
class ReaderConverters final : public DocumentConverters {
public:
    explicit ReaderConverters(System& sys) : sys_(sys) {}
    bool RtfToText(const std::string& source, const std::string& target) override;
    bool DocToText(const std::string& source, const std::string& target) override;
    SkipReason LastFailure() const override { return lastFailure_; }
    TextCoding LastCoding() const override { return TextCoding::Utf8(); }

private:
    System& sys_;
    SkipReason lastFailure_ = SkipReason::Unreadable;
};
