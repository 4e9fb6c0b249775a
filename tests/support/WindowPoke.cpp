// Lets shell tests see and answer the program's windows, as a user would:
//   WindowPoke box TITLE         waits for a message box, prints its text, presses OK
//   WindowPoke end-session       sends the end of the logon session to the application window
//   WindowPoke wait CLASS        waits until a top-level window of that class exists
//   WindowPoke visible CLASS     prints 1 when a window of that class is visible, else 0
//   WindowPoke shown CLASS       waits until a window of that class is visible
//   WindowPoke close CLASS       closes a window of that class as its close box does
//   WindowPoke dialog TEXT ok|cancel [FILE]
//                                waits for a dialog whose title or one of whose controls reads
//                                TEXT, types FILE into its file name box when given, and presses
//                                OK or Cancel
//   WindowPoke tray-menu         opens the tray menu as a right click on the icon does
//   WindowPoke close-menu        closes the open menu as the Esc key does
//   WindowPoke tray-icon         waits until the program's icon is in the notification area
//   WindowPoke tray-item N       opens the tray menu and chooses its Nth item with the keyboard
//   WindowPoke ended             waits until no copy of the program holds its single-instance mutex
// Each waits up to 30 seconds and exits 1 when the window never comes.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND WaitFor(const char* className, const char* title)
{
    for (int i = 0; i < 300; ++i) {
        if (HWND window = ::FindWindowA(className, title))
            return window;
        ::Sleep(100);
    }
    return nullptr;
}

bool WaitUntilShown(const char* className)
{
    for (int i = 0; i < 300; ++i) {
        HWND window = ::FindWindowA(className, nullptr);
        if (window && ::IsWindowVisible(window))
            return true;
        ::Sleep(100);
    }
    return false;
}

// The message the program's tray icon sends its window, with the mouse message in lParam.
constexpr UINT TrayCallbackMessage = WM_APP + 1;
constexpr UINT TrayIconId = 1;

int WaitUntilEnded()
{
    for (int i = 0; i < 300; ++i, ::Sleep(100)) {
        HANDLE mutex = ::OpenMutexA(SYNCHRONIZE, FALSE, "LumivantaMutex");
        if (!mutex)
            return 0;
        ::CloseHandle(mutex);
    }
    return 1;
}

int OpenTrayMenu()
{
    HWND window = WaitFor("TMainForm", nullptr);
    if (!window)
        return 1;
    ::PostMessageA(window, TrayCallbackMessage, TrayIconId, WM_RBUTTONUP);
    return 0;
}

int CloseMenu()
{
    HWND menu = WaitFor("#32768", nullptr);
    if (!menu)
        return 1;
    ::PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
}

// Only an icon that is there can be modified.
int WaitForTrayIcon()
{
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = WaitFor("TMainForm", nullptr);
    data.uID = TrayIconId;
    for (int i = 0; data.hWnd && i < 300; ++i, ::Sleep(100))
        if (::Shell_NotifyIconA(NIM_MODIFY, &data))
            return 0;
    return 1;
}

int ChooseTrayItem(int position)
{
    HWND menu = OpenTrayMenu() == 0 ? WaitFor("#32768", nullptr) : nullptr;
    if (!menu)
        return 1;
    for (int i = 0; i < position; ++i)
        ::PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    for (int i = 0; i < 300 && ::IsWindowVisible(menu); ++i)
        ::Sleep(100);
    return ::IsWindowVisible(menu) ? 1 : 0;
}

int AnswerBox(const char* title)
{
    HWND box = WaitFor("#32770", title);
    if (!box)
        return 1;
    char text[512] = {};
    ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    std::printf("%s\n", text);
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    return 0;
}

struct TDialogSearch {
    const char* Text;
    HWND Found = nullptr;
};

bool HasText(HWND window, const char* text)
{
    char actual[512] = {};
    ::GetWindowTextA(window, actual, sizeof actual);
    return std::strcmp(actual, text) == 0;
}

