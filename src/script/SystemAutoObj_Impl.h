#pragma once

#include "script/AutoIntfObject.h"

#include "Morvane_TLB.h"

// The System object of page scripts: reads and changes the system parameters of a fixed table
// through SystemParametersInfo, so that a change takes effect at once and Windows stores it
// where it keeps it, and tells the other programs of a change made in the registry.
class TSystemAutoObj final : public TAutoIntfObject<ISystemAutoObj> {
public:
    HRESULT STDMETHODCALLTYPE GetSystemParameter(BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE SetSystemParameter(BSTR name, VARIANT value, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE NotifySettingChange(BSTR area, VARIANT* res) override;
};
