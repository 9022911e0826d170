#include "convert/text/TextEncoder.h"

#include <algorithm>
#include <bitset>
#include <memory>

#include "convert/text/TextStreams.h"
#include "convert/text/BestFit.h"
#include "convert/text/Unicode.h"

namespace {

constexpr size_t kChunkSize = 1 << 20;

// Turns bytes of any coding into code points, a chunk at a time; a
// character may span two chunks.
class TextDecoder {
public:
    TextDecoder(System& sys, const TextCoding& from) : sys_(sys), from_(from) {
        if (from.form == TextCoding::Form::CodePage)
            for (int b = 0x80; b <= 0xFF; ++b)
                if (sys.IsLeadByte(from.codePage, static_cast<unsigned char>(b)))
                    lead_.set(static_cast<size_t>(b));
    }

    template <typename Emit>
    void Feed(std::string_view bytes, bool last, Emit&& emit) {
        switch (from_.form) {
            case TextCoding::Form::Utf8:
                utf8_.Feed(bytes, emit);
                if (last)
                    utf8_.Finish(emit);
                return;
            case TextCoding::Form::Utf16Le:
            case TextCoding::Form::Utf16Be:
                FeedUtf16(bytes, last, emit);
                return;
            case TextCoding::Form::CodePage:
                FeedCodePage(bytes, last, emit);
                return;
        }
    }

private:
    template <typename Emit>
    void FeedUnit(uint32_t unit, Emit&& emit) {
        if (high_ != 0) {
            uint32_t high = high_;
            high_ = 0;
            if (IsLowSurrogate(unit)) {
                emit(CombineSurrogates(high, unit));
                return;
            }
            emit(kReplacementCharacter);
        }
        if (IsHighSurrogate(unit))
            high_ = unit;
        else
            emit(IsLowSurrogate(unit) ? kReplacementCharacter : unit);
    }

    template <typename Emit>
    void FeedUtf16(std::string_view bytes, bool last, Emit&& emit) {
        bool little = from_.form == TextCoding::Form::Utf16Le;
        for (char c : bytes) {
            if (!oddByte_) {
                odd_ = static_cast<unsigned char>(c);
                oddByte_ = true;
                continue;
            }
            oddByte_ = false;
            unsigned char b = static_cast<unsigned char>(c);
            FeedUnit(little ? odd_ | b << 8 : odd_ << 8 | b, emit);
        }
        if (last && (high_ != 0 || oddByte_)) {
            high_ = 0;
            oddByte_ = false;
            emit(kReplacementCharacter);
        }
    }

    // Decodes whole characters only: up to the last line end, which no
    // code page uses inside a character, or up to where a walk over lead
    // bytes ends on a boundary.
    template <typename Emit>
    void FeedCodePage(std::string_view bytes, bool last, Emit&& emit) {
        carry_.append(bytes);
        size_t ready = carry_.size();
        if (!last && lead_.any()) {
            size_t end = carry_.find_last_of("\r\n");
            if (end != std::string::npos) {
                ready = end + 1;
            } else {
                size_t i = 0;
                while (i < carry_.size())
                    i += lead_.test(static_cast<unsigned char>(carry_[i])) ? 2 : 1;
                ready = i > carry_.size() ? carry_.size() - 1 : carry_.size();
            }
        }
        std::string_view whole(carry_.data(), ready);
        // A run of ASCII needs no call to the system.
        size_t at = 0;
        while (at < whole.size()) {
            size_t end = at;
            while (end < whole.size() && static_cast<unsigned char>(whole[end]) < 0x80)
                ++end;
            for (size_t i = at; i < end; ++i)
                emit(static_cast<unsigned char>(whole[i]));
            at = end;
            // A lead byte's trail may look like ASCII: it goes with its lead.
            while (end < whole.size() && static_cast<unsigned char>(whole[end]) >= 0x80)
                end += lead_.test(static_cast<unsigned char>(whole[end])) ? 2 : 1;
            end = std::min(end, whole.size());
            if (end > at) {
                std::string utf16 = sys_.ToUtf16Le(whole.substr(at, end - at), from_.codePage);
                for (size_t k = 0; k + 1 < utf16.size(); k += 2)
                    FeedUnit(static_cast<unsigned char>(utf16[k]) |
                                 static_cast<unsigned char>(utf16[k + 1]) << 8,
                             emit);
                at = end;
            }
        }
        carry_.erase(0, ready);
        if (last && high_ != 0) {
            high_ = 0;
            emit(kReplacementCharacter);
        }
    }

