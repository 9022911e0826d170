// LineEndedText and PendingText.
#include "convert/PendingText.h"

#include <algorithm>

namespace {

constexpr std::string_view kCrLf = "\r\n";

}  // namespace

bool LineEndedText::Read(std::string& out, size_t most) {
    if (asIs_)
        return in_.ReadWideLinePart(out, most);
    if (!lineOpen_ && endLeft_ == 0) {
        if (in_.AtEnd())
            return false;
        lineOpen_ = true;
    }
    if (lineOpen_) {
        size_t before = out.size();
        bool ended = in_.ReadLinePart(out, most);
        most -= out.size() - before;
        if (!ended)
            return false;
        lineOpen_ = false;
        endLeft_ = kCrLf.size();
    }
    size_t count = std::min(endLeft_, most);
    out.append(kCrLf.substr(kCrLf.size() - endLeft_, count));
    endLeft_ -= count;
    return endLeft_ == 0;
}

bool PendingText::ReadFrom(LineEndedText& text) {
    // Once a byte is not held, none after it is, until Front reads it again.
    size_t kept = front_.size() - frontStart_;
    std::string& into = FrontEnd() == end_ && kept < held_ ? front_ : passed_;
    size_t most = &into == &front_ ? std::min(held_ - kept, kStreamBufferSize) : kStreamBufferSize;
    passed_.clear();
    size_t before = into.size();
    bool lineEnded = text.Read(into, most);
    end_ += into.size() - before;
    return lineEnded;
}

bool PendingText::Front(std::string_view& front) {
    for (;;) {
        size_t kept = front_.size() - frontStart_;
        if (kept >= held_ || FrontEnd() >= end_)
            break;
        size_t most = static_cast<size_t>(std::min<uint64_t>(held_ - kept, end_ - FrontEnd()));
        if (!ReadAgain(FrontEnd(), front_, most))
            return false;
    }
    front = std::string_view(front_).substr(frontStart_);
    return true;
}

void PendingText::Drop(size_t count) {
    // The dropped front is erased now and then, so that each byte is moved
    // a bounded number of times.
    frontStart_ += count;
    start_ += count;
    if (frontStart_ > front_.size() / 2) {
        front_.erase(0, frontStart_);
        frontStart_ = 0;
    }
}

bool PendingText::WriteAll(PieceSink& sink) {
    if (!sink.BeginPiece() || !sink.AppendPiece(std::string_view(front_).substr(frontStart_)))
        return false;
    std::string chunk;
    for (uint64_t at = FrontEnd(); at < end_; at += chunk.size()) {
        chunk.clear();
        size_t most = static_cast<size_t>(std::min<uint64_t>(kStreamBufferSize, end_ - at));
        if (!ReadAgain(at, chunk, most) || !sink.AppendPiece(chunk))
            return false;
    }
    return sink.EndPiece();
}

// Appends up to 'most' bytes of the text from 'from' on, reading the file a
// second time; that reading only ever moves forward. False when the file
// cannot be opened again or now ends sooner.
bool PendingText::ReadAgain(uint64_t from, std::string& out, size_t most) {
    if (!again_) {
        std::unique_ptr<FileReader> file = sys_.OpenForReading(path_);
        if (!file)
            return false;
        again_ = std::make_unique<LineEndedText>(std::move(file), asIs_);
    }
    if (from < againAt_)
        return false;
    std::string skipped;
    while (againAt_ < from) {
        skipped.clear();
        again_->Read(skipped, static_cast<size_t>(std::min<uint64_t>(kStreamBufferSize, from - againAt_)));
        if (skipped.empty() || again_->Failed())
            return false;
        againAt_ += skipped.size();
    }
    size_t before = out.size();
    again_->Read(out, most);
    againAt_ += out.size() - before;
    return out.size() > before && !again_->Failed();
}
