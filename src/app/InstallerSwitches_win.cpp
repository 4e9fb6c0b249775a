// The program's part in its installation. The installer runs the installed program with
// "/offerstart" at the end of an interactive install, "/close" before an upgrade, and
// "/uninstall" (and "/purge") before removing it. The running copy, if any, ends through its
// tray menu's Exit, so it saves its placement and withdraws its user-agent token as always;
// then the values the program wrote outside its package go.
#include "app/InstallerSwitches.h"

#include "UniqueKernelHandle.h"
#include "app/Maker.h"
#include "app/TrayIcon.h"
#include "app/TrayRules.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"

#include <windows.h>

#include <string>

namespace {

// Long enough for a user to answer the Exit confirmation a running page fetch asks for.
constexpr DWORD ExitWaitMs = 60000;

bool CloseRunningCopy()
{
    HWND mainForm = ::FindWindowA("TMainForm", ProductName);
    if (!mainForm)
        return true;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(mainForm, &processId);
    UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    ::PostMessageA(mainForm, WM_COMMAND, TrayPopupExit, 0);
    return process && ::WaitForSingleObject(process.Get(), ExitWaitMs) == WAIT_OBJECT_0;
}

std::string LongPath(const std::string& path)
{
    char longPath[MAX_PATH];
    const DWORD n = ::GetLongPathNameA(path.c_str(), longPath, sizeof longPath);
    return n > 0 && n < sizeof longPath ? std::string(longPath, n) : path;
}

bool SameFile(const std::string& a, const std::string& b)
{
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, LongPath(a).c_str(), -1, LongPath(b).c_str(), -1) ==
           CSTR_EQUAL;
}

// Another copy of the program, elsewhere, keeps its auto-start value.
void RemoveAutoStartOfThisCopy(TRegistry& registry)
{
    if (registry.Open(AutoStartKey, false) && registry.HasValue(AutoStartValueName) &&
        SameFile(AutoStartProgram(AnsiFromWide(registry.GetText(AutoStartValueName))), ProgramFileName()))
        registry.RemoveValue(AutoStartValueName);
    registry.Close();
}

void OfferStart()
{
    if (::MessageBoxA(nullptr, "Lumivanta Manager is installed. Start it now?", ProductName,
                      MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return;
    std::string commandLine = "\"" + ProgramFileName() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (::CreateProcessA(ProgramFileName().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         ProgramFolder().c_str(), &startup, &started)) {
        // Not waited for: the program runs on by itself.
        UniqueKernelHandle process(started.hProcess);
        UniqueKernelHandle thread(started.hThread);
    }
}

void RemoveUserTraces(bool purge)
{
    TRegistry registry;
    RemoveAutoStartOfThisCopy(registry);
    if (registry.Open(UserAgentTokenKey, false))
        registry.RemoveValue(UserAgentToken());
    registry.Close();
    if (purge)
        registry.RemoveKeyTree(SettingsKey);
}

}

int RunInstallerSwitch(TInstallerSwitch request)
{
    if (request == TInstallerSwitch::OfferStart) {
        OfferStart();
        return 0;
    }
    if (!CloseRunningCopy())
        return 1;
    if (request != TInstallerSwitch::Close) {
        try {
            RemoveUserTraces(request == TInstallerSwitch::Purge);
        } catch (const ERegistryException&) {
            return 1;
        }
    }
    return 0;
}
