#pragma once

// The automation base of every object that page scripts reach. Design:
// - The object's own dual interface (ITweakExternal, IRegistryAutoObj, ...) is described by the
//   program's type library; IDispatch calls are routed through that type information, so
//   argument counts and coercions are the platform's and a failure of them never enters a method.
// - Each method body runs inside ScriptCall: the result VARIANT is emptied first, and any C++
//   exception becomes error information (the interface's IID and the exception's message) and
//   E_UNEXPECTED, which the script engine raises as a script error. No exception crosses COM.

#include "ComObject.h"
#include "script/ComServer.h"
#include "script/OleText.h"

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

// Installs error information for a failure of a method of interface iid and gives the HRESULT
// the method returns: E_UNEXPECTED, or an EOleSysError's own failure code.
HRESULT ScriptFailure(REFIID iid, const std::exception* failure);

template <typename Interface>
class TAutoIntfObject : public TComObject<Interface, ISupportErrorInfo> {
public:
    TAutoIntfObject()
    {
        OleCheck(ComServer().TypeLib()->GetTypeInfoOfGuid(__uuidof(Interface), FTypeInfo.GetAddressOf()));
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Interface))
            *object = static_cast<Interface*>(this);
        else if (iid == IID_ISupportErrorInfo)
            *object = static_cast<ISupportErrorInfo*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        this->AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        FTypeInfo.CopyTo(info);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        return ::DispGetIDsOfNames(FTypeInfo.Get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override
    {
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))
            flags |= DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
        return FTypeInfo->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception,
                                 argumentError);
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override
    {
        return iid == __uuidof(Interface) ? S_OK : S_FALSE;
    }

protected:
    // Runs one method body: result emptied first, every failure turned into error information.
    template <typename Body>
    HRESULT ScriptCall(VARIANT* result, Body&& body) noexcept
    {
        if (result)
            ::VariantInit(result);
        try {
            body();
            return S_OK;
        } catch (const std::exception& failure) {
            return ScriptFailure(__uuidof(Interface), &failure);
        } catch (...) {
            return ScriptFailure(__uuidof(Interface), nullptr);
        }
    }

private:
    Microsoft::WRL::ComPtr<ITypeInfo> FTypeInfo;
};
