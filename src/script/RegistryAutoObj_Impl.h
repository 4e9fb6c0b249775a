#pragma once

#include "script/AutoIntfObject.h"

#include "Morvane_TLB.h"

#include <string>
#include <vector>

// The Registry object of page scripts: each method runs one complete operation on the shared
// registry accessor (hive set, key opened, work done, key closed). Key paths, value names and
// texts pass through exactly as UTF-16; the write methods give whether they wrote.
class TRegistryAutoObj final : public TAutoIntfObject<IRegistryAutoObj> {
public:
    HRESULT STDMETHODCALLTYPE RegReadString(BSTR rootKey, BSTR key, BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegWriteString(BSTR rootKey, BSTR key, BSTR name, BSTR val, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegReadInt(BSTR rootKey, BSTR key, BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegWriteInt(BSTR rootKey, BSTR key, BSTR name, LONG val, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegReadBool(BSTR rootKey, BSTR key, BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegWriteBool(BSTR rootKey, BSTR key, BSTR name, VARIANT_BOOL val, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegValueExists(BSTR rootKey, BSTR key, BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE HasFullAccess(BSTR rootKey, BSTR key, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE ValuesCount(BSTR rootKey, BSTR key, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegDeleteValue(BSTR rootKey, BSTR key, BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegCreateKey(BSTR rootKey, BSTR key, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegDeleteKey(BSTR rootKey, BSTR key, VARIANT_BOOL delIfHasSubkeys, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegKeyExists(BSTR rootKey, BSTR key, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegWriteExpandString(BSTR rootKey, BSTR key, BSTR name, BSTR val, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE ValuesNames(BSTR rootKey, BSTR key, LONG idx, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegValueType(BSTR rootKey, BSTR key, BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegReadBinary(BSTR rootKey, BSTR key, BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegWriteBinary(BSTR rootKey, BSTR key, BSTR name, BSTR hexText, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE RegCreateNewKey(BSTR rootKey, BSTR key, VARIANT* res) override;

private:
    // The value names that the last ValuesNames call with a negative index loaded.
    std::vector<std::wstring> NameList;
};
