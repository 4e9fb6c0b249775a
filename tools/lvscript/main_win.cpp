// lvscript [--windows] [--include FILE.js]... FILE.js [ARGS...]
// Runs page scripts against the real registry without a window, exactly as a page's scripts
// would reach the program through window.external: the included files first, in their order, as
// a page loads its shared scripts. With --windows the program's own windows are made first and
// the main window is shown, so that the dialogs appear as they do in the program. Exceptions raised on the way are logged, as the program logs
// them, in "lvscript.log" beside it.
#include "ScriptHost.h"

#include "app/ProgramWindows.h"
#include "protocol/MyLVHandler.h"

#include "diagnostics/JclDebugHandler.h"
#include "dialogs/UnitStrListDialog1.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"

#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

int main(int argc, char** argv)
{
    std::vector<std::string> files;
    int next = 1;
    const bool withWindows = argc > 1 && std::string(argv[1]) == "--windows";
    next += withWindows;
    for (; next + 1 < argc && std::string(argv[next]) == "--include"; next += 2)
        files.push_back(argv[next + 1]);
    if (next >= argc || std::string(argv[next]) == "--include") {
        std::fprintf(stderr, "usage: lvscript [--windows] [--include FILE.js]... FILE.js [ARGS...]\n");
        return 2;
    }
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
