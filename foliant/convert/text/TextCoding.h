// How a text is stored: in a code page or in a form of Unicode. Settings
// and the command line name one as "ansi", "utf-8", "utf-8-bom",
// "utf-16le" or a Windows code-page number.
#pragma once

#include <string>
#include <string_view>

#include "sys/System.h"

struct TextCoding {
    enum class Form { CodePage, Utf8, Utf16Le, Utf16Be };
    Form form = Form::CodePage;
    int codePage = kAnsiCodePage;  // for Form::CodePage
    bool bom = false;              // written text starts with a byte-order mark

    static TextCoding Ansi() { return {}; }
    static TextCoding Utf8() { return {Form::Utf8, kUtf8CodePage, false}; }
    static TextCoding Utf16Le() { return {Form::Utf16Le, 1200, false}; }
    static TextCoding Utf16Be() { return {Form::Utf16Be, 1201, false}; }
    static TextCoding CodePage(int number) { return {Form::CodePage, number, false}; }

    bool IsUnicode() const { return form != Form::CodePage; }
    // Bytes per code unit: 2 for UTF-16, else 1.
    size_t UnitSize() const { return form == Form::Utf16Le || form == Form::Utf16Be ? 2 : 1; }
};

// The same bytes for the same text (a byte-order mark aside).
bool SameBytes(const TextCoding& a, const TextCoding& b);

// Reads a setting's value: empty or "ansi" is the ANSI code page; letter
// case and blanks around it do not matter. False for anything else; a
// number must be a code page the system converts that keeps ASCII as it
// is. 'forWriting' admits "utf-8-bom" and refuses code pages whose
// characters cannot be told apart by their first byte.
bool ParseTextCoding(System& sys, std::string_view value, TextCoding& coding, bool forWriting);

// The name that ParseTextCoding reads back: "ansi", "utf-8", a number.
std::string TextCodingName(const TextCoding& coding);

// What ParseTextCoding takes, for messages and help texts.
inline constexpr std::string_view kTextCodingChoices =
    "ansi, utf-8, utf-8-bom, utf-16le or a Windows code-page number";
