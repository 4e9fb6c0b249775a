#include "script/MorvaneAutoObj_Impl.h"

#include "app/MessageLoop.h"
#include "script/ProgramValues.h"
#include "script/RegistryAutoObj_Impl.h"

HRESULT TTweakExternal::CheckVer(LONG minVer, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultBool(res, ProgramVersion() >= minVer); });
}

HRESULT TTweakExternal::get_Registry(IRegistryAutoObj** value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    return ScriptCall(nullptr, [&] {
        if (!RegistryObj)
            RegistryObj = new TRegistryAutoObj;
        RegistryObj.CopyTo(value);
    });
}

HRESULT TTweakExternal::get_Dialogs(IDialogsAutoObj** value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    return ScriptCall(nullptr, [] { throw std::runtime_error("The Dialogs object is not available yet"); });
}

HRESULT TTweakExternal::ProcessMessages()
{
    return ScriptCall(nullptr, [] { ProcessPendingMessages(); });
}
