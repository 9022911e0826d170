// Documents named in scripts the ANSI code page cannot hold, for the runs of
// foliant and foliant-batch: a Russian and a Japanese text, each as plain
// UTF-8 text and once more as an HTML page or an RTF file, and the names a
// run without cutting gives their pieces.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct NamedDocument {
    std::string name;   // UTF-8, with its ending
    std::string bytes;  // the file
    std::string text;   // what its piece holds, in UTF-8
};

// The openings of two old novels.
inline const std::string kRussianText =
    "В начале июля, в чрезвычайно жаркое время, под вечер, один молодой человек вышел из "
    "своей каморки, которую нанимал от жильцов в С-м переулке, на улицу и медленно, как бы "
    "в нерешимости, отправился к К-ну мосту.";
inline const std::string kJapaneseText =
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした"
    "所でニャーニャー泣いていた事だけは記憶している。吾輩はここで始めて人間というものを見た。";

// An HTML page that declares UTF-8, with 'text' as its one paragraph.
inline std::string Utf8Page(const std::string& text) {
    return "<html><head><meta charset=\"utf-8\"></head><body>\r\n<p>" + text +
           "</p>\r\n</body></html>\r\n";
}

// An RTF file with 'text' (UTF-8) written as \u escapes of its UTF-16
// units, so that no code page is needed to read it.
inline std::string RtfOf(const std::string& text) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\uc1\\f0 ";
    auto escape = [&rtf](uint32_t unit) {
        rtf += "\\u" + std::to_string(static_cast<int16_t>(unit)) + "?";
    };
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t c = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += length;
        if (c < 0x80) {
            if (c == '\\' || c == '{' || c == '}')
                rtf += '\\';
            rtf += static_cast<char>(c);
        } else if (c < 0x10000) {
            escape(c);
        } else {
            escape(0xD800 + ((c - 0x10000) >> 10));
            escape(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return rtf + "\\par\r\n}";
}

// Two documents share each name, each once as text and once as another kind.
inline std::vector<NamedDocument> DocumentsBeyondTheAnsiCodePage() {
    const std::string russian = "Достоевский", japanese = "日本語";
    return {
        {russian + ".txt", kRussianText + "\r\n", kRussianText},
        {japanese + ".txt", kJapaneseText + "\r\n", kJapaneseText},
        {russian + ".html", Utf8Page(kRussianText), kRussianText},
        {japanese + ".rtf", RtfOf(kJapaneseText), kJapaneseText},
    };
}

// The pieces of a run without cutting, in the documents' order: each is
// named after its document, numbered from " (2)" once that name is taken.
inline std::vector<std::string> PerFilePieceNames(const std::vector<NamedDocument>& documents) {
    std::map<std::string, int> uses;
    std::vector<std::string> names;
    for (const NamedDocument& document : documents) {
        std::string stem = document.name.substr(0, document.name.rfind('.'));
        int n = ++uses[stem];
        names.push_back(n == 1 ? stem + ".txt" : stem + " (" + std::to_string(n) + ").txt");
    }
    return names;
}
