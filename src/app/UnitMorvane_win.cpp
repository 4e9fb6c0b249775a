// The program's entry point. The installer's switches and the COM switches run on their own,
// before anything else. Start-up brings the modules up in a fixed order (OLE, program values,
// content manager, the scheme handler's factory, the shared registry, the single-instance
// guard), then the class registration, the windows and the message loop; tear-down runs in
// reverse. A step that fails, the content manager (Ruroda.db missing or damaged) or any later
// one (a window, the browser control, COM), is logged, torn down and reported as the run-time
// reports it, "Runtime error 217 at ...", exit code 217.
#include "app/Application.h"
#include "app/ClassRegistration.h"
#include "app/CommandLine.h"
#include "script/ComSession.h"
#include "app/InstallerSwitches.h"
#include "app/MainForm.h"
#include "app/ProgramHost.h"
#include "app/ProgramCommand.h"
#include "app/Maker.h"
#include "app/ProgramWindows.h"
#include "diagnostics/JclDebugHandler.h"
#include "protocol/MyLVHandler.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"
#include "store/FileManager.h"
#include "script/MessageLoop.h"

#include <windows.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <optional>

using Microsoft::WRL::ComPtr;

namespace {

constexpr int ExitStartupFailed = 217;

struct TOleSession {
    TOleSession() { ::OleInitialize(nullptr); }
    ~TOleSession() { ::OleUninitialize(); }
    TOleSession(const TOleSession&) = delete;
    TOleSession& operator=(const TOleSession&) = delete;
};


// The module steps that later parts of the program rely on, torn down in reverse order.
struct TModules {
    TModules() = default;
    ~TModules()
    {
        FreeSharedRegistry();
        FileManager.reset();
        ClearSchemeName();
    }
    TModules(const TModules&) = delete;
    TModules& operator=(const TModules&) = delete;
};

class TClassObjectRegistration {
public:
    explicit TClassObjectRegistration(IClassFactory* factory)
    {
        ::CoRegisterClassObject(CLSID_MyLVHandler, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &FCookie);
    }
    ~TClassObjectRegistration()
    {
        if (FCookie)
            ::CoRevokeClassObject(FCookie);
    }
    TClassObjectRegistration(const TClassObjectRegistration&) = delete;
    TClassObjectRegistration& operator=(const TClassObjectRegistration&) = delete;

private:
    DWORD FCookie = 0;
};

// The code addresses of the report: each start-up step that can fail is a function of its own,
// never inlined, and the report names the one that was running.
__attribute__((noinline)) void CreateContentManager(const std::vector<std::string>& args)
{
    FileManager = std::make_unique<TFileManager>(ProgramFolder() + "Ruroda.db", ProgramFolder(), args);
}

__attribute__((noinline)) ComPtr<IClassFactory> CreateHandlerFactory()
{
    ComPtr<IClassFactory> factory = new TMyLVHandlerFactory;
    CreateSharedRegistry();
    return factory;
}

__attribute__((noinline)) std::unique_ptr<TProgramWindows> CreateWindows(TJclDebugHandler& debugger)
{
    return std::make_unique<TProgramWindows>(debugger);
}

// The scripts of the program's own host, read here on the thread that serves the pages, as the
// content manager serves one thread. Without them (pages of an older version, a damaged entry)
// the program runs unwatched; why is in the exception log.
std::optional<std::vector<TScriptSource>> HostScripts()
{
    try {
        return LoadHostScripts(*FileManager);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::uint32_t CodeAddress(const void* code)
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(code));
}

// The class registration, renewed at each start (a failure, for lack of rights, is ignored),
// then the windows and the message loop. runningStep names the step under way for the report
// of a failure.
int RunWindows(const std::vector<std::string>& args, IClassFactory* factory, TJclDebugHandler& debugger,
               std::uint32_t& runningStep)
{
    TComSession com;
    WriteClassRegistration();
    TClassObjectRegistration registration(factory);

    runningStep = CodeAddress(reinterpret_cast<const void*>(&CreateWindows));
    const std::unique_ptr<TProgramWindows> windows = CreateWindows(debugger);
    if (std::optional<std::vector<TScriptSource>> sources = HostScripts())
        windows->MainForm().StartWatching(std::move(*sources));
    Application().SetShowMainForm(!StartsHidden(args));
    if (Application().ShowMainForm())
        windows->MainForm().Show();
    // The end of the session ends this loop too, after every loop inside it; the windows go
    // only then, in reverse order of creation, the main window (which saves its placement) last.
    return RunMessageLoop();
}

// Runs the program. A step that fails, at any point of the start-up, leaves failedAt set to
// the step's code address, after the steps already done have been torn down.
int RunModules(const std::vector<std::string>& args, std::optional<std::uint32_t>& failedAt)
{
    TOleSession ole;
    ProgramFolder();
    ProgramVersionText();
    // Watches the whole run; the main window only names its file again.
    TJclDebugHandler debugger([] { return std::string(ProductName); });
    debugger.SetLogFileName(ProgramFolder() + "debugger.log");
    std::uint32_t runningStep = CodeAddress(reinterpret_cast<const void*>(&CreateContentManager));
    try {
        TModules modules;
        CreateContentManager(args);
        runningStep = CodeAddress(reinterpret_cast<const void*>(&CreateHandlerFactory));
        const ComPtr<IClassFactory> factory = CreateHandlerFactory();

        // Never closed: the system releases it when the process ends.
        ::CreateMutexA(nullptr, FALSE, "LumivantaMutex");
        if (::GetLastError() == ERROR_ALREADY_EXISTS)
            return 0;
        return RunWindows(args, factory.Get(), debugger, runningStep);
    } catch (...) {
        failedAt = runningStep;
        return ExitStartupFailed;
    }
}

// The log of the program a switch acts on: the installer runs its own copy from a temporary file.
std::string SwitchLogFolder(const std::vector<std::string>& operands)
{
    return operands.empty() || operands[0].empty() ? ProgramFolder() : FolderOfPath(operands[0], '\\');
}

// The installer's requests and the COM switches, when the command line has one: they need
// neither the archive nor the single-instance guard, so they work with Ruroda.db missing or
// damaged and while a copy runs, and a failure shows no box (an installer may run them with no
// one to answer it): it is their exit code and an entry in the log.
std::optional<int> RunSwitch(const std::vector<std::string>& args)
{
    const TInstallerSwitch request = FindInstallerSwitch(args);
    const TComSwitch comSwitch = FindComSwitch(args);
    if (request == TInstallerSwitch::None && comSwitch == TComSwitch::None)
        return std::nullopt;
    const std::vector<std::string> operands = InstallerSwitchOperands(args);
    TJclDebugHandler debugger([] { return std::string(ProductName); });
    debugger.SetLogFileName(SwitchLogFolder(operands) + "debugger.log");
    return request != TInstallerSwitch::None ? RunInstallerSwitch(request, operands) : RunComSwitch(comSwitch);
}

}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::optional<std::uint32_t> failedAt;
    int exitCode = ExitStartupFailed;
    try {
        const std::vector<std::string> args = ArgumentsAfterProgramName(::GetCommandLineA());
        if (const std::optional<int> done = RunSwitch(args))
            return *done;
        // The forms for scripts and management tools run beside a running copy, never through it.
        if (const std::optional<int> done = RunProgramCommand(args))
            return *done;
        if (const std::optional<int> done = RunElevatedChanges(args))
            return *done;
        exitCode = RunModules(args, failedAt);
    } catch (...) {
        // Before any step: the command line or OLE itself.
        failedAt = CodeAddress(reinterpret_cast<const void*>(&RunModules));
    }
    if (failedAt)
        ::MessageBoxA(nullptr, RuntimeErrorText(ExitStartupFailed, *failedAt).c_str(), "Error", MB_OK | MB_TASKMODAL);
    return exitCode;
}
