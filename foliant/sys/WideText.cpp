#include "sys/WideText.h"

#include <windows.h>

namespace {

std::wstring WideFrom(UINT codePage, std::string_view text) {
    if (text.empty())
        return std::wstring();
    int size = static_cast<int>(text.size());
    int units = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), units);
    return wide;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view utf8) {
    return WideFrom(CP_UTF8, utf8);
}

std::wstring WideFromAnsi(std::string_view ansi) {
    return WideFrom(CP_ACP, ansi);
}

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty())
        return std::string();
    int size = static_cast<int>(wide.size());
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}
