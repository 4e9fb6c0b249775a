// The tray icon and its menu on a real main window, under a display: the notification area,
// the owner-drawn menu, the Run value and Exit. Every test keeps the values the window and the
// menu write as they were.
#include "app/Application.h"
#include "app/MainForm.h"
#include "app/ProgramWindows.h"
#include "app/TrayIcon.h"
#include "app/TrayRules.h"
#include "protocol/MyLVHandler.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"
#include "script/MessageLoop.h"

#include "support/Display.h"
#include "support/ImportPatch.h"
#include "support/KeptValue.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

constexpr char RunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char AutoStartValue[] = "LumivantaMgr";
constexpr char SettingsKey[] = "SOFTWARE\\Lumivanta Manager";
constexpr char PlacementValue[] = "MainFormSettings";
constexpr char PostPlatformKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";
constexpr char TokenName[] = "Lumivanta Manager [www.lumivanta.com]";
constexpr UINT OurIconId = 1;


// Whether the notification area holds an icon of ours for window: only a present icon can be
// modified.
bool HasTrayIcon(HWND window)
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = OurIconId;
    data.uFlags = NIF_TIP;
    ::lstrcpynA(data.szTip, "Lumivanta Manager", sizeof data.szTip);
    return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void RemoveTrayIcon(HWND window)
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = OurIconId;
    ::Shell_NotifyIconA(NIM_DELETE, &data);
}

bool QuitPosted()
{
    MSG message{};
    return ::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

// What a timer saw of the open menu or message box, the timer running inside its modal loop.
struct TSeen {
    bool MenuOpen = false;
    bool AutoStartChecked = false;
    bool BoxOpen = false;
    std::string BoxText;
    UINT BoxDefault = 0;
    bool BoxHasYesAndNo = false;
};
TSeen Seen;
HMENU SeenMenu = nullptr;
UINT BoxAnswer = IDNO;

// The windows the program asks to bring forward; the foreground itself is the whole desktop's,
// which tests running beside this one may take at any moment.
std::vector<HWND> BroughtForward;
decltype(&::SetForegroundWindow) SetForegroundWindowOriginal;

BOOL WINAPI RecordForeground(HWND window)
{
    BroughtForward.push_back(window);
    return SetForegroundWindowOriginal(window);
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND menu = ::FindWindowA("#32768", nullptr);
    if (!menu || !::IsWindowVisible(menu))
        return;
    ::KillTimer(nullptr, timer);
    Seen.MenuOpen = true;
    Seen.AutoStartChecked = (::GetMenuState(SeenMenu, TrayPopupAutoStart, MF_BYCOMMAND) & MF_CHECKED) != 0;
    ::EndMenu();
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR timer, DWORD)
{
    const HWND box = ::FindWindowA("#32770", "COM Server Warning");
    if (!box)
        return;
    ::KillTimer(nullptr, timer);
    Seen.BoxOpen = true;
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    Seen.BoxText = text;
    for (const UINT button : {IDYES, IDNO})
        if ((::GetWindowLongA(::GetDlgItem(box, button), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            Seen.BoxDefault = button;
    Seen.BoxHasYesAndNo = ::GetDlgItem(box, IDYES) && ::GetDlgItem(box, IDNO) && !::GetDlgItem(box, IDOK);
    ::PostMessageA(box, WM_COMMAND, BoxAnswer, 0);
}

// OLE, the application object, the shared registry and the handler's factory registered with
// COM, as the program's entry point has them before it makes the main window.
class TrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        CreateSharedRegistry();
        ComPtr<IClassFactory> factory(new TMyLVHandlerFactory);
        ASSERT_EQ(::CoRegisterClassObject(CLSID_MyLVHandler, factory.Get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                          &FactoryCookie),
                  S_OK);
        Seen = {};
        Form = &Windows.emplace(Debugger).MainForm();
        SeenMenu = Form->TrayPopup();
    }
    void TearDown() override
    {
        Windows.reset();
        ::CoRevokeClassObject(FactoryCookie);
        FreeSharedRegistry();
        ::OleUninitialize();
        QuitPosted();
    }

    // Opens the menu as a right click on the icon does, and closes it once it is seen open.
    void OpenAndCloseMenu()
    {
        Seen = {};
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseMenu);
        ::SendMessageA(Form->Handle(), TrayCallbackMessage, OurIconId, WM_RBUTTONUP);
        ::KillTimer(nullptr, timer);
        ProcessPendingMessages();
    }
    // Chooses Exit, the timer answering the confirmation with answer if it comes.
    void ChooseExit(UINT answer)
    {
        Seen = {};
        BoxAnswer = answer;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, AnswerBox);
        Form->TrayPopupClick(TrayPopupExit);
        ::KillTimer(nullptr, timer);
    }

    TKeptValue KeptPlacement{SettingsKey, PlacementValue};
    TKeptValue KeptPlacementDpi{SettingsKey, "MainFormDpi"};
    TKeptValue KeptToken{PostPlatformKey, TokenName};
    DWORD FactoryCookie = 0;
    TJclDebugHandler Debugger{[] { return std::string("test"); }};
    std::optional<TProgramWindows> Windows;
    TMainForm* Form = nullptr;
};

