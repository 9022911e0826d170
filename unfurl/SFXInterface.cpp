// The Win32 host of the stub's core: everything the core asks of the
// dialog goes through the real controls here.
#include "SFXInterface.h"

#include <commctrl.h>
#include <shellapi.h>


#include "SFXDefs.h"
#include "SFXDialogs.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXResource.h"
#include "SFXStrings.h"
#include "SFXVars.h"
#include "sys/WideText.h"

namespace {

constexpr UINT kSmallIconFlags = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON;

int SmallIconOf(const std::string& name) {
    SHFILEINFOW info{};
    SHGetFileInfoW(WideText(FileNamePart(name)), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                   kSmallIconFlags);
    return info.iIcon;
}

}  // namespace

void DialogHost::Attach(HWND dialog) {
    dialog_ = dialog;
    list_ = GetDlgItem(dialog, IDC_FILE_LIST);
    progress_ = GetDlgItem(dialog, IDC_PROGRESS);
}

int DialogHost::ShowMessage(const std::string& text, const std::string& caption, uint32_t style,
                            bool ownedByDialog) {
    return MessageBoxW(ownedByDialog ? dialog_ : nullptr, WideText(text), WideText(caption),
                       style | kStyleTaskModal);
}

void DialogHost::EndProgram(int exitCode) {
    CloseAtProcessEnd();
    ExitProcess(static_cast<UINT>(exitCode));
}

void DialogHost::AddListItem(const std::string& name, size_t index, uint32_t size,
                             bool selected) {
    WideText wideName(name);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE | LVIF_STATE;
    item.iItem = ListView_GetItemCount(list_);
    item.pszText = wideName;
    item.lParam = static_cast<LPARAM>(index);
    item.iImage = SmallIconOf(name);
    item.state = selected ? LVIS_SELECTED : 0;
    item.stateMask = LVIS_SELECTED;
    int at = static_cast<int>(
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    std::string digits = DecimalText(size);
    LVITEMA sizeColumn{};
    sizeColumn.iSubItem = 1;
    sizeColumn.pszText = digits.data();
    SendMessageA(list_, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sizeColumn));
}

size_t DialogHost::ListItemCount() { return static_cast<size_t>(ListView_GetItemCount(list_)); }

bool DialogHost::IsItemSelected(size_t item) {
    return ListView_GetItemState(list_, static_cast<int>(item), LVIS_SELECTED) != 0;
}

void DialogHost::SetItemSelected(size_t item, bool selected) {
    ListView_SetItemState(list_, static_cast<int>(item), selected ? LVIS_SELECTED : 0,
                          LVIS_SELECTED);
}

size_t DialogHost::ItemEntryIndex(size_t item) {
    LVITEMA data{};
    data.mask = LVIF_PARAM;
    data.iItem = static_cast<int>(item);
    SendMessageA(list_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
    return static_cast<size_t>(data.lParam);
}

std::string DialogHost::ItemText(size_t item) {
    wchar_t text[kMaxNameSize + 1] = {};
    LVITEMW data{};
    data.pszText = text;
    data.cchTextMax = kMaxNameSize + 1;
    SendMessageW(list_, LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&data));
    return Utf8Of(text);
}

void DialogHost::ScrollItemIntoView(size_t item) {
    ListView_EnsureVisible(list_, static_cast<int>(item), FALSE);
}

void DialogHost::SetProgressRange(uint32_t maximum) {
    SendMessageA(progress_, PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
}

void DialogHost::SetProgressPosition(uint32_t position) {
    SendMessageA(progress_, PBM_SETPOS, position, 0);
    UpdateWindow(progress_);
}

void DialogHost::PumpOneMessage() {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int DialogHost::AskOverwrite(const std::string& targetPath) {
    return static_cast<int>(DialogBoxParamW(GetModuleHandleA(nullptr), L"FILEEXIST", dialog_,
                                            FileExistProc,
                                            reinterpret_cast<LPARAM>(&targetPath)));
}

int DialogHost::AskPassword(const std::string& targetPath) {
    return static_cast<int>(DialogBoxParamW(GetModuleHandleA(nullptr), L"PASSWD", dialog_,
                                            PasswordProc, reinterpret_cast<LPARAM>(&targetPath)));
}

void DialogHost::Beep() { ::Beep(0, 0); }
