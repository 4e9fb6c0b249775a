#pragma once

// The script objects behind the previewed pages. Every HTML page served gets a root object of
// its own, as the program hands out one for each request of the browser, and a script that
// makes window.external a proxy of it: each method of the proxy posts its arguments back to the
// preview, which calls the real object by name through IDispatch (GetIDsOfNames and Invoke),
// the same dispatch a page's script engine uses in the program, on this, the objects' thread.

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <map>
#include <string>
#include <string_view>

class TPreviewCalls {
public:
    // The members of the proxy come from the program's type library: the root object's methods,
    // and for each of its object properties that object's methods.
    TPreviewCalls();

    // A new root object and the script element that makes it the page's window.external,
    // posting its calls to callPath. Of the pages whose pagehide never came (a browser that
    // was killed, a client that is no browser), only the MaxPages that called last keep their
    // objects: a page that has not called for that long loses them.
    std::string NewPageScript(std::string_view callPath);
    static constexpr std::size_t MaxPages = 32;

    // Runs one call, a JSON array [page, property, method, marks, arguments...] (property empty
    // for a method of the root object; marks a "u" for each argument that was undefined, a "-"
    // for any other), and gives the JSON answer: {"value": result}, {} for a call
    // with no result, or {"error": message}. May run nested calls while a dialog is open.
    // [page] alone: the page is gone, and its root object is released.
    std::string Call(std::string_view body);

private:
    struct TPage {
        Microsoft::WRL::ComPtr<IDispatch> Root;
        unsigned long long LastUse = 0;
    };
    void ReleaseLeastRecentPage();

    std::string FShape;
    std::map<long, TPage> FRoots;
    long FLastPage = 0;
    unsigned long long FUses = 0;
};
