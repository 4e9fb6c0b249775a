#include "app/TrayIcon.h"

#include "app/TrayRules.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// The icon as the program's resource script names it.
constexpr WORD ProgramIconId = 1;
constexpr UINT TrayIconId = 1;

// At 96 DPI.
constexpr int SeparatorHeight = 9;
constexpr int TextPadding = 4;

int MarginWidth(int dpi)
{
    return ScaledForDpi(TrayMarginWidth, dpi);
}

// Where an item's own drawing starts, right of the margin's last column.
int ItemLeft(int dpi)
{
    return MarginWidth(dpi) + 1;
}

void ReleaseScreenDC(HDC dc)
{
    ::ReleaseDC(nullptr, dc);
}
using UniqueScreenDC = UniqueHandle<HDC, ReleaseScreenDC>;

struct TMenuEntry {
    UINT Command;
    const char* Caption;
};

// nullptr captions are the separators.
constexpr TMenuEntry MenuEntries[] = {
    {TrayPopupTweak, "TWEAK!"},
    {TrayPopupAutoStart, "Launch on Windows startup"},
    {0, nullptr},
    {TrayPopupHomepage, "Lumivanta Homepage"},
    {TrayContactUs, "Contact Us"},
    {0, nullptr},
    {TrayPopupExit, "Exit"},
};

UniqueFont CheckMarkFont(int height)
{
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfCharSet = SYMBOL_CHARSET;
    std::strcpy(font.lfFaceName, "Marlett");
    return UniqueFont(::CreateFontIndirectA(&font));
}

int CheckWidth(int dpi)
{
    return SystemMetricForDpi(SM_CXMENUCHECK, dpi);
}

// Selects an object into a DC for as long as the value lives.
class TSelection {
public:
    TSelection(HDC dc, HGDIOBJ object) : FDC(dc), FOld(::SelectObject(dc, object)) {}
    ~TSelection() { ::SelectObject(FDC, FOld); }
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;

private:
    HDC FDC;
    HGDIOBJ FOld;
};

void DrawSeparator(HDC dc, RECT area)
{
    area.top += (area.bottom - area.top) / 2;
    ::DrawEdge(dc, &area, EDGE_ETCHED, BF_TOP);
}

