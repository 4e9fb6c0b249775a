#pragma once

#include "script/AutoIntfObject.h"

#include "Morvane_TLB.h"

#include <wrl/client.h>

// Makes a new Dialogs object. The dialogs sit above the script objects, so the program wires
// their maker in at start-up; where none is wired in, reading Dialogs fails as a script error.
using TDialogsObjectFactory = Microsoft::WRL::ComPtr<IDialogsAutoObj> (*)();
void SetDialogsObjectFactory(TDialogsObjectFactory factory);

// The root object that page scripts reach as window.external. The browser host makes a new
// one for every request; each makes its Registry, Dialogs, System and Policies objects once and keeps them.
// The program's own script host, which runs with no one before the screen, makes it without
// dialogs: reading Dialogs then fails as a script error.
class TTweakExternal final : public TAutoIntfObject<ITweakExternal> {
public:
    enum class TDialogs { Shown, None };
    explicit TTweakExternal(TDialogs dialogs = TDialogs::Shown) : FDialogs(dialogs) {}

    HRESULT STDMETHODCALLTYPE CheckVer(LONG minVer, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE get_Registry(IRegistryAutoObj** value) override;
    HRESULT STDMETHODCALLTYPE get_Dialogs(IDialogsAutoObj** value) override;
    HRESULT STDMETHODCALLTYPE ProcessMessages() override;
    HRESULT STDMETHODCALLTYPE get_System(ISystemAutoObj** value) override;
    HRESULT STDMETHODCALLTYPE get_Policies(IPoliciesAutoObj** value) override;

private:
    // A property's object, made when it is first read and kept for every later reading.
    template <typename Made, typename Interface>
    HRESULT MadeOnce(Microsoft::WRL::ComPtr<Interface>& kept, Interface** value)
    {
        if (!value)
            return E_POINTER;
        *value = nullptr;
        return ScriptCall(nullptr, [&] {
            if (!kept)
                kept = new Made;
            kept.CopyTo(value);
        });
    }

    Microsoft::WRL::ComPtr<IRegistryAutoObj> RegistryObj;
    Microsoft::WRL::ComPtr<IDialogsAutoObj> DialogsObj;
    Microsoft::WRL::ComPtr<ISystemAutoObj> SystemObj;
    Microsoft::WRL::ComPtr<IPoliciesAutoObj> PoliciesObj;
    TDialogs FDialogs;
};
