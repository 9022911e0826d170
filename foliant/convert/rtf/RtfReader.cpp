// RTF reader: follows groups and destinations and keeps the document text.
//
// Format notes: every group inherits the state of the group around it and
// drops its changes when it closes. A destination word (\fonttbl, \pict, ...)
// turns the rest of its group into something other than document text, and
// {\* ...} marks a destination a reader may skip when it does not know it.
// After \uN come \ucN fallback characters (one by default) for readers
// without Unicode; a control word, a \'hh escape or one text byte each count
// as one, and a brace ends the fallback early.
#include "convert/rtf/RtfReader.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "convert/rtf/RtfCharsets.h"
#include "convert/rtf/RtfOutput.h"
#include "convert/rtf/RtfTokenizer.h"

namespace {

constexpr std::string_view kSignature = "{\\rtf";
constexpr int kDefaultCodePage = 1252;
constexpr int kMaxFallbackCount = 255;

enum class Destination {
    Text,       // document text
    FontTable,  // font numbers and their character sets
    Skip,       // anything that is not text
};

// Destinations whose content is not part of the document's plain text.
constexpr std::string_view kSkippedDestinations[] = {
    "colortbl", "stylesheet", "info", "pict", "object", "fldinst",
    "listtable", "listoverridetable", "revtbl", "rsidtbl", "filetbl",
    "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf",
    "footnote", "annotation", "atnid", "atnauthor", "listtext", "pntext", "pntxta", "pntxtb",
    "xe", "tc", "txe", "bkmkstart", "bkmkend", "themedata", "colorschememapping",
    "datastore", "latentstyles", "generator", "userprops", "docvar", "xmlnstbl",
    "shp", "shpinst", "shprslt", "nonshppict", "mmathPr", "fchars", "lchars",
    "template", "objdata", "objclass", "objname", "datafield", "formfield",
};

// Control words that stand for one character.
struct SpecialCharacter {
    std::string_view word;
    uint16_t unit;
};

constexpr SpecialCharacter kSpecialCharacters[] = {
    {"emdash", 0x2014},    {"endash", 0x2013},    {"lquote", 0x2018},
    {"rquote", 0x2019},    {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
    {"bullet", 0x2022},    {"emspace", 0x2003},   {"enspace", 0x2002},
    {"qmspace", 0x2005},
};

struct GroupState {
    Destination destination = Destination::Text;
    int fallbackCount = 1;  // \ucN
    int codePage = 0;       // from the current font; 0: the document's
    bool hidden = false;    // \v
};

class RtfReader {
public:
    RtfReader(System& sys, std::string_view rtf) : tokens_(rtf), out_(sys) {}

    // False when the document breaks off inside \bin data.
    bool Read();
    std::string Finish() { return out_.Finish(); }

private:
    GroupState& Top() { return groups_.back(); }
    bool InText() { return Top().destination == Destination::Text && !Top().hidden; }
    int CodePage() { return Top().codePage ? Top().codePage : documentCodePage_; }
    int FontCodePage(int font);

    void OnText(std::string_view bytes);
    void OnControlWord(const RtfToken& t);
    void OnFontTableWord(const RtfToken& t);
    void OnControlSymbol(char symbol);
    bool ConsumeFallback();

    RtfTokenizer tokens_;
    RtfOutput out_;
    std::vector<GroupState> groups_;
    std::map<int, int> fontCodePages_;  // font number to code page
    int documentCodePage_ = kDefaultCodePage;
    int defaultFont_ = -1;
    int fontBeingDefined_ = -1;
    int fallbackLeft_ = 0;              // fallback characters still to drop
    int footnoteCount_ = 0;             // for the numbers of \chftn
};

bool RtfReader::Read() {
    groups_.push_back(GroupState{});
    for (;;) {
        RtfToken t = tokens_.Next();
        switch (t.kind) {
        case RtfToken::End:
            return true;  // unclosed groups: keep what was read
        case RtfToken::Truncated:
            return false;
        case RtfToken::GroupStart:
            fallbackLeft_ = 0;
            groups_.push_back(Top());
            break;
        case RtfToken::GroupEnd:
            fallbackLeft_ = 0;
            groups_.pop_back();
            if (groups_.size() <= 1)
                return true;  // the document group has closed
            break;
        case RtfToken::Text:
            OnText(t.text);
            break;
        case RtfToken::HexByte:
            if (!ConsumeFallback() && InText())
                out_.AddByte(t.byte, CodePage());
            break;
        case RtfToken::Binary:
            ConsumeFallback();
            break;
        case RtfToken::ControlSymbol:
            if (!ConsumeFallback())
                OnControlSymbol(t.symbol);
            break;
        case RtfToken::ControlWord:
            if (!ConsumeFallback())
                OnControlWord(t);
            break;
        }
    }
}

bool RtfReader::ConsumeFallback() {
    if (fallbackLeft_ == 0)
        return false;
    --fallbackLeft_;
    return true;
}

int RtfReader::FontCodePage(int font) {
    auto it = fontCodePages_.find(font);
    return it == fontCodePages_.end() ? 0 : it->second;
}

void RtfReader::OnText(std::string_view bytes) {
    size_t dropped = std::min(bytes.size(), static_cast<size_t>(fallbackLeft_));
    fallbackLeft_ -= static_cast<int>(dropped);
    bytes.remove_prefix(dropped);
    if (InText())
        out_.AddBytes(bytes, CodePage());
}

void RtfReader::OnControlSymbol(char symbol) {
    GroupState& g = Top();
    if (symbol == '*') {
        if (g.destination == Destination::Text)
            g.destination = Destination::Skip;
        return;
    }
    if (!InText())
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        out_.AddBytes(std::string_view(&symbol, 1), CodePage());
        break;
    case '~':
        out_.AddUnit(0x00A0);
        break;
    case '_':
        out_.AddUnit('-');
        break;
    case '\n':
        out_.AddLineBreak();
        break;
    default:  // \- optional hyphen, \| and \: index marks
        break;
    }
}

void RtfReader::OnFontTableWord(const RtfToken& t) {
    if (t.text == "f" && t.hasParam) {
        fontBeingDefined_ = t.param;
    } else if (t.text == "fcharset" && t.hasParam && fontBeingDefined_ >= 0) {
        fontCodePages_[fontBeingDefined_] = CodePageOfCharset(t.param);
    } else if (t.text == "cpg" && t.hasParam && t.param > 0 && fontBeingDefined_ >= 0) {
        fontCodePages_[fontBeingDefined_] = t.param;
    }
}

void RtfReader::OnControlWord(const RtfToken& t) {
    GroupState& g = Top();
    std::string_view w = t.text;
    if (g.destination == Destination::Skip)
        return;
    if (g.destination == Destination::FontTable) {
        OnFontTableWord(t);
        return;
    }
    if (w == "fonttbl") {
        g.destination = Destination::FontTable;
        return;
    }
    for (std::string_view skipped : kSkippedDestinations)
        if (w == skipped) {
            g.destination = Destination::Skip;
            return;
        }
    if (int cp = CodePageOfCharsetWord(w.data(), static_cast<unsigned>(w.size()))) {
        documentCodePage_ = cp;
    } else if (w == "ansicpg") {
        if (t.hasParam && t.param > 0)
            documentCodePage_ = t.param;
    } else if (w == "deff") {
        defaultFont_ = t.param;
    } else if (w == "f") {
        g.codePage = FontCodePage(t.param);
    } else if (w == "plain") {
        g.hidden = false;
        g.codePage = FontCodePage(defaultFont_);
    } else if (w == "v") {
        g.hidden = !(t.hasParam && t.param == 0);
    } else if (w == "uc") {
        g.fallbackCount = std::clamp(t.param, 0, kMaxFallbackCount);
    } else if (w == "u") {
        if (InText())
            out_.AddUnit(static_cast<uint16_t>(t.param < 0 ? t.param + 65536 : t.param));
        fallbackLeft_ = g.fallbackCount;
    } else if (!InText()) {
        return;
    } else if (w == "par" || w == "line" || w == "sect") {
        out_.AddLineBreak();
    } else if (w == "chftn") {
        std::string number = std::to_string(++footnoteCount_);
        out_.AddBytes(number, CodePage());
    } else if (w == "tab") {
        out_.AddTab();
    } else if (w == "cell" || w == "nestcell") {
        out_.AddCellEnd();
    } else if (w == "row" || w == "nestrow") {
        out_.AddRowEnd();
    } else {
        for (const SpecialCharacter& s : kSpecialCharacters)
            if (w == s.word) {
                out_.AddUnit(s.unit);
                return;
            }
    }
}

}  // namespace

bool RtfToPlainText(System& sys, std::string_view rtf, std::string& text) {
    text.clear();
    if (rtf.substr(0, kSignature.size()) != kSignature)
        return false;
    RtfReader reader(sys, rtf);
    if (!reader.Read())
        return false;
    text = reader.Finish();
    return true;
}
