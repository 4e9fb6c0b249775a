#include "app/AppMode.h"

#include "script/Registry.h"

namespace {

constexpr char PersonalizeKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr char LightAppsValue[] = "AppsUseLightTheme";
// DWMWINDOWATTRIBUTE's DWMWA_USE_IMMERSIVE_DARK_MODE, which older headers lack.
constexpr DWORD UseImmersiveDarkMode = 20;

using TDwmSetWindowAttribute = HRESULT(WINAPI*)(HWND, DWORD, const void*, DWORD);

TDwmSetWindowAttribute DwmSetWindowAttributeFunction()
{
    // Loaded at run time: dwmapi.dll is not a system DLL that every program may import.
    static const TDwmSetWindowAttribute function = [] {
        const HMODULE dwm = ::LoadLibraryA("dwmapi.dll");
        return dwm ? reinterpret_cast<TDwmSetWindowAttribute>(
                         reinterpret_cast<void*>(::GetProcAddress(dwm, "DwmSetWindowAttribute")))
                   : nullptr;
    }();
    return function;
}

bool HighContrast()
{
    HIGHCONTRASTA contrast{};
    contrast.cbSize = sizeof contrast;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

}

bool AppsUseDarkMode()
{
    try {
        TRegistry registry;
        registry.SetRoot(HKEY_CURRENT_USER);
        return registry.OpenForRead(PersonalizeKey) && registry.ValueKind(LightAppsValue) == RegValueKind::Integer &&
               registry.GetInt(LightAppsValue) == 0;
    } catch (const ERegistryException&) {
        return false;
    }
}

bool IsAppModeChange(LPARAM setting)
{
    const auto* name = reinterpret_cast<const char*>(setting);
    return name && ::lstrcmpiA(name, "ImmersiveColorSet") == 0;
}

void ApplyTitleBarMode(HWND window, bool dark)
{
    const TDwmSetWindowAttribute setAttribute = DwmSetWindowAttributeFunction();
    const BOOL useDark = dark && !HighContrast();
    // Windows without the attribute refuses it, and its title bar stays as the system draws it.
    if (setAttribute)
        setAttribute(window, UseImmersiveDarkMode, &useDark, sizeof useDark);
}
