#include "dialogs/FormParts.h"

#include "Exception.h"
#include "script/AnsiText.h"
#include "script/MessageLoop.h"

#include <iterator>
#include <stdexcept>
#include <string>

namespace {

constexpr wchar_t PanelClassName[] = L"TLvPanel";

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND)
        return ::SendMessageW(::GetParent(window), message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND Checked(HWND window, const wchar_t* what)
{
    if (!window)
        throw Exception("The window cannot be created: " + AnsiFromWide(what));
    return window;
}

BOOL CALLBACK SetFontOfOne(HWND control, LPARAM font)
{
    ::SendMessageA(control, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
    return TRUE;
}

UniqueFont CheckedFont(UniqueFont font)
{
    if (!font)
        throw Exception("The dialogs' font cannot be made");
    return font;
}

void MoveTo(HWND window, TPosition position)
{
    ::SetWindowPos(window, nullptr, position.Left, position.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}

void DestroyWindowHandle(HWND window)
{
    ::DestroyWindow(window);
}

void RegisterFormClass(const wchar_t* className, WNDPROC windowProc)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    ::RegisterClassW(&windowClass);
}

HWND CreateForm(const wchar_t* className, DWORD style, const TRect& bounds, HWND owner, void* form)
{
    return Checked(::CreateWindowExW(0, className, L"", style, bounds.Left, bounds.Top, bounds.Width,
                                     bounds.Height, owner, nullptr, ::GetModuleHandleW(nullptr), form),
                   className);
}

HWND CreateControl(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, const TRect& bounds,
                   DWORD extendedStyle)
{
    return Checked(::CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style, bounds.Left,
                                     bounds.Top, bounds.Width, bounds.Height, parent, nullptr,
                                     ::GetModuleHandleW(nullptr), nullptr),
                   className);
}

HWND CreatePanel(HWND parent)
{
    RegisterFormClass(PanelClassName, PanelProc);
    return CreateControl(parent, PanelClassName, L"", WS_CLIPCHILDREN, {0, 0, 0, 0});
}

void MoveControl(HWND control, const TRect& bounds)
{
    ::MoveWindow(control, bounds.Left, bounds.Top, bounds.Width, bounds.Height, TRUE);
}

TRect WindowBounds(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

TRect ClientBounds(HWND window)
{
    RECT rect{};
    ::GetClientRect(window, &rect);
    return {0, 0, rect.right, rect.bottom};
}

TFormScale::TFormScale(HWND form)
    : FForm(form), FDpi(DpiOfWindow(form)), FFont(CheckedFont(MessageFontForDpi(FDpi))),
      FTextHeight(FontHeight(FFont.Get()))
{
}

TRect TFormScale::operator()(const TRect& bounds) const
{
    return {(*this)(bounds.Left), (*this)(bounds.Top), (*this)(bounds.Width), (*this)(bounds.Height)};
}

SIZE TFormScale::FormSize(int width, int height) const
{
    return ScaledWindowSize(width, height, static_cast<DWORD>(::GetWindowLongA(FForm, GWL_STYLE)),
                            static_cast<DWORD>(::GetWindowLongA(FForm, GWL_EXSTYLE)), FDpi);
}

void TFormScale::ApplyFont() const
{
    ::EnumChildWindows(FForm, SetFontOfOne, reinterpret_cast<LPARAM>(FFont.Get()));
}

void TFormScale::Change(int dpi)
{
    UniqueFont font = CheckedFont(MessageFontForDpi(dpi));
    FDpi = dpi;
    FTextHeight = FontHeight(font.Get());
    // The controls let go of the old font before it goes.
    ::EnumChildWindows(FForm, SetFontOfOne, reinterpret_cast<LPARAM>(font.Get()));
    FFont = std::move(font);
}

void ResizeForm(HWND window, SIZE size)
{
    ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ReportFailure(HWND window, const std::exception& failure)
{
    // The application's window, at the root of the owners, carries its title.
    wchar_t title[256] = L"";
    ::GetWindowTextW(::GetAncestor(window, GA_ROOTOWNER), title, std::size(title));
    const TThreadWindowsDisabled disabled;
    ::MessageBoxW(window, WideMessage(failure).c_str(), title, MB_OK | MB_ICONERROR);
}

TThreadWindowsDisabled::TThreadWindowsDisabled(HWND except) : FExcept(except)
{
    ::EnumThreadWindows(::GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(this));
}

TThreadWindowsDisabled::~TThreadWindowsDisabled()
{
    for (HWND window : FDisabled)
        if (::IsWindow(window))
            ::EnableWindow(window, TRUE);
}

BOOL CALLBACK TThreadWindowsDisabled::DisableOne(HWND window, LPARAM self)
{
    auto& disabled = *reinterpret_cast<TThreadWindowsDisabled*>(self);
    if (window == disabled.FExcept || !::IsWindowVisible(window) || !::IsWindowEnabled(window))
        return TRUE;
    try {
        disabled.FDisabled.push_back(window);
    } catch (...) {
        // Out of memory: a window that could not be remembered stays enabled.
        return FALSE;
    }
    ::EnableWindow(window, FALSE);
    return TRUE;
}

void PlaceOver(HWND window, HWND anchor)
{
    const HMONITOR monitor = anchor ? ::MonitorFromWindow(anchor, MONITOR_DEFAULTTONEAREST)
                                    : ::MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(monitor, &info);
    const RECT& work = info.rcWork;
    const TRect workArea{work.left, work.top, work.right - work.left, work.bottom - work.top};
    const bool overAnchor = anchor && ::IsWindowVisible(anchor) && !::IsIconic(anchor);
    const TRect outer = overAnchor ? WindowBounds(anchor) : workArea;
    const TRect before = WindowBounds(window);
    MoveTo(window, CentredWithin(outer, workArea, before.Width, before.Height));
    if (const TRect after = WindowBounds(window); after.Width != before.Width || after.Height != before.Height)
        MoveTo(window, CentredWithin(outer, workArea, after.Width, after.Height));
}

TModalShow::TModalShow(HWND window) : FWindow(window)
{
    FOthersDisabled.emplace(window);
    ::ShowWindow(FWindow, SW_SHOW);
    ::SetForegroundWindow(FWindow);
}

TModalShow::~TModalShow()
{
    FOthersDisabled.reset();
    ::ShowWindow(FWindow, SW_HIDE);
}

int RunModalLoop(const int& modalResult, const std::function<void()>& onIdle)
{
    MSG message;
    while (modalResult == 0) {
        if (onIdle && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
            onIdle();
        const BOOL received = ::GetMessageW(&message, nullptr, 0, 0);
        if (received <= 0) {
            if (received == 0)
                ::PostQuitMessage(static_cast<int>(message.wParam));
            return IDCANCEL;
        }
        DispatchAppMessage(message);
    }
    return modalResult;
}