void DrawCheckMark(HDC dc, RECT area, int dpi)
{
    area.right = area.left + CheckWidth(dpi);
    const UniqueFont font = CheckMarkFont(area.bottom - area.top);
    const TSelection selection(dc, font.Get());
    // "a" is the check mark in the Marlett font.
    ::DrawTextA(dc, "a", 1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawCaption(HDC dc, const DRAWITEMSTRUCT& item, RECT area, int dpi)
{
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(dc, &area, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    ::SetBkMode(dc, TRANSPARENT);
    const int textColour = (item.itemState & ODS_GRAYED) ? COLOR_GRAYTEXT
                           : selected                    ? COLOR_HIGHLIGHTTEXT
                                                         : COLOR_MENUTEXT;
    ::SetTextColor(dc, ::GetSysColor(textColour));
    area.left += ScaledForDpi(TextPadding, dpi);
    if (item.itemState & ODS_CHECKED)
        DrawCheckMark(dc, area, dpi);
    area.left += CheckWidth(dpi) + ScaledForDpi(TextPadding, dpi);
    const UniqueFont font = MenuFontForDpi(dpi);
    const TSelection selection(dc, font.Get());
    const auto* caption = reinterpret_cast<const char*>(item.itemData);
    ::DrawTextA(dc, caption, -1, &area, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

}

TTrayIcon::TTrayIcon(HWND window, const char* tip)
    // The notification area shows small icons at the system DPI, as LoadIconMetric loads them.
    : FWindow(window), FIcon(IconForDpi(::GetModuleHandleA(nullptr), ProgramIconId, SM_CXSMICON, SystemDpi())),
      FTip(tip)
{
    Add();
}

TTrayIcon::~TTrayIcon()
{
    NOTIFYICONDATAA data = Data();
    ::Shell_NotifyIconA(NIM_DELETE, &data);
}

bool TTrayIcon::Add()
{
    NOTIFYICONDATAA data = Data();
    return ::Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
}

bool TTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = FWindow;
    data.uID = TrayIconId;
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    ::lstrcpynW(data.szInfoTitle, title.c_str(), static_cast<int>(std::size(data.szInfoTitle)));
    ::lstrcpynW(data.szInfo, text.c_str(), static_cast<int>(std::size(data.szInfo)));
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

NOTIFYICONDATAA TTrayIcon::Data() const
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = FWindow;
    data.uID = TrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = TrayCallbackMessage;
    data.hIcon = FIcon.Get();
    ::lstrcpynA(data.szTip, FTip, static_cast<int>(std::size(data.szTip)));
    return data;
}

// Until it first opens, the menu would open on the primary monitor, where the notification area is.
TTrayPopup::TTrayPopup() : FMenu(::CreatePopupMenu()), FDpi(DpiAtPoint({0, 0}))
{
    UINT position = 0;
    for (const TMenuEntry& entry : MenuEntries) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
        info.fType = MFT_OWNERDRAW | (entry.Caption ? 0 : MFT_SEPARATOR);
        info.wID = entry.Command;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(entry.Caption);
        ::InsertMenuItemA(Handle(), position++, TRUE, &info);
    }
}

bool TTrayPopup::Checked(UINT command) const
{
    return (::GetMenuState(Handle(), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void TTrayPopup::SetChecked(UINT command, bool checked)
{
    ::CheckMenuItem(Handle(), command, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TTrayPopup::ForgetItemSizes()
{
    // Changing an item's type is a change of the menu, which has its items measured anew.
    for (int position = 0; position < ::GetMenuItemCount(Handle()); ++position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        ::GetMenuItemInfoA(Handle(), position, TRUE, &info);
        ::SetMenuItemInfoA(Handle(), position, TRUE, &info);
    }
}

UINT TTrayPopup::Track(HWND owner, POINT at)
{
    if (const int dpi = DpiAtPoint(at); dpi != FDpi) {
        FDpi = dpi;
        ForgetItemSizes();
    }
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(Handle(), TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, owner, nullptr));
    // Without a message after the menu, its next opening from the tray can close at once.
    ::PostMessageA(owner, WM_NULL, 0, 0);
    return command;
}

bool MeasureTrayItem(MEASUREITEMSTRUCT& item, int dpi)
{
    if (item.CtlType != ODT_MENU)
        return false;
    const auto* caption = reinterpret_cast<const char*>(item.itemData);
    if (!caption) {
        item.itemWidth = static_cast<UINT>(ItemLeft(dpi));
        item.itemHeight = static_cast<UINT>(ScaledForDpi(SeparatorHeight, dpi));
        return true;
    }
    const UniqueScreenDC dc(::GetDC(nullptr));
    const UniqueFont font = MenuFontForDpi(dpi);
    const TSelection selection(dc.Get(), font.Get());
    SIZE text{};
    ::GetTextExtentPoint32A(dc.Get(), caption, static_cast<int>(std::strlen(caption)), &text);
    const int padding = ScaledForDpi(TextPadding, dpi);
    item.itemWidth = static_cast<UINT>(ItemLeft(dpi) + 3 * padding + CheckWidth(dpi) + text.cx);
    item.itemHeight = static_cast<UINT>(std::max<int>(text.cy + padding, SystemMetricForDpi(SM_CYMENUCHECK, dpi)));
    return true;
}

bool DrawTrayItem(const DRAWITEMSTRUCT& item, int dpi)
{
    if (item.CtlType != ODT_MENU)
        return false;
    const RECT& area = item.rcItem;
    TrayPopupDrawMargin(item.hDC, {area.left, area.top, area.left + MarginWidth(dpi), area.bottom});
    const RECT rest{area.left + ItemLeft(dpi), area.top, area.right, area.bottom};
    if (item.itemData)
        DrawCaption(item.hDC, item, rest, dpi);
    else {
        ::FillRect(item.hDC, &rest, ::GetSysColorBrush(COLOR_MENU));
        DrawSeparator(item.hDC, rest);
    }
    return true;
}

void TrayPopupDrawMargin(HDC canvas, const RECT& margin)
{
    for (int x = margin.right; x >= margin.left; --x) {
        const COLORREF colour = TrayMarginColour(x - margin.left, margin.right - margin.left);
        const RECT column{x, margin.top, x + 1, margin.bottom};
        ::SetDCBrushColor(canvas, colour);
        ::FillRect(canvas, &column, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    }
}
