#include "script/AutoIntfObject.h"

#include <new>

namespace {

std::wstring MessageOf(const std::exception& failure)
{
    if (dynamic_cast<const std::bad_alloc*>(&failure))
        return L"Out of memory";
    return WideMessage(failure);
}

}

HRESULT ScriptFailure(REFIID iid, const std::exception* failure)
{
    Microsoft::WRL::ComPtr<ICreateErrorInfo> created;
    if (FAILED(::CreateErrorInfo(created.GetAddressOf())))
        return E_UNEXPECTED;
    created->SetGUID(iid);
    if (failure) {
        const std::wstring description = MessageOf(*failure);
        created->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    }
    Microsoft::WRL::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(created.As(&info)))
        ::SetErrorInfo(0, info.Get());
    const auto* oleError = dynamic_cast<const EOleSysError*>(failure);
    return oleError && oleError->ErrorCode() < 0 ? oleError->ErrorCode() : E_UNEXPECTED;
}
