#pragma once

#include "app/MainForm.h"
#include "diagnostics/JclDebugHandler.h"

#include <memory>
#include <optional>

// The program's windows, made in one place in their order and ownership and destroyed in
// reverse: the application's hidden window, which carries the title, owns the others and
// hears the end of the logon session; the main window; the string list editor and its entry
// dialog, which appear over the main window, with the Dialogs object's factory handed to the
// root script object while they exist. Start-up and the tests make them through here, so that
// the tests see the program's own wiring.
class TProgramWindows {
public:
    // OLE must be initialised and the handler's class factory registered with COM.
    explicit TProgramWindows(TJclDebugHandler& debugger);
    ~TProgramWindows();
    TProgramWindows(const TProgramWindows&) = delete;
    TProgramWindows& operator=(const TProgramWindows&) = delete;

    TMainForm& MainForm() { return *FMainForm; }

private:
    struct TApplicationLifetime {
        TApplicationLifetime();
        ~TApplicationLifetime();
        TApplicationLifetime(const TApplicationLifetime&) = delete;
        TApplicationLifetime& operator=(const TApplicationLifetime&) = delete;
    };
    struct TDialogsLifetime {
        TDialogsLifetime(HWND owner, HWND anchor);
        ~TDialogsLifetime();
        TDialogsLifetime(const TDialogsLifetime&) = delete;
        TDialogsLifetime& operator=(const TDialogsLifetime&) = delete;
    };

    TApplicationLifetime FApplication;
    std::unique_ptr<TMainForm> FMainForm;
    std::optional<TDialogsLifetime> FDialogs;
};
