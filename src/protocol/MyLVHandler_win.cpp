// The "tweaks:" scheme handler. What talks to what:
// - The main window registers a TMyLVHandlerFactory with urlmon's internet session under
//   SchemeName. urlmon asks it for a new TMyLVHandler for every URL of the scheme, usually as
//   the inner object of an aggregate of its own (an outer object and IID_IUnknown).
// - Start turns the URL into an entry path, has FileManager decode the entry into memory and
//   keeps it. Still inside Start it tells the sink that all data is there (ReportData) and that
//   the request is done (ReportResult). urlmon reads through Read, under Wine from inside
//   ReportData, straight out of the decoded bytes, and lets go with Terminate.
// - The content manager reports failures as exceptions. LoadContent is the one place that
//   catches them and turns them into the result the sink is given, so no exception leaves a COM
//   method and the browser always hears the end of its request.
#include "protocol/MyLVHandler.h"

#include "EnvironmentEvent.h"
#include "store/FileManager.h"
#include "store/Streams.h"

#include <atomic>
#include <cwchar>
#include <new>
#include <stdexcept>

using Microsoft::WRL::ComPtr;

std::wstring SchemeName(DefaultSchemeName);

void ClearSchemeName()
{
    std::wstring().swap(SchemeName);
}

const CLSID CLSID_MyLVHandler = {0xB9C58654, 0xACD4, 0x4E94, {0xA9, 0x82, 0xBB, 0xE2, 0x27, 0xBB, 0xE0, 0x9C}};

namespace {

std::atomic<long> LiveHandlers{0};
std::atomic<long> ServerLocks{0};

constexpr DWORD AllDataReported = BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION | BSCF_DATAFULLYAVAILABLE;

std::string AnsiFromUrl(LPCWSTR url)
{
    const int length = static_cast<int>(std::wcslen(url));
    const int size = ::WideCharToMultiByte(CP_ACP, 0, url, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, url, length, text.data(), size, nullptr, nullptr);
    return text;
}

// When this variable names an event, the first request served after it was set sets the event:
// how a start-up measurement sees, from outside the program, that the start page was served.
constexpr char FirstRequestEventVariable[] = "LUMIVANTA_FIRST_REQUEST_EVENT";
std::atomic<bool> FirstRequestSignalled{false};

void SignalFirstRequest() noexcept
{
    if (!FirstRequestSignalled.load() && SetEventNamedIn(FirstRequestEventVariable))
        FirstRequestSignalled.store(true);
}

TFileManager& ContentManager()
{
    if (!FileManager)
        throw std::logic_error("The content manager is not running");
    return *FileManager;
}

}

long ActiveHandlerCount()
{
    return LiveHandlers;
}

long ServerLockCount()
{
    return ServerLocks;
}

HRESULT TMyLVHandler::Create(IUnknown* outer, REFIID iid, void** object)
{
    auto* handler = new (std::nothrow) TMyLVHandler(outer);
    if (!handler)
        return E_OUTOFMEMORY;
    // The only reference until QueryInterface adds the caller's; a refused iid frees the handler.
    const ComPtr<IUnknown> inner(&handler->FInner);
    return inner->QueryInterface(iid, object);
}

TMyLVHandler::TMyLVHandler(IUnknown* outer) : FOuter(outer ? outer : &FInner)
{
    ++LiveHandlers;
}

TMyLVHandler::~TMyLVHandler()
{
    --LiveHandlers;
}

HRESULT TMyLVHandler::TInnerUnknown::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    IUnknown* found = nullptr;
    if (iid == IID_IUnknown)
        found = this;
    else if (iid == IID_IInternetProtocol || iid == IID_IInternetProtocolRoot)
        found = static_cast<IInternetProtocol*>(&FOwner);
    else if (iid == IID_ISupportErrorInfo)
        found = static_cast<ISupportErrorInfo*>(&FOwner);
    *object = found;
    if (!found)
        return E_NOINTERFACE;
    found->AddRef();
    return S_OK;
}

ULONG TMyLVHandler::TInnerUnknown::AddRef()
{
    return ++FOwner.FRefCount;
}

