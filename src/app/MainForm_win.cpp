#include "app/MainForm.h"

#include "Exception.h"
#include "app/AppMode.h"
#include "app/Application.h"
#include "app/Maker.h"
#include "app/PageUrl.h"
#include "app/TrayRules.h"
#include "app/WindowPlacement.h"
#include "protocol/MyLVHandler.h"
#include "script/ComServer.h"
#include "script/MorvaneAutoObj_Impl.h"
#include "script/ProgramValues.h"
#include "script/RegHelpers.h"
#include "script/Registry.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

constexpr char ClassName[] = "TMainForm";
constexpr char PlacementValue[] = "MainFormSettings";
// The window's DPI when its placement was stored; older versions, unaware of DPI, stored none.
constexpr char PlacementDpiValue[] = "MainFormDpi";
constexpr wchar_t StartPageUrl[] = L"tweaks://tweaks/start.html";
constexpr wchar_t ChangedBackPageUrl[] = L"tweaks://tweaks/changes.html#changed-back";
// The icon as the program's resource script names it.
constexpr WORD ProgramIconId = 1;
constexpr char ExitWarningTitle[] = "COM Server Warning";
constexpr char ExitWarningText[] =
    "There are still active COM objects in this application.  One or more clients may have references to these "
    "objects, so manually closing this application may cause those client application(s) to fail.\r\n\r\n"
    "Are you sure you want to close this application?";

void RegisterWindowClass(WNDPROC windowProc)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = ClassName;
    // A second window of the class finds it registered already.
    ::RegisterClassA(&windowClass);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT area, LPARAM monitors)
{
    try {
        reinterpret_cast<std::vector<TScreenRect>*>(monitors)->push_back(
            {area->left, area->top, area->right, area->bottom, DpiOfMonitor(monitor)});
        return TRUE;
    } catch (...) {
        // Out of memory: the monitors found so far have to do.
        return FALSE;
    }
}

std::vector<TScreenRect> Monitors()
{
    std::vector<TScreenRect> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void OpenInBrowser(const std::string& url)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.lpFile = url.c_str();
    info.nShow = SW_SHOWDEFAULT;
    // No browser for http addresses is not worth a message.
    ::ShellExecuteExA(&info);
}

// Makes the application's last active window the foreground window, as the application's
// own hidden window would when it is activated.
void BringApplicationForward()
{
    const HWND popup = ::GetLastActivePopup(Application().Handle());
    if (popup != Application().Handle() && ::IsWindowVisible(popup) && ::IsWindowEnabled(popup))
        ::SetForegroundWindow(popup);
}

// The stored value's bytes when it is binary and no longer than one byte past the size the
// placement needs: enough to tell exactly eight bytes from any other length.
std::optional<std::vector<std::uint8_t>> StoredPlacement(const TRegistry& registry)
{
    if (registry.ValueKind(PlacementValue) != RegValueKind::Binary)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(PlacementSize + 1);
    try {
        bytes.resize(registry.GetBytes(PlacementValue, bytes));
    } catch (const ERegistryException&) {
        // Longer than the buffer: not a placement of ours, so the default applies.
        return std::nullopt;
    }
    return bytes;
}

int StoredPlacementDpi(const TRegistry& registry)
{
    return registry.ValueKind(PlacementDpiValue) == RegValueKind::Integer ? registry.GetInt(PlacementDpiValue)
                                                                          : DesignDpi;
}

}

TMainForm::TMainForm(TJclDebugHandler& debugger) : FDebugger(debugger)
{
    RegisterWindowClass(WindowProc);
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    // Owned windows get no taskbar button unless they ask for one.
    FWindow = UniqueWindow(::CreateWindowExA(WS_EX_APPWINDOW, ClassName, ProductName, style, 0, 0, DefaultWindowWidth,
                                             DefaultWindowHeight, Application().Handle(), nullptr,
                                             ::GetModuleHandleA(nullptr), this));
    if (!FWindow)
        throw Exception("The main window cannot be created");
    SetIcons(DpiOfWindow(Handle()));
    FBrowser = std::make_unique<TEmbeddedWB>(Handle(), static_cast<TEmbeddedWBEvents&>(*this));
    FitBrowser();
    FormCreate();
}

