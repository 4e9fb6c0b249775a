#pragma once

#include "UniqueHandle.h"

#include <windows.h>

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

private:
    static void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
    using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;

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
    // Runs the menu at the screen point and gives the command chosen, 0 for none.
    UINT Track(HWND owner, POINT at) const;

private:
    static void DestroyMenuHandle(HMENU menu) { ::DestroyMenu(menu); }
    using UniqueMenu = UniqueHandle<HMENU, DestroyMenuHandle>;

    UniqueMenu FMenu;
};

// Owner drawing of the menu's items, each with the coloured margin on its left. Both answer
// false for an item that is not of a menu.
bool MeasureTrayItem(MEASUREITEMSTRUCT& item);
bool DrawTrayItem(const DRAWITEMSTRUCT& item);
// Paints the margin columns over margin, whose left edge is column 0.
void TrayPopupDrawMargin(HDC canvas, const RECT& margin);
