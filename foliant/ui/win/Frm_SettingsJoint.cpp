// The joint-characters box of Frm_Settings: only digits and Backspace get
// in, and each key release repairs what is not a number from 0 to 64.
#include "ui/win/Frm_SettingsJoint.h"

#include <commctrl.h>

#include <string>

#include "ui/SettingsEdits.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

LRESULT CALLBACK JointBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
    switch (msg) {
    case WM_CHAR:
        if (!JointKeyAllowed(static_cast<int>(wParam)))
            return 0;
        break;
    case WM_KEYUP: {
        LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
        std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
        text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
        std::string repaired = JointTextOnKeyRelease(text);
        if (repaired != text)
            SetWindowTextA(hwnd, repaired.c_str());
        return r;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, JointBoxProc, kSubclassId);
        break;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

void FilterJointBox(HWND edit) {
    SetWindowSubclass(edit, JointBoxProc, kSubclassId, 0);
}