TEST_F(TrayTest, TheIconIsThereFromCreationToDestructionAndComesBackWhenTheShellRestarts)
{
    const HWND window = Form->Handle();
    EXPECT_TRUE(HasTrayIcon(window));
    EXPECT_EQ(IconWidth(Form->TrayIcon().Icon()), ::GetSystemMetrics(SM_CXSMICON)) << "the shell's size at its DPI";

    RemoveTrayIcon(window);
    ASSERT_FALSE(HasTrayIcon(window)) << "a missing icon cannot be modified";
    ::SendMessageA(window, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(HasTrayIcon(window));

    Windows.reset();
    EXPECT_FALSE(HasTrayIcon(window));
}

TEST_F(TrayTest, TheMenuHasTheSevenOwnerDrawnItemsInOrderAndNoDefault)
{
    const HMENU menu = Form->TrayPopup();
    ASSERT_EQ(::GetMenuItemCount(menu), 7);
    const std::vector<std::pair<UINT, const char*>> expected{{TrayPopupTweak, "TWEAK!"},
                                                             {TrayPopupAutoStart, "Launch on Windows startup"},
                                                             {0, nullptr},
                                                             {TrayPopupHomepage, "Lumivanta Homepage"},
                                                             {TrayContactUs, "Contact Us"},
                                                             {0, nullptr},
                                                             {TrayPopupExit, "Exit"}};
    for (UINT i = 0; i < expected.size(); ++i) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
        ASSERT_TRUE(::GetMenuItemInfoA(menu, i, TRUE, &info));
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << "item " << i;
        const auto* caption = reinterpret_cast<const char*>(info.dwItemData);
        if (!expected[i].second) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << "item " << i;
            EXPECT_EQ(caption, nullptr);
            continue;
        }
        EXPECT_EQ(info.wID, expected[i].first) << "item " << i;
        ASSERT_NE(caption, nullptr) << "item " << i;
        EXPECT_STREQ(caption, expected[i].second);
    }
    EXPECT_EQ(::GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(-1));
}

// The margin's 21 columns at 96 DPI are as many more as the screen's scale asks, spanning the
// same colours.
TEST_F(TrayTest, ItemsAreMeasuredAndDrawnThroughTheWindowWithTheGreenMarginAtTheScreensScale)
{
    const int margin = ::MulDiv(TrayMarginWidth, ScreenDpi(), 96);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    ASSERT_TRUE(::GetMenuItemInfoA(Form->TrayPopup(), TrayPopupTweak, FALSE, &info));

    MEASUREITEMSTRUCT measure{ODT_MENU, 0, TrayPopupTweak, 0, 0, info.dwItemData};
    EXPECT_EQ(::SendMessageA(Form->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure)), TRUE);
    EXPECT_GT(measure.itemWidth, static_cast<UINT>(margin + 20));
    EXPECT_GT(measure.itemHeight, 8u);
    MEASUREITEMSTRUCT separator{ODT_MENU, 0, 0, 0, 0, 0};
    EXPECT_EQ(::SendMessageA(Form->Handle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&separator)), TRUE);
    EXPECT_GT(separator.itemHeight, 0u);

    constexpr int Width = 120;
    constexpr int Height = 24;
    const HDC screen = ::GetDC(nullptr);
    const HDC canvas = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, Width, Height);
    ::ReleaseDC(nullptr, screen);
    const HGDIOBJ old = ::SelectObject(canvas, bitmap);
    const RECT all{0, 0, Width, Height};
    ::FillRect(canvas, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));

    DRAWITEMSTRUCT draw{ODT_MENU, 0, TrayPopupTweak, ODA_DRAWENTIRE, 0, nullptr, canvas, all, info.dwItemData};
    draw.hwndItem = reinterpret_cast<HWND>(Form->TrayPopup());
    EXPECT_EQ(::SendMessageA(Form->Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw)), TRUE);
    for (int y : {0, Height / 2, Height - 1})
        for (int x = 0; x <= margin; ++x)
            EXPECT_EQ(::GetPixel(canvas, x, y), TrayMarginColour(x, margin)) << "column " << x << ", row " << y;
    EXPECT_EQ(::GetPixel(canvas, 0, 0), 0x226522u) << "green 101 at the left edge";
    EXPECT_EQ(::GetPixel(canvas, margin, 0), 0x22DD22u) << "green 221 at the right edge";
    EXPECT_EQ(::GetPixel(canvas, margin + 1, 0), ::GetSysColor(COLOR_MENU)) << "the item starts right of the margin";

    ::SelectObject(canvas, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(canvas);
}

