// Frm_Main: creation, layout, painting, the title bar and the lifecycle.
#include "program/Frm_Main.h"

#include <commctrl.h>

#include "controls/win/Xp_ProgressBar.h"
#include "program/FoliantApp.h"
#include "controls/win/WindowProc.h"
#include "convert/Mod_Function.h"
#include "program/Frm_MainRun.h"
#include "controls/win/GfuBut.h"
#include "controls/win/PanelControls.h"
#include "sys/WideText.h"
#include "ui/win/Frm_Settings.h"
#include "convert/win/RichEditConverter.h"
#include "convert/win/WindowsConverters.h"

namespace {

// Window geometry in pixels (15 twips each).
constexpr int kWidth = 382;
constexpr int kHeight = 320;
constexpr int kTitleHeight = 22;
constexpr int kPanelWidth = 380;
constexpr int kPanelHeight = kHeight - kTitleHeight - 1;
constexpr int kListTop = 36;
constexpr int kListHeight = 186;
constexpr int kArrowSize = 16;

void RegisterClasses(HINSTANCE instance) {
    static bool done = false;
    if (done)
        return;
    RegisterPanelClass(instance);
    RegisterXpProgressBar(instance);
    static HBRUSH panelBrush = CreateSolidBrush(kPanelColor);
    WNDCLASSA wc{};
    wc.lpfnWndProc = ObjectWindowProc<Frm_Main>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hIcon = LoadIcon(instance, MAKEINTRESOURCE(1));
    wc.hbrBackground = panelBrush;
    wc.lpszClassName = kFrmMainClass;
    RegisterClassA(&wc);
    done = true;
}

}  // namespace

bool Frm_Main::Load(std::string& missingFile) {
    FoliantApp& app = App();
    RegisterClasses(app.instance);
    if (!titleBar_.LoadPictures(app.ImagesFolder(), missingFile))
        return false;
    titleLayout_.background = {1, 0, 1 + 380, 21};
    titleLayout_.icon = {4, 3, 4 + 16, 3 + 16};
    titleLayout_.shadowText = {24, 4};
    titleLayout_.text = {25, 5};

    int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
    hwnd_ = CreateWindowExA(WS_EX_APPWINDOW, kFrmMainClass, "", WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX,
                            x, y, kWidth, kHeight, nullptr, nullptr, app.instance, this);
    if (!hwnd_)
        return false;
    CreateControls();
    SetWindowTextW(Control(kIdText1), WideFromUtf8(app.settings.BookName).c_str());
    DrawFaceText();
    return true;
}

void Frm_Main::Show() {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
}

HWND Frm_Main::Control(int id) const {
    HWND c = GetDlgItem(panel_, id);
    if (!c)
        c = GetDlgItem(makePanel_, id);
    if (!c)
        c = GetDlgItem(hwnd_, id);
    return c;
}

void Frm_Main::CreateControls() {
    const std::string images = App().ImagesFolder();
    CreateGfuBut(hwnd_, kIdMin, "min", images, 344, 4, 16, 16);
    CreateGfuBut(hwnd_, kIdIClose, "iclose", images, 362, 4, 16, 16);

    panel_ = MakeChild(hwnd_, kPanelClass, kIdPicMainFace, WS_CLIPCHILDREN, 1, kTitleHeight,
                       kPanelWidth, kPanelHeight);
    MakeChild(panel_, "STATIC", kIdLabel1, SS_LEFT | SS_NOPREFIX, 8, 11, 100, 16);
    MakeChild(panel_, "EDIT", kIdText1, ES_AUTOHSCROLL | WS_TABSTOP, 108, 8, 264, 20,
              WS_EX_CLIENTEDGE);
    MakeChild(panel_, "LISTBOX", kIdList1,
              LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL |
                  WS_TABSTOP,
              8, kListTop, 348, kListHeight, WS_EX_CLIENTEDGE);
    CreateGfuBut(panel_, kIdArrUp, "arrup", images, 362, kListTop, kArrowSize, kArrowSize);
    CreateGfuBut(panel_, kIdArrDown, "arrdown", images, 362, kListTop + kListHeight - 18,
                 kArrowSize, kArrowSize);
    const int row = kListTop + kListHeight + 8;
    MakeButton(panel_, kIdCmdAddFiles, 8, row, 88, 24);
    MakeButton(panel_, kIdCmdDelFiles, 100, row, 88, 24);
    MakeButton(panel_, kIdCmdClearList, 192, row, 88, 24);
    MakeButton(panel_, kIdCmdSettings, 284, row, 88, 24);
    MakeButton(panel_, kIdCmdOutput, 8, row + 32, 364, 28);
    // The run's own work list and the folder helper are never shown.
    HWND list2 = MakeChild(panel_, "LISTBOX", kIdList2, 0, 0, 0, 10, 10);
    ShowWindow(list2, SW_HIDE);
    HWND txtTmp = MakeChild(panel_, "EDIT", kIdTxtTmp, 0, 0, 0, 10, 10);
    ShowWindow(txtTmp, SW_HIDE);

    makePanel_ = MakeChild(hwnd_, kPanelClass, kIdPicMake, WS_CLIPCHILDREN, 1,
                           kTitleHeight + row - 4, kPanelWidth, kPanelHeight - row + 4);
    MakeChild(makePanel_, "STATIC", kIdLabel2, SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS, 8, 6, 364, 16);
    // 274 pixels: a full bar ends in a cut block 3 pixels before the edge.
    CreateXpProgressBar(makePanel_, kIdProgressBar1, 8, 26, 274, 14, 0);
    CreateXpProgressBar(makePanel_, kIdProgressBar2, 8, 44, 274, 14, 1);
    MakeButton(makePanel_, kIdCmdStopOutput, 292, 26, 80, 32);
    ShowWindow(makePanel_, SW_HIDE);
    // The RTF converter's control, never shown.
    CreateRichTextBox(hwnd_, kIdRichTextBox1);
}

