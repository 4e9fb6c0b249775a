// The browser host. What talks to what:
// - TEmbeddedWB creates the WebBrowser control (CLSID_WebBrowser) and hands it TBrowserSite as
//   its client site, then activates it in place inside the parent window. The control asks the
//   site for everything it needs from its container: the window and rectangles to draw in
//   (IOleInPlaceSite, IOleInPlaceFrame), the host's UI settings and window.external
//   (IDocHostUIHandler), and the ambient download-control flags (IDispatch).
// - TBrowserEventSink is advised on the control's DWebBrowserEvents2 connection point and
//   passes DocumentComplete on. It is a separate object because the site's IDispatch already
//   answers the ambient properties.
// - window.external is decided for the document that asks, never by the page's address alone:
//   the page's document asks the site, and each frame's document, as NavigateComplete2 reports
//   it, is given a TDocumentUIHandler of its own that asks with the frame's address.
// - Both objects reach the window only through TEmbeddedWBEvents, and only until the host lets
//   go of them: the control may keep its references a little longer, so a late call finds no
//   window and does nothing.
// - The control's in-place object sees keyboard messages before they are dispatched, through
//   the message loop's filter; without it Tab and the editing keys do not reach the page.
// - No C++ exception leaves a COM method: each one that does work runs inside Guarded.
#include "app/EmbeddedWB.h"

#include "ComObject.h"
#include "UniqueBstr.h"
#include "UntypedDispatch.h"
#include "app/Maker.h"
#include "app/PageUrl.h"
#include "script/OleText.h"
#include "script/Registry.h"
#include "script/MessageLoop.h"

#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <mshtml.h>
#include <ocidl.h>


using Microsoft::WRL::ComPtr;

