#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The application object: a hidden top-level window of its own, which carries the program's
// title, owns the main window and the dialogs, and hears the end of the logon session.
class TApplication {
public:
    TApplication();
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    HWND Handle() const { return FHandle; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& title);

    // Whether the main window is shown when the message loop starts ("-hidden" clears it).
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool show) { FShowMainForm = show; }

    // Ends the message loop once control returns to it.
    void Terminate();

    // Runs when the logon session ends. The system may end the process as soon as that
    // message is answered, so the windows are torn down here rather than after the loop.
    void SetOnEndSession(std::function<void()> handler) { FOnEndSession = std::move(handler); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void EndSession();

    HWND FHandle = nullptr;
    std::string FTitle;
    bool FShowMainForm = true;
    std::function<void()> FOnEndSession;
};

// The one application object, made by the program's entry point before any window.
TApplication& Application();
// The same object, or null outside the program's lifetime (lvscript, tests that run scripts).
TApplication* RunningApplication();
void CreateApplication();
void FreeApplication();
