// CutTextFile and FindCutWord.
#include "convert/TextCutter.h"

#include <algorithm>

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

CutResult CutLines(LineReader& in, const CutSettings& cut, PieceSink& sink,
                   const std::function<void()>& pump) {
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
        if (!sink.WritePiece(std::string_view(pending.data() + head, length)))
            return CutResult::Failed;
        head += length - K;
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
                      PieceSink& sink, const std::function<void()>& pump) {
    std::unique_ptr<FileReader> file = sys.OpenForReading(path);
    if (!file)
        return CutResult::Missing;
    LineReader in(std::move(file));
    if (cut.pieceSize < 1)
        return CopyWhole(in, sink, pump);
    return CutLines(in, cut, sink, pump);
}
