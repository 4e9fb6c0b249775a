#pragma once

#include "script/AutoIntfObject.h"

#include "Morvane_TLB.h"

#include <wrl/client.h>

// The Dialogs object of page scripts: modal dialogs, each shown for one call on the
// user-interface thread. A cancel gives Res false (VT_BOOL), or the empty text for the two text
// file dialogs, and S_OK; the object has no state.
class TDialogsAutoObj final : public TAutoIntfObject<IDialogsAutoObj> {
public:
    HRESULT STDMETHODCALLTYPE GetColor(LONG curColor, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE GetFile(BSTR curFile, BSTR typeDescr, BSTR typeExt, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE GetDirectory(BSTR curDir, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE StrListEditor1(BSTR rootKey, BSTR key, BSTR caption, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE SaveTextFile(BSTR caption, BSTR typeDescr, BSTR typeExt, BSTR suggestedName, BSTR text,
                                           VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE OpenTextFile(BSTR caption, BSTR typeDescr, BSTR typeExt, VARIANT* res) override;
};

// A new Dialogs object, for the root object's factory (SetDialogsObjectFactory).
Microsoft::WRL::ComPtr<IDialogsAutoObj> NewDialogsObject();
