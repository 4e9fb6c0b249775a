#include "app/ProgramCopies.h"

#include "UniqueKernelHandle.h"
#include "app/Maker.h"
#include "script/ProgramValues.h"

namespace {

std::string LongPath(const std::string& path)
{
    char longPath[MAX_PATH];
    const DWORD n = ::GetLongPathNameA(path.c_str(), longPath, sizeof longPath);
    return n > 0 && n < sizeof longPath ? std::string(longPath, n) : path;
}

std::string ProgramFileOfProcess(DWORD processId)
{
    const UniqueKernelHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    char path[MAX_PATH];
    DWORD size = sizeof path;
    return process && ::QueryFullProcessImageNameA(process.Get(), 0, path, &size) ? std::string(path, size)
                                                                                   : std::string();
}

BOOL CALLBACK AddIfMainForm(HWND window, LPARAM copies)
{
    char className[16];
    char title[32];
    if (::GetClassNameA(window, className, sizeof className) && std::string(className) == "TMainForm" &&
        ::GetWindowTextA(window, title, sizeof title) && std::string(title) == ProductName) {
        DWORD processId = 0;
        ::GetWindowThreadProcessId(window, &processId);
        reinterpret_cast<std::vector<TRunningCopy>*>(copies)->push_back({window, ProgramFileOfProcess(processId)});
    }
    return TRUE;
}

}

bool IsSameProgramFile(const std::string& path, const std::string& other)
{
    return !path.empty() && ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, LongPath(path).c_str(), -1,
                                             LongPath(other).c_str(), -1) == CSTR_EQUAL;
}

bool IsThisProgramFile(const std::string& path)
{
    return IsSameProgramFile(path, ProgramFileName());
}

std::vector<TRunningCopy> RunningCopies()
{
    std::vector<TRunningCopy> copies;
    ::EnumWindows(AddIfMainForm, reinterpret_cast<LPARAM>(&copies));
    return copies;
}
