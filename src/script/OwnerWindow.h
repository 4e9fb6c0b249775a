#pragma once

#include <windows.h>

// The program's owner window: the application's hidden top-level window, which owns the main
// window and every dialog. The application names it at start-up; where there is none (lvscript,
// tests that run scripts alone) it is null and dialogs have no owner.
HWND ProgramOwnerWindow();
void SetProgramOwnerWindow(HWND window);
