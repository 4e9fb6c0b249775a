// The script objects as the browser's script engine reaches them: through IDispatch, the
// program's type library and the real oleaut32.
#ifdef _WIN32
#include "script/MorvaneAutoObj_Impl.h"
#include "script/OleText.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"
#include "script/MessageLoop.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>
#include <wrl/client.h>

#include <algorithm>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

class ScriptObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        CreateSharedRegistry();
        Root = new TTweakExternal;
    }
    void TearDown() override
    {
        Root.Reset();
        FreeSharedRegistry();
        ::OleUninitialize();
    }

    static DISPID IdOf(IDispatch* object, const wchar_t* name)
    {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << name;
        return id;
    }

    // Calls a member the way a script engine does: arguments in reverse order.
    static HRESULT Call(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args, VARIANT* result,
                        EXCEPINFO* exception = nullptr, WORD flags = DISPATCH_METHOD)
    {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        UINT argumentError = 0;
        EXCEPINFO ignored{};
        const HRESULT hr = object->Invoke(IdOf(object, name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                          result, exception ? exception : &ignored, &argumentError);
        for (VARIANT& arg : args)
            ::VariantClear(&arg);
        if (!exception) {
            ::SysFreeString(ignored.bstrSource);
            ::SysFreeString(ignored.bstrDescription);
            ::SysFreeString(ignored.bstrHelpFile);
        }
        return hr;
    }

    static VARIANT Int(long value)
    {
        VARIANT v;
        V_VT(&v) = VT_I4;
        V_I4(&v) = value;
        return v;
    }
    static VARIANT Text(const std::string& value)
    {
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = BstrFromAnsi(value);
        return v;
    }

    bool CheckVer(long minVer)
    {
        VARIANT result;
        ::VariantInit(&result);
        EXPECT_EQ(Call(Root.Get(), L"CheckVer", {Int(minVer)}, &result), S_OK);
        EXPECT_EQ(V_VT(&result), VT_BOOL);
        return V_BOOL(&result) == VARIANT_TRUE;
    }

    ComPtr<IDispatch> RegistryOf(IDispatch* root, const wchar_t* property = L"Registry")
    {
        VARIANT result;
        ::VariantInit(&result);
        EXPECT_EQ(Call(root, property, {}, &result, nullptr, DISPATCH_PROPERTYGET), S_OK);
        EXPECT_EQ(V_VT(&result), VT_DISPATCH);
        ComPtr<IDispatch> registry;
        registry.Attach(V_DISPATCH(&result));
        return registry;
    }

    ComPtr<ITweakExternal> Root;
};

// The WM_SETTINGCHANGE messages that this thread sent a window of the test's own: wParam and the
// area (those of tests running beside it come from other threads).
std::vector<std::wstring> SettingChanges;

LRESULT CALLBACK SettingChangeWindowProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_SETTINGCHANGE && ::InSendMessageEx(nullptr) == ISMEX_NOSEND)
        SettingChanges.push_back(std::to_wstring(w) + L" " + (w == 0 ? reinterpret_cast<const wchar_t*>(l) : L""));
    return ::DefWindowProcW(window, message, w, l);
}

int AppMessagesReceived = 0;

LRESULT CALLBACK CountingWindowProc(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_APP)
        ++AppMessagesReceived;
    return ::DefWindowProcA(window, message, w, l);
}

}

TEST_F(ScriptObjects, CheckVerComparesWithTheProgramVersion)
{
    ASSERT_EQ(ProgramVersion(), 100);
    EXPECT_TRUE(CheckVer(100));
    EXPECT_FALSE(CheckVer(101));
    EXPECT_TRUE(CheckVer(0));
    EXPECT_TRUE(CheckVer(-5));
}

