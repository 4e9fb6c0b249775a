#pragma once

#include "protocol/MyLVHandler.h"

#include <urlmon.h>
#include <wrl/client.h>

#include <stdexcept>

// The scheme registered with the process's internet session, as the main window does.
class TSchemeRegistration {
public:
    TSchemeRegistration() : FFactory(new TMyLVHandlerFactory)
    {
        if (FAILED(::CoInternetGetSession(0, FSession.GetAddressOf(), 0)) ||
            FAILED(FSession->RegisterNameSpace(FFactory.Get(), CLSID_MyLVHandler, SchemeName.c_str(), 0, nullptr, 0)))
            throw std::runtime_error("cannot register the scheme");
    }
    ~TSchemeRegistration() { FSession->UnregisterNameSpace(FFactory.Get(), SchemeName.c_str()); }
    TSchemeRegistration(const TSchemeRegistration&) = delete;
    TSchemeRegistration& operator=(const TSchemeRegistration&) = delete;

private:
    Microsoft::WRL::ComPtr<IClassFactory> FFactory;
    Microsoft::WRL::ComPtr<IInternetSession> FSession;
};
