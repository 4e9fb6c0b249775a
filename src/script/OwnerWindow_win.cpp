#include "script/OwnerWindow.h"

namespace {

HWND Owner = nullptr;

}

HWND ProgramOwnerWindow()
{
    return Owner;
}

void SetProgramOwnerWindow(HWND window)
{
    Owner = window;
}
