// GfuBut window class: face selection with mouse capture, and painting.
#include "controls/win/GfuBut.h"

#include "controls/win/Gdi.h"

namespace {

const char kClassName[] = "GfuBut";
constexpr int kTwipsPerPixel = 15;

struct GfuBut {
    HWND hwnd = nullptr;
    std::string name;          // the button's name in its window
    std::string imagesFolder;  // with a trailing backslash
    int face = 0;
    Picture picture;

    // Loads the face afresh every time; a face that cannot be loaded
    // leaves the current one.
    void ShowFace(int state) {
        std::string base = imagesFolder + name + std::to_string(state);
        bool loaded = picture.Load(base + ".gif");
        if (!loaded && GetFileAttributesA((base + ".gif").c_str()) == INVALID_FILE_ATTRIBUTES)
            loaded = picture.Load(base + ".jpg");
        if (loaded)
            face = state;
        InvalidateRect(hwnd, nullptr, FALSE);
    }

    void Notify(WORD code) {
        SendMessageA(GetParent(hwnd), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
    }

    void OnMouseDown() {
        Notify(kGfuMouseDown);
        ShowFace(0);
    }

    void OnMouseMove(WPARAM keys, LPARAM position) {
        RECT client;
        GetClientRect(hwnd, &client);
        // Compared in twips, as the control measures itself.
        int x = static_cast<short>(LOWORD(position)) * kTwipsPerPixel;
        int y = static_cast<short>(HIWORD(position)) * kTwipsPerPixel;
        bool inside = x >= 0 && y >= 0 && x <= client.right * kTwipsPerPixel &&
                      y <= client.bottom * kTwipsPerPixel;
        if (inside) {
            int wanted = (keys & MK_LBUTTON) ? 0 : 1;
            if (wanted != face)
                ShowFace(wanted);
            SetCapture(hwnd);
        } else {
            if (face != 0)
                ShowFace(0);
            ReleaseCapture();
        }
        Notify(kGfuMouseMove);
    }

    void OnMouseUp() {
        ShowFace(0);
        Notify(kGfuMouseUp);
    }

    void OnPaint() {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        picture.Draw(dc, client);
        EndPaint(hwnd, &ps);
    }
};

LRESULT CALLBACK GfuButProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<GfuBut*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        self = static_cast<GfuBut*>(create->lpCreateParams);
        self->hwnd = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_CREATE:
        self->ShowFace(0);
        return 0;
    case WM_LBUTTONDOWN:
        self->OnMouseDown();
        return 0;
    case WM_MOUSEMOVE:
        self->OnMouseMove(wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        self->OnMouseUp();
        return 0;
    case WM_PAINT:
        self->OnPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete self;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterOnce() {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = GfuButProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    registered = true;
}

}  // namespace

HWND CreateGfuBut(HWND parent, int id, const std::string& name, const std::string& imagesFolder,
                  int x, int y, int width, int height) {
    RegisterOnce();
    auto* state = new GfuBut;
    state->name = name;
    state->imagesFolder = imagesFolder;
    HWND hwnd = CreateWindowExA(0, kClassName, name.c_str(), WS_CHILD | WS_VISIBLE, x, y, width,
                                height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleA(nullptr), state);
    if (!hwnd)
        delete state;
    return hwnd;
}

int GfuButFace(HWND button) {
    auto* self = reinterpret_cast<GfuBut*>(GetWindowLongPtrA(button, GWLP_USERDATA));
    return self ? self->face : -1;
}