BOOL CALLBACK FindControlText(HWND control, LPARAM search)
{
    return !HasText(control, reinterpret_cast<TDialogSearch*>(search)->Text);
}

BOOL CALLBACK FindDialog(HWND window, LPARAM search)
{
    auto& wanted = *reinterpret_cast<TDialogSearch*>(search);
    char className[16] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") != 0 || !::IsWindowVisible(window))
        return TRUE;
    if (HasText(window, wanted.Text) || !::EnumChildWindows(window, FindControlText, search))
        wanted.Found = window;
    return !wanted.Found;
}

HWND WaitForDialog(const char* text)
{
    for (int i = 0; i < 300; ++i) {
        TDialogSearch search{text};
        ::EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.Found)
            return search.Found;
        ::Sleep(100);
    }
    return nullptr;
}

// The file name box: an edit control (edt1), or the edit inside the combo box cmb13, which
// Wine wraps in a ComboBoxEx.
HWND FileNameBox(HWND dialog)
{
    HWND control = ::GetDlgItem(dialog, 0x480);
    if (!control)
        control = ::GetDlgItem(dialog, 0x47C);
    for (; control; control = ::GetWindow(control, GW_CHILD)) {
        char className[16] = {};
        ::GetClassNameA(control, className, sizeof className);
        if (std::strcmp(className, "Edit") == 0)
            return control;
    }
    return nullptr;
}

int AnswerDialog(const char* text, const char* button, const char* fileName)
{
    HWND dialog = WaitForDialog(text);
    if (!dialog)
        return 1;
    // The dialog selects its start values while it initialises; answer once it has settled.
    ::Sleep(500);
    if (fileName) {
        HWND box = FileNameBox(dialog);
        if (!box)
            return 1;
        ::SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName));
    }
    const int id = std::strcmp(button, "ok") == 0 ? IDOK : IDCANCEL;
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
    // Gone before the next answer looks for a dialog of the same title.
    for (int i = 0; i < 300 && ::IsWindow(dialog); ++i)
        ::Sleep(100);
    return ::IsWindow(dialog) ? 1 : 0;
}

}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "box") == 0)
        return AnswerBox(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "end-session") == 0) {
        HWND application = WaitFor("TApplication", nullptr);
        if (!application)
            return 1;
        ::SendMessageA(application, WM_ENDSESSION, TRUE, 0);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "close") == 0) {
        HWND window = WaitFor(argv[2], nullptr);
        if (window)
            ::PostMessageA(window, WM_CLOSE, 0, 0);
        return window ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "wait") == 0)
        return WaitFor(argv[2], nullptr) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "visible") == 0) {
        HWND window = WaitFor(argv[2], nullptr);
        std::printf("%d\n", window && ::IsWindowVisible(window) ? 1 : 0);
        return window ? 0 : 1;
    }
    if (argc == 3 && std::strcmp(argv[1], "shown") == 0)
        return WaitUntilShown(argv[2]) ? 0 : 1;
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "dialog") == 0)
        return AnswerDialog(argv[2], argv[3], argc == 5 ? argv[4] : nullptr);
    if (argc == 2 && std::strcmp(argv[1], "tray-menu") == 0)
        return OpenTrayMenu();
    if (argc == 2 && std::strcmp(argv[1], "close-menu") == 0)
        return CloseMenu();
    if (argc == 2 && std::strcmp(argv[1], "tray-icon") == 0)
        return WaitForTrayIcon();
    if (argc == 3 && std::strcmp(argv[1], "tray-item") == 0)
        return ChooseTrayItem(std::atoi(argv[2]));
    if (argc == 2 && std::strcmp(argv[1], "ended") == 0)
        return WaitUntilEnded();
    std::fprintf(stderr, "usage: WindowPoke box TITLE | end-session | wait CLASS | visible CLASS | shown CLASS"
                         " | dialog TEXT ok|cancel [FILE] | tray-menu | close-menu | tray-icon | tray-item N | ended\n");
    return 2;
}
