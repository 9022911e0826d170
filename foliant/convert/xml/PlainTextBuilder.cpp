// The text collector of the XML-based document readers.
#include "convert/xml/PlainTextBuilder.h"

#include <algorithm>

#include "convert/text/Unicode.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The body is streamed once this much of it is waiting, and even under a
// checkpoint once it holds this much more.
constexpr size_t kSpillSize = 1 << 20;
constexpr size_t kHoldSize = 8 << 20;

// The length of 'text' without its trailing line ends.
size_t WithoutTrailingLineEnds(std::string_view text) {
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r'))
        --end;
    return end;
}

// The length of 'utf8' without a character cut short at its end.
size_t WholeCharacters(std::string_view utf8) {
    for (size_t back = 1; back <= 3 && back <= utf8.size(); ++back) {
        auto c = static_cast<unsigned char>(utf8[utf8.size() - back]);
        if ((c & 0xC0) == 0xC0) {
            size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            return length > back ? utf8.size() - back : utf8.size();
        }
        if ((c & 0xC0) != 0x80)
            break;
    }
    return utf8.size();
}

}  // namespace

void PlainTextBuilder::Put(std::string_view utf8) {
    if (utf8.empty())
        return;
    if (pendingSpace_ && LineOpen())
        Out() += ' ';
    pendingSpace_ = false;
    Out().append(utf8);
    LineOpen() = true;
    Spill();
    SpillNotes();
}

void PlainTextBuilder::Append(std::string_view utf8) {
    Put(utf8);
}

void PlainTextBuilder::AppendCollapsed(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        if (IsBlank(utf8[i])) {
            pendingSpace_ = true;
            while (i < utf8.size() && IsBlank(utf8[i]))
                ++i;
            continue;
        }
        size_t start = i;
        while (i < utf8.size() && !IsBlank(utf8[i]))
            ++i;
        Put(utf8.substr(start, i - start));
    }
}

bool PlainTextBuilder::InCell() const {
    return tableDepth_ > 0 && noteDepth_ == 0;
}

void PlainTextBuilder::Tab() {
    if (InCell()) {
        pendingSpace_ = true;
        return;
    }
    TabMark();
}

void PlainTextBuilder::TabMark() {
    pendingSpace_ = false;
    Out() += '\t';
    LineOpen() = true;
}

void PlainTextBuilder::LineBreak() {
    if (InCell()) {
        pendingSpace_ = true;
        return;
    }
    NewLine();
}

void PlainTextBuilder::NewLine() {
    pendingSpace_ = false;
    Out() += '\n';
    LineOpen() = false;
    Spill();
}

void PlainTextBuilder::StreamTo(System& sys, TextSink sink, NoteStore* notes) {
    streamSystem_ = &sys;
    sink_ = std::move(sink);
    noteStore_ = notes;
}

// Notes are stored whole characters at a time, never under a checkpoint,
// whose undoing would need them back.
void PlainTextBuilder::SpillNotes() {
    if (!noteStore_ || held_ || notes_.size() < kSpillSize)
        return;
    if (!noteStore_->Write(notes_))
        sinkFailed_ = true;
    notesStored_ = true;
    notes_.clear();
}

// The stored notes after the body, streamed as the body is; a part read
// back that ends inside a character keeps its last bytes for the next.
bool PlainTextBuilder::AppendStoredNotes() {
    if (bodyLineOpen_)
        body_ += '\n';
    bodyLineOpen_ = false;
    std::string carry;
    bool read = noteStore_->ReadBack([this, &carry](std::string_view part) {
        carry.append(part);
        size_t whole = WholeCharacters(carry);
        body_.append(carry, 0, whole);
        carry.erase(0, whole);
        Spill();
        return !sinkFailed_;
    });
    body_ += carry;
    return read;
}

