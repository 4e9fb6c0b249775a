#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

// The process-wide holder of the script objects' type library. The library is a resource of
// the program file and is loaded from there on first request, never from the registry.
class TComServer {
public:
    // Fails with EOleSysError when the program file carries no type library.
    ITypeLib* TypeLib();

private:
    Microsoft::WRL::ComPtr<ITypeLib> FTypeLib;
};

TComServer& ComServer();
