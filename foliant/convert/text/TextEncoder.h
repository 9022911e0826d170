// Writes Unicode text in a chosen coding. A character the target code page
// lacks becomes its best fit (a straight quote for a curly one, a base
// letter for an accented one) and only when that fails too a "?", which is
// counted.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "convert/text/TextCoding.h"
#include "sys/System.h"

// The characters that were written as "?".
struct CharacterLoss {
    static constexpr size_t kShown = 5;
    uint64_t count = 0;
    std::vector<uint32_t> first;  // the first kShown distinct ones

    void Add(uint32_t c);
    void Add(const CharacterLoss& other);
};

class TextEncoder {
public:
    TextEncoder(System& sys, const TextCoding& target) : sys_(sys), target_(target) {}

    void Put(uint32_t c, std::string& out) {
        if (c < 0x80 && target_.UnitSize() == 1)
            out.push_back(static_cast<char>(c));
        else
            PutOther(c, out);
    }
    // The target's byte-order mark; empty when it has none.
    std::string ByteOrderMark() const;
    const CharacterLoss& Loss() const { return loss_; }

private:
    void PutOther(uint32_t c, std::string& out);
    // The bytes of 'c' in the target code page; false when it has none.
    bool InCodePage(uint32_t c, std::string& bytes);

    System& sys_;
    TextCoding target_;
    std::unordered_map<uint32_t, std::string> known_;  // empty: lost
    CharacterLoss loss_;
};

// Text in 'to' for each piece of text in 'from'. A byte-order mark at the
// start of Unicode text is dropped; none is written. Line ends become
// CR LF (a lone LF stays inside its line) and a last line gets one.
bool EncodeTextFile(System& sys, const std::string& source, const TextCoding& from,
                    const std::string& target, const TextCoding& to, CharacterLoss& loss);

// 'text' in 'from' as the target coding has it, with "?" for what it lacks.
std::string EncodeText(System& sys, std::string_view text, const TextCoding& from,
                       const TextCoding& to, CharacterLoss& loss);
