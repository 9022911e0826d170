// unfurl.exe: the start-up sequence of the self-extractor, the main dialog,
// and the clean-up at the end of the process.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "SFXCommand.h"
#include "SFXCrc.h"
#include "SFXDialogs.h"
#include "SFXHeader.h"
#include "SFXInflate.h"
#include "SFXInterface.h"
#include "SFXMessages.h"
#include "SFXStrings.h"
#include "SFXVars.h"
#include "sys/WideText.h"

namespace {

constexpr DWORD kOwnPathBuffer = 261;
// The section table lies inside the first page of the mapped image.
constexpr size_t kImageHeaderBytes = 4096;

DialogHost Host;

// Libraries loaded from now on come from the system folder only, never from
// the folder the program was started from (a Downloads folder may hold a
// planted DLL). The call exists from Windows 8, and on 7 with an update;
// elsewhere the current folder at least leaves the search.
void RestrictDllSearch() {
    using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kSearchSystem32 = 0x00000800;   // LOAD_LIBRARY_SEARCH_SYSTEM32
    auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (!setDefault || !setDefault(kSearchSystem32))
        SetDllDirectoryA("");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictDllSearch();
    SfxSystem& system = PlatformSfxSystem();
    ResetVars(system, Host);
    SetTicksVariable();
    InitCommonControls();

    wchar_t own[kOwnPathBuffer] = {};
    GetModuleFileNameW(nullptr, own, kOwnPathBuffer);
    Vars.ArchivePath = Utf8Of(own);
    Vars.ArchiveFile = system.OpenRead(Vars.ArchivePath);
    if (!Vars.ArchiveFile)
        ReportFatal(FillPlaceholder(kMsgReadError, Vars.ArchivePath));
    BuildCrcTable();
    BuildFixedTables();
    Vars.OverlayStart = FindOverlay(reinterpret_cast<const uint8_t*>(instance), kImageHeaderBytes);
    LoadHeader();

    SHFILEINFOW info{};
    MainDialogStart start{&Host, reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
                                     own, 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))};
    DialogBoxParamW(instance, L"MAINDIALOG", nullptr, MainDialogProc,
                    reinterpret_cast<LPARAM>(&start));
    CloseAtProcessEnd();
    ExitProcess(0);
}