ULONG TMyLVHandler::TInnerUnknown::Release()
{
    const ULONG count = --FOwner.FRefCount;
    if (count == 0)
        delete &FOwner;
    return count;
}

HRESULT TMyLVHandler::QueryInterface(REFIID iid, void** object)
{
    return FOuter->QueryInterface(iid, object);
}

ULONG TMyLVHandler::AddRef()
{
    return FOuter->AddRef();
}

ULONG TMyLVHandler::Release()
{
    return FOuter->Release();
}

HRESULT TMyLVHandler::Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo*, DWORD, HANDLE_PTR)
{
    if (!url || !sink)
        return E_INVALIDARG;
    FBytesRead = 0;
    FSink = sink;
    // urlmon may read and even terminate from inside ReportData; the result must reach the
    // sink all the same.
    const ComPtr<IInternetProtocolSink> reportTo = FSink;
    const HRESULT result = LoadContent(url);
    if (SUCCEEDED(result)) {
        SignalFirstRequest();
        reportTo->ReportData(AllDataReported, static_cast<ULONG>(FDataSize), static_cast<ULONG>(FDataSize));
    }
    reportTo->ReportResult(result, 0, nullptr);
    return S_OK;
}

HRESULT TMyLVHandler::LoadContent(LPCWSTR url) noexcept
{
    FContent.reset();
    FDataSize = 0;
    try {
        FPath = EntryPathFromUrl(AnsiFromUrl(url));
        auto content = std::make_unique<TMemoryStream>();
        ContentManager().GetContent(FPath, *content);
        FDataSize = static_cast<LONG>(content->Size());
        FContent = std::move(content);
        return S_OK;
    } catch (const EFOpenError&) {
        return INET_E_RESOURCE_NOT_FOUND;
    } catch (...) {
        return INET_E_DATA_NOT_AVAILABLE;
    }
}

HRESULT TMyLVHandler::Continue(PROTOCOLDATA*)
{
    return S_OK;
}

HRESULT TMyLVHandler::Abort(HRESULT, DWORD)
{
    return E_NOTIMPL;
}

HRESULT TMyLVHandler::Terminate(DWORD)
{
    FContent.reset();
    FSink.Reset();
    return S_OK;
}

HRESULT TMyLVHandler::Suspend()
{
    return E_NOTIMPL;
}

HRESULT TMyLVHandler::Resume()
{
    return E_NOTIMPL;
}

HRESULT TMyLVHandler::Read(void* buffer, ULONG size, ULONG* countRead)
{
    if (countRead)
        *countRead = 0;
    // Never started, failed or terminated: there is nothing to read.
    if (!FContent)
        return S_FALSE;
    if (!buffer && size != 0)
        return E_INVALIDARG;
    const auto count = static_cast<ULONG>(FContent->Read(buffer, size));
    FBytesRead += static_cast<LONG>(count);
    if (countRead)
        *countRead = count;
    // S_OK while bytes remain: E_PENDING would make urlmon wait for a ReportData that never
    // comes, and Wine's then stops after the first piece.
    return FBytesRead < FDataSize ? S_OK : S_FALSE;
}

HRESULT TMyLVHandler::Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}

HRESULT TMyLVHandler::LockRequest(DWORD)
{
    return S_OK;
}

HRESULT TMyLVHandler::UnlockRequest()
{
    return S_OK;
}

HRESULT TMyLVHandler::InterfaceSupportsErrorInfo(REFIID)
{
    // Its failures are HRESULTs and sink results; it never sets error information, so a client
    // that looked would only find what another call left behind.
    return S_FALSE;
}

HRESULT TMyLVHandlerFactory::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

HRESULT TMyLVHandlerFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer && iid != IID_IUnknown)
        return CLASS_E_NOAGGREGATION;
    return TMyLVHandler::Create(outer, iid, object);
}

HRESULT TMyLVHandlerFactory::LockServer(BOOL lock)
{
    if (lock) {
        ++ServerLocks;
        return S_OK;
    }
    long held = ServerLocks;
    while (held > 0 && !ServerLocks.compare_exchange_weak(held, held - 1)) {
    }
    return held > 0 ? S_OK : E_UNEXPECTED;
}
