// Lets shell tests see and answer the program's windows, as a user would:
//   WindowPoke box TITLE         waits for a message box, prints its text, presses OK
//   WindowPoke end-session       sends the end of the logon session to the application window
//   WindowPoke wait CLASS        waits until a top-level window of that class exists
//   WindowPoke visible CLASS     prints 1 when a window of that class is visible, else 0
// Each waits up to 30 seconds and exits 1 when the window never comes.
#include <windows.h>

#include <cstdio>
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
    if (argc == 3 && std::strcmp(argv[1], "wait") == 0)
        return WaitFor(argv[2], nullptr) ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "visible") == 0) {
        HWND window = WaitFor(argv[2], nullptr);
        std::printf("%d\n", window && ::IsWindowVisible(window) ? 1 : 0);
        return window ? 0 : 1;
    }
    std::fprintf(stderr, "usage: WindowPoke box TITLE | end-session | wait CLASS | visible CLASS\n");
    return 2;
}
