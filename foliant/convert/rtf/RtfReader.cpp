// RTF reader: follows groups and destinations and keeps the document text.
//
// Format notes: every group inherits the state of the group around it and
// drops its changes when it closes. A destination word (\fonttbl, \pict, ...)
// turns the rest of its group into something other than document text, and
// {\* ...} marks a destination a reader may skip when it does not know it.
// After \uN come \ucN fallback characters (one by default) for readers
// without Unicode; a control word, a \'hh escape or one text byte each count
// as one, and a brace ends the fallback early. \uN is a signed 16-bit
// number, so characters above U+7FFF are written negative, and characters
// beyond U+FFFF as two escapes of a surrogate pair.
// Shapes keep their text in {\*\shpinst ... {\shptxt ...}} among property
// groups {\sp ...}; {\shprslt ...} repeats it for older readers. An
// object's {\result ...} is what it shows in the text.
#include "convert/rtf/RtfReader.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "convert/rtf/RtfCharsets.h"
#include "convert/rtf/RtfOutput.h"
#include "convert/rtf/RtfTokenizer.h"

namespace {

constexpr std::string_view kSignature = "{\\rtf";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr int kDefaultCodePage = 1252;
constexpr int kMaxFallbackCount = 255;

enum class Destination {
    Text,       // document text
    FontTable,  // font numbers and their character sets
    Skip,       // anything that is not text
};

// Destinations whose content is not part of the document's plain text.
constexpr std::string_view kSkippedDestinations[] = {
    "colortbl", "stylesheet", "info", "pict", "fldinst",
    "listtable", "listoverridetable", "revtbl", "rsidtbl", "filetbl",
    "header", "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf",
    "footnote", "annotation", "atnid", "atnauthor", "listtext", "pntext", "pntxta", "pntxtb",
    "xe", "tc", "txe", "bkmkstart", "bkmkend", "themedata", "colorschememapping",
    "datastore", "latentstyles", "generator", "userprops", "docvar", "xmlnstbl",
    "sp", "shprslt", "nonshppict", "mmathPr", "fchars", "lchars",
    "template", "objdata", "objclass", "objname", "objalias", "objsect", "objtime",
    "datafield", "formfield",
};

// Destinations marked {\* ...} whose text is kept all the same.
constexpr std::string_view kKeptStarredDestinations[] = {"shpinst"};

// Control words that end a line.
constexpr std::string_view kLineEnds[] = {"par", "line", "sect", "page", "column"};

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

// What a control word does in document text.
enum class WordKind : uint8_t {
    Other,           // nothing, unless it names the document's character set
    FontTable,       // \fonttbl
    Skipped,         // one of kSkippedDestinations
    AnsiCodePage,    // \ansicpgN
    DefaultFont,     // \deffN
    Font,            // \fN
    Plain,           // \plain
    Hidden,          // \v, \v0
    FallbackCount,   // \ucN
    Unicode,         // \uN
    LineEnd,         // one of kLineEnds
    FootnoteNumber,  // \chftn
    Tab,             // \tab
    CellEnd,         // \cell, \nestcell
    RowEnd,          // \row, \nestrow
    Character,       // one of kSpecialCharacters
};

struct WordAction {
    WordKind kind = WordKind::Other;
    uint16_t unit = 0;  // the character of a Character word
};

// Every control word the reader acts on, found with one look-up per word
// instead of a search through the lists above.
const std::unordered_map<std::string_view, WordAction>& KnownWords() {
    static const std::unordered_map<std::string_view, WordAction> words = [] {
        std::unordered_map<std::string_view, WordAction> w;
        for (std::string_view name : kSkippedDestinations)
            w[name] = {WordKind::Skipped};
        for (std::string_view name : kLineEnds)
            w[name] = {WordKind::LineEnd};
        for (const SpecialCharacter& c : kSpecialCharacters)
            w[c.word] = {WordKind::Character, c.unit};
        const std::pair<std::string_view, WordKind> others[] = {
            {"fonttbl", WordKind::FontTable}, {"ansicpg", WordKind::AnsiCodePage},
            {"deff", WordKind::DefaultFont},  {"f", WordKind::Font},
            {"plain", WordKind::Plain},       {"v", WordKind::Hidden},
            {"uc", WordKind::FallbackCount},  {"u", WordKind::Unicode},
            {"chftn", WordKind::FootnoteNumber}, {"tab", WordKind::Tab},
            {"cell", WordKind::CellEnd},      {"nestcell", WordKind::CellEnd},
            {"row", WordKind::RowEnd},        {"nestrow", WordKind::RowEnd},
        };
        for (const auto& [name, kind] : others)
            w[name] = {kind};
        return w;
    }();
    return words;
}

WordAction ActionOf(std::string_view word) {
    const auto& words = KnownWords();
    auto it = words.find(word);
    return it == words.end() ? WordAction{} : it->second;
}

struct GroupState {
    Destination destination = Destination::Text;
    int fallbackCount = 1;  // \ucN
    bool fontChosen = false;  // \f since the group or \plain began
    int codePage = 0;       // from the chosen font; 0: the document's
    bool hidden = false;    // \v
};

class RtfReader {
public:
    RtfReader(System& sys, std::string_view rtf) : sys_(sys), tokens_(rtf), out_(sys) {}