namespace {

// Pictures, videos and background sounds load, scripts run, and every request bypasses the cache.
constexpr LONG DownloadControlFlags = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_PRAGMA_NO_CACHE;
// The pages are laid out and drawn at the display's scale, as the program's windows are,
// rather than at 96 DPI.
constexpr DWORD HostUiFlags = DOCHOSTUIFLAG_DPI_AWARE;

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

// Takes ownership of the string.
std::wstring TextOf(BSTR text)
{
    const UniqueBstr owned(text);
    return owned ? std::wstring(owned.Get(), ::SysStringLen(owned.Get())) : std::wstring();
}

std::wstring TextOf(const VARIANT& value)
{
    return V_VT(&value) == VT_BSTR && V_BSTR(&value) ? std::wstring(V_BSTR(&value), ::SysStringLen(V_BSTR(&value)))
                                                     : std::wstring();
}

bool SameObject(IUnknown* first, IUnknown* second)
{
    ComPtr<IUnknown> one, other;
    return first && second && SUCCEEDED(first->QueryInterface(IID_PPV_ARGS(&one))) &&
           SUCCEEDED(second->QueryInterface(IID_PPV_ARGS(&other))) && one.Get() == other.Get();
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

// The client site, in-place site and frame, UI handler and ambient-property source.
class TBrowserSite final
    : public TComObject<IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame, IDocHostUIHandler, TUntypedDispatch> {
public:
    TBrowserSite(HWND parent, TEmbeddedWBEvents& events) : FParent(parent), FEvents(&events) {}

    // The control, which the host owns.
    void SetBrowser(IWebBrowser2* browser) noexcept { FBrowser = browser; }
    // The host is going: later calls from the control find no window.
    void Detach() noexcept
    {
        FEvents = nullptr;
        FBrowser = nullptr;
        FActiveObject.Reset();
    }

    // window.external for the document at documentUrl, whichever document asks.
    HRESULT ExternalFor(const std::wstring& documentUrl, IDispatch** external)
    {
        return Guarded([&] { return FEvents ? FEvents->BrowserGetExternal(documentUrl, external) : S_FALSE; });
    }

    // NavigateComplete2, for the page and each of its frames. A frame of another scheme whose
    // document cannot be given a handler of its own would ask here, where it cannot be told from
    // the page: then no document of the page is answered here until the next page.
    void DocumentCreated(IDispatch* frame, const std::wstring& url)
    {
        if (SameObject(frame, FBrowser))
            FForeignFrameUnattributed = false;
        else if (!AttachFrameHandler(frame) && !IsTweaksUrl(url))
            FForeignFrameUnattributed = true;
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

    // IDocHostUIHandler: the browser's own menus and UI, the display scale, and window.external.
    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override
    {
        if (!info)
            return E_POINTER;
        if (info->cbSize < sizeof(DOCHOSTUIINFO))
            return E_INVALIDARG;
        info->dwFlags = HostUiFlags;
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
    // Asked by the page's own document: decided by the page's address.
    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override
    {
        if (!external)
            return E_POINTER;
        *external = nullptr;
        if (!FBrowser || FForeignFrameUnattributed)
            return S_FALSE;
        BSTR location = nullptr;
        if (FAILED(FBrowser->get_LocationURL(&location)))
            return S_FALSE;
        return Guarded([&] { return ExternalFor(TextOf(location), external); });
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
    bool AttachFrameHandler(IDispatch* frame);

    HWND FParent;
    TEmbeddedWBEvents* FEvents;
    IWebBrowser2* FBrowser = nullptr;
    bool FForeignFrameUnattributed = false;
    ComPtr<IOleInPlaceActiveObject> FActiveObject;
};

// The UI handler of one frame's document: window.external is decided by that document's own
// address, every other question gets the site's answer. The document owns its handler, so the
// pointer back to it is valid whenever the document calls.
class TDocumentUIHandler final : public TComObject<IDocHostUIHandler> {
public:
    TDocumentUIHandler(TBrowserSite* site, IHTMLDocument2* document) : FSite(site), FDocument(document) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IDocHostUIHandler) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDocHostUIHandler*>(this);
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetExternal(IDispatch** external) override
    {
        if (!external)
            return E_POINTER;
        *external = nullptr;
        BSTR url = nullptr;
        if (FAILED(FDocument->get_URL(&url)))
            return S_FALSE;
        return Guarded([&] { return FSite->ExternalFor(TextOf(url), external); });
    }

    HRESULT STDMETHODCALLTYPE ShowContextMenu(DWORD id, POINT* point, IUnknown* target, IDispatch* object) override
    {
        return Site()->ShowContextMenu(id, point, target, object);
    }
    HRESULT STDMETHODCALLTYPE GetHostInfo(DOCHOSTUIINFO* info) override { return Site()->GetHostInfo(info); }
    HRESULT STDMETHODCALLTYPE ShowUI(DWORD id, IOleInPlaceActiveObject* active, IOleCommandTarget* target,
                                     IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override
    {
        return Site()->ShowUI(id, active, target, frame, document);
    }
    HRESULT STDMETHODCALLTYPE HideUI() override { return Site()->HideUI(); }
    HRESULT STDMETHODCALLTYPE UpdateUI() override { return Site()->UpdateUI(); }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override { return Site()->EnableModeless(enable); }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL active) override { return Site()->OnDocWindowActivate(active); }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL active) override
    {
        return Site()->OnFrameWindowActivate(active);
    }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override
    {
        return Site()->ResizeBorder(border, window, frame);
    }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) override
    {
        return Site()->TranslateAccelerator(message, group, command);
    }
    HRESULT STDMETHODCALLTYPE GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override
    {
        return Site()->GetOptionKeyPath(key, reserved);
    }
    HRESULT STDMETHODCALLTYPE GetDropTarget(IDropTarget* target, IDropTarget** replacement) override
    {
        return Site()->GetDropTarget(target, replacement);
    }
    HRESULT STDMETHODCALLTYPE TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* translated) override
    {
        return Site()->TranslateUrl(translate, url, translated);
    }
    HRESULT STDMETHODCALLTYPE FilterDataObject(IDataObject* data, IDataObject** filtered) override
    {
        return Site()->FilterDataObject(data, filtered);
    }

private:
    ~TDocumentUIHandler() = default;
    IDocHostUIHandler* Site() const { return FSite.Get(); }

    ComPtr<TBrowserSite> FSite;
    IHTMLDocument2* FDocument;
};

bool TBrowserSite::AttachFrameHandler(IDispatch* frame)
{
    ComPtr<IWebBrowser2> browser;
    ComPtr<IDispatch> document;
    ComPtr<ICustomDoc> custom;
    ComPtr<IHTMLDocument2> html;
    if (!frame || FAILED(frame->QueryInterface(IID_PPV_ARGS(&browser))) || FAILED(browser->get_Document(&document)) ||
        !document || FAILED(document.As(&custom)) || FAILED(document.As(&html)))
        return false;
    const ComPtr<IDocHostUIHandler> handler(new TDocumentUIHandler(this, html.Get()));
    return SUCCEEDED(custom->SetUIHandler(handler.Get()));
}

// The DWebBrowserEvents2 sink: DocumentComplete reaches the window, NavigateComplete2 the site,
// every other event is let be.
class TBrowserEventSink final : public TWebBrowserEventSink {
public:
    TBrowserEventSink(TEmbeddedWBEvents& events, TBrowserSite* site) : FEvents(&events), FSite(site) {}

