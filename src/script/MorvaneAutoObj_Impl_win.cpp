#include "script/MorvaneAutoObj_Impl.h"

#include "Exception.h"
#include "script/ProgramValues.h"
#include "script/RegistryAutoObj_Impl.h"
#include "script/MessageLoop.h"
#include "script/PoliciesAutoObj_Impl.h"
#include "script/SystemAutoObj_Impl.h"

namespace {

TDialogsObjectFactory DialogsObjectFactory = nullptr;

}

void SetDialogsObjectFactory(TDialogsObjectFactory factory)
{
    DialogsObjectFactory = factory;
}

HRESULT TTweakExternal::CheckVer(LONG minVer, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultBool(res, ProgramVersion() >= minVer); });
}

HRESULT TTweakExternal::get_Registry(IRegistryAutoObj** value)
{
    return MadeOnce<TRegistryAutoObj>(RegistryObj, value);
}

HRESULT TTweakExternal::get_Dialogs(IDialogsAutoObj** value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    return ScriptCall(nullptr, [&] {
        if (!DialogsObj && (!DialogsObjectFactory || FDialogs == TDialogs::None))
            throw Exception("The dialogs are not available here");
        if (!DialogsObj)
            DialogsObj = DialogsObjectFactory();
        DialogsObj.CopyTo(value);
    });
}

HRESULT TTweakExternal::ProcessMessages()
{
    return ScriptCall(nullptr, [] { ProcessPendingMessages(); });
}

HRESULT TTweakExternal::get_System(ISystemAutoObj** value)
{
    return MadeOnce<TSystemAutoObj>(SystemObj, value);
}

HRESULT TTweakExternal::get_Policies(IPoliciesAutoObj** value)
{
    return MadeOnce<TPoliciesAutoObj>(PoliciesObj, value);
}
