// The text of a file as the cutter cuts it, and the part of it that no cut
// has passed yet. The pending part can grow with the file (a line far
// longer than a piece, or lines longer than each cut takes), so only its
// first bytes are held; the rest is read from the file again when a cut
// or the last piece needs it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "convert/TextCutter.h"
#include "convert/text/TextStreams.h"
#include "sys/System.h"

// Every line of the file followed by CR LF: a lone CR becomes CR LF, CR LF
// stays, a last line without its end gets one. UTF-16LE text, whose line
// ends are CR LF units already and where a byte 13 need not be a CR, is
// read as it is ('asIs').
class LineEndedText {
public:
    LineEndedText(std::unique_ptr<FileReader> file, bool asIs)
        : in_(std::move(file)), asIs_(asIs) {}

    // True when every line and its CR LF has been handed out.
    bool AtEnd() { return !lineOpen_ && endLeft_ == 0 && in_.AtEnd(); }
    // Appends at most 'most' bytes (at least one unless at the end); true
    // when they finish a line's CR LF.
    bool Read(std::string& out, size_t most);
    bool Failed() const { return in_.Failed(); }

private:
    LineReader in_;
    bool asIs_;
    bool lineOpen_ = false;  // bytes of a line are still to come
    size_t endLeft_ = 0;     // bytes of a line's CR LF not handed out yet
};

class PendingText {
public:
    // At most 'held' bytes are kept; the rest comes from 'path' again.
    PendingText(System& sys, const std::string& path, size_t held, bool asIs)
        : sys_(sys), path_(path), held_(held), asIs_(asIs) {}

    // Appends the next bytes of the text, at most a read buffer; true when
    // they end a line.
    bool ReadFrom(LineEndedText& text);
    uint64_t Size() const { return end_ - start_; }
    // The first min(Size(), held) bytes; false when the file cannot be
    // read again.
    bool Front(std::string_view& front);
    // Passes over the first 'count' bytes, no more than Front gave.
    void Drop(size_t count);
    // Writes all of it as one piece.
    bool WriteAll(PieceSink& sink);

private:
    uint64_t FrontEnd() const { return start_ + (front_.size() - frontStart_); }
    bool ReadAgain(uint64_t from, std::string& out, size_t most);

    System& sys_;
    std::string path_;
    size_t held_;
    bool asIs_;                // the file's line ends are left as they are
    uint64_t start_ = 0;       // where the pending text starts in the whole text
    uint64_t end_ = 0;         // how much of the whole text has been appended
    std::string front_;        // front_[frontStart_...] is the text from start_
    size_t frontStart_ = 0;
    std::string passed_;       // bytes read that are not held
    std::unique_ptr<LineEndedText> again_;  // the file read a second time
    uint64_t againAt_ = 0;     // where again_ has got to
};