void Frm_Main::DrawFaceText() {
    const LanguageTable& lang = App().language;
    caption_ = App().Title();
    SetWindowTextA(hwnd_, caption_.c_str());
    struct { int id; int string; } captions[] = {
        {kIdLabel1, 1},      {kIdCmdAddFiles, 2}, {kIdCmdSettings, 3}, {kIdCmdDelFiles, 4},
        {kIdCmdClearList, 5}, {kIdCmdOutput, 6},  {kIdCmdStopOutput, 7},
    };
    for (auto [id, string] : captions)
        SetWindowTextA(Control(id), lang.Text(string).c_str());

    // Label1 takes the width of its text; Text1 fills the rest of the row.
    HWND label = Control(kIdLabel1);
    int labelWidth = TextWidth(label, lang.Text(1).c_str()) + 4;
    RECT r;
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, panel_, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(label, r.left, r.top, labelWidth, r.bottom - r.top, TRUE);
    MoveWindow(Control(kIdText1), r.left + labelWidth, 8, kPanelWidth - 16 - labelWidth, 20, TRUE);
    MoveWindow(Control(kIdArrDown), 362, kListTop + kListHeight - kArrowSize - 2, kArrowSize,
               kArrowSize, TRUE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Frm_Main::OnPaint() {
    PaintSkinnedWindow(hwnd_, titleBar_, titleLayout_, caption_);
}

void Frm_Main::OnLButtonDown(POINT p) {
    if (titleBar_.IsDragArea(titleLayout_, p))
        BeginWindowDrag(hwnd_);
}

void Frm_Main::OnMouseMove(WPARAM keys, POINT p) {
    if ((keys & MK_LBUTTON) && titleBar_.IsDragArea(titleLayout_, p))
        BeginWindowDrag(hwnd_);
}

struct Frm_Main::Run {
    MainWindowRunHost host;
    WindowsConverters converters;
    RunState state;
    ConversionRun run;
    explicit Run(Frm_Main& window)
        : host(window), converters(App().sys, window.Control(kIdRichTextBox1)),
          run(App().sys, App().settings, App().language, host, converters, state) {}
};

void Frm_Main::RunOutput() {
    if (run_)
        return;
    Run run(*this);
    run_ = &run;
    run.run.Cmd_Output();
    run_ = nullptr;
    if (closeAfterRun_)
        DestroyWindow(hwnd_);
}

void Frm_Main::OnUnload() {
    FoliantApp& app = App();
    app.settings.BookName = ControlText(Control(kIdText1));
    SaveUserSettings(app.mainIni, app.settings);
}

void Frm_Main::OnCommand(int id, int code) {
    switch (id) {
    case kIdIClose:
        if (code == kGfuMouseUp)
            SendMessageA(hwnd_, WM_CLOSE, 0, 0);
        break;
    case kIdCmdOutput:
        if (code == BN_CLICKED)
            RunOutput();
        break;
    case kIdCmdStopOutput:
        if (code == BN_CLICKED && run_)
            run_->run.Cmd_StopOutput();
        break;
    case kIdMin:
        if (code == kGfuMouseDown)
            ShowWindow(hwnd_, SW_MINIMIZE);
        break;
    case kIdArrUp:
    case kIdArrDown:
        if (code == kGfuMouseDown)
            MoveSelection(id == kIdArrUp);
        break;
    case kIdCmdAddFiles:
        if (code == BN_CLICKED)
            AddFiles();
        break;
    case kIdCmdDelFiles:
        if (code == BN_CLICKED)
            DeleteFiles();
        break;
    case kIdCmdClearList:
        if (code == BN_CLICKED)
            ClearList();
        break;
    case kIdCmdSettings:
        if (code == BN_CLICKED) {
            FoliantApp& app = App();
            Frm_Settings settings({app.sys, app.instance, app.programFolder, app.mainIni,
                                   app.settings, app.language, [this] { DrawFaceText(); }});
            settings.ShowModal(hwnd_);
        }
        break;
    }
}

bool Frm_Main::PreTranslateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)))
        return false;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool alt = GetKeyState(VK_MENU) < 0;
    if (shift && !ctrl && !alt && (msg.wParam == VK_UP || msg.wParam == VK_DOWN)) {
        MoveSelection(msg.wParam == VK_UP);
        return true;
    }
    // While Shift is held the import list ignores every key.
    return shift && msg.hwnd == Control(kIdList1);
}

LRESULT Frm_Main::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_CLOSE:
        // During a run the window closes once the file under way is done.
        if (run_) {
            closeAfterRun_ = true;
            run_->host.closing = true;
            run_->run.Cmd_StopOutput();
        } else {
            DestroyWindow(hwnd_);
        }
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // Windows may end the process without destroying the window.
        if (wParam)
            OnUnload();
        return 0;
    case WM_DESTROY:
        OnUnload();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}
