#pragma once

#include <objbase.h>

// COM for the calling thread, in a single-threaded apartment (the script engine and the
// dialogs need one), for as long as the object lives.
struct TComSession {
    TComSession() { ::CoInitialize(nullptr); }
    ~TComSession() { ::CoUninitialize(); }
    TComSession(const TComSession&) = delete;
    TComSession& operator=(const TComSession&) = delete;
};
