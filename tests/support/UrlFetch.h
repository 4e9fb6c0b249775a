#pragma once

// A client of urlmon that fetches a URL as a browser does: an asynchronous binding to a stream
// with a bind-status callback of its own, messages pumped until the binding stops.
// (URLOpenBlockingStream fails under Wine for a scheme that reports no cache file.)

#include <windows.h>

#include <string>

struct TFetchResult {
    HRESULT Result = E_FAIL; // what OnStopBinding was given, or why the binding never started
    std::string Content;
};

// Needs COM on the calling thread. Gives up after timeoutMs with HRESULT_FROM_WIN32(ERROR_TIMEOUT).
TFetchResult FetchUrl(const std::wstring& url, DWORD timeoutMs = 10000);
