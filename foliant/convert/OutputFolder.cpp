// FixInput, the output folder rule, base names and the piece writer.
#include "convert/OutputFolder.h"

#include <algorithm>

namespace {

constexpr int32_t kNumberedDigits = 4;

}  // namespace

bool FixInput(System& sys, const std::string& bookName, size_t itemCount,
              const LanguageTable& lang, RunHost& host) {
    if (bookName.empty()) {
        host.ShowMessage(Utf8FromAnsi(sys, lang.Text(kStrNoBookName)));
        host.FocusBookName();
        return false;
    }
    // "." and ".." would put the book's files beside or above the folder.
    if (bookName.find_first_of(kForbiddenNameChars) != std::string::npos ||
        bookName.find_first_not_of('.') == std::string::npos) {
        host.ShowMessage(Utf8FromAnsi(sys, lang.Text(kStrBadBookName)));
        host.FocusBookName();
        return false;
    }
    if (itemCount == 0) {
        host.ShowMessage(Utf8FromAnsi(sys, lang.Text(kStrNoFiles)));
        return false;
    }
    return true;
}

std::string OutputFolderRule(System& sys, const std::string& chosen) {
    if (chosen.empty())
        return std::string();
    std::string folder = chosen;
    if (folder.back() != '\\')
        folder += '\\';
    if (!sys.FolderExists(folder))
        return std::string();
    return folder;
}

std::string BaseNameOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(0, dot);
}

int OverallProgress(int32_t pieceCount, int32_t pieceEstimate) {
    constexpr int kCap = 99;
    if (pieceEstimate <= 0)
        return kCap;
    int64_t percent = static_cast<int64_t>(pieceCount) * 100 / pieceEstimate;
    return static_cast<int>(std::min<int64_t>(percent, kCap));
}

std::string PieceNumberText(int32_t pieceCount) {
    std::string digits = std::to_string(pieceCount);
    if (digits.size() < kNumberedDigits)
        digits.insert(0, kNumberedDigits - digits.size(), '0');
    return digits;
}

bool PieceWriter::Taken(const std::string& name) const {
    if (perFileMode_ && namesUsed_.count(sys_.FileNameKey(name)) != 0)
        return true;
    std::string path = runFolder_ + name;
    if (inputs_.empty() || !sys_.FileExists(path))
        return false;
    for (const std::string& input : inputs_)
        if (sys_.SameFile(path, input))
            return true;
    return false;
}

std::string PieceWriter::NextPieceName() const {
    std::string stem = perFileMode_ ? bookName_ : bookName_ + PieceNumberText(state_.PieceCount);
    std::string name = stem + ".txt";
    for (int n = 2; Taken(name); ++n)
        name = stem + " (" + std::to_string(n) + ").txt";
    return name;
}

bool PieceWriter::BeginPiece() {
    std::string name = NextPieceName();
    if (perFileMode_)
        namesUsed_.insert(sys_.FileNameKey(name));
    piecePath_ = runFolder_ + name;
    std::unique_ptr<FileWriter> file = sys_.CreateForWriting(piecePath_);
    if (!file) {
        ++writeFailures_;
        host_.PieceNotWritten(piecePath_);
        return false;
    }
    piece_ = std::make_unique<BufferedWriter>(std::move(file));
    return mark_.empty() || AppendPiece(mark_);
}

bool PieceWriter::AppendPiece(std::string_view bytes) {
    if (!piece_)
        return false;
    if (piece_->Write(bytes))
        return true;
    piece_.reset();
    ++writeFailures_;
    host_.PieceNotWritten(piecePath_);
    return false;
}

bool PieceWriter::EndPiece() {
    if (!piece_)
        return false;
    bool ok = piece_->Write(lineEnd_);
    ok = piece_->Close() && ok;
    piece_.reset();
    ++state_.PieceCount;
    host_.SetOverallProgress(OverallProgress(state_.PieceCount, state_.PieceEstimate));
    if (!ok) {
        ++writeFailures_;
        host_.PieceNotWritten(piecePath_);
    }
    return ok;
}