TMainForm::~TMainForm()
{
    Application().SetMessageHook(nullptr);
    FormDestroy();
    FBrowser.reset();
    // Messages of the window's own destruction find no form any more.
    ::SetWindowLongPtrA(Handle(), GWLP_USERDATA, 0);
}

bool TMainForm::Visible() const
{
    return ::IsWindowVisible(Handle()) != FALSE;
}

void TMainForm::Show()
{
    // A window hidden while minimised comes back restored as well.
    const int command = ::IsIconic(Handle()) ? SW_RESTORE : SW_SHOW;
    if (Visible()) {
        ::ShowWindow(Handle(), command);
        ::SetForegroundWindow(Handle());
        return;
    }
    ::ShowWindow(Handle(), command);
    FormShow();
}

void TMainForm::SessionEnding() noexcept
{
    SaveWindowPlacementQuietly();
    TEmbeddedWB::WithdrawUserAgentToken();
    WithdrawScheme();
    // The system may end the process at any moment once the session's end is answered.
    FDebugger.Flush();
}

void TMainForm::SetIcons(int dpi)
{
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    // Icons of our own, not shared ones: the system's cache gives a shared icon at the size it
    // was first loaded at.
    UniqueIcon big = IconForDpi(instance, ProgramIconId, SM_CXICON, dpi);
    UniqueIcon small = IconForDpi(instance, ProgramIconId, SM_CXSMICON, dpi);
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.Get()));
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.Get()));
    // The window no longer shows the icons it had.
    FBigIcon = std::move(big);
    FSmallIcon = std::move(small);
}

void TMainForm::FormDpiChanged(int dpi, const RECT& suggested)
{
    SetIcons(dpi);
    if (!FApplyingPlacement)
        ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainForm::AppModeChanged()
{
    const bool dark = AppsUseDarkMode();
    ApplyTitleBarMode(Handle(), dark);
    // A page that can restyle itself is told; any other page is loaded again, to read the mode anew.
    if (!FStartPending && !FBrowser->CallPageFunction(AppModePageFunction, dark))
        FBrowser->Reload();
}

void TMainForm::FormCreate()
{
    FDebugger.SetLogFileName(ProgramFolder() + "debugger.log");
    FStartPending = true;
    Application().SetTitle(ProductName);
    ::SetWindowTextA(Handle(), ProductName);
    ApplyTitleBarMode(Handle(), AppsUseDarkMode());
    RegisterScheme();
    LoadWindowPlacement();
    FTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    FTrayIcon = std::make_unique<TTrayIcon>(Handle(), ProductName);
    Application().SetMessageHook([this](UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        return ApplicationMessage(message, lParam, result);
    });
}

bool TMainForm::ApplicationMessage(UINT message, LPARAM lParam, LRESULT& result)
{
    result = TRUE;
    if (message == WM_MEASUREITEM)
        return MeasureTrayItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), FTrayPopup.Dpi());
    if (message == WM_DRAWITEM)
        return DrawTrayItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), FTrayPopup.Dpi());
    return false;
}

void TMainForm::RegisterScheme()
{
    // Failures are not reported: the pages then cannot load, and the window works on.
    ::CoGetClassObject(CLSID_MyLVHandler, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                       reinterpret_cast<void**>(FProtocolFactory.ReleaseAndGetAddressOf()));
    ::CoInternetGetSession(0, FInternetSession.ReleaseAndGetAddressOf(), 0);
    if (FInternetSession)
        FInternetSession->RegisterNameSpace(FProtocolFactory.Get(), CLSID_MyLVHandler, SchemeName.c_str(), 0, nullptr,
                                            0);
}

void TMainForm::FormShow()
{
    if (FStartPending)
        FBrowser->Navigate(StartPageUrl);
}

void TMainForm::FormClose()
{
    ::ShowWindow(Handle(), SW_HIDE);
}

void TMainForm::FormDestroy() noexcept
{
    FSettingsWatch.reset();
    FTrayIcon.reset();
    SaveWindowPlacementQuietly();
    WithdrawScheme();
}

