#pragma once

#include "UniqueGdiHandle.h"
#include "dialogs/DpiScale.h"

#include <windows.h>

// The display scale the program draws at. The program is per-monitor DPI aware (version 2 from
// Windows 10 1703 on, version 1 on Windows 8.1, system aware before): each window is laid out
// at the DPI of the monitor it is on and again when WM_DPICHANGED says it moved to another.
// The functions that tell DPIs apart came with Windows 8.1 and 10 1607; each is looked up at
// run time and falls back to the system DPI where Windows lacks it, so the program still starts
// on Windows Vista.

// The DPI the process's system metrics and fonts are in: the primary monitor's when the user
// signed in.
int SystemDpi();
int DpiOfMonitor(HMONITOR monitor);
int DpiOfWindow(HWND window);
int DpiAtPoint(POINT point);
// The new DPI that WM_DPICHANGED carries.
inline int DpiOfDpiChanged(WPARAM wParam)
{
    return HIWORD(wParam);
}

// A system metric (SM_CXSMICON, SM_CXMENUCHECK, ...) at dpi.
int SystemMetricForDpi(int index, int dpi);
// The outer size of a window of the given styles around a client area of the given size, at dpi.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD extendedStyle, int dpi);
// The outer size at dpi of a window designed at width x height pixels at 96 DPI: its client
// area scaled, its frame the system's at dpi. At 96 DPI it is width x height.
SIZE ScaledWindowSize(int width, int height, DWORD style, DWORD extendedStyle, int dpi);

// The system's message-box font (the font of dialogs) and menu font at dpi.
UniqueFont MessageFontForDpi(int dpi);
UniqueFont MenuFontForDpi(int dpi);
// The height of the font's characters, accents and descenders included.
int FontHeight(HFONT font);

// The module's icon resource at the size of the system metric sizeIndex (SM_CXICON or
// SM_CXSMICON) at dpi, scaled down from a larger image of the icon where it has no image of
// that size.
UniqueIcon IconForDpi(HINSTANCE module, WORD iconId, int sizeIndex, int dpi);
