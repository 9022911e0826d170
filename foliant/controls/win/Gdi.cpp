// Picture loading through OleLoadPicture, and the shared interface font.
#include "controls/win/Gdi.h"

#include <ocidl.h>

#include <vector>

#include "sys/WideText.h"

bool Picture::Load(const std::string& path) {
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, nullptr);
    HGLOBAL memory = (size != INVALID_FILE_SIZE && size > 0) ? GlobalAlloc(GMEM_MOVEABLE, size) : nullptr;
    bool read = false;
    if (memory) {
        void* bytes = GlobalLock(memory);
        DWORD got = 0;
        read = ReadFile(file, bytes, size, &got, nullptr) && got == size;
        GlobalUnlock(memory);
    }
    CloseHandle(file);
    if (!read) {
        if (memory)
            GlobalFree(memory);
        return false;
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return false;
    }
    IPicture* loaded = nullptr;
    HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&loaded));
    stream->Release();
    if (FAILED(hr) || loaded == nullptr)
        return false;
    Reset();
    picture_ = loaded;
    return true;
}

SIZE Picture::Size() const {
    SIZE size{0, 0};
    if (!picture_)
        return size;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Width(&w);
    picture_->get_Height(&h);
    HDC screen = GetDC(nullptr);
    size.cx = MulDiv(w, GetDeviceCaps(screen, LOGPIXELSX), 2540);
    size.cy = MulDiv(h, GetDeviceCaps(screen, LOGPIXELSY), 2540);
    ReleaseDC(nullptr, screen);
    return size;
}

void Picture::Draw(HDC dc, const RECT& r) const {
    if (!picture_)
        return;
    OLE_XSIZE_HIMETRIC w = 0;
    OLE_YSIZE_HIMETRIC h = 0;
    picture_->get_Width(&w);
    picture_->get_Height(&h);
    // Pictures are addressed bottom-up in HIMETRIC units.
    picture_->Render(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, h, w, -h, nullptr);
}

void Picture::Reset() {
    if (picture_)
        picture_->Release();
    picture_ = nullptr;
}

HFONT InterfaceFont() {
    static HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_SWISS, "Tahoma");
    return font;
}
