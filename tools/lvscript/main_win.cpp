// lvscript [--windows] [--include FILE.js]... FILE.js [ARGS...]
// lvscript --serve SOURCE [--port N]
// Runs page scripts against the real registry without a window, exactly as a page's scripts
// would reach the program through window.external: the included files first, in their order, as
// a page loads its shared scripts. With --windows the program's own windows are made first and
// the main window is shown, so that the dialogs appear as they do in the program. With --serve
// it serves the pages of an archive or a pages folder to a browser on this computer, with
// window.external reaching the real objects, until Ctrl+C. Exceptions raised on the way are
// logged, as the program logs them, in "lvscript.log" beside it.
#include "PreviewServer.h"
#include "ScriptHost.h"

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
};

// --serve SOURCE [--port N]; nothing when the command line is not a preview's.
std::optional<TPreviewOptions> PreviewOptions(int argc, char** argv)
{
    if (argc < 3 || std::string(argv[1]) != "--serve" || (argc != 3 && argc != 5))
        return std::nullopt;
    TPreviewOptions options{argv[2]};
    if (argc == 5) {
        char* end = nullptr;
        const unsigned long port = std::strtoul(argv[4], &end, 10);
        if (std::string(argv[3]) != "--port" || *end != '\0' || port == 0 || port > 65535)
            return std::nullopt;
        options.Port = static_cast<unsigned short>(port);
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
    TPreviewServer server(*content, options.Port);
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
    const std::optional<TPreviewOptions> preview = PreviewOptions(argc, argv);
    std::vector<std::string> files;
    int next = 1;
    const bool withWindows = argc > 1 && std::string(argv[1]) == "--windows";
    next += withWindows;
    for (; next + 1 < argc && std::string(argv[next]) == "--include"; next += 2)
        files.push_back(argv[next + 1]);
    if (!preview && (next >= argc || std::string(argv[next]) == "--include" || std::string(argv[next]) == "--serve")) {
        std::fprintf(stderr, "usage: lvscript [--windows] [--include FILE.js]... FILE.js [ARGS...]\n"
                             "       lvscript --serve ARCHIVE|FOLDER [--port N]\n");
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
