// The two questions asked during extraction: whether to overwrite an
// existing file (FILEEXIST) and the password of an encrypted entry (PASSWD).
#include <string>

#include "SFXDefs.h"
#include "SFXDialogs.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXResource.h"
#include "SFXStrings.h"
#include "SFXVars.h"
#include "sys/WideText.h"

namespace {

// "Do not ask again": the answer becomes the overwrite mode, shown by the
// main dialog's radio buttons.
void RememberAnswer(HWND dialog, int answer) {
    if (IsDlgButtonChecked(dialog, IDC_DONT_ASK) != BST_CHECKED)
        return;
    uint8_t mode = answer == IDOK ? OVERWRITE_ALWAYS : OVERWRITE_NEVER;
    Vars.Header.SetOverwriteMode(mode);
    CheckRadioButton(MainDialogWindow(), IDC_OVERWRITE_ALWAYS, IDC_OVERWRITE_ASK,
                     IDC_OVERWRITE_ALWAYS + mode);
}

// The password's bytes are those of the ANSI code page, as the archive's
// encryption took them.
std::string PasswordText(HWND dialog) {
    char text[kMaxPasswordSize + 1] = {};
    GetDlgItemTextA(dialog, IDC_PASSWORD, text, sizeof text);
    return text;
}

}  // namespace

INT_PTR CALLBACK FileExistProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const std::string& target = *reinterpret_cast<const std::string*>(lParam);
        SetDlgItemTextW(dialog, IDC_EXIST_TEXT, WideText(FillPlaceholder(kFileExistsText, target)));
        SetFocus(GetDlgItem(dialog, IDOK));
        return FALSE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id == IDOK || id == IDCANCEL) {
            RememberAnswer(dialog, id);
            EndDialog(dialog, id);
        }
        return TRUE;
    }
    }
    return FALSE;
}

INT_PTR CALLBACK PasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const std::string& target = *reinterpret_cast<const std::string*>(lParam);
        SetWindowTextW(dialog, WideText(FillPlaceholder(kPasswordCaption, FileNamePart(target))));
        SetFocus(GetDlgItem(dialog, IDC_PASSWORD));
        return FALSE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PASSWORD:
            if (HIWORD(wParam) == EN_CHANGE)
                EnableWindow(GetDlgItem(dialog, IDOK),
                             GetWindowTextLengthA(GetDlgItem(dialog, IDC_PASSWORD)) > 0);
            return TRUE;
        case IDOK:
            // Enter with an empty box does not confirm.
            if (GetWindowTextLengthA(GetDlgItem(dialog, IDC_PASSWORD)) == 0)
                return TRUE;
            Vars.CurrentPassword = PasswordText(dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            Vars.CurrentPassword.clear();
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        Vars.CurrentPassword.clear();
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}