void TMainForm::WithdrawScheme() noexcept
{
    // Once only: the end of the session may have withdrawn it already.
    if (FInternetSession)
        FInternetSession->UnregisterNameSpace(FProtocolFactory.Get(), SchemeName.c_str());
    FInternetSession.Reset();
}

void TMainForm::SaveWindowPlacementQuietly() noexcept
{
    try {
        SaveWindowPlacement();
    } catch (...) {
        // A placement that cannot be written is not worth more than the default next time.
    }
}

HRESULT TMainForm::BrowserGetExternal(const std::wstring& documentUrl, IDispatch** external)
{
    *external = nullptr;
    if (!IsTweaksUrl(documentUrl))
        return S_FALSE;
    ComPtr<ITweakExternal> root(new TTweakExternal);
    *external = root.Detach();
    return S_OK;
}

void TMainForm::BrowserDocumentComplete(IDispatch*, const VARIANT&)
{
    FStartPending = false;
}

void TMainForm::LoadWindowPlacement()
{
    TRegistry registry;
    std::optional<std::vector<std::uint8_t>> stored;
    int storedDpi = DesignDpi;
    if (registry.OpenForRead(SettingsKey)) {
        stored = StoredPlacement(registry);
        storedDpi = StoredPlacementDpi(registry);
    }
    std::optional<std::span<const std::uint8_t>> bytes;
    if (stored)
        bytes = *stored;
    const std::vector<TScreenRect> monitors = Monitors();
    const TWindowBounds bounds =
        RestoredPlacement(bytes, storedDpi, monitors, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN),
                          DpiAtPoint({0, 0}));
    FApplyingPlacement = true;
    ::SetWindowPos(Handle(), nullptr, bounds.Left, bounds.Top, bounds.Width, bounds.Height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    FApplyingPlacement = false;
}

