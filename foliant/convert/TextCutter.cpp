// CutTextFile and FindCutWord.
#include "convert/TextCutter.h"

#include <algorithm>
#include <bitset>
#include <cstdint>

#include "convert/PendingText.h"
#include "convert/text/TextStreams.h"
#include "convert/text/TextEncoder.h"
#include "convert/text/Unicode.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Without cutting the file becomes one piece: every line followed by
// CR LF. Streamed: a lone CR becomes CR LF, CR LF stays, and a last line
// without its terminator gets one.
CutResult CopyWhole(LineReader& in, bool asIs, PieceSink& sink, const std::function<void()>& pump) {
    if (in.AtEnd())
        return in.Failed() ? CutResult::Failed : CutResult::Done;
    if (!sink.BeginPiece())
        return CutResult::Failed;
    if (asIs) {
        for (std::string_view chunk = in.ReadChunk(); !chunk.empty(); chunk = in.ReadChunk()) {
            if (pump)
                pump();
            if (!sink.AppendPiece(chunk))
                return CutResult::Failed;
        }
        if (in.Failed())
            return CutResult::Failed;
        return sink.EndPiece() ? CutResult::Done : CutResult::Failed;
    }
    bool pendingCr = false;   // the last byte seen was a CR
    bool lineOpen = false;    // bytes of an unterminated line were written
    for (std::string_view chunk = in.ReadChunk(); !chunk.empty(); chunk = in.ReadChunk()) {
        if (pump)
            pump();
        size_t i = 0;
        if (pendingCr) {
            if (!sink.AppendPiece(kCrLf))
                return CutResult::Failed;
            pendingCr = false;
            if (chunk[0] == '\n')
                i = 1;
        }
        while (i < chunk.size()) {
            size_t cr = chunk.find('\r', i);
            size_t stop = cr == std::string_view::npos ? chunk.size() : cr;
            if (stop > i) {
                if (!sink.AppendPiece(chunk.substr(i, stop - i)))
                    return CutResult::Failed;
                lineOpen = true;
            }
            if (cr == std::string_view::npos)
                break;
            lineOpen = false;
            if (cr + 1 == chunk.size()) {
                pendingCr = true;
                i = chunk.size();
            } else {
                if (!sink.AppendPiece(kCrLf))
                    return CutResult::Failed;
                i = cr + (chunk[cr + 1] == '\n' ? 2 : 1);
            }
        }
    }
    if (in.Failed())
        return CutResult::Failed;
    if ((pendingCr || lineOpen) && !sink.AppendPiece(kCrLf))
        return CutResult::Failed;
    return sink.EndPiece() ? CutResult::Done : CutResult::Failed;
}

// Tells how much of a file of known size has been read.
class CountingReader final : public FileReader {
public:
    CountingReader(std::unique_ptr<FileReader> file, int64_t size,
                   const std::function<void(int)>& progress)
        : file_(std::move(file)), size_(size), progress_(progress) {}
    bool Read(char* buffer, size_t capacity, size_t& got) override {
        bool ok = file_->Read(buffer, capacity, got);
        read_ += static_cast<int64_t>(got);
        int percent = static_cast<int>(std::min<int64_t>(read_ * 100 / size_, 100));
        if (percent > told_) {
            told_ = percent;
            progress_(percent);
        }
        return ok;
    }

private:
    std::unique_ptr<FileReader> file_;
    int64_t size_;
    const std::function<void(int)>& progress_;
    int64_t read_ = 0;
    int told_ = -1;
};

// Where characters of a coding start, so that no cut splits one.
class CharacterBounds {
public:
    CharacterBounds(System& sys, const TextCoding& coding) : form_(coding.form) {
        if (form_ == TextCoding::Form::CodePage)
            for (int b = 0x80; b <= 0xff; ++b)
                if (sys.IsLeadByte(coding.codePage, static_cast<unsigned char>(b)))
                    lead_.set(static_cast<size_t>(b));
    }

