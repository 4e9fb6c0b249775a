// The program's part in its installation. Windows Installer runs the copy of the program that the
// package carries with "/close PROGRAM PRODUCTCODE" before it replaces or removes the files (an
// older version's program may not know the switch, or may not be found where this one looks), and
// with "/reopen PROGRAM PRODUCTCODE" when it is done, whether it succeeded, failed or was
// cancelled: the program that is then in place starts again as it ran, and the note of the closed
// copy goes either way. It runs the installed program with "/offerstart" at the end of an
// interactive install, "/uninstall" (and "/purge") when it removes the program, "/restore" when
// such a removal fails and is rolled back, and the carried copy with "/dropbackup" once it
// succeeded. Only a running copy of the named program file is ended, through its tray menu's Exit,
// so it saves its placement and withdraws its user-agent token as always; a portable copy elsewhere
// runs on. Then the values the program wrote outside its package go, each only while it belongs to
// this copy.
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

#include <optional>
#include <string>

namespace {

// Long enough for a user to answer the Exit confirmation a running page fetch asks for.
constexpr DWORD ExitWaitMs = 60000;
constexpr int ExitFailed = 1;

// Set by "/close" when it ended the running copy, for "/reopen": the arguments to start it
// with, and the package that closed it, since only that one starts it again (Wine removes the
// version an upgrade replaces as a removal of its own, whose "/reopen" would find the note).
// Volatile, so that an install that never gets to "/reopen" leaves nothing for long. Not among
// the settings, which a removal with "/purge" takes away and a failed one puts back.
constexpr char ClosedCopyKey[] = "SOFTWARE\\Lumivanta Manager Closed for the installer";
constexpr char ClosingPackageValue[] = "Package";
// Where version 1.0.2 kept it; a removal that failed put it back there for good.
constexpr char FormerClosedCopyKey[] = "SOFTWARE\\Lumivanta Manager\\Closed for the installer";

void PutText(HKEY key, const char* name, const std::string& text)
{
    if (::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1)) != ERROR_SUCCESS)
        throw ERegistryException::SetDataFailed(name);
}

void RememberClosedCopy(bool hidden, const std::string& package)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, ClosedCopyKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        throw ERegistryException::CreateKeyFailed(ClosedCopyKey);
    const UniqueKey closed(key);
    PutText(closed.Get(), "", hidden ? "-hidden" : "");
    PutText(closed.Get(), ClosingPackageValue, package);
}

// The copy is closed all the same when this fails; it is only not started again (the failure
// is in the log).
void RememberClosedCopyIfPossible(bool hidden, const std::string& package)
{
    try {
        RememberClosedCopy(hidden, package);
    } catch (const ERegistryException&) {
    }
}

void ForgetClosedCopy()
{
    TRegistry registry;
    registry.RemoveKeyTree(ClosedCopyKey);
    registry.RemoveKeyTree(FormerClosedCopyKey);
}

// Ends the running copy of program through its Exit, noting it for "/reopen" of the package
// when one is named; true when there was one. A copy that does not end in time (its user has
// not answered the Exit confirmation) is a failure.
bool CloseRunningCopy(const std::string& program, const std::optional<std::string>& package)
{
    for (const TRunningCopy& copy : RunningCopies()) {
        if (!IsSameProgramFile(copy.ProgramFile, program))
            continue;
        DWORD processId = 0;
        ::GetWindowThreadProcessId(copy.MainForm, &processId);
        const UniqueKernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
        const bool hidden = !::IsWindowVisible(copy.MainForm);
        ::PostMessageA(copy.MainForm, WM_COMMAND, TrayPopupExit, 0);
        if (!process || ::WaitForSingleObject(process.Get(), ExitWaitMs) != WAIT_OBJECT_0)
            throw Exception("The running Lumivanta Manager did not end within 60 seconds: it waits for an answer "
                            "to its Exit, or cannot be waited for");
        if (package)
            RememberClosedCopyIfPossible(hidden, *package);
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

void StartProgram(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          FolderOfPath(program, '\\').c_str(), &startup, &started))
        throw Exception("Lumivanta Manager cannot be started");
    // Not waited for: the program runs on by itself.
    const UniqueKernelHandle process(started.hProcess);
    const UniqueKernelHandle thread(started.hThread);
}

// The note of another package stays for that one. The program is not there after a removal,
// nor after a failed first install.
void ReopenClosedCopy(const std::string& program, const std::string& package)
{
    TRegistry registry;
    const bool noted = registry.OpenForRead(ClosedCopyKey);
    if (noted && AnsiFromWide(registry.GetText(ClosingPackageValue)) != package)
        return;
    const std::string arguments = noted ? AnsiFromWide(registry.GetText("")) : "";
    registry.Close();
    ForgetClosedCopy();
    if (noted && ::GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES)
        StartProgram(program, arguments);
}

void OfferStart()
{
    // After an upgrade that ended it, "/reopen" has started it again already.
    if (ThisCopyRuns() || ::MessageBoxA(nullptr, "Lumivanta Manager is installed. Start it now?", ProductName,
                                        MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return;
    StartProgram(ProgramFileName(), "");
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

void Run(TInstallerSwitch request, const std::string& program, const std::string& package)
{
    switch (request) {
    case TInstallerSwitch::OfferStart:
        OfferStart();
        break;
    case TInstallerSwitch::Close:
        CloseRunningCopy(program, package);
        break;
    case TInstallerSwitch::Reopen:
        ReopenClosedCopy(program, package);
        break;
    case TInstallerSwitch::Uninstall:
    case TInstallerSwitch::Purge:
        CloseRunningCopy(ProgramFileName(), std::nullopt);
        RemoveUserTraces(request == TInstallerSwitch::Purge);
        break;
    case TInstallerSwitch::Restore:
        RestoreRemovedValues();
        break;
    case TInstallerSwitch::DropBackup:
        DropRemovalBackup();
        break;
    case TInstallerSwitch::None:
        break;
    }
}

}

int RunInstallerSwitch(TInstallerSwitch request, const std::vector<std::string>& operands)
{
    try {
        Run(request, operands.empty() ? ProgramFileName() : operands[0], operands.size() > 1 ? operands[1] : "");
        return 0;
    } catch (const std::exception&) {
        return ExitFailed;
    }
}