void TMainForm::SaveWindowPlacement()
{
    // The normal rectangle: a minimised or maximised window opens as the user last had it.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(Handle(), &placement);
    RECT window = placement.rcNormalPosition;
    // It is in workspace coordinates, which start at the corner of the monitor's work area.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &monitor);
    ::OffsetRect(&window, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    const TWindowBounds bounds{window.right - window.left, window.bottom - window.top, window.left, window.top};
    TRegistry registry;
    if (registry.Open(SettingsKey, true)) {
        registry.PutBytes(PlacementValue, EncodePlacement(bounds));
        registry.PutInt(PlacementDpiValue, DpiOfWindow(Handle()));
    }
}

void TMainForm::FitBrowser()
{
    RECT client{};
    ::GetClientRect(Handle(), &client);
    FBrowser->SetBounds(client);
}

void TMainForm::TrayPopupClick(UINT command)
{
    switch (command) {
    case TrayPopupTweak:
        TrayPopupTweakClick();
        break;
    case TrayPopupAutoStart:
        TrayPopupAutoStartClick();
        break;
    case TrayPopupHomepage:
        TrayPopupHomepageClick();
        break;
    case TrayContactUs:
        TrayContactUsClick();
        break;
    case TrayPopupExit:
        TrayPopupExitClick();
        break;
    default:
        break;
    }
}

void TMainForm::ShowPage(const std::wstring& url)
{
    ::ShowWindow(Handle(), ::IsIconic(Handle()) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(Handle());
    FBrowser->Navigate(url);
}

void TMainForm::StartWatching(std::vector<TScriptSource> sources)
{
    // The type library is loaded once for every thread: here, before a second thread needs it.
    ComServer().TypeLib();
    FSettingsWatch = std::make_unique<TSettingsWatch>(Handle(), std::move(sources));
}

void TMainForm::SettingsNotification()
{
    const std::wstring text = FSettingsWatch ? FSettingsWatch->TakeNotification() : std::wstring();
    if (!text.empty() && FTrayIcon)
        FNotificationShown = FTrayIcon->ShowBalloon(WideFromAnsi(ProductName), text);
}

void TMainForm::PowerBroadcast(WPARAM event)
{
    if (FSettingsWatch && (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND))
        FSettingsWatch->Recheck(CheckAfterResume);
}

void TMainForm::TrayIconMessage(LPARAM mouseMessage)
{
    if (mouseMessage == NIN_BALLOONUSERCLICK && FNotificationShown) {
        FNotificationShown = false;
        ShowPage(ChangedBackPageUrl);
    } else if (mouseMessage == NIN_BALLOONTIMEOUT || mouseMessage == NIN_BALLOONHIDE)
        FNotificationShown = false;
    else if (mouseMessage == WM_RBUTTONUP)
        TrayIconRightButtonUp();
    else if (mouseMessage == WM_LBUTTONDBLCLK)
        TrayIconDblClick();
}

void TMainForm::TrayIconDblClick()
{
    TrayPopupTweakClick();
}

void TMainForm::TrayIconRightButtonUp()
{
    // Only a menu of the foreground window closes when the user clicks elsewhere; the
    // program's own hidden window takes that part, so no visible window jumps forward.
    const HWND owner = Application().Handle();
    ::SetForegroundWindow(owner);
    TrayPopupPopup();
    POINT cursor{};
    ::GetCursorPos(&cursor);
    TrayPopupClick(FTrayPopup.Track(owner, cursor));
}

void TMainForm::TrayPopupPopup()
{
    FTrayPopup.SetChecked(TrayPopupAutoStart, RegHasValue(HKEY_CURRENT_USER, AutoStartKey, AutoStartValueName));
}

void TMainForm::TrayPopupTweakClick()
{
    Show();
    BringApplicationForward();
}

void TMainForm::TrayPopupAutoStartClick()
{
    if (FTrayPopup.Checked(TrayPopupAutoStart))
        RegDropValue(HKEY_CURRENT_USER, AutoStartKey, AutoStartValueName);
    else
        RegPutString(HKEY_CURRENT_USER, AutoStartKey, AutoStartValueName, AutoStartCommand(ProgramFileName()));
}

void TMainForm::TrayPopupHomepageClick()
{
    OpenInBrowser(TrayHomepageUrl(ProgramVersionText()));
}

void TMainForm::TrayContactUsClick()
{
    OpenInBrowser(TrayContactUrl(ProgramVersionText()));
}

void TMainForm::TrayPopupExitClick()
{
    const UINT style = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TASKMODAL;
    if (ActiveHandlerCount() > 0 && ::MessageBoxA(nullptr, ExitWarningText, ExitWarningTitle, style) != IDYES)
        return;
    Application().Terminate();
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == FTaskbarCreated && FTaskbarCreated != 0 && FTrayIcon) {
        FTrayIcon->Add();
        return 0;
    }
    switch (message) {
    case TrayCallbackMessage:
        TrayIconMessage(lParam);
        return 0;
    case WM_MEASUREITEM:
        if (MeasureTrayItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), FTrayPopup.Dpi()))
            return TRUE;
        break;
    case WM_DRAWITEM:
        if (DrawTrayItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), FTrayPopup.Dpi()))
            return TRUE;
        break;
    case WM_SIZE:
        FitBrowser();
        return 0;
    case WM_DPICHANGED:
        FormDpiChanged(DpiOfDpiChanged(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SETTINGCHANGE:
        if (FSettingsWatch)
            FSettingsWatch->Recheck(CheckAfterSettingChange);
        if (IsAppModeChange(lParam))
            AppModeChanged();
        break;
    case WM_POWERBROADCAST:
        PowerBroadcast(wParam);
        return TRUE;
    case SettingsNotifyMessage:
        SettingsNotification();
        return 0;
    case WM_COMMAND:
        // A menu command sent from another program: the uninstaller ends us through Exit.
        if (HIWORD(wParam) == 0 && lParam == 0) {
            TrayPopupClick(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_CLOSE:
        // The program lives on in the tray: closing only hides the window.
        FormClose();
        return 0;
    default:
        break;
    }
    return ::DefWindowProcA(Handle(), message, wParam, lParam);
}

LRESULT CALLBACK TMainForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* form = reinterpret_cast<TMainForm*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    // Until the browser exists the form has nothing to add to the platform's handling.
    if (!form || !form->FBrowser)
        return ::DefWindowProcA(window, message, wParam, lParam);
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Taken as handled: the platform's own handling of WM_CLOSE would destroy the window.
        return 0;
    }
}
