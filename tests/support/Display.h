#pragma once

#include <windows.h>

// The display as a window test sees it: the screen's DPI, and the width of an icon.
inline int ScreenDpi()
{
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

inline int IconWidth(HICON icon)
{
    ICONINFO info{};
    BITMAP bitmap{};
    ::GetIconInfo(icon, &info);
    ::GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}
