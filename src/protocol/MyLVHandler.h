#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "ComObject.h"

#include <windows.h>
#include <urlmon.h>
#include <wrl/client.h>

#include <atomic>
#include <memory>

class TMemoryStream;
#endif

// The scheme the program serves its pages through ("tweaks://tweaks/start.html").
inline constexpr std::wstring_view DefaultSchemeName = L"tweaks";
// Characters dropped from the front of every URL: the scheme name and "://".
inline constexpr std::size_t UrlPrefixLength = DefaultSchemeName.size() + 3;
inline constexpr std::size_t MaxEntryPathLength = 9999;

// The entry path the content manager is asked for: the URL without its first UrlPrefixLength
// characters, which are not looked at, cut to MaxEntryPathLength characters, with every "/"
// turned into "\". Host, query, fragment and escapes stay as they are; a URL of up to
// UrlPrefixLength characters gives the empty path.
std::string EntryPathFromUrl(std::string_view url);

#ifdef _WIN32
// The name registered with the internet session. It outlives the windows, which withdraw the
// scheme under this name, and is cleared by ClearSchemeName when the program tears down.
extern std::wstring SchemeName;
void ClearSchemeName();

extern const CLSID CLSID_MyLVHandler;

// Handlers alive now, in the whole process; the tray's Exit asks before it ends the program.
long ActiveHandlerCount();
// LockServer calls of the handler's class factory not yet undone, in the whole process.
long ServerLockCount();

// Serves one "tweaks:" request: Start reads the whole entry, reports it complete at once and
// hands it out through Read; Terminate lets go of it. Made by Create, which the factory calls.
class TMyLVHandler final : public IInternetProtocol, public ISupportErrorInfo {
public:
    // Makes a handler and answers iid from its own (non-delegating) IUnknown. With an outer
    // object only iid IUnknown is meaningful; the factory checks that.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** object);

    TMyLVHandler(const TMyLVHandler&) = delete;
    TMyLVHandler& operator=(const TMyLVHandler&) = delete;
    TMyLVHandler(TMyLVHandler&&) = delete;
    TMyLVHandler& operator=(TMyLVHandler&&) = delete;

    // Delegated to the controlling unknown: the outer object when aggregated, else our own.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo,
                                    DWORD flags, HANDLE_PTR reserved) override;
    HRESULT STDMETHODCALLTYPE Continue(PROTOCOLDATA* data) override;
    HRESULT STDMETHODCALLTYPE Abort(HRESULT reason, DWORD options) override;
    HRESULT STDMETHODCALLTYPE Terminate(DWORD options) override;
    HRESULT STDMETHODCALLTYPE Suspend() override;
    HRESULT STDMETHODCALLTYPE Resume() override;
    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* countRead) override;
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override;
    HRESULT STDMETHODCALLTYPE LockRequest(DWORD options) override;
    HRESULT STDMETHODCALLTYPE UnlockRequest() override;

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    // The identity of the handler: it owns the reference count and never delegates.
    class TInnerUnknown final : public IUnknown {
    public:
        explicit TInnerUnknown(TMyLVHandler& owner) : FOwner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        TMyLVHandler& FOwner;
    };

    explicit TMyLVHandler(IUnknown* outer);
    ~TMyLVHandler();

    // Fills FPath, FContent and FDataSize; S_OK or the failure to report to the sink.
    HRESULT LoadContent(LPCWSTR url) noexcept;

    TInnerUnknown FInner{*this};
    // Not a counted reference: an aggregated object never holds its outer one.
    IUnknown* FOuter;
    std::atomic<ULONG> FRefCount{0};

    std::string FPath;
    LONG FBytesRead = 0;
    LONG FDataSize = 0;
    Microsoft::WRL::ComPtr<IInternetProtocolSink> FSink;
    // The decoded entry, read out from here as it is: no copy into a stream of the platform's.
    std::unique_ptr<TMemoryStream> FContent;
};

// Makes a new TMyLVHandler for every CreateInstance; an outer object only for IID_IUnknown.
class TMyLVHandlerFactory final : public TComObject<IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~TMyLVHandlerFactory() override = default;
};
#endif
