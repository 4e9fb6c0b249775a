#include "app/Application.h"

#include "Exception.h"

#include <memory>
#include <stdexcept>

namespace {

constexpr char ClassName[] = "TApplication";
std::unique_ptr<TApplication> TheApplication;

}

TApplication::TApplication()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = ClassName;
    ::RegisterClassA(&windowClass);
    FHandle = ::CreateWindowExA(0, ClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    if (!FHandle)
        throw Exception("The application window cannot be created");
}

TApplication::~TApplication()
{
    ::DestroyWindow(FHandle);
}

void TApplication::SetTitle(const std::string& title)
{
    FTitle = title;
    ::SetWindowTextA(FHandle, title.c_str());
}

void TApplication::Terminate()
{
    ::PostQuitMessage(0);
}

void TApplication::EndSession()
{
    if (FOnEndSession)
        FOnEndSession();
    Terminate();
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The logon session ends: the same tear-down as Exit from the tray.
    if (message == WM_ENDSESSION && wParam && TheApplication && window == TheApplication->FHandle) {
        try {
            TheApplication->EndSession();
        } catch (...) {
            ::PostQuitMessage(0);
        }
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

TApplication& Application()
{
    if (!TheApplication)
        throw std::logic_error("The application object is used outside the program's lifetime");
    return *TheApplication;
}

TApplication* RunningApplication()
{
    return TheApplication.get();
}

void CreateApplication()
{
    TheApplication = std::make_unique<TApplication>();
}

void FreeApplication()
{
    TheApplication.reset();
}
