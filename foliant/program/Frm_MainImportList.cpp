// Frm_Main's import list: adding through the open-file dialog, removing,
// clearing and moving the selection.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "program/FoliantApp.h"
#include "program/Frm_Main.h"
#include "sys/WideText.h"
#include "ui/ModDlgSelectFileInfo.h"

namespace {

constexpr DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST |
                             OFN_EXPLORER | OFN_NODEREFERENCELINKS;
static_assert(kOpenFlags == 1577476);
constexpr DWORD kFileNameBufferSize = 32767;

// "Text|*.txt|All|*.*" becomes the dialog's NUL-separated, double-NUL list.
std::wstring DialogFilter(const std::string& filter) {
    std::wstring out = WideFromAnsi(filter);
    for (wchar_t& c : out)
        if (c == L'|')
            c = L'\0';
    out += std::wstring(2, L'\0');
    return out;
}

// The dialog's result up to its closing double NUL, in UTF-8; the NULs
// between the names stay.
std::string DialogResult(const std::vector<wchar_t>& buffer) {
    size_t end = 0;
    while (end + 1 < buffer.size() && !(buffer[end] == L'\0' && buffer[end + 1] == L'\0'))
        ++end;
    return Utf8FromWide({buffer.data(), end});
}

// The folder the names of a result are relative to.
std::string ResultFolder(const std::string& result) {
    size_t nul = result.find('\0');
    if (nul != std::string::npos)
        return result.substr(0, nul);
    size_t slash = result.find_last_of('\\');
    return slash == std::string::npos ? std::string() : result.substr(0, slash + 1);
}

}  // namespace

bool Frm_Main::Ask(const std::string& question) {
    return MessageBoxA(hwnd_, question.c_str(), App().Title().c_str(), MB_YESNO) == IDYES;
}

ImportList Frm_Main::ReadList1() const {
    HWND list = Control(kIdList1);
    ImportList out;
    int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length > 0 ? length : 0));
        bool selected = SendMessageW(list, LB_GETSEL, i, 0) > 0;
        out.items.push_back({Utf8FromWide(text), selected});
    }
    return out;
}

void Frm_Main::ShowList1(const ImportList& list) {
    HWND box = Control(kIdList1);
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    int top = static_cast<int>(SendMessageW(box, LB_GETTOPINDEX, 0, 0));
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    for (size_t i = 0; i < list.items.size(); ++i) {
        std::wstring path = WideFromUtf8(list.items[i].path);
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        if (list.items[i].selected)
            SendMessageW(box, LB_SETSEL, TRUE, static_cast<LPARAM>(i));
    }
    SendMessageW(box, LB_SETTOPINDEX, top, 0);
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

void Frm_Main::AddFiles() {
    FoliantApp& app = App();
    std::vector<wchar_t> buffer(kFileNameBufferSize + 2, L'\0');
    std::wstring filter = DialogFilter(app.settings.Filter);
    std::wstring title = WideFromAnsi(app.language.Text(8));
    std::wstring folder = WideFromUtf8(app.settings.InPutDir);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd_;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(app.settings.OpenFilesFilterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = kFileNameBufferSize;
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = kOpenFlags;
    if (!GetOpenFileNameW(&ofn))
        return;  // cancelled: nothing changes

    std::string result = DialogResult(buffer);
    SelectedFileInfo info = GetDlgSelectFileInfo(ResultFolder(result), result);
    app.settings.InPutDir = RememberedInputFolder(result);
    app.settings.OpenFilesFilterIndex = static_cast<int32_t>(ofn.nFilterIndex);

    ImportList list = ReadList1();
    bool changed = false;
    for (const std::string& name : info.Files)
        changed = list.Append(info.Path + name) || changed;
    if (changed)
        ShowList1(list);
}

void Frm_Main::DeleteFiles() {
    ImportList list = ReadList1();
    if (!list.AnySelected())
        return;
    if (!Ask(App().language.Text(15)))
        return;
    list.RemoveSelected();
    ShowList1(list);
}

void Frm_Main::ClearList() {
    if (SendMessageA(Control(kIdList1), LB_GETCOUNT, 0, 0) <= 0)
        return;
    if (!Ask(App().language.Text(16)))
        return;
    SendMessageA(Control(kIdList1), LB_RESETCONTENT, 0, 0);
}

void Frm_Main::MoveSelection(bool up) {
    ImportList list = ReadList1();
    if (up)
        list.MoveSelectedUp();
    else
        list.MoveSelectedDown();
    ShowList1(list);
}
