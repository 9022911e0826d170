// WindowsConverters: the platform's components first, the own readers
// where a component is missing.
#include "convert/win/WindowsConverters.h"

#include "convert/win/RichEditConverter.h"
#include "convert/win/WordAutomation.h"

bool WindowsConverters::RtfToText(const std::string& source, const std::string& target) {
    lastCoding_ = TextCoding::Utf8();
    if (!richTextBox_)
        return readers_.RtfToText(source, target);
    std::string rtf, text;
    if (!sys_.ReadFile(source, rtf) || !RichEditPlainText(richTextBox_, rtf, text))
        return false;
    return sys_.WriteFile(target, text + "\r\n");
}

bool WindowsConverters::DocToText(const std::string& source, const std::string& target) {
    // Word saves text in the ANSI code page; the own reader gives UTF-8.
    lastCoding_ = TextCoding::Utf8();
    switch (WordDocToText(source, target)) {
    case WordOutcome::Converted:
        lastCoding_ = TextCoding::Ansi();
        return true;
    case WordOutcome::Failed:
        return false;
    case WordOutcome::NotAvailable:
        break;
    }
    return readers_.DocToText(source, target);
}
