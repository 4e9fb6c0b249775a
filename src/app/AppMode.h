#pragma once

#include <windows.h>

// Windows' app mode, light or dark, as the user chose it for apps in the colour settings.

// True when apps are to be dark: AppsUseLightTheme is 0 under the current user's Personalize
// key. Without the value (Windows before 10 1809) apps are light.
bool AppsUseDarkMode();

// Whether a WM_SETTINGCHANGE with this lParam tells that the app mode may have changed: Windows
// names the setting "ImmersiveColorSet".
bool IsAppModeChange(LPARAM setting);

// Draws the window's title bar dark or light where Windows has the attribute for it (Windows 11
// and the later builds of Windows 10); elsewhere, and in high contrast, the title bar keeps the
// system's look.
void ApplyTitleBarMode(HWND window, bool dark);
