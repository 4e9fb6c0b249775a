// The main window with the real WebBrowser control, the real urlmon and the registry, under a
// display. Every test keeps the program's settings value and the user-agent value as they were.
#include "UntypedDispatch.h"
#include "app/Application.h"
#include "app/EmbeddedWB.h"
#include "app/MainForm.h"
#include "app/Maker.h"
#include "app/ProgramWindows.h"
#include "app/WindowPlacement.h"
#include "protocol/MyLVHandler.h"
#include "script/MorvaneAutoObj_Impl.h"
#include "script/ProgramValues.h"
#include "script/Registry.h"
#include "script/MessageLoop.h"

#include "support/Display.h"
#include "support/KeptValue.h"
#include "support/TestObject.h"
#include "support/ThreadDialog.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <exdispid.h>
#include <mshtmdid.h>
#include <mshtmhst.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

// Found by GoogleTest next to the type it prints.
void PrintTo(const TWindowBounds& bounds, std::ostream* out)
{
    *out << bounds.Width << "x" << bounds.Height << " at " << bounds.Left << "," << bounds.Top;
}

namespace {

constexpr char SettingsKey[] = "SOFTWARE\\Lumivanta Manager";
constexpr char PlacementValue[] = "MainFormSettings";
constexpr char PlacementDpiValue[] = "MainFormDpi";
constexpr char PostPlatformKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";
constexpr char TokenName[] = "Lumivanta Manager [www.lumivanta.com]";


// The handler's class factory as the program registers it, counting the handlers urlmon asks for.
class TCountingFactory final : public TTestObject<IClassFactory> {
public:
    long Requests() const { return FRequests; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        ++FRequests;
        return FInner->CreateInstance(outer, iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override { return FInner->LockServer(lock); }

private:
    ComPtr<IClassFactory> FInner{new TMyLVHandlerFactory};
    std::atomic<long> FRequests{0};
};

// Records the addresses of BeforeNavigate2 and how many documents completed.
class TNavigationRecorder final : public TWebBrowserEventSink {
public:

    std::vector<std::wstring> Addresses;
    int Errors = 0;
    int Completed = 0;

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        try {
            // BeforeNavigate2(pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel).
            if (id == DISPID_BEFORENAVIGATE2 && params->cArgs == 7) {
                const VARIANT* url = &params->rgvarg[5];
                if (V_VT(url) == (VT_VARIANT | VT_BYREF))
                    url = V_VARIANTREF(url);
                Addresses.emplace_back(V_VT(url) == VT_BSTR ? V_BSTR(url) : L"");
            } else if (id == DISPID_NAVIGATEERROR)
                ++Errors;
            else if (id == DISPID_DOCUMENTCOMPLETE)
                ++Completed;
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

private:
    ~TNavigationRecorder() override = default;
};

// Runs the thread's messages until done() holds or timeoutMs have passed; gives done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000)
{
    const DWORD start = ::GetTickCount();
    while (!done() && ::GetTickCount() - start < timeoutMs) {
        ProcessPendingMessages();
        ::Sleep(5);
    }
    return done();
}

void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

TWindowBounds BoundsOf(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top};
}

TWindowBounds PrimaryDefault()
{
    return DefaultPlacement(::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), ScreenDpi());
}

int IconWidth(HWND window, WPARAM kind)
{
    return IconWidth(reinterpret_cast<HICON>(::SendMessageA(window, WM_GETICON, kind, 0)));
}

std::string DwordBytes(DWORD value)
{
    return {reinterpret_cast<const char*>(&value), sizeof value};
}

// A page's script object, as the browser gives it, with one function, whose calls' arguments
// it records.
class TPageScript final : public TTestObject<IDispatch> {
public:
    explicit TPageScript(const wchar_t* function) : FFunction(function) {}
    std::vector<bool> Arguments;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override
    {
        *ids = FFunction == names[0] ? 7 : DISPID_UNKNOWN;
        return *ids == 7 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        if (id != 7 || flags != DISPATCH_METHOD || params->cArgs != 1 || V_VT(&params->rgvarg[0]) != VT_BOOL)
            return DISP_E_MEMBERNOTFOUND;
        Arguments.push_back(V_BOOL(&params->rgvarg[0]) == VARIANT_TRUE);
        return S_OK;
    }

private:
    std::wstring FFunction;
};

std::string Bytes(const TWindowBounds& bounds)
{
    const auto bytes = EncodePlacement(bounds);
    return {bytes.begin(), bytes.end()};
}

// OLE, the application object and the handler's factory registered with COM, as the program's
// entry point has them before it makes the main window; the settings and the user-agent value
// are put back as they were when the test ends.
class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        ASSERT_EQ(::CoRegisterClassObject(CLSID_MyLVHandler, Factory.Get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                          &FactoryCookie),
                  S_OK);
        DeleteValue(SettingsKey, PlacementValue);
    }
    void TearDown() override
    {
        DestroyForm();
        ::CoRevokeClassObject(FactoryCookie);
        ::OleUninitialize();
    }