// Format note: the text ends with exactly one CR LF however many line
// ends its body and notes end with, so the line ends at the end of the
// body wait until more text comes after them.
void PlainTextBuilder::Spill() {
    if (!streamSystem_ || body_.size() < kSpillSize)
        return;
    if (held_) {
        if (body_.size() < kHoldSize)
            return;
        held_ = false;
        holdLost_ = true;
    }
    size_t ready = WithoutTrailingLineEnds(body_);
    if (ready == 0)
        return;
    if (!sink_(Utf8PartToCrLfText(std::string_view(body_).substr(0, ready))))
        sinkFailed_ = true;
    streamed_ = true;
    body_.erase(0, ready);
}

bool PlainTextBuilder::EndStream() {
    if (notesStored_ && !AppendStoredNotes())
        sinkFailed_ = true;
    MergeNotes();
    std::string_view rest(body_.data(), WithoutTrailingLineEnds(body_));
    if (!rest.empty() && !sink_(Utf8PartToCrLfText(rest)))
        sinkFailed_ = true;
    if ((streamed_ || !rest.empty()) && !sink_("\r\n"))
        sinkFailed_ = true;
    body_.clear();
    return !sinkFailed_;
}

void PlainTextBuilder::EndParagraph() {
    LineBreak();
}

void PlainTextBuilder::EndLineIfOpen() {
    if (InCell())
        pendingSpace_ = true;
    else if (LineOpen())
        NewLine();
    else
        pendingSpace_ = false;
}

void PlainTextBuilder::BeginCell() {
    pendingSpace_ = false;
    if (cellStarted_)
        TabMark();
    cellStarted_ = true;
}

void PlainTextBuilder::EndRow() {
    if (cellStarted_ || LineOpen())
        NewLine();
    cellStarted_ = false;
}

void PlainTextBuilder::EndTable() {
    if (tableDepth_ > 0)
        --tableDepth_;
    cellStarted_ = false;
}

void PlainTextBuilder::BeginNote() {
    if (noteDepth_++ == 0)
        pendingSpace_ = false;
}

void PlainTextBuilder::EndNote() {
    if (noteDepth_ == 0)
        return;
    if (noteDepth_ == 1 && noteLineOpen_)
        NewLine();
    --noteDepth_;
    pendingSpace_ = false;
}

PlainTextBuilder::Checkpoint PlainTextBuilder::Save() {
    held_ = true;
    holdLost_ = false;
    return {body_.size(), notes_.size(), bodyLineOpen_, noteLineOpen_, pendingSpace_,
            cellStarted_, tableDepth_, noteDepth_};
}

void PlainTextBuilder::Release() {
    held_ = false;
    holdLost_ = false;
    Spill();
    SpillNotes();
}

bool PlainTextBuilder::Restore(const Checkpoint& point) {
    held_ = false;
    // Text streamed already stays; tables and notes opened since are closed.
    pendingSpace_ = point.pendingSpace;
    cellStarted_ = point.cellStarted;
    tableDepth_ = point.tableDepth;
    noteDepth_ = point.noteDepth;
    if (holdLost_) {
        holdLost_ = false;
        return false;
    }
    body_.resize(point.bodySize);
    notes_.resize(point.notesSize);
    bodyLineOpen_ = point.bodyLineOpen;
    noteLineOpen_ = point.noteLineOpen;
    return true;
}

void PlainTextBuilder::MergeNotes() {
    if (notes_.empty())
        return;
    if (bodyLineOpen_)
        body_ += '\n';
    body_ += notes_;
    notes_ = std::string();
}

std::string PlainTextBuilder::Finish() {
    MergeNotes();
    std::string all = std::move(body_);
    body_.clear();
    return Utf8ToCrLfText(all);
}

std::string Utf8ToCrLfText(std::string_view utf8) {
    utf8 = utf8.substr(0, WithoutTrailingLineEnds(utf8));
    if (utf8.empty())
        return std::string();
    return Utf8PartToCrLfText(utf8) + "\r\n";
}

std::string Utf8PartToCrLfText(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size() + utf8.size() / 16);
    for (char c : utf8) {
        if (c == '\r')
            continue;
        if (c == '\n')
            text += '\r';
        text += c;
    }
    return RepairedUtf8(text);
}
