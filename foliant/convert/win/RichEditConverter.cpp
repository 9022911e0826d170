// RichTextBox1: the rich edit control that turns RTF into plain text.
#include "convert/win/RichEditConverter.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "convert/text/Utf8TextWriter.h"

namespace {

// The control holds whole documents, not the 32K characters it starts with.
constexpr LPARAM kTextLimit = 0x7FFFFFFE;
constexpr char kLineBreak = '\v';
constexpr UINT kUtf16CodePage = 1200;
// 30 x 30 twips.
constexpr int kBoxSize = 2;

// The library stays loaded for the life of the process: the control's
// window class and window procedure live in it.
HMODULE RichEditLibrary() {
    static HMODULE library = LoadLibraryA("riched20.dll");
    return library;
}

struct StreamSource {
    const std::string& bytes;
    size_t at;
};

DWORD CALLBACK ReadFromSource(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    StreamSource& source = *reinterpret_cast<StreamSource*>(cookie);
    size_t n = std::min(source.bytes.size() - source.at, static_cast<size_t>(count));
    std::memcpy(buffer, source.bytes.data() + source.at, n);
    source.at += n;
    *done = static_cast<LONG>(n);
    return 0;
}

}  // namespace

HWND CreateRichTextBox(HWND parent, int id) {
    if (!RichEditLibrary())
        return nullptr;
    HWND box = CreateWindowExA(0, RICHEDIT_CLASSA, "", WS_CHILD | ES_MULTILINE, 0, 0, kBoxSize,
                               kBoxSize, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
    if (!box)
        return nullptr;
    SendMessageA(box, EM_EXLIMITTEXT, 0, kTextLimit);
    // No wrapping to the tiny width: a paragraph is laid out as one line.
    SendMessageA(box, EM_SETTARGETDEVICE, 0, 1);
    return box;
}

bool RichEditPlainText(HWND richEdit, const std::string& rtf, std::string& text) {
    StreamSource source{rtf, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = ReadFromSource;
    SendMessageA(richEdit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    if (stream.dwError != 0)
        return false;

    // The text is asked for in UTF-16, so that no character is lost to
    // the ANSI code page.
    GETTEXTLENGTHEX length{};
    length.flags = GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS;
    length.codepage = kUtf16CodePage;
    LRESULT chars = SendMessageW(richEdit, EM_GETTEXTLENGTHEX,
                                 reinterpret_cast<WPARAM>(&length), 0);
    if (chars < 0)
        return false;
    std::string buffer((static_cast<size_t>(chars) + 1) * 2, '\0');
    GETTEXTEX get{};
    get.cb = static_cast<DWORD>(buffer.size());
    get.flags = GT_USECRLF;
    get.codepage = kUtf16CodePage;
    LRESULT copied = SendMessageW(richEdit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                  reinterpret_cast<LPARAM>(buffer.data()));
    buffer.resize(2 * static_cast<size_t>(std::max<LRESULT>(copied, 0)));
    // A line break inside a paragraph comes out as a vertical tab.
    text.clear();
    for (char c : Utf16LeToUtf8(buffer))
        if (c == kLineBreak)
            text += "\r\n";
        else
            text += c;
    return true;
}
