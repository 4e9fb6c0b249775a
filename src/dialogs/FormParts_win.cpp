#include "dialogs/FormParts.h"

#include "Exception.h"
#include "app/MessageLoop.h"
#include "script/AnsiText.h"

#include <iterator>
#include <stdexcept>
#include <string>

namespace {

constexpr wchar_t PanelClassName[] = L"TLvPanel";

void DeleteFont(HFONT font) { ::DeleteObject(font); }
using UniqueFont = UniqueHandle<HFONT, DeleteFont>;

HFONT DialogFont()
{
    static const UniqueFont font(::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                               DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif"));
    return font.Get();
}

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
    const HWND control = Checked(::CreateWindowExW(extendedStyle, className, text, WS_CHILD | WS_VISIBLE | style, bounds.Left,
                                                   bounds.Top, bounds.Width, bounds.Height, parent, nullptr,
                                                   ::GetModuleHandleW(nullptr), nullptr),
                                 className);
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    return control;
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
    const TRect size = WindowBounds(window);
    const TPosition position =
        CentredWithin(overAnchor ? WindowBounds(anchor) : workArea, workArea, size.Width, size.Height);
    ::SetWindowPos(window, nullptr, position.Left, position.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
