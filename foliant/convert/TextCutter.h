// The text cutter: reads one plain-text file and hands it on in pieces of
// about a configured size, preferring to end a piece just after a cut word
// near its end and repeating a few joint bytes at the start of the next.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/text/TextCoding.h"
#include "settings/Mod_DIM.h"
#include "sys/System.h"

// Sizes in bytes, already made safe: every cut moves forward.
struct CutSettings {
    int32_t pieceSize = 0;  // S; below 1 means do not cut
    int32_t window = 0;     // W, 0 to S
    int32_t joint = 0;      // K, 0 to min(S - W, S - 1)
    std::vector<std::string> cutWords;  // in priority order, in 'coding'
    TextCoding coding;  // of the text cut: no cut splits one of its characters
};

// The sizes of cut type 'CutTypeIndex' (none when the index is out of the
// table), the joint bytes and the cut words, clamped so that W <= S and
// every piece starts after the start of the one before.
CutSettings CutSettingsFrom(const AppSettings& settings);
CutSettings ClampCutSettings(int32_t pieceSize, int32_t window, int32_t joint,
                             std::vector<std::string> cutWords);

// The cut settings for text in 'coding': the cut words, kept in the ANSI
// code page, are written in it. A word that the coding cannot hold whole
// is left out.
CutSettings CutSettingsFor(System& sys, const AppSettings& settings, const TextCoding& coding);

// Bytes from the window's start to the end of the first cut word, in list
// order, that occurs in it (leftmost occurrence); 0 when none does. With
// 'unitSize' 2 only matches on an even offset from 'windowStart' count.
int32_t FindCutWord(std::string_view window, const std::vector<std::string>& cutWords,
                    size_t windowStart = 0, size_t unitSize = 1);

// Where pieces go. A piece arrives as Begin, one or more Append, End;
// false from any of them abandons the rest of the file.
class PieceSink {
public:
    virtual ~PieceSink() = default;
    virtual bool BeginPiece() = 0;
    virtual bool AppendPiece(std::string_view bytes) = 0;
    virtual bool EndPiece() = 0;

    bool WritePiece(std::string_view text) {
        return BeginPiece() && AppendPiece(text) && EndPiece();
    }
};

enum class CutResult { Done, Missing, Failed };

// Reads 'path' line by line and emits its pieces. 'pump' runs once per
// line (once per buffer when not cutting); 'progress' hears how much of
// the file has been read, in percent, whenever that number grows. Memory
// stays bounded by the piece size and the read buffer, whatever the lines:
// text that no cut has passed yet is read from the file a second time when
// too much of it piles up. Without cutting memory does not depend on the
// file at all. No cut and no joint splits a character of the text's coding;
// UTF-16 text must already have CR LF line ends, which are left alone.
CutResult CutTextFile(System& sys, const std::string& path, const CutSettings& cut,
                      PieceSink& sink, const std::function<void()>& pump,
                      const std::function<void(int)>& progress = {});
