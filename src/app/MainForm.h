#pragma once

#include "UniqueHandle.h"
#include "app/EmbeddedWB.h"
#include "app/ProgramHost.h"
#include "app/SettingsWatch.h"
#include "app/TrayIcon.h"
#include "diagnostics/JclDebugHandler.h"
#include "dialogs/Dpi.h"

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <memory>

// The function a page may define to restyle itself when Windows' app mode changes while it is
// shown: appModeChanged(dark), dark true when apps are now dark. A page without it is loaded again.
inline constexpr wchar_t AppModePageFunction[] = L"appModeChanged";

// The main window: a top-level window owned by the application's window, whose client area is
// the embedded browser showing the program's pages. It has the taskbar button while it is
// shown (the application's window, which owns it, never shows). It is created hidden, hides
// instead of closing, and keeps its placement in the registry between runs. Its tray icon, present from
// its creation to its destruction, opens a menu with the right button and shows the window on
// a left double-click. It is laid out at its monitor's DPI, and its title bar follows Windows'
// app mode.
class TMainForm final : private TEmbeddedWBEvents {
public:
    // FormCreate: registers the "tweaks:" scheme and applies the stored placement. The
    // handler's class factory must already be registered with COM; debugger, the program's
    // exception log, outlives the window.
    explicit TMainForm(TJclDebugHandler& debugger);
    // FormDestroy: saves the placement and withdraws the scheme.
    ~TMainForm();
    TMainForm(const TMainForm&) = delete;
    TMainForm& operator=(const TMainForm&) = delete;

    HWND Handle() const { return FWindow.Get(); }
    TJclDebugHandler& Debugger() { return FDebugger; }
    bool Visible() const;
    // Makes the window visible, restored and in front; becoming visible loads the start page
    // until a document completed.
    void Show();
    // The logon session ends: what must not wait for the windows' destruction, at once (the
    // placement, the user-agent token, the scheme).
    void SessionEnding() noexcept;
    TEmbeddedWB& Browser() { return *FBrowser; }
    // Makes the window visible and in front, showing the page at url.
    void ShowPage(const std::wstring& url);

    // The tray copy watches the kept settings with these scripts, until the window goes; a
    // notification appears from the tray icon and a click on it opens the changed settings.
    void StartWatching(std::vector<TScriptSource> sources);

    const TTrayIcon& TrayIcon() const { return *FTrayIcon; }
    HMENU TrayPopup() const { return FTrayPopup.Handle(); }
    // Runs the handler of a TrayCommand as choosing it in the menu does.
    void TrayPopupClick(UINT command);

private:
    static void DestroyWindowHandle(HWND window) { ::DestroyWindow(window); }
    using UniqueWindow = UniqueHandle<HWND, DestroyWindowHandle>;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void FormShow();
    void FormClose();
    void FormDestroy() noexcept;
    HRESULT BrowserGetExternal(const std::wstring& documentUrl, IDispatch** external) override;
    void BrowserDocumentComplete(IDispatch* document, const VARIANT& url) override;

    void RegisterScheme();
    void WithdrawScheme() noexcept;
    void SetIcons(int dpi);
    void FormDpiChanged(int dpi, const RECT& suggested);
    void AppModeChanged();
    void LoadWindowPlacement();
    void SaveWindowPlacement();
    void SaveWindowPlacementQuietly() noexcept;
    bool ApplicationMessage(UINT message, LPARAM lParam, LRESULT& result);
    void FitBrowser();

    void TrayIconMessage(LPARAM mouseMessage);
    void SettingsNotification();
    void PowerBroadcast(WPARAM event);
    void TrayIconDblClick();
    void TrayIconRightButtonUp();
    void TrayPopupPopup();
    void TrayPopupTweakClick();
    void TrayPopupAutoStartClick();
    void TrayPopupHomepageClick();
    void TrayContactUsClick();
    void TrayPopupExitClick();

    TJclDebugHandler& FDebugger;
    UniqueWindow FWindow;
    std::unique_ptr<TEmbeddedWB> FBrowser;
    Microsoft::WRL::ComPtr<IClassFactory> FProtocolFactory;
    Microsoft::WRL::ComPtr<IInternetSession> FInternetSession;
    bool FStartPending = false;
    // While set, a change of DPI keeps the bounds being applied: they are the monitor's already.
    bool FApplyingPlacement = false;
    UniqueIcon FBigIcon;
    UniqueIcon FSmallIcon;
    TTrayPopup FTrayPopup;
    std::unique_ptr<TTrayIcon> FTrayIcon;
    UINT FTaskbarCreated = 0;
    std::unique_ptr<TSettingsWatch> FSettingsWatch;
    // A notification is shown, so a click on a balloon is ours.
    bool FNotificationShown = false;
};