    void Detach() noexcept
    {
        FEvents = nullptr;
        FSite.Reset();
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        return Guarded([&] {
            // DocumentComplete and NavigateComplete2(IDispatch* pDisp, VARIANT* URL): arguments
            // arrive last first.
            if (!params || params->cArgs != 2)
                return S_OK;
            IDispatch* frame = V_VT(&params->rgvarg[1]) == VT_DISPATCH ? V_DISPATCH(&params->rgvarg[1]) : nullptr;
            const VARIANT& url = params->rgvarg[0];
            const VARIANT& urlValue = V_VT(&url) == (VT_VARIANT | VT_BYREF) ? *V_VARIANTREF(&url) : url;
            if (id == DISPID_DOCUMENTCOMPLETE && FEvents)
                FEvents->BrowserDocumentComplete(frame, urlValue);
            else if (id == DISPID_NAVIGATECOMPLETE2 && FSite)
                FSite->DocumentCreated(frame, TextOf(urlValue));
            return S_OK;
        });
    }

private:
    ~TBrowserEventSink() = default;

    TEmbeddedWBEvents* FEvents;
    ComPtr<TBrowserSite> FSite;
};

TEmbeddedWB::TEmbeddedWB(HWND parent, TEmbeddedWBEvents& events)
    : FParent(parent), FSite(new TBrowserSite(parent, events)), FEventSink(new TBrowserEventSink(events, FSite.Get()))
{
    // Written before the control exists, so that the user-agent string it builds carries it.
    WriteUserAgentToken();
    try {
        OleCheck(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&FOleObject)));
        OleCheck(FOleObject->SetClientSite(FSite.Get()));
        OleCheck(FOleObject.As(&FBrowser));
        FSite->SetBrowser(FBrowser.Get());
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

IDispatch* TEmbeddedWB::EventSink() const
{
    return FEventSink.Get();
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
    return TextOf(location);
}

bool CallScriptFunction(IDispatch* script, const wchar_t* name, bool argument)
{
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (!script || FAILED(script->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        return false;
    VARIANT value;
    ::VariantInit(&value);
    V_VT(&value) = VT_BOOL;
    V_BOOL(&value) = argument ? VARIANT_TRUE : VARIANT_FALSE;
    DISPPARAMS params{&value, nullptr, 1, 0};
    VARIANT result;
    ::VariantInit(&result);
    const HRESULT outcome =
        script->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    ::VariantClear(&result);
    return SUCCEEDED(outcome);
}

bool TEmbeddedWB::CallPageFunction(const wchar_t* name, bool argument)
{
    ComPtr<IDispatch> document;
    ComPtr<IHTMLDocument> html;
    ComPtr<IDispatch> script;
    if (FAILED(FBrowser->get_Document(&document)) || !document || FAILED(document.As(&html)) ||
        FAILED(html->get_Script(&script)))
        return false;
    return CallScriptFunction(script.Get(), name, argument);
}

void TEmbeddedWB::Reload()
{
    FBrowser->Refresh();
}

bool TEmbeddedWB::TranslateAccelerator(MSG& message)
{
    const bool forControl = message.hwnd == FParent || ::IsChild(FParent, message.hwnd);
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !forControl)
        return false;
    IOleInPlaceActiveObject* active = FSite->ActiveObject();
    return active && active->TranslateAccelerator(&message) == S_OK;
}
