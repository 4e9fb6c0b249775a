#pragma once

#include "UniqueHandle.h"

#include <windows.h>

// Fonts, bitmaps and icons that the program made, each given back to the system once.
inline void DeleteFontHandle(HFONT font)
{
    ::DeleteObject(font);
}
using UniqueFont = UniqueHandle<HFONT, DeleteFontHandle>;

inline void DeleteBitmapHandle(HBITMAP bitmap)
{
    ::DeleteObject(bitmap);
}
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteBitmapHandle>;

inline void DestroyIconHandle(HICON icon)
{
    ::DestroyIcon(icon);
}
using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;
