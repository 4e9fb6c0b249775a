#include "app/Application.h"

#include "Exception.h"
#include "script/OwnerWindow.h"

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
    SetProgramOwnerWindow(FHandle);
}

TApplication::~TApplication()
{
    SetProgramOwnerWindow(nullptr);
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
    // Every loop on the stack ends on the quit request and posts it again for the one outside:
    // the modal loops of the dialogs (as a cancel), the platform's dialogs and message boxes,
    // a script's ProcessMessages; a menu needs to be told.
    ::EndMenu();
    Terminate();
}

LRESULT TApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (FMessageHook && FMessageHook(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam)
            EndSession();
        return 0;
    default:
        return ::DefWindowProcA(FHandle, message, wParam, lParam);
    }
}

LRESULT CALLBACK TApplication::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!TheApplication || window != TheApplication->FHandle)
        return ::DefWindowProcA(window, message, wParam, lParam);
    try {
        return TheApplication->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // The session ends all the same.
        if (message == WM_ENDSESSION)
            ::PostQuitMessage(0);
        return 0;
    }
}

TApplication& Application()
{
    if (!TheApplication)
        throw std::logic_error("The application object is used outside the program's lifetime");
    return *TheApplication;
}

void CreateApplication()
{
    TheApplication = std::make_unique<TApplication>();
}

void FreeApplication()
{
    TheApplication.reset();
}
