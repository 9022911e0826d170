// What a conversion run needs from the window (or tool) that started it,
// the run's shared state, and the converters of formatted documents.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "convert/text/SkipReason.h"
#include "convert/text/TextCoding.h"

// Shared by the run, the cutter and the piece writer; reset by every run.
struct RunState {
    bool StopRequested = false;
    int32_t PieceCount = 0;     // pieces written so far, the number of the next
    int32_t PieceEstimate = 0;  // estimated pieces of the run
};


// The desktop window, the command line and test scripts implement this.
// Every text and path passed either way is UTF-8.
class RunHost {
public:
    virtual ~RunHost() = default;

    // The book-name box and the import list (full paths, in order).
    virtual std::string BookNameText() = 0;
    virtual std::vector<std::string> ImportList() = 0;
    // The folder dialog, titled 'title'; empty when the user cancels.
    virtual std::string ChooseOutputFolder(const std::string& title) = 0;

    virtual void ShowMessage(const std::string& text) = 0;
    virtual bool AskYesNo(const std::string& text) = 0;
    virtual void FocusBookName() = 0;

    virtual void SetStatus(const std::string& text) = 0;
    virtual void SetOverallProgress(int percent) = 0;  // ProgressBar1
    virtual void SetFileProgress(int percent) = 0;     // ProgressBar2
    // True: progress panel shown, main panel disabled.
    virtual void SetBusy(bool busy) = 0;
    // Lets pending window messages through; a stop click lands here.
    virtual void PumpMessages() = 0;

    // An input that yields nothing, and why; 'detail' names what the
    // reason refers to (an unknown encoding), in the ANSI code page. The
    // desktop window ignores this.
    virtual void InputSkipped(const std::string& /*path*/, SkipReason /*why*/,
                              const std::string& /*detail*/) {}
    // A part of input 'path' (a chapter of a book) that could not be read
    // and was left out; the rest of the input is read. The desktop window
    // ignores this.
    virtual void PartSkipped(const std::string& /*path*/, const std::string& /*part*/) {}
    // Characters of input 'path' that the output coding has no equivalent
    // for, not even a near one, and that were written as "?": how many,
    // and the first few distinct ones as code points. The desktop window
    // ignores this.
    virtual void CharactersLost(const std::string& /*path*/, uint64_t /*count*/,
                                const std::vector<uint32_t>& /*first*/) {}
    // How much of the file being cut has been read, 0 to 100; the desktop
    // window ignores this.
    virtual void CutProgress(int /*percent*/) {}
    // The run folder could not be made, or a piece could not be written;
    // the run goes on. The desktop window ignores both.
    virtual void RunFolderNotMade(const std::string& /*folder*/) {}
    virtual void PieceNotWritten(const std::string& /*path*/) {}
};

// The converters of RTF and Word documents. Each writes the document's
// plain text into 'target'; false (and possibly no target) on failure.
class DocumentConverters {
public:
    virtual ~DocumentConverters() = default;
    virtual bool RtfToText(const std::string& source, const std::string& target) = 0;
    virtual bool DocToText(const std::string& source, const std::string& target) = 0;
    // Why the last conversion that returned false failed.
    virtual SkipReason LastFailure() const { return SkipReason::Unreadable; }
    // The coding of the text the last conversion wrote: the ANSI code page
    // unless the converter says otherwise.
    virtual TextCoding LastCoding() const { return TextCoding::Ansi(); }
};
