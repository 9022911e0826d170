// The converters of foliant.exe: RTF through RichTextBox1, Word documents
// through Word's automation server, each falling back to the own reader
// when its component is missing.
#pragma once

#include <windows.h>

#include "convert/Mod_Function.h"

class WindowsConverters final : public DocumentConverters {
public:
    // 'richTextBox' may be null: the rich edit control could not be made.
    WindowsConverters(System& sys, HWND richTextBox)
        : sys_(sys), richTextBox_(richTextBox), readers_(sys) {}

    bool RtfToText(const std::string& source, const std::string& target) override;
    bool DocToText(const std::string& source, const std::string& target) override;
    TextCoding LastCoding() const override { return lastCoding_; }

private:
    TextCoding lastCoding_ = TextCoding::Utf8();
    System& sys_;
    HWND richTextBox_;
    ReaderConverters readers_;
};
