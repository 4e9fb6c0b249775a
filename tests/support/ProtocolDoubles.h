#pragma once

// Stand-ins for what urlmon puts around a protocol handler, for tests that drive the handler
// call by call: a sink that records what it is told, an outer object that aggregates the
// handler, and a class factory that counts what it makes. Windows only.

#include "support/TestObject.h"

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// "0x800C0005": how the doubles record results, so that a failed comparison names the code.
inline std::string Hex(HRESULT value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// A protocol sink that records every call it receives, in order, in the manner of Wine's urlmon
// tests (SET_EXPECT / CHECK_CALLED); a test compares the whole sequence at once.
class TRecordingSink final : public TTestObject<IInternetProtocolSink> {
public:
    std::vector<std::string> Calls;
    // Runs inside ReportData, where Wine's urlmon reads the data and may even terminate.
    std::function<void()> DuringReportData;

    HRESULT STDMETHODCALLTYPE Switch(PROTOCOLDATA*) override
    {
        Calls.push_back("Switch");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportProgress(ULONG status, LPCWSTR) override
    {
        Calls.push_back("ReportProgress(" + std::to_string(status) + ")");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportData(DWORD flags, ULONG progress, ULONG progressMax) override
    {
        Calls.push_back("ReportData(" + std::to_string(flags) + ", " + std::to_string(progress) + ", " +
                        std::to_string(progressMax) + ")");
        if (DuringReportData)
            DuringReportData();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReportResult(HRESULT result, DWORD, LPCWSTR) override
    {
        Calls.push_back("ReportResult(" + Hex(result) + ")");
        return S_OK;
    }
};

// A controlling object that aggregates a handler as urlmon does: it keeps the handler's inner
// IUnknown and hands out the handler's interfaces as its own.
class TOuterObject final : public TTestObject<IUnknown> {
public:
    Microsoft::WRL::ComPtr<IUnknown> Inner;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (iid == IID_IUnknown || !Inner || !object)
            return TTestObject::QueryInterface(iid, object);
        return Inner->QueryInterface(iid, object);
    }
};

// Passes every request on to target and counts the objects it made.
class TCountingFactory final : public TTestObject<IClassFactory> {
public:
    explicit TCountingFactory(IClassFactory* target) : FTarget(target) {}

    int Made = 0;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        const HRESULT result = FTarget->CreateInstance(outer, iid, object);
        if (SUCCEEDED(result))
            ++Made;
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override { return FTarget->LockServer(lock); }

private:
    Microsoft::WRL::ComPtr<IClassFactory> FTarget;
};
