#include "support/UrlFetch.h"

#include "support/TestObject.h"

#include <urlmon.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace {

class TBindClient final : public TTestObject<IBindStatusCallback> {
public:
    bool Stopped() const { return FStopped; }
    TFetchResult& Result() { return FResult; }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override
    {
        *priority = THREAD_PRIORITY_NORMAL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR) override
    {
        FResult.Result = result;
        FStopped = true;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override
    {
        *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION |
                 BINDF_NOWRITECACHE;
        const ULONG size = info->cbSize;
        ZeroMemory(info, size);
        info->cbSize = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override
    {
        if (medium && medium->tymed == TYMED_ISTREAM && medium->pstm)
            ReadAvailable(medium->pstm);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

private:
    ~TBindClient() = default;

    void ReadAvailable(IStream* stream)
    {
        char piece[4096];
        for (;;) {
            ULONG count = 0;
            const HRESULT result = stream->Read(piece, sizeof piece, &count);
            FResult.Content.append(piece, count);
            if (result != S_OK || count == 0)
                return;
        }
    }

    bool FStopped = false;
    TFetchResult FResult;
};

void PumpUntilStopped(const TBindClient* client, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (!client->Stopped() && ::GetTickCount64() < deadline) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (!client->Stopped())
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}

TFetchResult FetchUrl(const std::wstring& url, DWORD timeoutMs)
{
    const ComPtr<TBindClient> client(new TBindClient);
    ComPtr<IMoniker> moniker;
    ComPtr<IBindCtx> context;
    HRESULT result = ::CreateURLMonikerEx(nullptr, url.c_str(), moniker.GetAddressOf(), URL_MK_UNIFORM);
    if (SUCCEEDED(result))
        result = ::CreateAsyncBindCtx(0, client.Get(), nullptr, context.GetAddressOf());
    ComPtr<IStream> stream;
    if (SUCCEEDED(result))
        result = moniker->BindToStorage(context.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(stream.GetAddressOf()));
    if (FAILED(result) && !client->Stopped()) {
        client->Result().Result = result;
        return client->Result();
    }
    PumpUntilStopped(client.Get(), timeoutMs);
    if (!client->Stopped())
        client->Result().Result = HRESULT_FROM_WIN32(ERROR_TIMEOUT);
    return client->Result();
}