    void CreateForm() { Form = &Windows.emplace(Debugger).MainForm(); }
    void DestroyForm() { Windows.reset(); }
    // Destroys the window, which saves its placement, and makes the next one, which reads it.
    void RecreateForm()
    {
        DestroyForm();
        CreateForm();
    }
    void MoveForm(const TWindowBounds& bounds)
    {
        ::SetWindowPos(Form->Handle(), nullptr, bounds.Left, bounds.Top, bounds.Width, bounds.Height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ComPtr<TNavigationRecorder> RecordNavigation()
    {
        ComPtr<TNavigationRecorder> recorder(new TNavigationRecorder);
        ComPtr<IConnectionPointContainer> container;
        EXPECT_EQ(Form->Browser().Browser()->QueryInterface(IID_PPV_ARGS(&container)), S_OK);
        EXPECT_EQ(container->FindConnectionPoint(DIID_DWebBrowserEvents2, &RecorderPoint), S_OK);
        EXPECT_EQ(RecorderPoint->Advise(recorder.Get(), &RecorderCookie), S_OK);
        return recorder;
    }
    void StopRecording() { RecorderPoint->Unadvise(RecorderCookie); }
    // DocumentComplete or NavigateComplete2(frame, url) into the program's sink, as the control fires them.
    void FireDocumentEvent(DISPID id, IDispatch* frame, const wchar_t* url)
    {
        VARIANT args[2];
        V_VT(&args[0]) = VT_BSTR, V_BSTR(&args[0]) = ::SysAllocString(url);
        V_VT(&args[1]) = VT_DISPATCH, V_DISPATCH(&args[1]) = frame;
        DISPPARAMS params{args, nullptr, 2, 0};
        IDispatch* sink = Form->Browser().EventSink();
        EXPECT_EQ(sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
        ::SysFreeString(V_BSTR(&args[0]));
    }
    // The site the control was given, reached through the control as the control reaches it.
    template <typename Interface>
    ComPtr<Interface> Site()
    {
        ComPtr<IOleObject> control;
        EXPECT_EQ(Form->Browser().Browser()->QueryInterface(IID_PPV_ARGS(&control)), S_OK);
        ComPtr<IOleClientSite> site;
        EXPECT_EQ(control->GetClientSite(&site), S_OK);
        ComPtr<Interface> wanted;
        EXPECT_EQ(site.As(&wanted), S_OK);
        return wanted;
    }

    TKeptValue KeptPlacement{SettingsKey, PlacementValue};
    TKeptValue KeptPlacementDpi{SettingsKey, PlacementDpiValue};
    TKeptValue KeptToken{PostPlatformKey, TokenName};
    ComPtr<TCountingFactory> Factory{new TCountingFactory};
    DWORD FactoryCookie = 0;
    ComPtr<IConnectionPoint> RecorderPoint;
    DWORD RecorderCookie = 0;
    TJclDebugHandler Debugger{[] { return std::string("test"); }};
    std::optional<TProgramWindows> Windows;
    TMainForm* Form = nullptr;
};

TEST_F(MainFormTest, IsCreatedHiddenOwnedByTheApplicationWithATaskbarButtonWhileShownAndTheBrowserFillingIt)
{
    CreateForm();
    EXPECT_TRUE(::IsWindow(Form->Handle()));
    EXPECT_FALSE(Form->Visible());
    EXPECT_EQ(::GetWindow(Form->Handle(), GW_OWNER), Application().Handle());
    const LONG extended = ::GetWindowLongA(Form->Handle(), GWL_EXSTYLE);
    EXPECT_EQ(extended & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), WS_EX_APPWINDOW);
    EXPECT_EQ(IconWidth(Form->Handle(), ICON_BIG), ::GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(IconWidth(Form->Handle(), ICON_SMALL), ::GetSystemMetrics(SM_CXSMICON));
    char caption[64] = {};
    ::GetWindowTextA(Form->Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Lumivanta Manager");
    EXPECT_EQ(Application().Title(), "Lumivanta Manager");
    EXPECT_EQ(Form->Debugger().LogFileName(), ProgramFolder() + "debugger.log");

    const HWND browser = ::GetWindow(Form->Handle(), GW_CHILD);
    ASSERT_NE(browser, nullptr);
    const auto expectFilled = [&] {
        RECT client{};
        RECT inner{};
        ::GetClientRect(Form->Handle(), &client);
        ::GetWindowRect(browser, &inner);
        ::MapWindowPoints(nullptr, Form->Handle(), reinterpret_cast<POINT*>(&inner), 2);
        EXPECT_TRUE(::EqualRect(&client, &inner))
            << inner.left << "," << inner.top << "," << inner.right << "," << inner.bottom << " in " << client.right
            << "x" << client.bottom;
    };
    expectFilled();
    MoveForm({520, 390, 30, 40});
    expectFilled();

    // Moved to a monitor of another scale: the suggested bounds, and the icons at their sizes there.
    const int dpi = ScreenDpi();
    const int other = dpi == 96 ? 192 : 96;
    const RECT suggested{40, 50, 40 + ::MulDiv(500, other, dpi), 50 + ::MulDiv(360, other, dpi)};
    ::SendMessageA(Form->Handle(), WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(BoundsOf(Form->Handle()), (TWindowBounds{suggested.right - 40, suggested.bottom - 50, 40, 50}));
    expectFilled();
    EXPECT_EQ(IconWidth(Form->Handle(), ICON_BIG), ::MulDiv(::GetSystemMetrics(SM_CXICON), other, dpi));
    EXPECT_EQ(IconWidth(Form->Handle(), ICON_SMALL), ::MulDiv(::GetSystemMetrics(SM_CXSMICON), other, dpi));
}

TEST_F(MainFormTest, TheFirstRunOpensSevenHundredByFiveHundredCentredOnThePrimaryScreen)
{
    CreateForm();
    EXPECT_EQ(BoundsOf(Form->Handle()), PrimaryDefault());
    EXPECT_EQ(BoundsOf(Form->Handle()), (TWindowBounds{700, 500, 162, 134})) << "on the 1024 x 768 test screen";
}

TEST_F(MainFormTest, ThePlacementIsSavedAtDestructionAndReadBackAtTheNextCreation)
{
    CreateForm();
    for (const TWindowBounds bounds : {TWindowBounds{640, 480, 50, 60}, TWindowBounds{700, 500, -100, -40}}) {
        MoveForm(bounds);
        RecreateForm();
        const std::optional<TRawValue> stored = ReadValue(SettingsKey, PlacementValue);
        ASSERT_TRUE(stored);
        EXPECT_EQ(stored->Type, DWORD{REG_BINARY});
        EXPECT_EQ(stored->Data, Bytes(bounds));
        EXPECT_EQ(BoundsOf(Form->Handle()), bounds);
    }
    Form->Show();
    MoveForm({640, 480, 120, 90});
    ::ShowWindow(Form->Handle(), SW_MINIMIZE);
    RecreateForm();
    EXPECT_EQ(BoundsOf(Form->Handle()), (TWindowBounds{640, 480, 120, 90})) << "minimised at the end";
}

// The platform keeps window coordinates within 16 bits (Wine clamps a left edge of 65436 to
// 32767), so the wrapped value is written as saving a bound of 65436 would have written it.
// Stored in the screen's pixels with the window's DPI; one stored at another DPI, or by an older
// version that stored none (at 96 DPI), keeps its corner and shows as much as it did.
TEST_F(MainFormTest, APlacementStoredAtAnotherDpiComesBackAtItsCornerAndScaled)
{
    const int dpi = ScreenDpi();
    CreateForm();
    MoveForm({600, 400, 40, 30});
    DestroyForm();
    EXPECT_EQ(ReadValue(SettingsKey, PlacementDpiValue)->Data, DwordBytes(dpi));
    WriteValue(SettingsKey, PlacementDpiValue, REG_DWORD, DwordBytes(2 * dpi));
    CreateForm();
    EXPECT_EQ(BoundsOf(Form->Handle()), (TWindowBounds{300, 200, 40, 30}));
    DestroyForm();
    DeleteValue(SettingsKey, PlacementDpiValue);
    CreateForm();
    EXPECT_EQ(BoundsOf(Form->Handle()), (TWindowBounds{::MulDiv(300, dpi, 96), ::MulDiv(200, dpi, 96), 40, 30}));
}

TEST_F(MainFormTest, ABoundStoredModulo65536IsReadBackSignExtended)
{
    WriteValue(SettingsKey, PlacementValue, REG_BINARY, Bytes({700, 500, 65436, 100}));
    EXPECT_EQ(ReadValue(SettingsKey, PlacementValue)->Data.substr(4, 2), std::string("\x9C\xFF", 2));
    CreateForm();
    EXPECT_EQ(BoundsOf(Form->Handle()), (TWindowBounds{700, 500, -100, 100}));
}

TEST_F(MainFormTest, AStoredValueOfTheWrongSizeOrTypeOrOffEveryMonitorGivesTheDefault)
{
    const std::string sevenBytes = Bytes({640, 480, 50, 60}).substr(0, 7);
    const std::string nineBytes = Bytes({640, 480, 50, 60}) + '\0';
    const std::vector<std::pair<DWORD, std::string>> values{{REG_BINARY, sevenBytes},
                                                            {REG_BINARY, nineBytes},
                                                            {REG_SZ, Bytes({640, 480, 50, 60})},
                                                            {REG_BINARY, Bytes({700, 500, 3000, 100})},
                                                            {REG_BINARY, Bytes({700, 500, 100, -600})}};
    for (const auto& [type, data] : values) {
        WriteValue(SettingsKey, PlacementValue, type, data);
        CreateForm();
        EXPECT_EQ(BoundsOf(Form->Handle()), PrimaryDefault()) << "type " << type << ", " << data.size() << " bytes";
        DestroyForm();
    }
}

TEST_F(MainFormTest, ShowingLoadsTheStartPageThroughTheSchemeHandlerButCreatingDoesNot)
{
    CreateForm();
    const ComPtr<TNavigationRecorder> navigation = RecordNavigation();
    PumpFor(200);
    EXPECT_TRUE(navigation->Addresses.empty());
    EXPECT_EQ(Factory->Requests(), 0);

    Form->Show();
    EXPECT_TRUE(Form->Visible());
    EXPECT_TRUE(PumpUntil([&] { return Factory->Requests() > 0; })) << "our factory was never asked for a handler";
    ASSERT_EQ(navigation->Addresses.size(), 1u);
    EXPECT_EQ(navigation->Addresses[0], L"tweaks://tweaks/start.html");
    StopRecording();
}

TEST_F(MainFormTest, ClosingHidesAndEveryShowingNavigatesAgainUntilADocumentCompleted)
{
    CreateForm();
    const ComPtr<TNavigationRecorder> navigation = RecordNavigation();
    Form->Show();
    PumpUntil([&] { return navigation->Errors + navigation->Completed > 0; });
    Form->Show();
    EXPECT_EQ(navigation->Addresses.size(), 1u) << "showing a visible window is not a new showing";

    ::SendMessageA(Form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(::IsWindow(Form->Handle()));
    EXPECT_FALSE(Form->Visible());

    Form->Show();
    EXPECT_TRUE(Form->Visible());
    PumpUntil([&] { return navigation->Addresses.size() >= 2; });
    EXPECT_EQ(navigation->Completed, 0) << "this Wine has no HTML engine; with one, no second navigation is due";
    ASSERT_EQ(navigation->Addresses.size(), 2u);
    EXPECT_EQ(navigation->Addresses[1], L"tweaks://tweaks/start.html");

    FireDocumentEvent(DISPID_DOCUMENTCOMPLETE, Form->Browser().Browser(), L"tweaks://tweaks/start.html");
    ::SendMessageA(Form->Handle(), WM_CLOSE, 0, 0);
    Form->Show();
    PumpFor(200);
    EXPECT_EQ(navigation->Addresses.size(), 2u) << "the completed page stays";
    StopRecording();
}

TEST_F(MainFormTest, TheUserAgentTokenExistsExactlyWhileTheWindowExists)
{
    DeleteValue(PostPlatformKey, TokenName);
    CreateForm();
    const std::optional<TRawValue> token = ReadValue(PostPlatformKey, TokenName);
    ASSERT_TRUE(token);
    EXPECT_EQ(token->Type, DWORD{REG_SZ});
    EXPECT_EQ(token->Data, std::string(1, '\0'));
    EXPECT_EQ(UserAgentToken(), TokenName);
    DestroyForm();
    EXPECT_FALSE(ReadValue(PostPlatformKey, TokenName));
}

TEST_F(MainFormTest, TheHostIsDpiAwareAndAnswersTheDownloadControlFlags)
{
    CreateForm();
    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    info.dwFlags = 0xFFFFFFFF;
    EXPECT_EQ(Site<IDocHostUIHandler>()->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(DOCHOSTUIFLAG_DPI_AWARE));

    VARIANT flags;
    ::VariantInit(&flags);
    DISPPARAMS none{};
    EXPECT_EQ(Site<IDispatch>()->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                        &none, &flags, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(V_VT(&flags), VT_I4);
    EXPECT_EQ(V_I4(&flags), DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_PRAGMA_NO_CACHE);
    EXPECT_EQ(Site<IDispatch>()->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                        &none, &flags, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND);
}

// Without a document in the control (this Wine has no HTML engine) the location is what the
// control reports after a navigation; GetExternal is asked through the host's own handler.
TEST_F(MainFormTest, ExternalGivesANewRootObjectForEachRequestOnlyToTweaksPages)
{
    CreateForm();
    IDispatch* external = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(Site<IDocHostUIHandler>()->GetExternal(&external), S_FALSE) << "no document yet";
    EXPECT_EQ(external, nullptr);

    Form->Show();
    PumpUntil([&] { return Form->Browser().LocationURL() == L"tweaks://tweaks/start.html"; });
    ASSERT_EQ(Form->Browser().LocationURL(), L"tweaks://tweaks/start.html");
    ComPtr<IDispatch> first;
    ComPtr<IDispatch> second;
    EXPECT_EQ(Site<IDocHostUIHandler>()->GetExternal(&first), S_OK);
    EXPECT_EQ(Site<IDocHostUIHandler>()->GetExternal(&second), S_OK);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.Get(), second.Get());
    ComPtr<ITweakExternal> root;
    EXPECT_EQ(first.As(&root), S_OK);
    EXPECT_EQ(first.Get()->AddRef(), 3u) << "one reference for the caller, one for the interface asked above";
    first.Get()->Release();

    // A frame of another scheme whose document cannot answer for itself, then the next page.
    ComPtr<IWebBrowser2> frame;
    ASSERT_EQ(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&frame)), S_OK);
    FireDocumentEvent(DISPID_NAVIGATECOMPLETE2, frame.Get(), L"http://www.lumivanta.invalid/frame.html");
    EXPECT_EQ(Site<IDocHostUIHandler>()->GetExternal(&external), S_FALSE);
    FireDocumentEvent(DISPID_NAVIGATECOMPLETE2, Form->Browser().Browser(), L"tweaks://tweaks/start.html");
    EXPECT_EQ(Site<IDocHostUIHandler>()->GetExternal(second.ReleaseAndGetAddressOf()), S_OK);

    Form->Browser().Navigate(L"http://www.lumivanta.invalid/start.html");
    PumpUntil([&] { return Form->Browser().LocationURL() != L"tweaks://tweaks/start.html"; });
    ASSERT_EQ(Form->Browser().LocationURL(), L"http://www.lumivanta.invalid/start.html");
    external = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(Site<IDocHostUIHandler>()->GetExternal(&external), S_FALSE);
    EXPECT_EQ(external, nullptr);
}

// The page hears a change of Windows' app mode through its function, when it has one.
TEST(AppModePage, AChangeCallsThePagesFunctionWhenItHasOne)
{
    const ComPtr<TPageScript> page(new TPageScript(L"appModeChanged"));
    EXPECT_TRUE(CallScriptFunction(page.Get(), AppModePageFunction, true));
    EXPECT_TRUE(CallScriptFunction(page.Get(), AppModePageFunction, false));
    EXPECT_EQ(page->Arguments, (std::vector<bool>{true, false}));
    const ComPtr<TPageScript> without(new TPageScript(L"other"));
    EXPECT_FALSE(CallScriptFunction(without.Get(), AppModePageFunction, true)) << "the page is then loaded again";
}

// What the timer below saw: a dialog with the main window enabled (1) or disabled (2); once no
// dialog is open, the end of the session sent (3).
int Seen = 0;

void CALLBACK CancelDialogThenEndSession(HWND, UINT, UINT_PTR, DWORD)
{
    const HWND dialog = ThreadDialog();
    if (dialog && ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0))
        Seen = ::IsWindowEnabled(::FindWindowA("TMainForm", nullptr)) ? 1 : 2;
    else if (Seen == 2)
        Seen = static_cast<int>(::SendMessageA(Application().Handle(), WM_ENDSESSION, TRUE, 0)) + 3;
}

// A script waits in its colour dialog, which disables the main window too, then in ProcessMessages,
// which the end of the session ends: the placement saved at once, the outer loop then ends with 0.
TEST_F(MainFormTest, WhileAScriptWaitsTheMainWindowIsDisabledAndTheEndOfTheSessionUnwindsWithZero)
{
    CreateForm();
    Form->Show();
    ComPtr<TTweakExternal> root(new TTweakExternal);
    ComPtr<IDialogsAutoObj> dialogs;
    ASSERT_EQ(root->get_Dialogs(dialogs.GetAddressOf()), S_OK);
    Seen = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CancelDialogThenEndSession);
    VARIANT res;
    EXPECT_EQ(dialogs->GetColor(0xFF0000, &res), S_OK);
    EXPECT_TRUE(V_VT(&res) == VT_BOOL && ::IsWindowEnabled(Form->Handle())) << "cancelled, enabled again";
    DeleteValue(SettingsKey, PlacementValue);
    while (Seen == 2)
        EXPECT_EQ(root->ProcessMessages(), S_OK);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(Seen, 3) << "0: no dialog, 1: the main window was enabled under it";
    EXPECT_TRUE(ReadValue(SettingsKey, PlacementValue));
    EXPECT_EQ(RunMessageLoop(), 0);
}

TEST(MessageFilter, SeesMessagesBeforeTheyAreDispatchedAndKeepsThoseItHandles)
{
    std::vector<UINT> filtered;
    SetMessageFilter([&](MSG& message) {
        filtered.push_back(message.message);
        return message.message == WM_KEYDOWN;
    });
    ::PostThreadMessageA(::GetCurrentThreadId(), WM_KEYDOWN, VK_TAB, 0);
    ::PostThreadMessageA(::GetCurrentThreadId(), WM_APP, 0, 0);
    ProcessPendingMessages();
    SetMessageFilter(nullptr);
    ::PostThreadMessageA(::GetCurrentThreadId(), WM_KEYUP, VK_TAB, 0);
    ProcessPendingMessages();
    EXPECT_EQ(filtered, (std::vector<UINT>{WM_KEYDOWN, WM_APP}));
}

}
