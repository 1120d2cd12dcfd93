#pragma once

#include <memory>
#include <type_traits>
#include <windows.h>

namespace tunecrate::win32 {

// Frees what the system hands out when the holder goes out of scope.

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using AutoDeleteFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// A window's device context, released by its holder.
class ScopedGetDC {
public:
    explicit ScopedGetDC(HWND window) : window_(window), context_(GetDC(window)) {}
    ~ScopedGetDC() { ReleaseDC(window_, context_); }
    ScopedGetDC(const ScopedGetDC&) = delete;
    ScopedGetDC& operator=(const ScopedGetDC&) = delete;

    operator HDC() const { return context_; }

private:
    HWND window_;
    HDC context_;
};

// Selects an object into a device context and puts the old one back.
class ScopedSelectObject {
public:
    ScopedSelectObject(HDC context, HGDIOBJ object)
        : context_(context), old_(SelectObject(context, object))
    {}
    ~ScopedSelectObject() { SelectObject(context_, old_); }
    ScopedSelectObject(const ScopedSelectObject&) = delete;
    ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

private:
    HDC context_;
    HGDIOBJ old_;
};

} // namespace tunecrate::win32
