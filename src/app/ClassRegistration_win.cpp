#include "app/ClassRegistration.h"

#include "app/ProgramCopies.h"
#include "app/RemovalBackup.h"
#include "protocol/MyLVHandler.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"
#include "store/FileStream.h"

#include <windows.h>

namespace {

constexpr int ExitRegistrationFailed = 1;

std::string ClassKeyPath()
{
    wchar_t text[64];
    ::StringFromGUID2(CLSID_MyLVHandler, text, 64);
    std::string clsid;
    for (const wchar_t* c = text; *c; ++c)
        clsid += static_cast<char>(*c);
    return "CLSID\\" + clsid;
}

// The registration as the user's own classes hold it, and as HKEY_CLASSES_ROOT shows it (the
// machine's, or the user's while it has one).
struct TClassesRoot {
    HKEY Root;
    const char* Prefix;
};
const TClassesRoot ClassesRoots[] = {{HKEY_CURRENT_USER, "Software\\Classes\\"}, {HKEY_CLASSES_ROOT, ""}};

bool NamesThisProgram(HKEY root, const std::string& classKey)
{
    TRegistry registry;
    registry.SetRoot(root);
    return registry.OpenForRead(classKey + "\\LocalServer32") &&
           IsThisProgramFile(LocalServerProgram(AnsiFromWide(registry.GetText(""))));
}

void RemoveKey(HKEY root, const std::string& path)
{
    const LONG result = ::RegDeleteKeyA(root, path.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        throw Exception("Cannot remove the registry key " + path + ". " + SystemErrorMessage(static_cast<int>(result)));
}

void RegisterOrFail()
{
    if (!WriteClassRegistration())
        throw Exception("Error creating system registry entry");
}

}

bool WriteClassRegistration()
{
    try {
        TRegistry registry;
        registry.SetRoot(HKEY_CLASSES_ROOT);
        if (!registry.Open("\\" + ClassKeyPath(), true))
            return false;
        registry.PutText("", "");
        if (!registry.Open("\\" + ClassKeyPath() + "\\LocalServer32", true))
            return false;
        registry.PutText("", LocalServerCommand(ProgramFileName()));
        return true;
    } catch (const ERegistryException&) {
        return false;
    }
}

void RemoveClassRegistration(TRemovalBackup* backup)
{
    for (const TClassesRoot& classes : ClassesRoots) {
        const std::string classKey = classes.Prefix + ClassKeyPath();
        if (!NamesThisProgram(classes.Root, classKey))
            continue;
        if (backup)
            backup->KeepTree(classes.Root, classKey);
        RemoveKey(classes.Root, classKey + "\\LocalServer32");
        RemoveKey(classes.Root, classKey);
    }
}

int RunComSwitch(TComSwitch request)
{
    try {
        if (request == TComSwitch::Register)
            RegisterOrFail();
        else
            RemoveClassRegistration(nullptr);
        return 0;
    } catch (const std::exception&) {
        return ExitRegistrationFailed;
    }
}
