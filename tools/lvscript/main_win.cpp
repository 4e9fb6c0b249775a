// lvscript: runs a page script against the real registry without a window, exactly as a
// page's script would reach the program through window.external. Exceptions raised on the
// way are logged, as the program logs them, in "lvscript.log" beside it.
#include "ScriptHost.h"

#include "diagnostics/JclDebugHandler.h"
#include "dialogs/UnitStrListDialog1.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"

#include <windows.h>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: lvscript FILE.js [ARGS...]\n");
        return 2;
    }
    if (FAILED(::OleInitialize(nullptr))) {
        std::fprintf(stderr, "lvscript: COM cannot start\n");
        return 2;
    }
    TJclDebugHandler debugger([] { return std::string("lvscript"); });
    debugger.SetLogFileName(ProgramFolder() + "lvscript.log");
    int status = 0;
    try {
        CreateSharedRegistry();
        CreateStringListDialogs(nullptr);
        const TScriptOutcome outcome = RunScriptFile(argv[1], {argv + 2, argv + argc});
        if (!outcome.Succeeded) {
            std::fprintf(stderr, "%s\n", outcome.Error.c_str());
            status = 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lvscript: %s\n", e.what());
        status = 2;
    }
    FreeStringListDialogs();
    FreeSharedRegistry();
    ::OleUninitialize();
    return status;
}
