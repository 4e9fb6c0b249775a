// Kept running, hidden, for the whole of a Wine test session: with one of our own
// processes alive, Wine's background services stay up between tests, so each test
// starts in tenths of a second and no test's output pipe is held open by them.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "LumivantaWineKeeper";
    if (!RegisterClassA(&windowClass))
        return 1;
    if (!CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr))
        return 1;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
