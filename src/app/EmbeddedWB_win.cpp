// The browser host. What talks to what:
// - TEmbeddedWB creates the WebBrowser control (CLSID_WebBrowser) and hands it TBrowserSite as
//   its client site, then activates it in place inside the parent window. The control asks the
//   site for everything it needs from its container: the window and rectangles to draw in
//   (IOleInPlaceSite, IOleInPlaceFrame), the host's UI settings and window.external
//   (IDocHostUIHandler), and the ambient download-control flags (IDispatch).
// - TBrowserEventSink is advised on the control's DWebBrowserEvents2 connection point and
//   passes DocumentComplete on. It is a separate object because the site's IDispatch already
//   answers the ambient properties.
// - Both objects reach the window only through TEmbeddedWBEvents, and only until the host lets
//   go of them: the control may keep its references a little longer, so a late call finds no
//   window and does nothing.
// - The control's in-place object sees keyboard messages before they are dispatched, through
//   the message loop's filter; without it Tab and the editing keys do not reach the page.
// - No C++ exception leaves a COM method: each one that does work runs inside Guarded.
#include "app/EmbeddedWB.h"

#include "ComObject.h"
#include "UniqueHandle.h"
#include "app/Maker.h"
#include "app/MessageLoop.h"
#include "script/OleText.h"
#include "script/Registry.h"

#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <ocidl.h>


using Microsoft::WRL::ComPtr;

namespace {

// Pictures, videos and background sounds load, scripts run, and every request bypasses the cache.
constexpr LONG DownloadControlFlags = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_PRAGMA_NO_CACHE;

void FreeBstr(BSTR text) { ::SysFreeString(text); }
using UniqueBstr = UniqueHandle<BSTR, FreeBstr>;

template <typename Body>
HRESULT Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const EOleSysError& failure) {
        return failure.ErrorCode();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

void WriteUserAgentToken()
{
    TRegistry registry;
    if (registry.Open(UserAgentTokenKey, true))
        registry.PutText(UserAgentToken(), "");
}

void RemoveUserAgentToken() noexcept
{
    try {
        TRegistry registry;
        if (registry.Open(UserAgentTokenKey, false))
            registry.RemoveValue(UserAgentToken());
    } catch (...) {
        // Only memory can fail here; a token left behind is harmless.
    }
}

}

// IDispatch called only by dispatch identifier, as the control calls its site and its event
// sink: no type information and no names.
class TUntypedDispatch : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return DISP_E_UNKNOWNNAME;
    }
};

