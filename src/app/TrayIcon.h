#pragma once

#include "UniqueHandle.h"
#include "dialogs/Dpi.h"

#include <windows.h>

#include <string>

// The program's icon in the notification area and its owner-drawn popup menu. The icon sends
// TrayCallbackMessage to its window with the mouse message in lParam; the menu sends its
// WM_MEASUREITEM and WM_DRAWITEM to the window that tracks it, which passes them to
// MeasureTrayItem and DrawTrayItem.

inline constexpr UINT TrayCallbackMessage = WM_APP + 1;

// The menu's commands, top to bottom; the separators have no command.
enum TrayCommand : UINT {
    TrayPopupTweak = 1,
    TrayPopupAutoStart,
    TrayPopupHomepage,
    TrayContactUs,
    TrayPopupExit,
};

class TTrayIcon {
public:
    TTrayIcon(HWND window, const char* tip);
    // Removes the icon.
    ~TTrayIcon();
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // Puts the icon into the notification area: at creation, and again when the shell restarts.
    bool Add();
    // A notification from the icon (a balloon), replacing the one shown; a click on it sends
    // NIN_BALLOONUSERCLICK as the mouse message.
    bool ShowBalloon(const std::wstring& title, const std::wstring& text);
    // The program's small icon at the size the notification area shows at the system DPI.
    HICON Icon() const { return FIcon.Get(); }

private:
    NOTIFYICONDATAA Data() const;

    HWND FWindow;
    UniqueIcon FIcon;
    const char* FTip;
};

class TTrayPopup {
public:
    TTrayPopup();
    TTrayPopup(const TTrayPopup&) = delete;
    TTrayPopup& operator=(const TTrayPopup&) = delete;

    HMENU Handle() const { return FMenu.Get(); }
    bool Checked(UINT command) const;
    void SetChecked(UINT command, bool checked);
    // The DPI the items are measured and drawn at: the monitor's where the menu last opened.
    int Dpi() const { return FDpi; }
    // Runs the menu at the screen point and gives the command chosen, 0 for none.
    UINT Track(HWND owner, POINT at);

private:
    static void DestroyMenuHandle(HMENU menu) { ::DestroyMenu(menu); }
    using UniqueMenu = UniqueHandle<HMENU, DestroyMenuHandle>;

    // Has the items measured again the next time the menu opens.
    void ForgetItemSizes();

    UniqueMenu FMenu;
    int FDpi;
};

// Owner drawing of the menu's items at dpi, each with the coloured margin on its left. Both
// answer false for an item that is not of a menu.
bool MeasureTrayItem(MEASUREITEMSTRUCT& item, int dpi);
bool DrawTrayItem(const DRAWITEMSTRUCT& item, int dpi);
// Paints the margin columns over margin, whose left edge is column 0 and whose right edge is
// the last column.
void TrayPopupDrawMargin(HDC canvas, const RECT& margin);
