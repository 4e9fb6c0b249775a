// The platform's floor for the start-up benchmark: the least a program can do to show the
// browser control the program shows. It makes one window, hosts the WebBrowser control in it
// through the program's own host (TEmbeddedWB) and navigates it to about:blank. At its mark it
// sets the event named in LUMIVANTA_FIRST_REQUEST_EVENT, as the program's scheme handler does for
// its first request, and ends. The request for about:blank itself is served inside the platform,
// out of sight, so the mark is either the last event before it, BeforeNavigate2 ("/before"), or
// the first event after it: NavigateComplete2, NavigateError or DocumentComplete.
#include "app/EmbeddedWB.h"

#include "EnvironmentEvent.h"
#include "UntypedDispatch.h"

#include <windows.h>
#include <exdispid.h>
#include <wrl/client.h>

#include <cstdlib>
#include <cstring>

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t WindowClass[] = L"LumivantaStartupFloor";

class TNoEvents final : public TEmbeddedWBEvents {
public:
    HRESULT BrowserGetExternal(const std::wstring&, IDispatch** external) override
    {
        *external = nullptr;
        return S_FALSE;
    }
    void BrowserDocumentComplete(IDispatch*, const VARIANT&) override {}
};

bool IsNavigationEnd(DISPID id)
{
    return id == DISPID_NAVIGATECOMPLETE2 || id == DISPID_NAVIGATEERROR || id == DISPID_DOCUMENTCOMPLETE;
}

// Ends the program at its mark.
class TNavigationWatch final : public TWebBrowserEventSink {
public:
    explicit TNavigationWatch(bool markBefore) : FMarkBefore(markBefore) {}

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        const bool mark = FMarkBefore ? id == DISPID_BEFORENAVIGATE2 : IsNavigationEnd(id);
        if (mark && !FSeen) {
            FSeen = true;
            SetEventNamedIn("LUMIVANTA_FIRST_REQUEST_EVENT");
            ::PostQuitMessage(0);
        }
        return S_OK;
    }

private:
    bool FMarkBefore;
    bool FSeen = false;
};

HWND MakeWindow(HINSTANCE instance)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = WindowClass;
    windowClass.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(WS_EX_APPWINDOW, WindowClass, L"Start-up floor", WS_OVERLAPPEDWINDOW,
                                          CW_USEDEFAULT, CW_USEDEFAULT, 700, 500, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, SW_SHOW);
    return window;
}

void RunMessages()
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

int Run(HWND window, bool markBefore)
{
    TNoEvents events;
    TEmbeddedWB browser(window, events);
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    const ComPtr<TNavigationWatch> watch = new TNavigationWatch(markBefore);
    if (FAILED(browser.Browser()->QueryInterface(IID_PPV_ARGS(&container))) ||
        FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &point)) ||
        FAILED(point->Advise(watch.Get(), &cookie)))
        return EXIT_FAILURE;
    const HRESULT navigated = browser.Navigate(L"about:blank");
    if (SUCCEEDED(navigated))
        RunMessages();
    point->Unadvise(cookie);
    return SUCCEEDED(navigated) ? EXIT_SUCCESS : EXIT_FAILURE;
}

}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    if (FAILED(::OleInitialize(nullptr)))
        return EXIT_FAILURE;
    const HWND window = MakeWindow(instance);
    int status = EXIT_FAILURE;
    try {
        status = Run(window, std::strcmp(commandLine, "/before") == 0);
    } catch (...) {
        status = EXIT_FAILURE;
    }
    ::DestroyWindow(window);
    ::OleUninitialize();
    return status;
}
