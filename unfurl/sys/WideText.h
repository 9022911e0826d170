// The core's UTF-8 text as the wide functions of the Win32 API take it, and
// their wide text back as UTF-8. Windows builds only.
#pragma once

#include <string>

// A UTF-8 text as UTF-16 for one call; a zero byte ends it, as it ends the
// text of a narrow call.
class WideText {
public:
    explicit WideText(const std::string& utf8);
    ~WideText();
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    operator wchar_t*() const { return text_; }
    wchar_t* get() const { return text_; }

private:
    wchar_t* text_;
};

// UTF-16 up to its zero, or the first 'units' of it, as UTF-8.
std::string Utf8Of(const wchar_t* text, int units = -1);