    // The last character boundary at or before 'at' in 'text', which starts
    // on one; where that is the start, the end of the first character, so
    // that a piece keeps one whole character rather than none.
    size_t Before(std::string_view text, size_t at) const {
        size_t b = Back(text, at);
        return b > 0 ? b : FirstEnd(text);
    }

private:
    size_t Back(std::string_view text, size_t at) const {
        switch (form_) {
        case TextCoding::Form::Utf8:
            while (at > 0 && at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
                --at;
            return at;
        case TextCoding::Form::Utf16Le:
        case TextCoding::Form::Utf16Be:
            at &= ~static_cast<size_t>(1);
            if (at >= 2 && at + 1 < text.size() && IsLowSurrogate(Unit(text, at)) &&
                IsHighSurrogate(Unit(text, at - 2)))
                at -= 2;
            return at;
        case TextCoding::Form::CodePage:
            break;
        }
        if (lead_.none())
            return at;
        // A trail byte can look like a lead byte, so only a walk from a
        // known boundary tells them apart.
        size_t i = 0;
        for (;;) {
            size_t step = lead_.test(static_cast<unsigned char>(text[i])) ? 2 : 1;
            if (i + step > at)
                return i;
            i += step;
        }
    }

    size_t FirstEnd(std::string_view text) const {
        size_t end = form_ == TextCoding::Form::Utf16Le || form_ == TextCoding::Form::Utf16Be ? 2 : 1;
        while (end < text.size() && Back(text, end) == 0)
            end += end == 1 ? 1 : (form_ == TextCoding::Form::Utf8 ? 1 : 2);
        return std::min(end, text.size());
    }

    uint16_t Unit(std::string_view text, size_t at) const {
        unsigned char a = static_cast<unsigned char>(text[at]);
        unsigned char b = static_cast<unsigned char>(text[at + 1]);
        return static_cast<uint16_t>(form_ == TextCoding::Form::Utf16Le ? a | b << 8 : a << 8 | b);
    }

    TextCoding::Form form_;
    std::bitset<256> lead_;
};

// How much of the pending text is held. A cut needs its first S bytes; the
// rest is room, so that in the usual case of lines shorter than a piece
// nothing is read from the file a second time. At least S + 1 even where
// twice S does not fit in a size_t.
size_t HeldBytes(size_t pieceSize) {
    return static_cast<size_t>(
        std::min<uint64_t>(2 * static_cast<uint64_t>(pieceSize) + kStreamBufferSize, SIZE_MAX));
}

CutResult CutLines(System& sys, const std::string& path, std::unique_ptr<FileReader> file,
                   const CutSettings& cut, PieceSink& sink, const std::function<void()>& pump) {
    const CharacterBounds bounds(sys, cut.coding);
    const size_t S = static_cast<size_t>(cut.pieceSize);
    const size_t W = static_cast<size_t>(cut.window);
    const size_t K = static_cast<size_t>(cut.joint);
    const bool asIs = cut.coding.UnitSize() == 2;
    LineEndedText in(std::move(file), asIs);
    PendingText pending(sys, path, HeldBytes(S), asIs);
    while (!in.AtEnd()) {
        if (pump)
            pump();
        for (bool lineEnded = false; !lineEnded;) {
            lineEnded = pending.ReadFrom(in);
            if (in.Failed())
                return CutResult::Failed;
        }
        if (pending.Size() <= S)
            continue;
        std::string_view text;
        if (!pending.Front(text))
            return CutResult::Failed;
        std::string_view window = text.substr(S - W, W);
        size_t e = static_cast<size_t>(
            FindCutWord(window, cut.cutWords, S - W, cut.coding.UnitSize()));
        size_t length = e > 0 ? S - W + e : S;
        // Neither the cut nor the start of the joint bytes may split a
        // character; the pending text always starts on a boundary.
        length = bounds.Before(text, length);
        size_t next = bounds.Before(text, length - std::min(K, length - 1));
        if (!sink.WritePiece(text.substr(0, length)))
            return CutResult::Failed;
        pending.Drop(next);
    }
    if (in.Failed())
        return CutResult::Failed;
    if (pending.Size() > 0 && !pending.WriteAll(sink))
        return CutResult::Failed;
    return CutResult::Done;
}

}  // namespace

CutSettings ClampCutSettings(int32_t pieceSize, int32_t window, int32_t joint,
                             std::vector<std::string> cutWords) {
    CutSettings cut;
    cut.cutWords = std::move(cutWords);
    if (pieceSize < 1)
        return cut;
    cut.pieceSize = pieceSize;
    cut.window = std::clamp(window, 0, pieceSize);
    // The shortest piece is S - W + 1 bytes (S when W is 0); the joint must
    // leave at least one new byte.
    int32_t shortest = cut.window > 0 ? pieceSize - cut.window + 1 : pieceSize;
    cut.joint = std::clamp(joint, 0, shortest - 1);
    return cut;
}

CutSettings CutSettingsFrom(const AppSettings& settings) {
    CutType type;
    if (settings.CutTypeIndex >= 0 &&
        static_cast<size_t>(settings.CutTypeIndex) < settings.CutTypes.size())
        type = settings.CutTypes[static_cast<size_t>(settings.CutTypeIndex)];
    return ClampCutSettings(type.SingleFileSize, type.InOutFileSize, settings.KeepFileSize,
                            settings.CutWords);
}

int32_t FindCutWord(std::string_view window, const std::vector<std::string>& cutWords,
                    size_t windowStart, size_t unitSize) {
    for (const std::string& word : cutWords) {
        // An empty word is found at once and ends nothing: the cut is at S.
        if (word.empty())
            return 0;
        for (size_t p = window.find(word); p != std::string_view::npos; p = window.find(word, p + 1))
            if ((windowStart + p) % unitSize == 0)
                return static_cast<int32_t>(p + word.size());
    }
    return 0;
}

CutSettings CutSettingsFor(System& sys, const AppSettings& settings, const TextCoding& coding) {
    CutSettings cut = CutSettingsFrom(settings);
    cut.coding = coding;
    if (SameBytes(coding, TextCoding::Ansi()))
        return cut;
    std::vector<std::string> words;
    for (const std::string& word : cut.cutWords) {
        CharacterLoss loss;
        std::string encoded = EncodeText(sys, word, TextCoding::Ansi(), coding, loss);
        if (loss.count == 0)
            words.push_back(std::move(encoded));
    }
    cut.cutWords = std::move(words);
    return cut;
}

CutResult CutTextFile(System& sys, const std::string& path, const CutSettings& cut,
                      PieceSink& sink, const std::function<void()>& pump,
                      const std::function<void(int)>& progress) {
    std::unique_ptr<FileReader> file = sys.OpenForReading(path);
    if (!file)
        return CutResult::Missing;
    int64_t size = 0;
    if (progress && sys.FileSize(path, size) && size > 0)
        file = std::make_unique<CountingReader>(std::move(file), size, progress);
    if (cut.pieceSize < 1) {
        LineReader in(std::move(file));
        return CopyWhole(in, cut.coding.UnitSize() == 2, sink, pump);
    }
    return CutLines(sys, path, std::move(file), cut, sink, pump);
}