TEST_F(TrayTest, TheAutoStartItemTogglesTheRunValueAndItsCheckMarkFollowsTheValue)
{
    const TKeptValue kept(RunKey, AutoStartValue);
    if (!HasKey(RunKey)) {
        Form->TrayPopupClick(TrayPopupAutoStart);
        EXPECT_FALSE(HasKey(RunKey)) << "the click never makes the Run key";
        OpenAndCloseMenu();
        EXPECT_FALSE(Seen.AutoStartChecked);
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, RunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(key);
    }
    DeleteValue(RunKey, AutoStartValue);

    OpenAndCloseMenu();
    ASSERT_TRUE(Seen.MenuOpen) << "the menu never opened";
    EXPECT_FALSE(Seen.AutoStartChecked);
    Form->TrayPopupClick(TrayPopupAutoStart);
    const std::optional<TRawValue> written = ReadValue(RunKey, AutoStartValue);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Type, DWORD{REG_SZ});
    EXPECT_EQ(written->Data, "\"" + ProgramFileName() + "\" -hidden" + '\0');

    OpenAndCloseMenu();
    EXPECT_TRUE(Seen.AutoStartChecked);
    Form->TrayPopupClick(TrayPopupAutoStart);
    EXPECT_FALSE(ReadValue(RunKey, AutoStartValue));

    WriteValue(RunKey, AutoStartValue, REG_SZ, std::string("C:\\old place\\LumivantaManager.exe -hidden") + '\0');
    OpenAndCloseMenu();
    EXPECT_TRUE(Seen.AutoStartChecked) << "any data counts";
    Form->TrayPopupClick(TrayPopupAutoStart);
    EXPECT_FALSE(ReadValue(RunKey, AutoStartValue));
}

TEST_F(TrayTest, ExitWithNoHandlerAliveEndsTheMessageLoopWithoutAsking)
{
    QuitPosted();
    ASSERT_EQ(ActiveHandlerCount(), 0);
    ChooseExit(IDNO);
    EXPECT_FALSE(Seen.BoxOpen);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(TrayTest, ExitWhileAHandlerIsAliveAsksFirstAndNoKeepsTheProgramRunning)
{
    QuitPosted();
    ComPtr<IUnknown> handler;
    ASSERT_EQ(TMyLVHandler::Create(nullptr, IID_IUnknown, reinterpret_cast<void**>(handler.GetAddressOf())), S_OK);
    ASSERT_GT(ActiveHandlerCount(), 0);

    ChooseExit(IDNO);
    ASSERT_TRUE(Seen.BoxOpen) << "no confirmation came";
    EXPECT_EQ(Seen.BoxText,
              "There are still active COM objects in this application.  One or more clients may have references to "
              "these objects, so manually closing this application may cause those client application(s) to "
              "fail.\r\n\r\nAre you sure you want to close this application?");
    EXPECT_TRUE(Seen.BoxHasYesAndNo);
    EXPECT_EQ(Seen.BoxDefault, static_cast<UINT>(IDNO));
    EXPECT_FALSE(QuitPosted());
    EXPECT_TRUE(::IsWindow(Form->Handle()));

    ChooseExit(IDYES);
    EXPECT_TRUE(Seen.BoxOpen);
    EXPECT_TRUE(QuitPosted());
}

TEST_F(TrayTest, DoubleClickAndTweakShowTheHiddenOrMinimisedWindowAndTheMenuLeavesItBehind)
{
    ASSERT_FALSE(Form->Visible());
    ::SendMessageA(Form->Handle(), TrayCallbackMessage, OurIconId, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Form->Visible());
    const TImportPatch foreground("user32.dll", "SetForegroundWindow", &RecordForeground);
    SetForegroundWindowOriginal = foreground.Original();
    BroughtForward.clear();
    OpenAndCloseMenu();
    EXPECT_TRUE(Seen.MenuOpen);
    EXPECT_EQ(BroughtForward, std::vector<HWND>{Application().Handle()}) << "the program's own hidden window, for the menu";

    ::SendMessageA(Form->Handle(), WM_CLOSE, 0, 0);
    ASSERT_FALSE(Form->Visible());
    Form->TrayPopupClick(TrayPopupTweak);
    EXPECT_TRUE(Form->Visible());

    ::ShowWindow(Form->Handle(), SW_MINIMIZE);
    ::SendMessageA(Form->Handle(), TrayCallbackMessage, OurIconId, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(::IsIconic(Form->Handle()));
}

}