TEST_F(ScriptObjects, MemberNamesAreFoundInAnyLetterCaseWithTheirDispatchIds)
{
    EXPECT_EQ(IdOf(Root.Get(), L"CHECKVER"), 201);
    EXPECT_EQ(IdOf(Root.Get(), L"registry"), 202);
    EXPECT_EQ(IdOf(Root.Get(), L"Dialogs"), 203);
    EXPECT_EQ(IdOf(Root.Get(), L"processmessages"), 205);
    EXPECT_EQ(IdOf(Root.Get(), L"SYSTEM"), 206);
    const ComPtr<IDispatch> system = RegistryOf(Root.Get(), L"System");
    EXPECT_EQ(IdOf(system.Get(), L"getsystemparameter"), 201);
    EXPECT_EQ(IdOf(system.Get(), L"SetSystemParameter"), 202);
    EXPECT_EQ(IdOf(system.Get(), L"NOTIFYSETTINGCHANGE"), 203);
    EXPECT_EQ(IdOf(system.Get(), L"ansitext"), 204);
    EXPECT_EQ(IdOf(system.Get(), L"PathPlace"), 205);
    EXPECT_EQ(system.Get(), RegistryOf(Root.Get(), L"System").Get());
    const ComPtr<IDispatch> registry = RegistryOf(Root.Get());
    EXPECT_EQ(IdOf(registry.Get(), L"regreadstring"), 201);
    EXPECT_EQ(IdOf(registry.Get(), L"RegKeyExists"), 214);
    EXPECT_EQ(IdOf(registry.Get(), L"VALUESNAMES"), 216);
    EXPECT_EQ(IdOf(registry.Get(), L"regvaluetype"), 217);
    EXPECT_EQ(IdOf(registry.Get(), L"RegReadBinary"), 218);
    EXPECT_EQ(IdOf(registry.Get(), L"RegWriteBinary"), 219);
    EXPECT_EQ(IdOf(registry.Get(), L"regcreatenewkey"), 220);

    DISPID id = 0;
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"RegReadStrings")};
    EXPECT_EQ(registry->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
}

TEST_F(ScriptObjects, TypeInformationHasOneEntry)
{
    UINT count = 0;
    EXPECT_EQ(Root->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(Root->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.GetAddressOf()), S_OK);
    ASSERT_TRUE(info);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, IID_ITweakExternal));
    info->ReleaseTypeAttr(attributes);

    ITypeInfo* other = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(Root->GetTypeInfo(1, LOCALE_USER_DEFAULT, &other), DISP_E_BADINDEX);
    EXPECT_EQ(other, nullptr);
}

TEST_F(ScriptObjects, TheDispatchLayerRefusesBadCallsBeforeAMethodRuns)
{
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(Call(Root.Get(), L"CheckVer", {}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    EXPECT_EQ(Call(Root.Get(), L"CheckVer", {Int(1), Int(2)}, &result), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Call(Root.Get(), L"CheckVer", {Text("not a number")}, &result), DISP_E_TYPEMISMATCH);
    // Text that converts is accepted, as the platform's coercion does.
    EXPECT_EQ(Call(Root.Get(), L"CheckVer", {Text("40")}, &result), S_OK);
    EXPECT_EQ(V_VT(&result), VT_BOOL);

    // Registry is a read-only property.
    DISPID named = DISPID_PROPERTYPUT;
    VARIANT value = Int(1);
    DISPPARAMS params{&value, &named, 1, 1};
    UINT argumentError = 0;
    EXPECT_NE(Root->Invoke(202, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                           &argumentError),
              S_OK);
}

TEST_F(ScriptObjects, TheRegistryObjectIsMadeOncePerRoot)
{
    ComPtr<IDispatch> first = RegistryOf(Root.Get());
    ComPtr<IDispatch> second = RegistryOf(Root.Get());
    EXPECT_EQ(first.Get(), second.Get());

    ComPtr<ITweakExternal> otherRoot = new TTweakExternal;
    const ComPtr<IDispatch> other = RegistryOf(otherRoot.Get());
    EXPECT_NE(other.Get(), first.Get());

    // The root's own reference keeps it alive when the scripts let go of it.
    IDispatch* raw = first.Get();
    first.Reset();
    second.Reset();
    EXPECT_EQ(RegistryOf(Root.Get()).Get(), raw);
}

TEST_F(ScriptObjects, AFailingMethodGivesErrorInformationWithItsMessage)
{
    const ComPtr<IDispatch> registry = RegistryOf(Root.Get());
    VARIANT result;
    ::VariantInit(&result);
    EXCEPINFO exception{};
    EXPECT_EQ(Call(registry.Get(), L"RegCreateKey", {Text("HKEY_CURRENT_USER"), Text("Software")}, &result, &exception),
              DISP_E_EXCEPTION);
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    EXPECT_EQ(AnsiFromBstr(exception.bstrDescription), "Failed to create key Software");
    EXPECT_EQ(exception.scode, E_UNEXPECTED);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);

    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(registry.As(&support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IRegistryAutoObj), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_ITweakExternal), S_FALSE);

    ComPtr<IRegistryAutoObj> direct;
    ASSERT_EQ(registry.As(&direct), S_OK);
    BSTR hive = BstrFromAnsi("ZZZZ");
    BSTR key = BstrFromAnsi("Software\\X");
    EXPECT_EQ(direct->RegCreateKey(hive, key, &result), E_UNEXPECTED);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(::GetErrorInfo(0, info.GetAddressOf()), S_OK);
    GUID guid{};
    info->GetGUID(&guid);
    EXPECT_TRUE(IsEqualGUID(guid, IID_IRegistryAutoObj));
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_EQ(AnsiFromBstr(description), "Failed to create key Software\\X");
    ::SysFreeString(description);
    ::SysFreeString(hive);
    ::SysFreeString(key);
}

