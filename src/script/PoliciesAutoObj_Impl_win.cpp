#include "script/PoliciesAutoObj_Impl.h"

#include "script/PolicyTemplates.h"

namespace {

std::shared_ptr<const TPolicySet> TemplatesIn(BSTR folder)
{
    const std::wstring given = WideFromBstr(folder);
    return PolicyTemplates(given.empty() ? DefaultPolicyFolder() : given);
}

}

HRESULT TPoliciesAutoObj::CategoryList(BSTR folder, VARIANT* res)
{
    return ScriptCall(res, [&] { SetResultText(res, std::wstring_view(::CategoryLines(*TemplatesIn(folder)))); });
}

HRESULT TPoliciesAutoObj::PolicyList(BSTR folder, BSTR category, VARIANT* res)
{
    return ScriptCall(res, [&] {
        SetResultText(res, std::wstring_view(::PolicyLines(*TemplatesIn(folder), WideFromBstr(category))));
    });
}

HRESULT TPoliciesAutoObj::PolicyDetail(BSTR folder, BSTR id, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const auto set = TemplatesIn(folder);
        const TPolicy* policy = set->Find(WideFromBstr(id));
        SetResultText(res, std::wstring_view(policy ? PolicyDetailLines(*policy) : std::wstring()));
    });
}
