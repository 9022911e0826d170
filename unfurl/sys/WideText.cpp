// Conversions between the core's UTF-8 and the UTF-16 of the wide API.
#include "sys/WideText.h"

#include <windows.h>

WideText::WideText(const std::string& utf8) {
    int units = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    text_ = new wchar_t[units > 0 ? units : 1]();
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, text_, units);
}

WideText::~WideText() { delete[] text_; }

std::string Utf8Of(const wchar_t* text, int units) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, units, out.data(), bytes, nullptr, nullptr);
    if (units < 0)
        out.pop_back();
    return out;
}
