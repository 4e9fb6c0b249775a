#include "dialogs/Dpi.h"

#include <initializer_list>

namespace {

// MONITOR_DPI_TYPE's MDT_EFFECTIVE_DPI of shellscalingapi.h.
constexpr int EffectiveDpi = 0;

template <typename Function>
void Lookup(Function& function, const char* module, const char* name)
{
    HMODULE handle = ::GetModuleHandleA(module);
    if (!handle)
        handle = ::LoadLibraryA(module);
    function = handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name))) : nullptr;
}

// What this Windows offers, looked up once.
struct TDpiFunctions {
    TDpiFunctions()
    {
        Lookup(GetDpiForWindow, "user32.dll", "GetDpiForWindow");
        Lookup(GetDpiForSystem, "user32.dll", "GetDpiForSystem");
        Lookup(GetSystemMetricsForDpi, "user32.dll", "GetSystemMetricsForDpi");
        Lookup(SystemParametersInfoForDpi, "user32.dll", "SystemParametersInfoForDpi");
        Lookup(AdjustWindowRectExForDpi, "user32.dll", "AdjustWindowRectExForDpi");
        Lookup(GetDpiForMonitor, "shcore.dll", "GetDpiForMonitor");
        Lookup(LoadIconWithScaleDown, "comctl32.dll", "LoadIconWithScaleDown");
    }

    UINT(WINAPI* GetDpiForWindow)(HWND);
    UINT(WINAPI* GetDpiForSystem)();
    int(WINAPI* GetSystemMetricsForDpi)(int, UINT);
    BOOL(WINAPI* SystemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT);
    BOOL(WINAPI* AdjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT);
    HRESULT(WINAPI* GetDpiForMonitor)(HMONITOR, int, UINT*, UINT*);
    HRESULT(WINAPI* LoadIconWithScaleDown)(HINSTANCE, const wchar_t*, int, int, HICON*);
};

const TDpiFunctions& Functions()
{
    static const TDpiFunctions functions;
    return functions;
}

void ReleaseScreenDC(HDC dc)
{
    ::ReleaseDC(nullptr, dc);
}
using UniqueScreenDC = UniqueHandle<HDC, ReleaseScreenDC>;

NONCLIENTMETRICSW NonClientMetricsForDpi(int dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (Functions().SystemParametersInfoForDpi &&
        Functions().SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    // The fonts are in the system DPI's pixels.
    for (LOGFONTW* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                           &metrics.lfStatusFont, &metrics.lfMessageFont})
        font->lfHeight = MulDivRounded(font->lfHeight, dpi, SystemDpi());
    return metrics;
}

}

int SystemDpi()
{
    if (Functions().GetDpiForSystem)
        return static_cast<int>(Functions().GetDpiForSystem());
    const UniqueScreenDC screen(::GetDC(nullptr));
    const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : DesignDpi;
}

int DpiOfMonitor(HMONITOR monitor)
{
    UINT x = 0;
    UINT y = 0;
    if (monitor && Functions().GetDpiForMonitor &&
        SUCCEEDED(Functions().GetDpiForMonitor(monitor, EffectiveDpi, &x, &y)) && y > 0)
        return static_cast<int>(y);
    return SystemDpi();
}

int DpiOfWindow(HWND window)
{
    if (Functions().GetDpiForWindow)
        if (const UINT dpi = Functions().GetDpiForWindow(window))
            return static_cast<int>(dpi);
    return DpiOfMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

int DpiAtPoint(POINT point)
{
    return DpiOfMonitor(::MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST));
}

int SystemMetricForDpi(int index, int dpi)
{
    if (Functions().GetSystemMetricsForDpi)
        return Functions().GetSystemMetricsForDpi(index, dpi);
    return MulDivRounded(::GetSystemMetrics(index), dpi, SystemDpi());
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD extendedStyle, int dpi)
{
    RECT bounds{0, 0, client.cx, client.cy};
    if (!Functions().AdjustWindowRectExForDpi ||
        !Functions().AdjustWindowRectExForDpi(&bounds, style, FALSE, extendedStyle, dpi))
        ::AdjustWindowRectEx(&bounds, style, FALSE, extendedStyle);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

SIZE ScaledWindowSize(int width, int height, DWORD style, DWORD extendedStyle, int dpi)
{
    const SIZE frame = WindowSizeForClient({0, 0}, style, extendedStyle, DesignDpi);
    const SIZE client{ScaledForDpi(width - frame.cx, dpi), ScaledForDpi(height - frame.cy, dpi)};
    return WindowSizeForClient(client, style, extendedStyle, dpi);
}

UniqueFont MessageFontForDpi(int dpi)
{
    const NONCLIENTMETRICSW metrics = NonClientMetricsForDpi(dpi);
    return UniqueFont(::CreateFontIndirectW(&metrics.lfMessageFont));
}

UniqueFont MenuFontForDpi(int dpi)
{
    const NONCLIENTMETRICSW metrics = NonClientMetricsForDpi(dpi);
    return UniqueFont(::CreateFontIndirectW(&metrics.lfMenuFont));
}

int FontHeight(HFONT font)
{
    const UniqueScreenDC screen(::GetDC(nullptr));
    const HGDIOBJ previous = ::SelectObject(screen.Get(), font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.Get(), &metrics);
    ::SelectObject(screen.Get(), previous);
    return metrics.tmHeight;
}

UniqueIcon IconForDpi(HINSTANCE module, WORD iconId, int sizeIndex, int dpi)
{
    const int size = SystemMetricForDpi(sizeIndex, dpi);
    HICON icon = nullptr;
    if (Functions().LoadIconWithScaleDown &&
        SUCCEEDED(Functions().LoadIconWithScaleDown(module, MAKEINTRESOURCEW(iconId), size, size, &icon)))
        return UniqueIcon(icon);
    return UniqueIcon(static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(iconId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}
