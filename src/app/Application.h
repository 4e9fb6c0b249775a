#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The application object: a hidden top-level window of its own, which carries the program's
// title, owns the main window and the dialogs (it is the program's owner window while it
// lives), and hears the end of the logon session.
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

    // Runs when the logon session ends, before the answer: the system may end the process as
    // soon as the message is answered, so what must outlive the process is saved here. The
    // windows themselves stay until every message loop on the stack has unwound.
    void SetOnEndSession(std::function<void()> handler) { FOnEndSession = std::move(handler); }

    // Sees the window's messages before the platform does and answers true for one it has
    // handled, with its result: the tray menu, which this window owns while it is open, is
    // drawn by the main window this way.
    using TMessageHook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    void SetMessageHook(TMessageHook hook) { FMessageHook = std::move(hook); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void EndSession();

    HWND FHandle = nullptr;
    std::string FTitle;
    bool FShowMainForm = true;
    std::function<void()> FOnEndSession;
    TMessageHook FMessageHook;
};

// The one application object, made by the program's entry point before any window.
TApplication& Application();
void CreateApplication();
void FreeApplication();
