// Messages of the stub, the clean-up at the end of the process, and exact
// reads from the archive.
#include "SFXMessages.h"

#include <cstdlib>

#include "SFXDefs.h"
#include "SFXPaths.h"
#include "SFXStrings.h"
#include "SFXVars.h"

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
    // Every host's EndProgram exits or throws; should one return, nothing
    // after a fatal error may run.
    std::abort();
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
