// Arbitrary bytes read in one coding, written in another and cut into
// pieces of any size: the text and every piece must be whole characters of
// the written coding, each decoding on its own.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "MemorySystem.h"
#include "convert/TextCutter.h"
#include "convert/text/TextEncoder.h"
#include "convert/text/Unicode.h"

namespace {

class Pieces : public PieceSink {
public:
    std::vector<std::string> all;
    bool BeginPiece() override {
        all.emplace_back();
        return true;
    }
    bool AppendPiece(std::string_view bytes) override {
        all.back().append(bytes);
        return true;
    }
    bool EndPiece() override { return true; }
};

bool Whole(System& sys, const std::string& text, const TextCoding& coding) {
    switch (coding.form) {
    case TextCoding::Form::Utf8:
        return RepairedUtf8(text) == text;
    case TextCoding::Form::Utf16Le:
    case TextCoding::Form::Utf16Be: {
        if (text.size() % 2 != 0)
            return false;
        bool high = false;
        for (size_t i = 0; i < text.size(); i += 2) {
            uint32_t unit = static_cast<unsigned char>(text[i]) |
                            static_cast<unsigned char>(text[i + 1]) << 8;
            if (high != IsLowSurrogate(unit))
                return false;
            high = IsHighSurrogate(unit);
        }
        return !high;
    }
    case TextCoding::Form::CodePage:
        break;
    }
    size_t i = 0;
    while (i < text.size())
        i += sys.IsLeadByte(coding.codePage, static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i == text.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    const TextCoding from[] = {TextCoding::CodePage(1252), TextCoding::Utf8(),
                               TextCoding::Utf16Le(), TextCoding::Utf16Be(),
                               TextCoding::CodePage(932)};
    const TextCoding to[] = {TextCoding::Utf8(), TextCoding::Utf16Le(), TextCoding::CodePage(1251),
                             TextCoding::CodePage(936), TextCoding::CodePage(932)};
    const TextCoding& source = from[data[0] % 5];
    const TextCoding& target = to[data[0] / 5 % 5];
    int32_t pieceSize = 1 + data[1] % 64;
    MemorySystem sys;
    sys.files["C:\\in.txt"] = std::string(reinterpret_cast<const char*>(data) + 3, size - 3);
    CharacterLoss loss;
    if (!EncodeTextFile(sys, "C:\\in.txt", source, "C:\\out.txt", target, loss) ||
        !Whole(sys, sys.files["C:\\out.txt"], target))
        __builtin_trap();

    std::vector<std::string> words;
    for (const char* word : {"\r\n", " ", "\xE3\x80\x82"})
        words.push_back(EncodeText(sys, word, TextCoding::Utf8(), target, loss));
    CutSettings cut = ClampCutSettings(pieceSize, data[2] % (pieceSize + 1), data[2] / 4 % 16, words);
    cut.coding = target;
    Pieces pieces;
    if (CutTextFile(sys, "C:\\out.txt", cut, pieces, nullptr) != CutResult::Done)
        __builtin_trap();
    for (const std::string& piece : pieces.all)
        if (piece.empty() || !Whole(sys, piece, target))
            __builtin_trap();
    return 0;
}