    System& sys_;
    TextCoding from_;
    std::bitset<256> lead_;
    Utf8Decoder utf8_;
    std::string carry_;
    uint32_t high_ = 0;  // a high surrogate waiting for its pair
    bool oddByte_ = false;
    uint32_t odd_ = 0;
};

// Code points to CR LF lines: CR LF stays, a lone CR becomes CR LF, a lone
// LF stays inside its line, and a last line gets its end. A byte-order
// mark at the start is dropped.
template <typename Put>
class LineEnds {
public:
    explicit LineEnds(Put put) : put_(put) {}
    void operator()(uint32_t c) {
        if (first_) {
            first_ = false;
            if (c == 0xFEFF)
                return;
        }
        if (pendingCr_) {
            pendingCr_ = false;
            put_('\r');
            put_('\n');
            if (c == '\n')
                return;
        }
        if (c == '\r') {
            pendingCr_ = true;
            lineOpen_ = false;
            return;
        }
        put_(c);
        lineOpen_ = true;
    }
    void Finish() {
        if (pendingCr_ || lineOpen_) {
            put_('\r');
            put_('\n');
        }
        pendingCr_ = lineOpen_ = false;
    }

private:
    Put put_;
    bool first_ = true;
    bool pendingCr_ = false;
    bool lineOpen_ = false;
};

}  // namespace

void CharacterLoss::Add(uint32_t c) {
    ++count;
    if (first.size() < kShown)
        for (size_t i = 0;; ++i) {
            if (i == first.size()) {
                first.push_back(c);
                break;
            }
            if (first[i] == c)
                break;
        }
}

void CharacterLoss::Add(const CharacterLoss& other) {
    uint64_t before = count;
    for (uint32_t c : other.first)
        Add(c);
    count = before + other.count;
}

std::string TextEncoder::ByteOrderMark() const {
    if (!target_.bom)
        return std::string();
    std::string mark;
    if (target_.form == TextCoding::Form::Utf8)
        AppendUtf8(mark, 0xFEFF);
    else if (target_.form == TextCoding::Form::Utf16Le)
        AppendUtf16Le(mark, 0xFEFF);
    return mark;
}

void TextEncoder::PutOther(uint32_t c, std::string& out) {
    switch (target_.form) {
        case TextCoding::Form::Utf8:
            AppendUtf8(out, c);
            return;
        case TextCoding::Form::Utf16Le:
            AppendUtf16Le(out, c);
            return;
        case TextCoding::Form::Utf16Be: {
            std::string le;
            AppendUtf16Le(le, c);
            for (size_t i = 0; i + 1 < le.size(); i += 2) {
                out.push_back(le[i + 1]);
                out.push_back(le[i]);
            }
            return;
        }
        case TextCoding::Form::CodePage:
            break;
    }
    auto it = known_.find(c);
    if (it == known_.end()) {
        std::string bytes;
        if (!InCodePage(c, bytes)) {
            // The best fit counts only when all of it fits.
            std::string_view fit = BestFitOf(c);
            bytes.clear();
            Utf8Decoder decoder;
            bool fits = !fit.empty();
            decoder.Feed(fit, [&](uint32_t f) {
                std::string one;
                fits = fits && InCodePage(f, one);
                bytes += one;
            });
            if (!fits)
                bytes.clear();
        }
        it = known_.emplace(c, std::move(bytes)).first;
    }
    if (it->second.empty()) {
        out.push_back('?');
        loss_.Add(c);
    } else {
        out += it->second;
    }
}

bool TextEncoder::InCodePage(uint32_t c, std::string& bytes) {
    if (c < 0x80) {
        bytes.assign(1, static_cast<char>(c));
        return true;
    }
    std::string utf16;
    AppendUtf16Le(utf16, c);
    bytes = sys_.FromUtf16Le(utf16, target_.codePage);
    // A character that does not come back whole was replaced or
    // approximated by the system.
    return !bytes.empty() && sys_.ToUtf16Le(bytes, target_.codePage) == utf16;
}

bool EncodeTextFile(System& sys, const std::string& source, const TextCoding& from,
                    const std::string& target, const TextCoding& to, CharacterLoss& loss) {
    std::unique_ptr<FileReader> in = sys.OpenForReading(source);
    if (!in)
        return false;
    std::unique_ptr<FileWriter> file = sys.CreateForWriting(target);
    if (!file)
        return false;
    BufferedWriter out(std::move(file));
    TextDecoder decoder(sys, from);
    TextEncoder encoder(sys, to);
    std::string encoded;
    auto put = [&](uint32_t c) { encoder.Put(c, encoded); };
    LineEnds<decltype(put)> lines(put);
    auto emit = [&](uint32_t c) { lines(c); };
    std::unique_ptr<char[]> buffer = std::make_unique<char[]>(kChunkSize);
    bool ok = true;
    for (;;) {
        size_t got = 0;
        if (!in->Read(buffer.get(), kChunkSize, got)) {
            ok = false;
            break;
        }
        decoder.Feed(std::string_view(buffer.get(), got), got == 0, emit);
        if (got == 0)
            break;
        if (!out.Write(encoded))
            break;
        encoded.clear();
    }
    lines.Finish();
    ok = out.Write(encoded) && ok;
    ok = out.Close() && ok;
    loss.Add(encoder.Loss());
    return ok;
}

std::string EncodeText(System& sys, std::string_view text, const TextCoding& from,
                       const TextCoding& to, CharacterLoss& loss) {
    TextDecoder decoder(sys, from);
    TextEncoder encoder(sys, to);
    std::string out;
    decoder.Feed(text, true, [&](uint32_t c) { encoder.Put(c, out); });
    loss.Add(encoder.Loss());
    return out;
}
