// Messages, path helpers and exact archive reads of the stub.
#include "SFXProcs.h"

#include <cctype>

#include "SFXDefs.h"
#include "SFXStrings.h"
#include "SFXVars.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

size_t LastSeparator(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1]))
            return i - 1;
    return std::string::npos;
}

}  // namespace

std::string FillPlaceholder(const std::string& text, const std::string& argument) {
    size_t at = text.find(kPlaceholder);
    if (at == std::string::npos)
        return text;
    std::string filled = text;
    filled.replace(at, 2, argument);
    return filled;
}

void ReportFatal(const std::string& message) {
    if (!message.empty())
        Vars.host->ShowMessage(message, kErrorCaption, kStyleIconStop | kStyleTaskModal, false);
    Vars.host->EndProgram(1);
}

void CloseAtProcessEnd() {
    Vars.EntryTable.clear();
    Vars.EntryTable.shrink_to_fit();
    Vars.EntryNames.clear();
    if (Vars.ArchiveFile && !Vars.ArchiveFile->Close())
        Vars.host->ShowMessage(FillPlaceholder(kMsgCannotClose, Vars.ArchivePath), kErrorCaption,
                               kStyleIconStop | kStyleTaskModal, false);
    Vars.ArchiveFile.reset();
    // Closed before it is removed: an open file cannot be deleted.
    Vars.StagingFile.reset();
    if (!Vars.StagingName.empty() && Vars.system->PathExists(Vars.StagingName))
        Vars.system->RemoveFile(Vars.StagingName);
    // A volatile folder nothing was extracted into is not left behind.
    if (Vars.DestinationIsVolatile)
        Vars.system->RemoveEmptyFolder(ExcludeTrailingBackslashes(Vars.VolatileFolderPath));
}

void ReportError(const std::string& message) {
    Vars.host->ShowMessage(message, kErrorCaption, kStyleIconStop | kStyleTaskModal, true);
}

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

void ReadExact(void* buffer, size_t count) {
    if (count == 0)
        return;
    if (Vars.ArchiveFile->Read(buffer, count) != count)
        ReportFatal(kMsgCorrupt);
}

void SkipBytes(uint64_t count) {
    SfxFile& file = *Vars.ArchiveFile;
    file.Seek(file.Position() + count);
}
