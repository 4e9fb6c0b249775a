#pragma once

#include "script/AutoIntfObject.h"

#include "Morvane_TLB.h"

// The System object of page scripts: reads and changes the system parameters of a fixed table
// through SystemParametersInfo, so that a change takes effect at once and Windows stores it
// where it keeps it, and tells the other programs of a change made in the registry. It also
// reads text as this computer does: bytes in its ANSI code page, and where a path leads; and it
// makes the changes that need an administrator through this program started as one.
class TSystemAutoObj final : public TAutoIntfObject<ISystemAutoObj> {
public:
    HRESULT STDMETHODCALLTYPE GetSystemParameter(BSTR name, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE SetSystemParameter(BSTR name, VARIANT value, VARIANT* res) override;
    HRESULT STDMETHODCALLTYPE NotifySettingChange(BSTR area, VARIANT* res) override;
    // The text that bytes (hex pairs) stand for in the system's ANSI code page, NULs kept.
    HRESULT STDMETHODCALLTYPE AnsiText(BSTR hexBytes, VARIANT* res) override;
    // "here" for a file or folder of this computer, environment variables expanded; "elsewhere"
    // for one on another computer (a UNC path or a network drive), which is not looked for, so
    // that no unreachable server holds the page; "missing" otherwise.
    HRESULT STDMETHODCALLTYPE PathPlace(BSTR path, VARIANT* res) override;
    // Hands the items (the lines of a request to the copy started as administrator) to this
    // program file started as administrator, after the user's one consent. Gives "declined\n",
    // or "exit N\n" followed by what that copy said. The call returns once that copy has ended.
    HRESULT STDMETHODCALLTYPE ChangeAsAdministrator(BSTR items, VARIANT* res) override;
    // The system's shield, which marks what needs an administrator, as a "data:" URL of an icon.
    HRESULT STDMETHODCALLTYPE ShieldIcon(VARIANT* res) override;
};
