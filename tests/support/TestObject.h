#pragma once

#include "ComObject.h"

// A test object with one interface of its own: its QueryInterface, and its reference count
// for the tests to check.
template <typename Interface>
class TTestObject : public TComObject<Interface> {
public:
    using TComObject<Interface>::References;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid != IID_IUnknown && iid != __uuidof(Interface)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }
};
