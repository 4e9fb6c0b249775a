#include "script/ComServer.h"

#include "script/OleText.h"
#include "script/ProgramValues.h"

ITypeLib* TComServer::TypeLib()
{
    if (!FTypeLib)
        OleCheck(::LoadTypeLib(WideFromAnsi(ProgramFileName()).c_str(), FTypeLib.GetAddressOf()));
    return FTypeLib.Get();
}

TComServer& ComServer()
{
    // Never destroyed: releasing the library after COM has been shut down at exit would
    // call into an unloaded oleaut32.
    static TComServer* const server = new TComServer;
    return *server;
}