// The client site, in-place site and frame, UI handler and ambient-property source.
class TBrowserSite final
    : public TComObject<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame, IDocHostUIHandler, TUntypedDispatch> {
public:
    TBrowserSite(HWND parent, TEmbeddedWBEvents& events) : FParent(parent), FEvents(&events) {}

    // The host is going: later calls from the control find no window.
    void Detach() noexcept
    {
        FEvents = nullptr;
        FActiveObject.Reset();
    }
    IOleInPlaceActiveObject* ActiveObject() const { return FActiveObject.Get(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IOleClientSite)
            *object = static_cast<IOleClientSite*>(this);
        else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
            *object = static_cast<IOleInPlaceSite*>(this);
        else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
            *object = static_cast<IOleInPlaceFrame*>(this);
        else if (iid == IID_IDocHostUIHandler)
            *object = static_cast<IDocHostUIHandler*>(this);
        else if (iid == IID_IDispatch)
            *object = static_cast<IDispatch*>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    // IOleClientSite: the control is never saved and lives in no container of documents.
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        if (moniker)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override
    {
        if (!container)
            return E_POINTER;
        *container = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow, for the in-place site and the frame alike.
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override
    {
        if (!window)
            return E_POINTER;
        *window = FParent;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite: the control fills the parent's client area and is the frame's only object.
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override
    {
        if (!frame || !position || !clip || !info)
            return E_POINTER;
        *frame = static_cast<IOleInPlaceFrame*>(this);
        AddRef();
        if (document)
            *document = nullptr;
        ::GetClientRect(FParent, position);
        *clip = *position;
        info->fMDIApp = FALSE;
        info->hwndFrame = FParent;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override
    {
        FActiveObject.Reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }

    // IOleInPlaceUIWindow and IOleInPlaceFrame: no tool space, menus or status bar to share.
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* active, LPCOLESTR) override
    {
        FActiveObject = active;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    // IDocHostUIHandler: the browser's own menus and UI, no host flags, and window.external.
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override
    {
        if (!info)
            return E_POINTER;
        if (info->cbSize < sizeof(DOCHOSTUIINFO))
            return E_INVALIDARG;
        info->dwFlags = 0;
        info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) override
    {
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, const GUID*, DWORD) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD) override
    {
        if (key)
            *key = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget*, IDropTarget** target) override
    {
        if (target)
            *target = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override
    {
        if (!external)
            return E_POINTER;
        *external = nullptr;
        return Guarded([&] { return FEvents ? FEvents->BrowserGetExternal(external) : S_FALSE; });
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD, LPWSTR, LPWSTR* translated) override
    {
        if (translated)
            *translated = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject*, IDataObject** filtered) override
    {
        if (filtered)
            *filtered = nullptr;
        return S_FALSE;
    }

    // IDispatch: the ambient properties; only the download-control flags are answered.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override
    {
        if (id != DISPID_AMBIENT_DLCONTROL || !(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        if (!result)
            return E_POINTER;
        ::VariantInit(result);
        V_VT(result) = VT_I4;
        V_I4(result) = DownloadControlFlags;
        return S_OK;
    }

private:
    ~TBrowserSite() = default;

    HWND FParent;
    TEmbeddedWBEvents* FEvents;
    ComPtr<IOleInPlaceActiveObject> FActiveObject;
};

// The DWebBrowserEvents2 sink: DocumentComplete reaches the window, every other event is let be.
class TBrowserEventSink final : public TComObject<TUntypedDispatch> {
public:
    explicit TBrowserEventSink(TEmbeddedWBEvents& events) : FEvents(&events) {}

    void Detach() noexcept { FEvents = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        return Guarded([&] {
            // DocumentComplete(IDispatch* pDisp, VARIANT* URL): arguments arrive last first.
            if (id == DISPID_DOCUMENTCOMPLETE && FEvents && params && params->cArgs == 2) {
                const VARIANT& document = params->rgvarg[1];
                const VARIANT& url = params->rgvarg[0];
                const VARIANT* urlValue = V_VT(&url) == (VT_VARIANT | VT_BYREF) ? V_VARIANTREF(&url) : &url;
                FEvents->BrowserDocumentComplete(V_VT(&document) == VT_DISPATCH ? V_DISPATCH(&document) : nullptr,
                                                 *urlValue);
            }
            return S_OK;
        });
    }

private:
    ~TBrowserEventSink() = default;

    TEmbeddedWBEvents* FEvents;
};

TEmbeddedWB::TEmbeddedWB(HWND parent, TEmbeddedWBEvents& events)
    : FParent(parent), FSite(new TBrowserSite(parent, events)), FEventSink(new TBrowserEventSink(events))
{
    // Written before the control exists, so that the user-agent string it builds carries it.
    WriteUserAgentToken();
    try {
        OleCheck(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&FOleObject)));
        OleCheck(FOleObject->SetClientSite(FSite.Get()));
        OleCheck(FOleObject.As(&FBrowser));
        Activate(parent);
        Connect();
        SetMessageFilter([this](MSG& message) { return TranslateAccelerator(message); });
    } catch (...) {
        Close();
        throw;
    }
}

TEmbeddedWB::~TEmbeddedWB()
{
    Close();
}

void TEmbeddedWB::WithdrawUserAgentToken() noexcept
{
    RemoveUserAgentToken();
}

void TEmbeddedWB::Close() noexcept
{
    SetMessageFilter(nullptr);
    Disconnect();
    if (FOleObject) {
        FOleObject->Close(OLECLOSE_NOSAVE);
        FOleObject->SetClientSite(nullptr);
    }
    FSite->Detach();
    FEventSink->Detach();
    FBrowser.Reset();
    FOleObject.Reset();
    RemoveUserAgentToken();
}

void TEmbeddedWB::Activate(HWND parent)
{
    RECT client{};
    ::GetClientRect(parent, &client);
    OleCheck(FOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, FSite.Get(), 0, parent, &client));
}

void TEmbeddedWB::Connect()
{
    ComPtr<IConnectionPointContainer> container;
    OleCheck(FBrowser.As(&container));
    OleCheck(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &FEventPoint));
    OleCheck(FEventPoint->Advise(FEventSink.Get(), &FEventCookie));
}

void TEmbeddedWB::Disconnect() noexcept
{
    if (FEventPoint && FEventCookie)
        FEventPoint->Unadvise(FEventCookie);
    FEventCookie = 0;
    FEventPoint.Reset();
}

void TEmbeddedWB::SetBounds(const RECT& bounds)
{
    ComPtr<IOleInPlaceObject> inPlace;
    if (SUCCEEDED(FOleObject.As(&inPlace)))
        inPlace->SetObjectRects(&bounds, &bounds);
}

HRESULT TEmbeddedWB::Navigate(const std::wstring& url)
{
    const UniqueBstr address(::SysAllocString(url.c_str()));
    if (!address)
        return E_OUTOFMEMORY;
    VARIANT none;
    ::VariantInit(&none);
    return FBrowser->Navigate(address.Get(), &none, &none, &none, &none);
}

std::wstring TEmbeddedWB::LocationURL() const
{
    BSTR location = nullptr;
    if (FAILED(FBrowser->get_LocationURL(&location)))
        return {};
    const UniqueBstr owned(location);
    return owned ? std::wstring(owned.Get(), ::SysStringLen(owned.Get())) : std::wstring();
}

bool TEmbeddedWB::TranslateAccelerator(MSG& message)
{
    const bool forControl = message.hwnd == FParent || ::IsChild(FParent, message.hwnd);
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !forControl)
        return false;
    IOleInPlaceActiveObject* active = FSite->ActiveObject();
    return active && active->TranslateAccelerator(&message) == S_OK;
}
