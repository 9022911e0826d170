// Small owners for GDI objects and COM pictures, so that every handle is
// released on every path out of the code that made it.
#pragma once

#include <windows.h>
#include <olectl.h>

#include <string>

// Owns one GDI object (font, brush, pen, bitmap).
template <typename T>
class GdiObject {
public:
    explicit GdiObject(T object = nullptr) : object_(object) {}
    ~GdiObject() { Reset(); }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    void Reset(T object = nullptr) {
        if (object_)
            DeleteObject(object_);
        object_ = object;
    }
    T get() const { return object_; }

private:
    T object_;
};

// Selects an object into a DC for the life of the scope.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() { SelectObject(dc_, old_); }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A GIF or JPEG picture loaded with the system's picture loader.
class Picture {
public:
    Picture() = default;
    ~Picture() { Reset(); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Loads the file afresh; on failure the current picture stays.
    bool Load(const std::string& path);
    bool empty() const { return picture_ == nullptr; }
    // Size in pixels.
    SIZE Size() const;
    // Draws the picture stretched into 'r'.
    void Draw(HDC dc, const RECT& r) const;
    void Reset();

private:
    IPicture* picture_ = nullptr;
};

// The dialog-like font every window of foliant uses.
HFONT InterfaceFont();
