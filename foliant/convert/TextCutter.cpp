// CutTextFile and FindCutWord.
#include "convert/TextCutter.h"

#include <algorithm>
#include <bitset>

#include "convert/TextStreams.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

// Without cutting the file becomes one piece: every line followed by
// CR LF. Streamed: a lone CR becomes CR LF, CR LF stays, and a last line
// without its terminator gets one.
CutResult CopyWhole(LineReader& in, PieceSink& sink, const std::function<void()>& pump) {
    if (in.AtEnd())
        return in.Failed() ? CutResult::Failed : CutResult::Done;
    if (!sink.BeginPiece())
        return CutResult::Failed;
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

// The lead bytes of the ANSI code page; none in a single-byte one.
std::bitset<256> AnsiLeadBytes(System& sys) {
    std::bitset<256> lead;
    for (int b = 0x80; b <= 0xff; ++b)
        if (sys.IsLeadByte(kAnsiCodePage, static_cast<unsigned char>(b)))
            lead.set(static_cast<size_t>(b));
    return lead;
}

// True when 'at' falls between the lead and the trail byte of one
// character. 'from' must be a character boundary: a trail byte can look
// like a lead byte, so only a walk from a known boundary tells them apart.
bool SplitsCharacter(std::string_view text, size_t from, size_t at,
                     const std::bitset<256>& lead) {
    size_t i = from;
    while (i < at)
        i += lead.test(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i > at;
}

CutResult CutLines(LineReader& in, const CutSettings& cut, const std::bitset<256>& lead,
                   PieceSink& sink, const std::function<void()>& pump) {
    const bool doubleByte = lead.any();
    const size_t S = static_cast<size_t>(cut.pieceSize);
    const size_t W = static_cast<size_t>(cut.window);
    const size_t K = static_cast<size_t>(cut.joint);
    // The pending text is pending[head...]; the emitted front is dropped
    // now and then so that each byte is moved a bounded number of times.
    std::string pending;
    size_t head = 0;
    while (!in.AtEnd()) {
        if (pump)
            pump();
        in.ReadLine(pending);
        if (in.Failed())
            return CutResult::Failed;
        pending.append(kCrLf);
        if (pending.size() - head <= S)
            continue;
        std::string_view window(pending.data() + head + S - W, W);
        size_t e = static_cast<size_t>(FindCutWord(window, cut.cutWords));
        size_t length = e > 0 ? S - W + e : S;
        // In a double-byte code page neither the cut nor the start of the
        // joint bytes may split a character; the pending text always
        // starts on a character boundary. A piece that would be left
        // empty keeps its one whole character instead.
        if (doubleByte && SplitsCharacter(pending, head, head + length, lead))
            length = length > 1 ? length - 1 : length + 1;
        size_t next = head + length - std::min(K, length - 1);
        if (doubleByte && SplitsCharacter(pending, head, next, lead))
            next = next - 1 > head ? next - 1 : next + 1;
        if (!sink.WritePiece(std::string_view(pending.data() + head, length)))
            return CutResult::Failed;
        head = next;
        if (head > pending.size() / 2) {
            pending.erase(0, head);
            head = 0;
        }
    }
    if (in.Failed())
        return CutResult::Failed;
    if (pending.size() > head &&
        !sink.WritePiece(std::string_view(pending.data() + head, pending.size() - head)))
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

int32_t FindCutWord(std::string_view window, const std::vector<std::string>& cutWords) {
    for (const std::string& word : cutWords) {
        size_t p = window.find(word);
        if (p != std::string_view::npos)
            return static_cast<int32_t>(p + word.size());
    }
    return 0;
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
    LineReader in(std::move(file));
    if (cut.pieceSize < 1)
        return CopyWhole(in, sink, pump);
    return CutLines(in, cut, AnsiLeadBytes(sys), sink, pump);
}
