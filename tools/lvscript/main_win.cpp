// lvscript [--windows] [--include FILE.js]... FILE.js [ARGS...]
// lvscript --serve SOURCE [--port N] [--idle SECONDS]
// Runs page scripts against the real registry without a window, exactly as a page's scripts
// would reach the program through window.external: the included files first, in their order, as
// a page loads its shared scripts. With --windows the program's own windows are made first and
// the main window is shown, so that the dialogs appear as they do in the program. With --serve
// it serves the pages of an archive or a pages folder to a browser on this computer, with
// window.external reaching the real objects, until Ctrl+C; a connection with nothing moving for
// --idle seconds (a minute unless given) is closed, unless a call of it waits. Exceptions raised
// on the way are logged, as the program logs them, in "lvscript.log" beside it.
#include "PreviewServer.h"
#include "ScriptHost.h"

#include "app/ProgramCommand.h"
#include "app/ProgramWindows.h"
#include "protocol/MyLVHandler.h"

#include "diagnostics/JclDebugHandler.h"
#include "dialogs/MorvaneDialogs_Impl.h"
#include "dialogs/UnitStrListDialog1.h"
#include "script/MorvaneAutoObj_Impl.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"
#include "store/FileManager.h"
#include "store/FileStream.h"
#include "script/MessageLoop.h"

#include <windows.h>
#include <wrl/client.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <exception>
#include <optional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

struct TPreviewOptions {
    std::string Source;
    unsigned short Port = 0;
    unsigned IdleSeconds = TPreviewServer::DefaultIdleSeconds;
};

constexpr unsigned long MostPort = 65535;
constexpr unsigned long MostIdleSeconds = 24 * 60 * 60;

// A whole number from 1 to most written in decimal digits alone; nothing otherwise.
std::optional<unsigned> NumberFrom(const char* text, unsigned long most)
{
    char* end = nullptr;
    const unsigned long number = std::strtoul(text, &end, 10);
    if (!std::isdigit(static_cast<unsigned char>(*text)) || *end != '\0' || number == 0 || number > most)
        return std::nullopt;
    return static_cast<unsigned>(number);
}

// --serve SOURCE [--port N] [--idle SECONDS], the options in any order; nothing when the command
// line is not a preview's.
std::optional<TPreviewOptions> PreviewOptions(int argc, char** argv)
{
    if (argc < 3 || argc % 2 == 0 || std::string(argv[1]) != "--serve")
        return std::nullopt;
    TPreviewOptions options{argv[2]};
    for (int i = 3; i < argc; i += 2) {
        const std::string option = argv[i];
        const std::optional<unsigned> number = NumberFrom(argv[i + 1], option == "--port" ? MostPort : MostIdleSeconds);
        if (!number || (option != "--port" && option != "--idle"))
            return std::nullopt;
        if (option == "--port")
            options.Port = static_cast<unsigned short>(*number);
        else
            options.IdleSeconds = *number;
    }
    return options;
}

DWORD MainThread = 0;

BOOL WINAPI StopOnCtrlC(DWORD)
{
    ::PostThreadMessageA(MainThread, WM_QUIT, 0, 0);
    return TRUE;
}

// An archive, or a folder of loose files served as the program's "/data=" serves them.
std::unique_ptr<TFileManager> ContentOf(const std::string& source)
{
    const std::string fullName = FullPathName(source);
    const DWORD attributes = ::GetFileAttributesA(fullName.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::make_unique<TFileManager>(std::string(), std::string(), std::vector<std::string>{"/data=" + fullName});
    return std::make_unique<TFileManager>(fullName, std::string(), std::vector<std::string>{});
}

int Serve(const TPreviewOptions& options)
{
    const std::unique_ptr<TFileManager> content = ContentOf(options.Source);
    TPreviewServer server(*content, options.Port, options.IdleSeconds);
    std::printf("%s\n", server.StartUrl().c_str());
    std::fflush(stdout);
    MainThread = ::GetCurrentThreadId();
    ::SetConsoleCtrlHandler(StopOnCtrlC, TRUE);
    RunMessageLoop();
    ::SetConsoleCtrlHandler(StopOnCtrlC, FALSE);
    return 0;
}

}

int main(int argc, char** argv)
{
    // As the program itself, since a page asks its own program file for a change as administrator.
    if (const std::optional<int> elevated = RunElevatedChanges({argv + 1, argv + argc}))
        return *elevated;
    const std::optional<TPreviewOptions> preview = PreviewOptions(argc, argv);
    std::vector<std::string> files;
    int next = 1;
    const bool withWindows = argc > 1 && std::string(argv[1]) == "--windows";
    next += withWindows;
    for (; next + 1 < argc && std::string(argv[next]) == "--include"; next += 2)
        files.push_back(argv[next + 1]);
    if (!preview && (next >= argc || std::string(argv[next]) == "--include" || std::string(argv[next]) == "--serve")) {
        std::fprintf(stderr, "usage: lvscript [--windows] [--include FILE.js]... FILE.js [ARGS...]\n"
                             "       lvscript --serve ARCHIVE|FOLDER [--port N] [--idle SECONDS]\n");
        return 2;
    }
    if (!preview)
        files.push_back(argv[next]);
    if (FAILED(::OleInitialize(nullptr))) {
        std::fprintf(stderr, "lvscript: COM cannot start\n");
        return 2;
    }
    TJclDebugHandler debugger([] { return std::string("lvscript"); });
    debugger.SetLogFileName(ProgramFolder() + "lvscript.log");
    int status = 0;
    std::optional<TProgramWindows> windows;
    DWORD factoryCookie = 0;
    try {
        // The editor's windows are made only when a script first opens it, so that a script
        // that only works on the registry runs without a display.
        CreateSharedRegistry();
        SetDialogsObjectFactory(NewDialogsObject);
        if (preview)
            status = Serve(*preview);
        else {
            if (withWindows) {
                // Found in this process, as the program registers it, never started from the registry.
                ::CoRegisterClassObject(CLSID_MyLVHandler, ComPtr<IClassFactory>(new TMyLVHandlerFactory).Get(),
                                        CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &factoryCookie);
                windows.emplace(debugger).MainForm().Show();
                // The main window names the program's log; the runner keeps its own.
                debugger.SetLogFileName(ProgramFolder() + "lvscript.log");
            }
            const TScriptOutcome outcome = RunScriptFiles(files, {argv + next + 1, argv + argc});
            if (!outcome.Succeeded) {
                std::fprintf(stderr, "%s\n", outcome.Error.c_str());
                status = 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lvscript: %s\n", e.what());
        status = 2;
    }
    windows.reset();
    if (factoryCookie)
        ::CoRevokeClassObject(factoryCookie);
    FreeStringListDialogs();
    FreeSharedRegistry();
    ::OleUninitialize();
    return status;
}
