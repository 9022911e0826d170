// The output folder rule, the input checks before a run, the base name of
// an input file and the writer that names and writes every piece.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "convert/RunHost.h"
#include "convert/TextCutter.h"
#include "convert/text/TextStreams.h"
#include "settings/LanguageTable.h"
#include "sys/System.h"

// Language strings of the run.
constexpr int32_t kStrOutputFolderTitle = 9;
constexpr int32_t kStrNoBookName = 10;
constexpr int32_t kStrBadBookName = 11;
constexpr int32_t kStrNoFiles = 12;
constexpr int32_t kStrProcessing = 13;
constexpr int32_t kStrFinished = 14;
constexpr int32_t kStrStopQuestion = 31;
constexpr int32_t kStrStopped = 32;

// Characters a book name may not hold: it names a folder and files.
inline constexpr std::string_view kForbiddenNameChars = "\\/:*?\"<>|";

// True when a run may start; otherwise the host has shown message 10, 11
// or 12 (and the focus is on the book name for 10 and 11). A name of only
// dots counts as a bad name, since it names no folder of its own.
bool FixInput(System& sys, const std::string& bookName, size_t itemCount,
              const LanguageTable& lang, RunHost& host);

// The chosen folder with a trailing backslash, or empty when no run may
// start: nothing was chosen, or the folder does not exist.
std::string OutputFolderRule(System& sys, const std::string& chosen);

// "C:\in\a.b.c.txt" gives "a.b.c"; a name without a dot gives "".
std::string BaseNameOf(const std::string& path);

// The overall progress after a piece: capped at 99; 99 with no estimate.
int OverallProgress(int32_t pieceCount, int32_t pieceEstimate);

// Writes pieces into the run folder. Numbered mode: book name and the
// piece number in four digits (wider from 10000 on). Per-file mode: the
// current book name. A name already written in this run, or one that
// names an input of the run, gets " (2)", " (3)", ... so that no piece
// replaces another piece or an input.
class PieceWriter final : public PieceSink {
public:
    PieceWriter(System& sys, RunHost& host, RunState& state, std::string runFolder,
                bool perFileMode)
        : sys_(sys), host_(host), state_(state), runFolder_(std::move(runFolder)),
          perFileMode_(perFileMode) {}

    // The stem of the names; per-file mode sets it for every input.
    void SetBookName(std::string bookName) { bookName_ = std::move(bookName); }
    // The run's inputs, which no piece may be written over.
    void ProtectInputs(std::vector<std::string> inputs) { inputs_ = std::move(inputs); }
    // Every piece starts with 'mark' and ends with 'lineEnd': a byte-order
    // mark and CR LF in the pieces' coding.
    void SetFraming(std::string mark, std::string lineEnd) {
        mark_ = std::move(mark);
        lineEnd_ = std::move(lineEnd);
    }

    bool BeginPiece() override;
    bool AppendPiece(std::string_view bytes) override;
    bool EndPiece() override;

    // The file name the next piece gets (without reserving it).
    std::string NextPieceName() const;
    // Pieces that could not be written so far; each was told to the host.
    int WriteFailures() const { return writeFailures_; }

private:
    bool Taken(const std::string& name) const;

    System& sys_;
    RunHost& host_;
    RunState& state_;
    std::string runFolder_;
    bool perFileMode_;
    std::string bookName_;
    std::set<std::string> namesUsed_;  // per-file mode, by FileNameKey
    std::vector<std::string> inputs_;
    std::string mark_;
    std::string lineEnd_ = "\r\n";
    std::unique_ptr<BufferedWriter> piece_;
    std::string piecePath_;
    int writeFailures_ = 0;
};

// The number part of a numbered piece name.
std::string PieceNumberText(int32_t pieceCount);
