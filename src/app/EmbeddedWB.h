#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <string>

// What the browser asks of the window that hosts it. Both calls come from within the
// browser's message processing on the main thread.
class TEmbeddedWBEvents {
public:
    // The object that the scripts of the document at documentUrl (the page or one of its
    // frames, whichever asks) reach as window.external: S_OK with one reference in *external,
    // or S_FALSE and null when that document gets none.
    virtual HRESULT BrowserGetExternal(const std::wstring& documentUrl, IDispatch** external) = 0;
    // A document (a page or a frame) has been loaded.
    virtual void BrowserDocumentComplete(IDispatch* document, const VARIANT& url) = 0;

protected:
    ~TEmbeddedWBEvents() = default;
};

// Calls the function name of a page's script object (its window, as IHTMLDocument::get_Script
// gives it) with one boolean argument; false when there is no such function or it failed.
bool CallScriptFunction(IDispatch* script, const wchar_t* name, bool argument);

class TBrowserSite;
class TBrowserEventSink;

// The WebBrowser control, created as a child of parent, active in place and hosted by a site
// of our own. While it exists the program's user-agent token is in the registry.
class TEmbeddedWB {
public:
    TEmbeddedWB(HWND parent, TEmbeddedWBEvents& events);
    ~TEmbeddedWB();
    TEmbeddedWB(const TEmbeddedWB&) = delete;
    TEmbeddedWB& operator=(const TEmbeddedWB&) = delete;

    // Places the control over the given part of the parent's client area.
    void SetBounds(const RECT& bounds);
    // Navigates with no flags, target frame, post data or headers.
    HRESULT Navigate(const std::wstring& url);
    // The address of the document in the control; empty when there is none.
    std::wstring LocationURL() const;
    // Calls the global function name of the shown page's scripts with one boolean argument:
    // false when no page is shown or it has no such function, or the function failed.
    bool CallPageFunction(const wchar_t* name, bool argument);
    // Loads the shown page again.
    void Reload();
    IWebBrowser2* Browser() const { return FBrowser.Get(); }
    // The sink advised on the control's DWebBrowserEvents2, for firing events as the control does.
    IDispatch* EventSink() const;
    // Takes the user-agent token out of the registry before the control goes, when the process
    // may end at any moment.
    static void WithdrawUserAgentToken() noexcept;

private:
    void Activate(HWND parent);
    void Connect();
    void Disconnect() noexcept;
    // Lets go of the control and the token; what the destructor and a failed construction share.
    void Close() noexcept;
    // Lets the in-place object see keyboard messages for its windows before they are dispatched.
    bool TranslateAccelerator(MSG& message);

    HWND FParent;
    Microsoft::WRL::ComPtr<TBrowserSite> FSite;
    Microsoft::WRL::ComPtr<TBrowserEventSink> FEventSink;
    Microsoft::WRL::ComPtr<IOleObject> FOleObject;
    Microsoft::WRL::ComPtr<IWebBrowser2> FBrowser;
    Microsoft::WRL::ComPtr<IConnectionPoint> FEventPoint;
    DWORD FEventCookie = 0;
};
