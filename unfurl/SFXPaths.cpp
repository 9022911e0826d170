// Paths in the Windows form and the text checks made on entry names.
#include "SFXPaths.h"

#include <cctype>

#include "SFXDefs.h"
#include "SFXVars.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

size_t LastSeparator(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1]))
            return i - 1;
    return std::string::npos;
}

// Format note: an overlong form ("\xC0\xAF" for "/") or an encoded
// surrogate decodes to a character the shortest form would name otherwise,
// which is how names slip past checks made on the bytes; neither is taken.
// Length of the well-formed sequence at 'at'; 0 when there is none.
size_t Utf8SequenceAt(const std::string& text, size_t at) {
    unsigned lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return 1;
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    static const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (lead < 0xC2 || lead > 0xF4 || text.size() - at < length)
        return 0;
    uint32_t code = lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        unsigned next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

std::string IncludeTrailingBackslash(const std::string& path) {
    if (path.empty() || path.back() == '\\')
        return path;
    return path + "\\";
}

std::string ExcludeTrailingBackslashes(const std::string& path) {
    size_t end = path.size();
    while (end > 0 && path[end - 1] == '\\')
        --end;
    return path.substr(0, end);
}

// Format note: a drive root keeps its backslash ("C:\"), a final ":" stays,
// and "C:x" style three-character strings come back whole.
std::string DirectoryPart(const std::string& path) {
    if (path.size() == 3 && path.find(':') != std::string::npos)
        return path;
    size_t at = LastSeparator(path);
    if (at == std::string::npos)
        return std::string();
    if (path[at] == ':')
        return path.substr(0, at + 1);
    if (at == 2 && path[1] == ':')
        return path.substr(0, 3);
    return path.substr(0, at);
}

std::string FileNamePart(const std::string& path) {
    size_t at = LastSeparator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

bool PathExists(const std::string& path) { return Vars.system->PathExists(path); }

bool FolderExists(const std::string& path) { return Vars.system->FolderExists(path); }

std::string ExpandEnv(const std::string& text) {
    std::string expanded = Vars.system->ExpandEnvironment(text);
    return expanded.size() <= kExpandBufferChars - 1 ? expanded : std::string();
}

std::string DecimalText(uint32_t value, size_t digits) {
    std::string text;
    do {
        text.insert(text.begin(), static_cast<char>('0' + value % 10));
        value /= 10;
    } while (value != 0 || text.size() < digits);
    return text;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string FullPath(const std::string& path) {
    std::string full = Vars.system->FullPath(path);
    return full.size() < kMaxNameSize ? full : std::string();
}

bool IsValidUtf8(const std::string& text) {
    for (size_t at = 0, n; at < text.size(); at += n)
        if ((n = Utf8SequenceAt(text, at)) == 0)
            return false;
    return true;
}

std::string MarkInvalidUtf8(const std::string& text) {
    std::string marked;
    for (size_t at = 0; at < text.size();) {
        size_t n = Utf8SequenceAt(text, at);
        marked.append(n ? text.substr(at, n) : "?");
        at += n ? n : 1;
    }
    return marked;
}
