// The main dialog: destination, file list, overwrite choice, run check box
// and progress bar; the start, close, browse and about commands.
#include "SFXDialogs.h"

#include <commctrl.h>
#include <shlobj.h>

#include "SFXCommand.h"
#include "SFXDefs.h"
#include "SFXDirectory.h"
#include "SFXExtract.h"
#include "SFXInterface.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXResource.h"
#include "SFXStrings.h"
#include "SFXVars.h"
#include "sys/WideText.h"

namespace {

constexpr int kOverwriteRowUnits = 23;
constexpr int kRunRowUnits = 10;
constexpr int kBothRowsExtraUnits = 5;
constexpr int kFileListUnits = 66;
constexpr UINT_PTR kAutoStartTimer = 0;
constexpr UINT kAutoStartDelay = 20;
constexpr int kNameColumnWidth = 200;
constexpr int kSizeColumnWidth = 70;
constexpr uint32_t kAskCancelStyle = MB_YESNO | MB_ICONEXCLAMATION;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
constexpr int kEditSelectAll = 32767;

// Below the file list: moved down when the list appears.
const int kControlsBelowList[] = {IDC_OVERWRITE_GROUP, IDC_OVERWRITE_ALWAYS, IDC_OVERWRITE_NEVER,
                                  IDC_OVERWRITE_ASK,   IDC_SHOW_FILES,       IDC_RUN,
                                  IDC_ABOUT,           IDOK,                 IDCANCEL,
                                  IDC_BUTTON_LINE};
// Below the overwrite group: moved up when rows are removed.
const int kControlsBelowRows[] = {IDC_SHOW_FILES, IDC_RUN, IDOK, IDC_ABOUT, IDCANCEL,
                                  IDC_BUTTON_LINE};
const int kOverwriteControls[] = {IDC_OVERWRITE_ALWAYS, IDC_OVERWRITE_NEVER, IDC_OVERWRITE_ASK,
                                  IDC_OVERWRITE_GROUP};
const int kDestinationRow[] = {IDC_DESTINATION_LABEL, IDC_DESTINATION, IDC_BROWSE};

struct MainDialogState {
    HWND dialog = nullptr;
    DialogHost* host = nullptr;
    bool isExtracting = false;
};

MainDialogState Main;

uint16_t Flags() { return Vars.Header.HeaderFlags(); }
bool HasFlag(uint16_t flag) { return (Flags() & flag) != 0; }
HWND Item(int id) { return GetDlgItem(Main.dialog, id); }

// The vertical base unit is the height of the system font, which is what
// GetDialogBaseUnits reports on Windows; Wine scales that report twice
// above 96 DPI, so the font is measured here.
int UnitsToPixels(int units) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    int height = GetTextMetricsA(screen, &metrics) ? metrics.tmHeight : HIWORD(GetDialogBaseUnits());
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return MulDiv(units, height, 8);
}

// Column widths are given for 96 DPI and follow the display's DPI.
int ScaledWidth(int pixels) {
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(pixels, dpi, 96);
}

// Moves a window's normal-position rectangle: its top too, or only its
// bottom; a hidden window stays hidden.
void Shift(HWND window, int pixels, bool topToo) {
    if (!window)
        return;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    if (topToo)
        placement.rcNormalPosition.top += pixels;
    placement.rcNormalPosition.bottom += pixels;
    placement.showCmd = (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) ? SW_SHOWNA : SW_HIDE;
    SetWindowPlacement(window, &placement);
}

template <size_t N>
void MoveControls(const int (&ids)[N], int units) {
    int pixels = UnitsToPixels(units);
    for (int id : ids)
        Shift(Item(id), pixels, true);
}

void GrowDialog(int units) { Shift(Main.dialog, UnitsToPixels(units), false); }

template <size_t N>
void ShowControls(const int (&ids)[N], int show) {
    for (int id : ids)
        ShowWindow(Item(id), show);
}

void DestroyControl(int id) {
    if (HWND control = Item(id))
        DestroyWindow(control);
}

std::string ItemText(int id) {
    wchar_t text[kMaxNameSize + 1] = {};
    GetDlgItemTextW(Main.dialog, id, text, kMaxNameSize + 1);
    return Utf8Of(text);
}

void SetItemText(int id, const std::string& text) {
    SetDlgItemTextW(Main.dialog, id, WideText(text));
}

