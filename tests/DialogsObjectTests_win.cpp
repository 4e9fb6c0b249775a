// The Dialogs object's list editor method through the real dispatch: the count it gives, and a
// second call from under the open editor's modal loop, as a page event would make it.
#include "dialogs/MorvaneDialogs_Impl.h"
#include "dialogs/UnitStrListDialog1.h"
#include "script/MorvaneAutoObj_Impl.h"
#include "script/Registry.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <optional>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

VARIANT Text(const wchar_t* text)
{
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = ::SysAllocString(text);
    return value;
}

struct TCallOutcome {
    HRESULT Result = E_FAIL;
    std::wstring Description;
    VARIANT Res{};
};

TCallOutcome CallStrListEditor1(IDialogsAutoObj* dialogs, const std::wstring& key, const wchar_t* caption)
{
    LPOLESTR name = const_cast<LPOLESTR>(L"StrListEditor1");
    DISPID id = DISPID_UNKNOWN;
    dialogs->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    VARIANT args[] = {Text(caption), Text(key.c_str()), Text(L"HKCU")};
    DISPPARAMS params{args, nullptr, 3, 0};
    TCallOutcome outcome;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    outcome.Result = dialogs->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &outcome.Res,
                                     &exception, &argumentError);
    if (exception.bstrDescription)
        outcome.Description = exception.bstrDescription;
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    for (VARIANT& arg : args)
        ::VariantClear(&arg);
    return outcome;
}

class DialogsObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        CreateSharedRegistry();
        ComPtr<ITweakExternal> root = new TTweakExternal;
        EXPECT_EQ(root->get_Dialogs(Dialogs.GetAddressOf()), E_UNEXPECTED) << "no factory wired in yet";
        SetDialogsObjectFactory(NewDialogsObject);
        ASSERT_EQ(root->get_Dialogs(Dialogs.GetAddressOf()), S_OK);
        Scratch.emplace();
        Scratch->MakeKey("List");
        Scratch->SetValue("List", "0", REG_SZ, "first");
        Scratch->SetValue("List", "1", REG_SZ, "second");
        const std::string path = Scratch->PathOf("List");
        KeyPath.assign(path.begin(), path.end());
    }
    void TearDown() override
    {
        Scratch.reset();
        Dialogs.Reset();
        SetDialogsObjectFactory(nullptr);
        FreeStringListDialogs();
        FreeSharedRegistry();
        ::OleUninitialize();
    }

    ComPtr<IDialogsAutoObj> Dialogs;
    std::optional<TScratchKey> Scratch;
    std::wstring KeyPath;
};

// What the timer does once the editor is open: the nested call, the caption it leaves, the close.
struct TNested {
    IDialogsAutoObj* Dialogs = nullptr;
    std::wstring KeyPath;
    TCallOutcome Outcome;
    std::string CaptionAfter;
    bool Ran = false;
};
TNested* Nested = nullptr;

void CALLBACK CallWhileOpen(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND editor = FormStrListDialog1().Handle();
    if (!::IsWindowVisible(editor))
        return;
    ::KillTimer(nullptr, timer);
    Nested->Outcome = CallStrListEditor1(Nested->Dialogs, Nested->KeyPath + L"\\Other", L"Second");
    char caption[128] = {};
    ::GetWindowTextA(editor, caption, sizeof caption);
    Nested->CaptionAfter = caption;
    Nested->Ran = true;
    ::PostMessageA(editor, WM_CLOSE, 0, 0);
}

TEST_F(DialogsObject, StrListEditor1GivesTheCountAndRefusesASecondCallWhileTheEditorIsOpen)
{
    TNested nested;
    nested.Dialogs = Dialogs.Get();
    nested.KeyPath = KeyPath;
    Nested = &nested;
    ::SetTimer(nullptr, 0, 50, CallWhileOpen);
    TCallOutcome outcome = CallStrListEditor1(Dialogs.Get(), KeyPath, L"First");
    Nested = nullptr;
    ASSERT_TRUE(nested.Ran);
    EXPECT_EQ(nested.Outcome.Result, DISP_E_EXCEPTION);
    EXPECT_EQ(nested.Outcome.Description, L"The string list editor is already open");
    EXPECT_EQ(V_VT(&nested.Outcome.Res), VT_EMPTY);
    EXPECT_EQ(nested.CaptionAfter, "First");
    EXPECT_EQ(outcome.Result, S_OK);
    EXPECT_EQ(V_VT(&outcome.Res), VT_I4);
    EXPECT_EQ(V_I4(&outcome.Res), 2);
    EXPECT_FALSE(Scratch->HasKey("List\\Other"));
    ::VariantClear(&outcome.Res);
}

// Selects This PC in the open folder browser and confirms it.
void CALLBACK ConfirmThisPc(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND browser = ::FindWindowA("#32770", nullptr);
    if (!browser)
        return;
    ::KillTimer(nullptr, timer);
    LPITEMIDLIST computer = nullptr;
    ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
    ::SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
    ::CoTaskMemFree(computer);
    ::PostMessageA(browser, WM_COMMAND, IDOK, 0);
}

TEST_F(DialogsObject, GetDirectoryOnAFolderWithoutAPathIsACancel)
{
    ::SetTimer(nullptr, 0, 50, ConfirmThisPc);
    VARIANT res{};
    EXPECT_EQ(Dialogs->GetDirectory(nullptr, &res), S_OK);
    EXPECT_EQ(V_VT(&res), VT_BOOL) << (V_VT(&res) == VT_BSTR ? V_BSTR(&res) : L"");
    ::VariantClear(&res);
}

}