    // False when the document breaks off inside \bin data.
    bool Read();
    std::string Finish() { return out_.Finish(); }

private:
    GroupState& Top() { return groups_.back(); }
    bool InText() { return Top().destination == Destination::Text && !Top().hidden; }
    // Until a font is chosen the text is in the default font.
    int CodePage() {
        int font = Top().fontChosen ? Top().codePage : FontCodePage(defaultFont_);
        return font ? font : documentCodePage_;
    }
    int FontCodePage(int font);

    void OnText(std::string_view bytes);
    void OnControlWord(const RtfToken& t);
    void OnTextWord(WordAction action);
    void OnUnicode(int32_t value);
    int KnownCodePage(int codePage);
    void OnFontTableWord(const RtfToken& t);
    void OnControlSymbol(char symbol);
    bool ConsumeFallback();

    System& sys_;
    RtfTokenizer tokens_;
    RtfOutput out_;
    std::vector<GroupState> groups_;
    std::map<int, int> fontCodePages_;  // font number to code page
    int documentCodePage_ = kDefaultCodePage;
    int defaultFont_ = -1;
    int fontBeingDefined_ = -1;
    int fallbackLeft_ = 0;              // fallback characters still to drop
    bool afterStar_ = false;            // the last token was \* in document text
    int footnoteCount_ = 0;             // for the numbers of \chftn
};

bool RtfReader::Read() {
    groups_.push_back(GroupState{});
    for (;;) {
        RtfToken t = tokens_.Next();
        bool starred = afterStar_;
        afterStar_ = false;
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
            if (ConsumeFallback())
                break;
            if (starred && std::find(std::begin(kKeptStarredDestinations),
                                     std::end(kKeptStarredDestinations),
                                     t.text) != std::end(kKeptStarredDestinations))
                Top().destination = Destination::Text;
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
        if (g.destination == Destination::Text) {
            g.destination = Destination::Skip;
            afterStar_ = true;
        }
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
    if (g.destination == Destination::Skip)
        return;
    if (g.destination == Destination::FontTable) {
        OnFontTableWord(t);
        return;
    }
    std::string_view w = t.text;
    WordAction action = ActionOf(w);
    switch (action.kind) {
    case WordKind::Other:
        if (int cp = CodePageOfCharsetWord(w.data(), static_cast<unsigned>(w.size())))
            documentCodePage_ = cp;
        return;
    case WordKind::FontTable:
        g.destination = Destination::FontTable;
        return;
    case WordKind::Skipped:
        g.destination = Destination::Skip;
        return;
    case WordKind::AnsiCodePage:
        if (t.hasParam && t.param > 0)
            documentCodePage_ = KnownCodePage(t.param);
        return;
    case WordKind::DefaultFont:
        defaultFont_ = t.param;
        return;
    case WordKind::Font:
        g.fontChosen = true;
        g.codePage = FontCodePage(t.param);
        return;
    case WordKind::Plain:
        g.hidden = false;
        g.fontChosen = false;
        return;
    case WordKind::Hidden:
        g.hidden = !(t.hasParam && t.param == 0);
        return;
    case WordKind::FallbackCount:
        g.fallbackCount = std::clamp(t.param, 0, kMaxFallbackCount);
        return;
    case WordKind::Unicode:
        if (InText())
            OnUnicode(t.param);
        fallbackLeft_ = g.fallbackCount;
        return;
    default:
        break;
    }
    if (InText())
        OnTextWord(action);
}

// A control word that stands for text, in document text.
void RtfReader::OnTextWord(WordAction action) {
    switch (action.kind) {
    case WordKind::LineEnd:
        out_.AddLineBreak();
        break;
    case WordKind::FootnoteNumber:
        out_.AddBytes(std::to_string(++footnoteCount_), CodePage());
        break;
    case WordKind::Tab:
        out_.AddTab();
        break;
    case WordKind::CellEnd:
        out_.AddCellEnd();
        break;
    case WordKind::RowEnd:
        out_.AddRowEnd();
        break;
    case WordKind::Character:
        out_.AddUnit(action.unit);
        break;
    default:
        break;
    }
}

void RtfReader::OnUnicode(int32_t value) {
    if (value < 0 && value >= -32768)
        value += 65536;  // a signed 16-bit number
    if (value < 0)
        out_.AddUnit('?');
    else
        out_.AddCodePoint(static_cast<uint32_t>(value));
}

// The document's code page, or Windows-1252 when the system cannot convert
// it (the reader converts Mac Roman itself).
int RtfReader::KnownCodePage(int codePage) {
    if (codePage == kMacRomanCodePage || !sys_.ToUtf16Le("A", codePage).empty())
        return codePage;
    return kDefaultCodePage;
}

}  // namespace

bool RtfToPlainText(System& sys, std::string_view rtf, std::string& text) {
    text.clear();
    if (rtf.starts_with(kUtf8ByteOrderMark))
        rtf.remove_prefix(kUtf8ByteOrderMark.size());
    while (!rtf.empty() && (rtf[0] == ' ' || rtf[0] == '\t' || rtf[0] == '\r' || rtf[0] == '\n'))
        rtf.remove_prefix(1);
    if (!rtf.starts_with(kSignature))
        return false;
    RtfReader reader(sys, rtf);
    if (!reader.Read())
        return false;
    text = reader.Finish();
    return true;
}