// Every visible child except progress bars.
void EnableChildren(bool enable) {
    for (HWND child = GetWindow(Main.dialog, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (IsWindowVisible(child) && lstrcmpiA(cls, PROGRESS_CLASSA) != 0)
            EnableWindow(child, enable);
    }
}

void InsertColumn(HWND list, int index, const char* title, int width, int format) {
    WideText wideTitle(title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = format;
    column.cx = width;
    column.pszText = wideTitle;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void SetUpFileList(HIMAGELIST smallIcons) {
    HWND list = Item(IDC_FILE_LIST);
    InsertColumn(list, 0, kColumnName, ScaledWidth(kNameColumnWidth), LVCFMT_LEFT);
    InsertColumn(list, 1, kColumnSize, ScaledWidth(kSizeColumnWidth), LVCFMT_RIGHT);
    ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    ListView_SetImageList(list, smallIcons, LVSIL_SMALL);
}

void SetUpRunCheckBox() {
    if (Vars.runCommand.empty() || !HasFlag(FLAG_OFFER_RUN)) {
        DestroyControl(IDC_RUN);
        return;
    }
    SetItemText(IDC_RUN, RunPromptText(kRunPromptInf, kRunPromptOther));
    CheckDlgButton(Main.dialog, IDC_RUN, BST_CHECKED);
}

// The removed rows: 23 units for the overwrite group, 10 for the run row,
// and 5 more when both go.
void RemoveUnusedRows() {
    int units = 0;
    if (HasFlag(FLAG_HIDE_OVERWRITE)) {
        for (int id : kOverwriteControls)
            DestroyControl(id);
        units = kOverwriteRowUnits;
    }
    if (!HasFlag(FLAG_OFFER_RUN)) {
        if (units != 0)
            units += kBothRowsExtraUnits;
        units += kRunRowUnits;
    }
    if (units == 0)
        return;
    GrowDialog(-units);
    MoveControls(kControlsBelowRows, -units);
}

void ShowFiles() {
    ShowWindow(Item(IDC_FILES_LABEL), SW_SHOW);
    ShowWindow(Item(IDC_FILE_LIST), SW_SHOW);
    GrowDialog(kFileListUnits);
    MoveControls(kControlsBelowList, kFileListUnits);
    SetFocus(Item(IDC_FILE_LIST));
    DestroyControl(IDC_SHOW_FILES);
    // The moved controls are painted again in their new places.
    RedrawWindow(Main.dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

BOOL OnInitDialog(HWND dialog, const MainDialogStart& start) {
    Main.dialog = dialog;
    Main.host = start.host;
    Main.isExtracting = false;
    Vars.CancelRequested = false;
    Main.host->Attach(dialog);

    HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MNICON");
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SetUpFileList(start.smallIcons);
    SetUpRunCheckBox();
    SetItemText(IDC_DESTINATION, Vars.Destination);
    SendDlgItemMessageA(dialog, IDC_DESTINATION, EM_SETSEL, 0, kEditSelectAll);
    CheckDlgButton(dialog, IDC_OVERWRITE_ALWAYS + Vars.Header.OverwriteMode(), BST_CHECKED);
    RemoveUnusedRows();
    SetWindowTextW(dialog, WideText(Vars.dialogCaption));

    ReadDirectory();
    bool listShown = !HasFlag(FLAG_LIST_HIDDEN);
    if (listShown)
        ShowFiles();
    else if (HasFlag(FLAG_NO_SHOW_FILES))
        DestroyControl(IDC_SHOW_FILES);
    if (HasFlag(FLAG_AUTO_START))
        SetTimer(dialog, kAutoStartTimer, kAutoStartDelay, nullptr);
    return listShown ? FALSE : TRUE;
}

void RunCommandAfterSuccess() {
    bool wanted = !HasFlag(FLAG_OFFER_RUN) || IsDlgButtonChecked(Main.dialog, IDC_RUN) == BST_CHECKED;
    if (!wanted || Vars.runCommand.empty())
        return;
    if (RunAfterExtract() < 32)
        ReportError(RunPromptText(kRunFailedInf, kRunFailedOther));
}

void OnStart() {
    // Enter or a posted command while the button is disabled does nothing.
    if (Main.isExtracting || !IsWindowEnabled(Item(IDOK)))
        return;
    Vars.CancelRequested = false;
    if (!HasFlag(FLAG_USER_SELECTS))
        ListView_SetItemState(Item(IDC_FILE_LIST), -1, LVIS_SELECTED, LVIS_SELECTED);
    Vars.Destination = ExcludeTrailingBackslashes(ItemText(IDC_DESTINATION));
    if (Vars.Destination.empty()) {
        Vars.Destination = Vars.system->CurrentDirectory();
        SetItemText(IDC_DESTINATION, Vars.Destination);
        return;
    }

    EnableChildren(false);
    if (HasFlag(FLAG_ALLOW_CANCEL))
        EnableWindow(Item(IDCANCEL), TRUE);
    ShowWindow(Item(IDC_PROGRESS), SW_SHOW);
    ShowControls(kDestinationRow, SW_HIDE);
    // The run lets few messages through: paint the busy state now.
    RedrawWindow(Main.dialog, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Main.isExtracting = true;
    bool done = ExtractRun();
    Main.isExtracting = false;
    ShowWindow(Item(IDC_PROGRESS), SW_HIDE);
    ShowControls(kDestinationRow, SW_SHOW);
    EnableChildren(true);

    if (!done) {
        if (HasFlag(FLAG_HIDE_OVERWRITE))
            Vars.Header.SetOverwriteMode(OVERWRITE_ASK);
        if (!Vars.CancelRequested) {
            if (Item(IDC_SHOW_FILES))
                ShowFiles();
            ReportError(HasFlag(FLAG_NO_SHOW_FILES) ? kMsgSomeNotExtracted
                                                    : kMsgSelectedNotExtracted);
        }
    } else {
        if (!HasFlag(FLAG_AUTO_START) && !HasFlag(FLAG_NO_DONE_MESSAGE))
            Main.host->ShowMessage(kMsgAllExtracted, kDoneCaption, 0, true);
        RunCommandAfterSuccess();
        EndDialog(Main.dialog, IDOK);
    }
    if (HasFlag(FLAG_AUTO_START))
        PostMessageA(Main.dialog, WM_COMMAND, IDCANCEL, 0);
}

void OnClose() {
    if (!Main.isExtracting) {
        EndDialog(Main.dialog, IDCANCEL);
        return;
    }
    if (!HasFlag(FLAG_ALLOW_CANCEL))
        return;
    if (!Vars.CancelRequested &&
        Main.host->ShowMessage(kMsgAskCancel, Vars.dialogCaption, kAskCancelStyle, true) != IDYES)
        return;
    Vars.CancelRequested = true;
    PostMessageA(Main.dialog, WM_CLOSE, 0, 0);
    Main.isExtracting = false;
}

void FreeItemList(LPITEMIDLIST items) {
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
        allocator->Free(items);
        allocator->Release();
    }
}

void OnBrowse() {
    WideText start(ItemText(IDC_DESTINATION)), title(kBrowseTitle);
    BROWSEINFOW info{};
    info.hwndOwner = Main.dialog;
    info.lpszTitle = title;
    info.ulFlags = kBrowseFlags;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(start.get());
    // The new dialog style needs COM on this thread.
    HRESULT com = CoInitialize(nullptr);
    LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
    if (chosen) {
        wchar_t path[kMaxNameSize + 1] = {};
        SHGetPathFromIDListW(chosen, path);
        Vars.Destination = Utf8Of(path);
        SetItemText(IDC_DESTINATION, Vars.Destination);
        FreeItemList(chosen);
        Vars.system->ChangeDirectory(Vars.Destination);
    }
    if (SUCCEEDED(com))
        CoUninitialize();
}

void OnListChanged() {
    if (!HasFlag(FLAG_USER_SELECTS) || Main.isExtracting)
        return;
    EnableWindow(Item(IDOK), ListView_GetSelectedCount(Item(IDC_FILE_LIST)) > 0);
}

void OnCommand(int id) {
    switch (id) {
    case IDOK: OnStart(); break;
    case IDCANCEL: OnClose(); break;
    case IDC_SHOW_FILES: ShowFiles(); break;
    case IDC_BROWSE: OnBrowse(); break;
    case IDC_ABOUT: Main.host->ShowMessage(kAboutText, kAboutCaption, 0, true); break;
    case IDC_OVERWRITE_ALWAYS:
    case IDC_OVERWRITE_NEVER:
    case IDC_OVERWRITE_ASK:
        Vars.Header.SetOverwriteMode(static_cast<uint8_t>(id - IDC_OVERWRITE_ALWAYS));
        break;
    }
}

}  // namespace

HWND MainDialogWindow() { return Main.dialog; }

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, *reinterpret_cast<const MainDialogStart*>(lParam));
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_FILE_LIST && header->code == LVN_ITEMCHANGED)
            OnListChanged();
        return FALSE;
    }
    case WM_TIMER:
        if (wParam == kAutoStartTimer) {
            KillTimer(dialog, kAutoStartTimer);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }
    return FALSE;
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM lpData) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, lpData);
        SetWindowTextW(browser, WideText(kBrowseTitle));
    } else if (message == BFFM_SELCHANGED) {
        wchar_t path[MAX_PATH] = {};
        bool hasPath = SHGetPathFromIDListW(reinterpret_cast<LPCITEMIDLIST>(lParam), path) != 0;
        EnableWindow(GetDlgItem(browser, IDOK), hasPath);
    }
    return 0;
}
