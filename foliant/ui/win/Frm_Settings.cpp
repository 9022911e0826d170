// Frm_Settings: creation and layout, load, the modal loop and the buttons.
#include "ui/win/Frm_Settings.h"

#include <algorithm>

#include "controls/win/xpcmdbutton.h"
#include "controls/win/GfuBut.h"
#include "controls/win/PanelControls.h"
#include "controls/win/WindowProc.h"
#include "sys/WideText.h"
#include "ui/win/Frm_SettingsJoint.h"
#include "ui/SettingsEdits.h"

namespace {

// The layout is given in twips, 15 to a pixel.
constexpr int Px(int twips) { return twips / 15; }

constexpr int kWidth = Px(4230);
constexpr int kHeight = Px(330 + 4560 + 15);
constexpr int kPanelLeft = Px(15);
constexpr int kPanelTop = Px(330);
constexpr int kPanelWidth = Px(4200);
constexpr int kPanelHeight = Px(4560);
constexpr int kShortHeight = Px(1305);
constexpr int kShortPanelHeight = 64;
constexpr int kShortButtonTop = 32;
// Cut-word boxes and their captions follow each other at this pitch.
constexpr int kCutWordPitch = 24;
constexpr int kCaptionedCutWords = 6;
// Room kept between the last cut-word box and the restore button, as the
// design has it below its sixth box.
constexpr int kGapAboveRestore = 4;
const COLORREF kHeadingColour = RGB(0x40, 0x40, 0x40);

HFONT HeadingFont() {
    static HFONT font = CreateFontA(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_SWISS, "Tahoma");
    return font;
}

void RegisterOnce(HINSTANCE instance) {
    WNDCLASSA wc{};
    if (GetClassInfoA(instance, kFrmSettingsClass, &wc))
        return;
    static HBRUSH brush = CreateSolidBrush(kPanelColor);
    wc.lpfnWndProc = ObjectWindowProc<Frm_Settings>;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = brush;
    wc.lpszClassName = kFrmSettingsClass;
    RegisterClassA(&wc);
    RegisterPanelClass(instance);
}

// Every file of the language folder that matches "*.ini".
std::vector<std::string> LanguageFiles(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(WideFromUtf8(folder + "*.ini").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(Utf8FromWide(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void MoveBy(HWND control, HWND parent, int dy) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(control, r.left, r.top + dy, r.right - r.left, r.bottom - r.top, TRUE);
}

void MoveTopTo(HWND control, HWND parent, int top) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(control, r.left, top, r.right - r.left, r.bottom - r.top, TRUE);
}

// OK's steps that reach the rest of the program.
class DialogActions : public SettingsActions {
public:
    DialogActions(const SettingsDialogContext& context, bool& done)
        : context_(context), done_(done) {}
    bool LoadLanguage(const std::string& base) override {
        return !ReadLanguageFile(context_.sys, context_.programFolder, base, context_.language);
    }
    void RelabelMainWindow() override {
        if (context_.relabelOwner)
            context_.relabelOwner();
    }
    void SaveSettings() override { SaveUserSettings(context_.mainIni, context_.settings); }
    void CloseDialog() override { done_ = true; }

private:
    const SettingsDialogContext& context_;
    bool& done_;
};

}  // namespace

HWND Frm_Settings::Control(int id) const {
    HWND c = GetDlgItem(panel_, id);
    if (!c)
        c = GetDlgItem(hwnd_, id);
    if (!c)
        c = GetDlgItem(GetDlgItem(panel_, kIdSetCombo2Frame), id);
    return c;
}

std::string Frm_Settings::TextOf(int id) const {
    HWND control = Control(id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Frm_Settings::ShowModal(HWND owner) {
    RegisterOnce(context_.instance);
    RECT o;
    GetWindowRect(owner, &o);
    int x = (o.left + o.right - kWidth) / 2;
    int y = (o.top + o.bottom - kHeight) / 2;
    hwnd_ = CreateWindowExA(0, kFrmSettingsClass, "", WS_POPUP | WS_CLIPCHILDREN, x, y, kWidth,
                            kHeight, owner, nullptr, context_.instance, this);
    if (!hwnd_)
        return;
    if (!Load()) {
        DestroyWindow(hwnd_);
        return;
    }
    EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    SetFocus(Control(kIdSetCombo2));
    MSG msg;
    while (!done_) {
        BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: leave the quit for the main loop.
            PostQuitMessage(got == 0 ? static_cast<int>(msg.wParam) : 1);
            break;
        }
        if (IsDialogMessageA(hwnd_, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The owner comes back before the dialog goes, so it gets activated.
    EnableWindow(owner, TRUE);
    DestroyWindow(hwnd_);
    SetActiveWindow(owner);
}

bool Frm_Settings::Load() {
    std::string missing;
    if (!titleBar_.LoadPictures(context_.ImagesFolder(), missing))
        return false;
    titleLayout_.background = {Px(15), 0, Px(15) + Px(4200), Px(315)};
    titleLayout_.icon = {Px(45), Px(45), Px(45) + 16, Px(45) + 16};
    titleLayout_.shadowText = {Px(345), Px(60)};
    titleLayout_.text = {Px(375), Px(75)};
    CreateControls();
    DrawFaceText();

    const AppSettings& s = context_.settings;
    SetWindowTextA(Control(kIdSetText1), std::to_string(s.KeepFileSize).c_str());
    std::vector<std::string> words = CutWordBoxTexts(s);
    for (size_t i = 0; i < words.size(); ++i)
        SetWindowTextA(Control(kIdSetText2 + static_cast<int>(i)), words[i].c_str());
    LoadLanguage();
    if (IsShortForm(s))
        ApplyShortForm();
    else
        MakeRoomForCutWords();
    return true;
}

void Frm_Settings::CreateControls() {
    const AppSettings& s = context_.settings;
    CreateGfuBut(hwnd_, kIdSetIClose, "iclose", context_.ImagesFolder(), Px(3915), Px(60), 16, 16);
    panel_ = MakeChild(hwnd_, kPanelClass, kIdSetPicture1, WS_CLIPCHILDREN, kPanelLeft, kPanelTop,
                       kPanelWidth, kPanelHeight);
    HWND label5 = MakeChild(panel_, "STATIC", kIdSetLabel5, SS_LEFT | SS_NOPREFIX, Px(120), Px(120),
                            Px(1320), Px(210));
    SetWindowTextA(label5, "Language:");
    HWND frame = MakeChild(panel_, kPanelClass, kIdSetCombo2Frame, 0, Px(1560), Px(75), Px(2460),
                           Px(300));
    MakeChild(frame, "COMBOBOX", kIdSetCombo2, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, 0,
              Px(2460), 200);
    // The language list's helpers lie outside the visible area.
    MakeChild(panel_, "LISTBOX", kIdSetList1, 0, kPanelWidth + 10, 0, 40, 40);
    MakeChild(panel_, "LISTBOX", kIdSetFile1, 0, kPanelWidth + 60, 0, 40, 40);
    MakeChild(panel_, "STATIC", kIdSetCutStyle, SS_LEFT, kPanelWidth + 10, 50, 80, 14);

    // Captions reach to the next control, so longer translations fit.
    MakeChild(panel_, "STATIC", kIdSetLabel1, SS_LEFTNOWORDWRAP | SS_NOPREFIX, Px(120), Px(840),
              Px(2760) - Px(120) - 2, Px(210));
    HWND text1 = MakeChild(panel_, "EDIT", kIdSetText1, ES_AUTOHSCROLL | WS_TABSTOP, Px(2760),
                           Px(810), Px(495), Px(270), WS_EX_CLIENTEDGE);
    FilterJointBox(text1);
    MakeChild(panel_, "STATIC", kIdSetLabel4, SS_LEFTNOWORDWRAP | SS_NOPREFIX, Px(3360), Px(840),
              kPanelWidth - Px(3360) - 2, Px(210));
    MakeChild(panel_, "STATIC", kIdSetLine1, SS_ETCHEDHORZ, Px(30), Px(1260), Px(4140 - 30), 2);
    HWND label2 = MakeChild(panel_, "STATIC", kIdSetLabel2, SS_LEFTNOWORDWRAP | SS_NOPREFIX,
                            Px(120), Px(1320), kPanelWidth - 2 * Px(120), Px(210));
    SendMessageA(label2, WM_SETFONT, reinterpret_cast<WPARAM>(HeadingFont()), FALSE);
    SetLabelColour(label2, kHeadingColour);

    int captions = std::min<int>(kCaptionedCutWords, s.CutWordNum + 1);
    for (int k = 0; k < captions; ++k)
        MakeChild(panel_, "STATIC", kIdSetLabel3 + k, SS_LEFTNOWORDWRAP | SS_NOPREFIX, Px(120),
                  Px(1605) + kCutWordPitch * k, Px(1320) - Px(120) - 2, Px(210));
    for (int i = 0; i <= s.CutWordNum; ++i)
        MakeChild(panel_, "EDIT", kIdSetText2 + i, ES_AUTOHSCROLL | WS_TABSTOP, Px(1320),
                  Px(1560) + kCutWordPitch * i, Px(2460), Px(270), WS_EX_CLIENTEDGE);

    MakeButton(panel_, kIdSetCommand3, Px(360), Px(3690), Px(3420), Px(300));
    MakeButton(panel_, kIdSetCommand1, Px(1500), Px(4080), Px(1200), Px(375));
    MakeButton(panel_, kIdSetCommand2, Px(2820), Px(4080), Px(1200), Px(375));
}

void Frm_Settings::DrawFaceText() {
    const LanguageTable& lang = context_.language;
    caption_ = lang.Text(3);
    SetWindowTextA(hwnd_, caption_.c_str());
    struct { int id; int string; } captions[] = {
        {kIdSetCutStyle, 17}, {kIdSetLabel1, 18},   {kIdSetLabel4, 19},   {kIdSetLabel2, 20},
        {kIdSetCommand3, 21}, {kIdSetCommand1, 28}, {kIdSetCommand2, 29},
    };
    for (auto [id, string] : captions)
        SetWindowTextA(Control(id), lang.Text(string).c_str());
    for (int k = 0; k < kCaptionedCutWords; ++k)
        if (HWND label = Control(kIdSetLabel3 + k))
            SetWindowTextA(label, lang.Text(22 + k).c_str());
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Frm_Settings::LoadLanguage() {
    HWND combo = Control(kIdSetCombo2);
    HWND list1 = Control(kIdSetList1);
    HWND file1 = Control(kIdSetFile1);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    SendMessageA(list1, LB_RESETCONTENT, 0, 0);
    SendMessageA(file1, LB_RESETCONTENT, 0, 0);
    std::string folder = context_.programFolder + "\\language\\";
    std::vector<std::string> files = LanguageFiles(folder);
    for (const std::string& name : files)
        SendMessageA(file1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    LanguageChoices choices = LoadLanguageChoices(context_.sys, folder, files,
                                                  context_.settings.MyLagIndex);
    for (size_t k = 0; k < choices.names.size(); ++k) {
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choices.names[k].c_str()));
        SendMessageA(list1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choices.bases[k].c_str()));
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(choices.selection), 0);
    bases_ = std::move(choices.bases);
}

// The product does not cut: only the language row and OK and Cancel.
void Frm_Settings::ApplyShortForm() {
    for (int id : {kIdSetLabel1, kIdSetText1, kIdSetLabel4, kIdSetLine1})
        ShowWindow(Control(id), SW_HIDE);
    RECT r;
    GetWindowRect(hwnd_, &r);
    MoveWindow(hwnd_, r.left, r.top, kWidth, kShortHeight, TRUE);
    MoveWindow(panel_, kPanelLeft, kPanelTop, kPanelWidth, kShortPanelHeight, TRUE);
    MoveTopTo(Control(kIdSetCommand1), panel_, kShortButtonTop);
    MoveTopTo(Control(kIdSetCommand2), panel_, kShortButtonTop);
}

// More cut words than the design has room for push the buttons down and
// make the dialog taller, so no box lies under a button.
void Frm_Settings::MakeRoomForCutWords() {
    int last = context_.settings.CutWordNum;
    int boxesEnd = Px(1560) + kCutWordPitch * last + Px(270) + kGapAboveRestore;
    int extra = boxesEnd - Px(3690);
    if (extra <= 0)
        return;
    for (int id : {kIdSetCommand3, kIdSetCommand1, kIdSetCommand2})
        MoveBy(Control(id), panel_, extra);
    RECT r;
    GetWindowRect(hwnd_, &r);
    MoveWindow(hwnd_, r.left, r.top - extra / 2, kWidth, kHeight + extra, TRUE);
    MoveWindow(panel_, kPanelLeft, kPanelTop, kPanelWidth, kPanelHeight + extra, TRUE);
}

void Frm_Settings::RestoreDefaults() {
    std::vector<std::string> defaults =
        DefaultCutWordTexts(context_.mainIni, context_.settings.CutWordNum);
    for (size_t i = 0; i < defaults.size(); ++i)
        SetWindowTextA(Control(kIdSetText2 + static_cast<int>(i)), defaults[i].c_str());
}

void Frm_Settings::Ok() {
    SettingsEdits edits;
    edits.jointText = TextOf(kIdSetText1);
    for (int i = 0; i <= context_.settings.CutWordNum; ++i)
        edits.cutWordTexts.push_back(TextOf(kIdSetText2 + i));
    edits.languageIndex = static_cast<int>(SendMessageA(Control(kIdSetCombo2), CB_GETCURSEL, 0, 0));
    DialogActions actions(context_, done_);
    ConfirmSettings(edits, bases_, context_.settings, actions);
}

LRESULT Frm_Settings::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        int code = HIWORD(wParam);
        if (id == kIdSetCommand3 && code == BN_CLICKED)
            RestoreDefaults();
        else if (id == kIdSetCommand1 && code == BN_CLICKED)
            Ok();
        else if (id == kIdSetCommand2 && code == BN_CLICKED)
            done_ = true;
        else if (id == kIdSetIClose && code == kGfuMouseUp)
            done_ = true;
        return 0;
    }
    case WM_PAINT:
        PaintSkinnedWindow(hwnd_, titleBar_, titleLayout_, caption_);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE: {
        POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if ((msg == WM_LBUTTONDOWN || (wParam & MK_LBUTTON)) && titleBar_.IsDragArea(titleLayout_, p))
            BeginWindowDrag(hwnd_);
        return 0;
    }
    case WM_CLOSE:
        done_ = true;
        return 0;
    }
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
}
