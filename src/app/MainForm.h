#pragma once

#include "UniqueHandle.h"
#include "app/EmbeddedWB.h"

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <memory>

// The main window: a top-level window owned by the application's window, whose client area is
// the embedded browser showing the program's pages. It is created hidden, hides instead of
// closing, and keeps its placement in the registry between runs.
class TMainForm final : private TEmbeddedWBEvents {
public:
    // FormCreate: registers the "tweaks:" scheme and applies the stored placement. The
    // handler's class factory must already be registered with COM.
    TMainForm();
    // FormDestroy: saves the placement and withdraws the scheme.
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    HWND Handle() const { return FWindow.Get(); }
    bool Visible() const;
    // Makes the window visible; becoming visible loads the start page until a document completed.
    void Show();
    TEmbeddedWB& Browser() { return *FBrowser; }

private:
    static void DestroyWindowHandle(HWND window) { ::DestroyWindow(window); }
    using UniqueWindow = UniqueHandle<HWND, DestroyWindowHandle>;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy() noexcept;
    HRESULT BrowserGetExternal(IDispatch** external) override;
    void BrowserDocumentComplete(IDispatch* document, const VARIANT& url) override;

    void RegisterScheme();
    void LoadWindowPlacement();
    void SaveWindowPlacement();
    void FitBrowser();

    UniqueWindow FWindow;
    std::unique_ptr<TEmbeddedWB> FBrowser;
    Microsoft::WRL::ComPtr<IClassFactory> FProtocolFactory;
    Microsoft::WRL::ComPtr<IInternetSession> FInternetSession;
    bool FStartPending = false;
};
