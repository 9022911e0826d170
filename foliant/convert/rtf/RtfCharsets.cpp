// Code pages of RTF character sets.
#include "convert/rtf/RtfCharsets.h"

#include <string_view>

namespace {

struct CharsetCodePage {
    int charset;
    int codePage;
};

constexpr CharsetCodePage kCharsets[] = {
    {0, 1252},   {77, 10000}, {78, 10001}, {79, 10003}, {80, 10008}, {81, 10002},
    {83, 10005}, {84, 10004}, {85, 10006}, {86, 10081}, {87, 10021}, {88, 10029},
    {89, 10007}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950},
    {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
    {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850},
};

}  // namespace

int CodePageOfCharset(int charset) {
    for (const CharsetCodePage& c : kCharsets)
        if (c.charset == charset)
            return c.codePage;
    return 0;
}

int CodePageOfCharsetWord(const char* word, unsigned length) {
    std::string_view w(word, length);
    if (w == "ansi")
        return 1252;
    if (w == "mac")
        return 10000;
    if (w == "pc")
        return 437;
    if (w == "pca")
        return 850;
    return 0;
}
