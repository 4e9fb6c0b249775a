#pragma once

#include "script/AutoIntfObject.h"

#include "Morvane_TLB.h"

// The Policies object of page scripts: the policies of Windows' Administrative Templates in a
// PolicyDefinitions folder (the system's own for an empty Folder), as lines of fields that the
// page splits (see PolicyTemplates.h). The templates' texts are plain text for the page to show
// as text. Reading the registry and changing a policy are the Registry object's work.
class TPoliciesAutoObj final : public TAutoIntfObject<IPoliciesAutoObj> {
public:
    // The categories and the templates that were refused, with their reasons.
    HRESULT STDMETHODCALLTYPE CategoryList(BSTR folder, VARIANT* res) override;
    // The policies of one category.
    HRESULT STDMETHODCALLTYPE PolicyList(BSTR folder, BSTR category, VARIANT* res) override;
    // One policy: its texts, what each state writes, its options; empty for an unknown id.
    HRESULT STDMETHODCALLTYPE PolicyDetail(BSTR folder, BSTR id, VARIANT* res) override;
};
