// The program's part in its installation. Windows Installer runs the installed program with
// "/close" before it replaces or removes the files, "/reopen" after an install, "/offerstart" at
// the end of an interactive install, "/uninstall" (and "/purge") when it removes the program,
// and "/restore" when such a removal fails and is rolled back. Only a running copy of this very
// program file is ended, through its tray menu's Exit, so it saves its placement and withdraws
// its user-agent token as always; a portable copy elsewhere runs on. Then the values the program
// wrote outside its package go, each only while it belongs to this copy.
#include "app/InstallerSwitches.h"

#include "UniqueKernelHandle.h"
#include "app/ClassRegistration.h"
#include "app/Maker.h"
#include "app/ProgramCopies.h"
#include "app/RemovalBackup.h"
#include "app/TrayIcon.h"
#include "app/TrayRules.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"

#include <windows.h>

#include <string>

namespace {

// Long enough for a user to answer the Exit confirmation a running page fetch asks for.
constexpr DWORD ExitWaitMs = 60000;
constexpr int ExitFailed = 1;

// Set by "/close" when it ended the running copy, for "/reopen": the arguments to start it
// with. Volatile, so that an install that never gets to "/reopen" leaves nothing for long.
constexpr char ClosedCopyKey[] = "SOFTWARE\\Lumivanta Manager\\Closed for the installer";

void RememberClosedCopy(bool hidden)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, ClosedCopyKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        throw ERegistryException::CreateKeyFailed(ClosedCopyKey);
    const UniqueKey closed(key);
    const std::string arguments = hidden ? "-hidden" : "";
    if (::RegSetValueExA(closed.Get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>(arguments.c_str()),
                         static_cast<DWORD>(arguments.size() + 1)) != ERROR_SUCCESS)
        throw ERegistryException::SetDataFailed(ClosedCopyKey);
}

// The copy is closed all the same when this fails; it is only not started again (the failure
// is in the log).
void RememberClosedCopyIfPossible(bool hidden)
{
    try {
        RememberClosedCopy(hidden);
    } catch (const ERegistryException&) {
    }
}

// Ends this program file's running copy through its Exit; true when there was one. A copy that
// does not end in time (its user has not answered the Exit confirmation) is a failure.
bool CloseRunningCopy(bool rememberForReopen)
{
    for (const TRunningCopy& copy : RunningCopies()) {
        if (!IsThisProgramFile(copy.ProgramFile))
            continue;
        DWORD processId = 0;
        ::GetWindowThreadProcessId(copy.MainForm, &processId);
        const UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
        const bool hidden = !::IsWindowVisible(copy.MainForm);
        ::PostMessageA(copy.MainForm, WM_COMMAND, TrayPopupExit, 0);
        if (!process || ::WaitForSingleObject(process.Get(), ExitWaitMs) != WAIT_OBJECT_0)
            throw Exception("The running Lumivanta Manager did not end within 60 seconds: it waits for an answer "
                            "to its Exit, or cannot be waited for");
        if (rememberForReopen)
            RememberClosedCopyIfPossible(hidden);
        return true;
    }
    return false;
}

bool ThisCopyRuns()
{
    for (const TRunningCopy& copy : RunningCopies())
        if (IsThisProgramFile(copy.ProgramFile))
            return true;
    return false;
}

void StartProgram(const std::string& arguments)
{
    std::string commandLine = "\"" + ProgramFileName() + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(ProgramFileName().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          ProgramFolder().c_str(), &startup, &started))
        throw Exception("Lumivanta Manager cannot be started");
    // Not waited for: the program runs on by itself.
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
}

void ReopenClosedCopy()
{
    TRegistry registry;
    if (!registry.OpenForRead(ClosedCopyKey))
        return;
    const std::string arguments = AnsiFromWide(registry.GetText(""));
    registry.Close();
    registry.RemoveKeyTree(ClosedCopyKey);
    StartProgram(arguments);
}

void OfferStart()
{
    // After an upgrade that ended it, "/reopen" has started it again already.
    if (ThisCopyRuns() || ::MessageBoxA(nullptr, "Lumivanta Manager is installed. Start it now?", ProductName,
                                        MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return;
    StartProgram("");
}

// Another copy of the program, elsewhere, keeps its auto-start value.
void RemoveAutoStartOfThisCopy(TRemovalBackup& backup)
{
    TRegistry registry;
    if (!registry.Open(AutoStartKey, false) || !registry.HasValue(AutoStartValueName) ||
        !IsThisProgramFile(AutoStartProgram(AnsiFromWide(registry.GetText(AutoStartValueName)))))
        return;
    backup.KeepValue(HKEY_CURRENT_USER, AutoStartKey, AutoStartValueName);
    registry.RemoveValue(AutoStartValueName);
}

// The token is left by a copy that was killed; while any copy runs, it is that copy's own.
void RemoveLeftUserAgentToken()
{
    TRegistry registry;
    if (RunningCopies().empty() && registry.Open(UserAgentTokenKey, false))
        registry.RemoveValue(UserAgentToken());
}

void CloseSearch(HANDLE search)
{
    ::FindClose(search);
}
using UniqueSearch = UniqueHandle<HANDLE, CloseSearch>;

// A log writer that was killed while it wrote leaves its temporary file beside the log.
void RemoveLeftLogFiles()
{
    WIN32_FIND_DATAA found;
    const HANDLE first = ::FindFirstFileA((ProgramFolder() + "lvl*.tmp").c_str(), &found);
    const UniqueSearch search(first == INVALID_HANDLE_VALUE ? nullptr : first);
    for (bool more = static_cast<bool>(search); more; more = ::FindNextFileA(search.Get(), &found))
        ::DeleteFileA((ProgramFolder() + found.cFileName).c_str());
}

void RemoveUserTraces(bool purge)
{
    TRemovalBackup backup;
    RemoveAutoStartOfThisCopy(backup);
    RemoveLeftUserAgentToken();
    RemoveLeftLogFiles();
    if (purge) {
        backup.KeepTree(HKEY_CURRENT_USER, SettingsKey);
        TRegistry registry;
        registry.RemoveKeyTree(SettingsKey);
    }
    RemoveClassRegistration(&backup);
}

void Run(TInstallerSwitch request)
{
    switch (request) {
    case TInstallerSwitch::OfferStart:
        OfferStart();
        break;
    case TInstallerSwitch::Close:
        CloseRunningCopy(true);
        break;
    case TInstallerSwitch::Reopen:
        ReopenClosedCopy();
        break;
    case TInstallerSwitch::Uninstall:
    case TInstallerSwitch::Purge:
        CloseRunningCopy(false);
        RemoveUserTraces(request == TInstallerSwitch::Purge);
        break;
    case TInstallerSwitch::Restore:
        RestoreRemovedValues();
        break;
    case TInstallerSwitch::None:
        break;
    }
}

}

int RunInstallerSwitch(TInstallerSwitch request)
{
    try {
        Run(request);
        return 0;
    } catch (const std::exception&) {
        return ExitFailed;
    }
}
