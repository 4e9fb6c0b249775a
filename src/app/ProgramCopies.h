#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The program's own file and its running copies, for the switches that must tell this
// installation from a portable copy elsewhere.

// Whether both paths name the same file, in whatever form each was written (short names,
// another letter case).
bool IsSameProgramFile(const std::string& path, const std::string& other);
// Whether path names this program's file.
bool IsThisProgramFile(const std::string& path);

// A running copy in this session: its main window and the program file it runs from (empty
// when the system does not tell).
struct TRunningCopy {
    HWND MainForm = nullptr;
    std::string ProgramFile;
};
std::vector<TRunningCopy> RunningCopies();