TEST_F(ScriptObjects, ChangesThroughTheSystemObjectAreAnnouncedToEveryWindow)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = SettingChangeWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LumivantaSettingChangeTest";
    ::RegisterClassW(&windowClass);
    // Top-level: a broadcast passes message-only windows by.
    HWND window = ::CreateWindowW(windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    const ComPtr<IDispatch> system = RegistryOf(Root.Get(), L"System");
    VARIANT delay, result;
    ::VariantInit(&delay);
    ::VariantInit(&result);
    // Set to the value it has, so that the tests beside this one that change it see no change.
    ASSERT_EQ(Call(system.Get(), L"GetSystemParameter", {Text("MENUSHOWDELAY")}, &delay), S_OK);
    EXPECT_EQ(Call(system.Get(), L"SetSystemParameter", {Text("MENUSHOWDELAY"), delay}, &result), S_OK);
    EXPECT_EQ(Call(system.Get(), L"NotifySettingChange", {Text("Environment")}, &result), S_OK);
    ::DestroyWindow(window);
    EXPECT_EQ(SettingChanges,
              (std::vector<std::wstring>{std::to_wstring(SPI_SETMENUSHOWDELAY) + L" ", L"0 Environment"}));
}

// What a page shows beside a change that needs an administrator: an icon the system can load.
TEST_F(ScriptObjects, TheShieldIsAnIconAPageCanShow)
{
    const ComPtr<IDispatch> system = RegistryOf(Root.Get(), L"System");
    VARIANT url;
    ::VariantInit(&url);
    ASSERT_EQ(Call(system.Get(), L"ShieldIcon", {}, &url), S_OK);
    const std::string text = AnsiFromBstr(V_BSTR(&url));
    ::VariantClear(&url);
    const std::string prefix = "data:image/x-icon;base64,";
    ASSERT_EQ(text.substr(0, prefix.size()), prefix);
    DWORD size = 0;
    ASSERT_TRUE(::CryptStringToBinaryA(text.c_str() + prefix.size(), 0, CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr));
    std::vector<BYTE> file(size);
    ASSERT_TRUE(::CryptStringToBinaryA(text.c_str() + prefix.size(), 0, CRYPT_STRING_BASE64, file.data(), &size, nullptr, nullptr));
    const int side = ::GetSystemMetrics(SM_CXSMICON);
    const int offset = ::LookupIconIdFromDirectoryEx(file.data(), TRUE, side, side, 0);
    ASSERT_EQ(offset, 22);
    const HICON icon = ::CreateIconFromResourceEx(file.data() + offset, size - offset, TRUE, 0x00030000, side, side, 0);
    ASSERT_NE(icon, nullptr);
    ICONINFO parts{};
    ASSERT_TRUE(::GetIconInfo(icon, &parts));
    BITMAP shape{};
    ::GetObjectW(parts.hbmColor, sizeof shape, &shape);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side * side));
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), side, side, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    const HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, parts.hbmColor, 0, static_cast<UINT>(side), pixels.data(), &info, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(parts.hbmColor);
    ::DeleteObject(parts.hbmMask);
    ::DestroyIcon(icon);
    EXPECT_EQ(shape.bmWidth, side);
    EXPECT_GT(std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p >> 24) == 0xFF; }), side * side / 4);
}

TEST_F(ScriptObjects, ProcessMessagesDispatchesWaitingMessagesAndKeepsAQuitForTheMainLoop)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CountingWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "LumivantaProcessMessagesTest";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowA(windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(Root->ProcessMessages(), S_OK); // an empty queue returns at once
    ::PostMessageA(window, WM_APP, 0, 0);
    ::PostMessageA(window, WM_APP, 0, 0);
    ::PostQuitMessage(7);
    EXPECT_EQ(Root->ProcessMessages(), S_OK);
    EXPECT_EQ(AppMessagesReceived, 2);
    MSG message;
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    ::DestroyWindow(window);
}
#endif
