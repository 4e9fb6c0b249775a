// The string list editor's real windows over a key of the test's own. While ExecuteForKey runs
// its modal loop, a timer plays a script of steps: each step posts or sends messages to the
// real controls, or waits until the windows reach the state it needs.
#include "app/Maker.h"
#include "app/ProgramWindows.h"
#include "dialogs/UnitAddEditString.h"
#include "protocol/MyLVHandler.h"
#include "dialogs/UnitStrListDialog1.h"
#include "script/Registry.h"
#include "script/MessageLoop.h"
#include "support/Display.h"
#include "support/KeptValue.h"
#include "support/ScratchKey.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <deque>
#include <functional>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr char ListKey[] = "List";
constexpr char PostPlatformKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\User Agent\\Post Platform";
constexpr DWORD StepTimeoutMs = 10000;

// True when the step is done; false to try it again at the next tick.
using TStep = std::function<bool()>;

struct TScript {
    std::deque<TStep> Steps;
    DWORD Deadline;
    bool TimedOut = false;
};

TScript* CurrentScript = nullptr;

struct TChildSearch {
    const char* ClassName;
    const char* Text;
    HWND Found;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM search)
{
    auto& wanted = *reinterpret_cast<TChildSearch*>(search);
    char className[64] = "";
    char text[256] = "";
    ::GetClassNameA(child, className, sizeof className);
    ::GetWindowTextA(child, text, sizeof text);
    if (::lstrcmpiA(className, wanted.ClassName) != 0 || (wanted.Text && std::string(text) != wanted.Text))
        return TRUE;
    wanted.Found = child;
    return FALSE;
}

// A control anywhere below window, by class and, when given, by text.
HWND Child(HWND window, const char* className, const char* text = nullptr)
{
    TChildSearch search{className, text, nullptr};
    ::EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&search));
    if (!search.Found)
        throw std::runtime_error(std::string("No control ") + className + " " + (text ? text : ""));
    return search.Found;
}

HWND Editor()
{
    return FormStrListDialog1().Handle();
}

HWND Entry()
{
    return FormAddEditString().Handle();
}

HWND List()
{
    return Child(Editor(), "ListBox");
}

std::string WindowText(HWND window)
{
    char text[256] = "";
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

HWND ConfirmationBox()
{
    return ::FindWindowA("#32770", "Delete confirmation");
}

// Ends every window a failed script left open, so that the modal loops return.
void Abandon()
{
    if (const HWND box = ConfirmationBox())
        ::PostMessageA(box, WM_COMMAND, IDNO, 0);
    ::PostMessageA(Entry(), WM_CLOSE, 0, 0);
    ::PostMessageA(Editor(), WM_CLOSE, 0, 0);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    TScript& script = *CurrentScript;
    if (script.TimedOut || ::GetTickCount() > script.Deadline) {
        script.TimedOut = true;
        Abandon();
        return;
    }
    try {
        if (!script.Steps.empty() && script.Steps.front()()) {
            script.Steps.pop_front();
            script.Deadline = ::GetTickCount() + StepTimeoutMs;
        }
    } catch (const std::exception& failure) {
        // No exception may leave a timer procedure; the script ends at the next tick.
        ADD_FAILURE() << failure.what();
        script.TimedOut = true;
    }
}

TStep Click(HWND (*window)(), const char* caption)
{
    return [=] {
        const HWND button = Child(window(), "Button", caption);
        if (!::IsWindowVisible(window()) || !::IsWindowEnabled(window()) || !::IsWindowEnabled(button))
            return false;
        ::PostMessageA(button, BM_CLICK, 0, 0);
        return true;
    };
}

TStep ClickEditor(const char* caption)
{
    return Click(Editor, caption);
}

TStep ClickEntry(const char* caption)
{
    return Click(Entry, caption);
}

TStep WaitEntryClosed()
{
    return [] { return !::IsWindowVisible(Entry()); };
}

// Waits for the entry dialog, checks how it was prepared and types text over its own.
TStep Type(const std::string& caption, const std::string& buttonCaption, const std::string& shown,
           const std::string& text)
{
    return [=] {
        if (!::IsWindowVisible(Entry()))
            return false;
        EXPECT_EQ(WindowText(Entry()), caption);
        EXPECT_NE(Child(Entry(), "Button", buttonCaption.c_str()), nullptr);
        const HWND edit = Child(Entry(), "Edit");
        EXPECT_EQ(WindowText(edit), shown);
        ::SetWindowTextA(edit, text.c_str());
        return true;
    };
}

TStep PressEnter()
{
    return [] {
        ::PostMessageA(Child(Entry(), "Edit"), WM_CHAR, VK_RETURN, 0);
        return true;
    };
}

std::wstring WideText(HWND window)
{
    wchar_t text[256] = L"";
    ::GetWindowTextW(window, text, std::size(text));
    return text;
}

// Waits for the entry dialog, checks the text it shows, types text over it as a keyboard would
// (one character message for each UTF-16 unit, through the program's message loop) and waits
// until the field holds it.
TStep TypeKeys(const std::wstring& shown, const std::wstring& text)
{
    return [=, typed = false]() mutable {
        const HWND edit = Child(Entry(), "Edit");
        if (typed || !::IsWindowVisible(Entry()))
            return typed && WideText(edit) == text;
        EXPECT_EQ(WideText(edit), shown);
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
        for (const wchar_t unit : text)
            ::PostMessageW(edit, WM_CHAR, unit, 1);
        typed = true;
        return false;
    };
}

std::vector<std::wstring> ItemTexts()
{
    std::vector<std::wstring> texts;
    for (WPARAM item = 0; item < static_cast<WPARAM>(::SendMessageW(List(), LB_GETCOUNT, 0, 0)); ++item) {
        std::wstring text(::SendMessageW(List(), LB_GETTEXTLEN, item, 0), L'\0');
        ::SendMessageW(List(), LB_GETTEXT, item, reinterpret_cast<LPARAM>(text.data()));
        texts.push_back(text);
    }
    return texts;
}

TStep Select(int index)
{
    return [=] {
        ::SendMessageA(List(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        return true;
    };
}

TStep DoubleClickFirstItem()
{
    return [] {
        ::PostMessageA(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
        return true;
    };
}

// Lets the given number of ticks pass.
TStep Pause(int ticks)
{
    return [left = ticks]() mutable { return --left <= 0; };
}

TStep AnswerYes()
{
    return [] {
        const HWND box = ConfirmationBox();
        if (!box)
            return false;
        ::PostMessageA(::GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
        return true;
    };
}

TStep WaitCount(int count)
{
    return [=] { return ::SendMessageA(List(), LB_GETCOUNT, 0, 0) == count && !ConfirmationBox(); };
}

TStep Check(std::function<void()> check)
{
    return [check = std::move(check)] {
        check();
        return true;
    };
}

int Selected()
{
    return static_cast<int>(::SendMessageA(List(), LB_GETCURSEL, 0, 0));
}

void ExpectCentredOverInWorkArea(HWND window, HWND outer)
{
    RECT inner{}, around{}, work{}, both{};
    ::GetWindowRect(window, &inner);
    ::GetWindowRect(outer, &around);
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(inner.left + inner.right, around.left + around.right, 2);
    EXPECT_NEAR(inner.top + inner.bottom, around.top + around.bottom, 2);
    EXPECT_TRUE(::IntersectRect(&both, &inner, &work) && ::EqualRect(&both, &inner));
}

// Where control lies in its form's client area, as {left, top, width, height}.
RECT InForm(HWND control)
{
    RECT bounds{};
    ::GetWindowRect(control, &bounds);
    ::MapWindowPoints(nullptr, ::GetAncestor(control, GA_ROOT), reinterpret_cast<POINT*>(&bounds), 2);
    return {bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top};
}

void ExpectNear(HWND control, const RECT& expected, const char* what)
{
    const RECT actual = InForm(control);
    for (const auto field : {&RECT::left, &RECT::top, &RECT::right, &RECT::bottom})
        EXPECT_NEAR(actual.*field, expected.*field, 2) << what;
}

// The control's font's height, and the extent of text (its caption when null) in that font.
std::pair<int, SIZE> FontAndExtent(HWND control, const char* text = nullptr)
{
    const auto font = reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0));
    LOGFONTA logical{};
    ::GetObjectA(font, sizeof logical, &logical);
    const std::string shown = text ? text : WindowText(control);
    const HDC dc = ::GetDC(control);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return {std::abs(logical.lfHeight), extent};
}

// The editor and the entry dialog as designed at 96 DPI, scaled to dpi, in the message font of
// fontHeight pixels, every text inside its control.
void ExpectLaidOutAt(int dpi, int fontHeight)
{
    const auto s = [dpi](int length) { return ::MulDiv(length, dpi, 96); };
    RECT editor{}, entry{};
    ::GetClientRect(Editor(), &editor);
    ::GetClientRect(Entry(), &entry);
    for (const auto& [caption, top] : {std::pair{"Add", 8}, {"Edit", 40}, {"Delete", 72}})
        ExpectNear(Child(Editor(), "Button", caption), {s(7), s(top), s(75), s(25)}, caption);
    ExpectNear(Child(Editor(), "Button", "Close"), {s(7), editor.bottom - s(31), s(75), s(25)}, "Close, at the bottom");
    ExpectNear(List(), {s(89), 0, editor.right - s(89), editor.bottom}, "the list, filling the rest");
    ExpectNear(Child(Entry(), "Edit"), {s(16), s(24), entry.right - s(35), s(21)}, "the entry field");
    const int buttonTop = entry.bottom - s(41) + s(8);
    ExpectNear(Child(Entry(), "Button", "Add/Edit"), {entry.right / 2 - s(90), buttonTop, s(75), s(25)}, "Add/Edit");
    ExpectNear(Child(Entry(), "Button", "Cancel"), {entry.right / 2 + s(15), buttonTop, s(75), s(25)}, "Cancel");
    for (const HWND control : {Child(Editor(), "Button", "Add"), Child(Editor(), "Button", "Edit"),
                               Child(Editor(), "Button", "Delete"), Child(Editor(), "Button", "Close"),
                               Child(Entry(), "Button", "Add/Edit"), Child(Entry(), "Button", "Cancel"),
                               Child(Entry(), "Edit"), List()}) {
        const std::string caption = WindowText(control);
        const auto [height, text] = FontAndExtent(control, caption.empty() ? "\xC9gy" : nullptr);
        const RECT bounds = InForm(control);
        EXPECT_NEAR(height, fontHeight, 1) << caption;
        EXPECT_LE(text.cx + 8, bounds.right) << caption;
        EXPECT_LE(text.cy, control == List() ? ::SendMessageA(List(), LB_GETITEMHEIGHT, 0, 0) : bounds.bottom - 4) << caption;
    }
}

std::string Stored(const std::string& text)
{
    return std::string(text.c_str(), text.size() + 1);
}

class StrListEditor : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        CreateSharedRegistry();
        ASSERT_EQ(::CoRegisterClassObject(CLSID_MyLVHandler, Microsoft::WRL::ComPtr<IClassFactory>(new TMyLVHandlerFactory).Get(),
                                          CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &FactoryCookie), S_OK);
        Windows.emplace(Debugger);
        Main = Windows->MainForm().Handle();
    }

    void TearDown() override
    {
        Windows.reset();
        ::CoRevokeClassObject(FactoryCookie);
        FreeSharedRegistry();
        ::OleUninitialize();
    }

    void SetText(const std::string& name, const std::string& text, DWORD type = REG_SZ)
    {
        Scratch.MakeKey(ListKey);
        Scratch.SetValue(ListKey, name, type, Stored(text));
    }

    std::string TextOf(const std::string& name) const
    {
        const std::optional<TRawValue> value = Scratch.Value(ListKey, name);
        if (!value)
            return "(none)";
        EXPECT_EQ(value->Type, static_cast<DWORD>(REG_SZ)) << name;
        return value->Data;
    }

    // Runs the editor on the list key (or another key below the scratch key) while the
    // steps play, and closes it with ButtonClose at the end.
    std::int32_t Execute(std::vector<TStep> steps, const char* relative = ListKey)
    {
        TScript script{{steps.begin(), steps.end()}, ::GetTickCount() + StepTimeoutMs};
        script.Steps.push_back(ClickEditor("Close"));
        CurrentScript = &script;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, Tick);
        FormStrListDialog1().SetCaption(L"Test list");
        const std::int32_t count =
            FormStrListDialog1().ExecuteForKey(HKEY_CURRENT_USER, WideFromAnsi(Scratch.PathOf(relative)));
        ::KillTimer(nullptr, timer);
        CurrentScript = nullptr;
        EXPECT_FALSE(script.TimedOut) << script.Steps.size() << " steps left";
        return count;
    }

    TKeptValue KeptPlacement{SettingsKey, "MainFormSettings"};
    TKeptValue KeptPlacementDpi{SettingsKey, "MainFormDpi"};
    TKeptValue KeptToken{PostPlatformKey, UserAgentToken()};
    TScratchKey Scratch;
    TJclDebugHandler Debugger{[] { return std::string("test"); }};
    std::optional<TProgramWindows> Windows;
    HWND Main = nullptr;
    DWORD FactoryCookie = 0;
};

}

TEST_F(StrListEditor, AddFillsTheSmallestGapFirst)
{
    SetText("0", "zero");
    SetText("2", "two");
    const std::int32_t count = Execute({
        ClickEditor("Add"),
        Type("Add a new value", "Add", "", "one"),
        ClickEntry("Add"),
        WaitEntryClosed(),
        ClickEditor("Add"),
        Type("Add a new value", "Add", "", "three"),
        ClickEntry("Add"),
        WaitCount(4),
        Check([] { EXPECT_EQ(Selected(), 3); }),
    });
    EXPECT_EQ(count, 4);
    EXPECT_EQ(TextOf("1"), Stored("one"));
    EXPECT_EQ(TextOf("3"), Stored("three"));
    EXPECT_EQ(TextOf("0"), Stored("zero"));
}

TEST_F(StrListEditor, EnterInTheEntryFieldConfirms)
{
    Scratch.MakeKey(ListKey);
    const std::int32_t count = Execute({
        ClickEditor("Add"),
        Type("Add a new value", "Add", "", "typed"),
        PressEnter(),
        WaitCount(1),
    });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(TextOf("0"), Stored("typed"));
}

TEST_F(StrListEditor, AnEmptyTextIsStored)
{
    Scratch.MakeKey(ListKey);
    EXPECT_EQ(Execute({ClickEditor("Add"), Type("Add a new value", "Add", "", ""), ClickEntry("Add"), WaitCount(1)}),
              1);
    EXPECT_EQ(TextOf("0"), Stored(""));
}

TEST_F(StrListEditor, EditKeepsTheNameAndThePlace)
{
    SetText("0", "a");
    SetText("1", "b");
    const std::int32_t count = Execute({
        Select(1),
        ClickEditor("Edit"),
        Type("Edit value", "Confirm", "b", "B"),
        ClickEntry("Confirm"),
        WaitEntryClosed(),
        Check([] { EXPECT_EQ(Selected(), 1); }),
    });
    EXPECT_EQ(count, 2);
    EXPECT_EQ(TextOf("1"), Stored("B"));
    EXPECT_EQ(TextOf("0"), Stored("a"));
    EXPECT_EQ(Scratch.ValueNames(ListKey).size(), 2u);
}

TEST_F(StrListEditor, DeleteKeepsTheOtherNamesAndTheNextAddReusesTheName)
{
    SetText("0", "a");
    SetText("1", "b");
    SetText("2", "c");
    const std::int32_t count = Execute({
        Select(1),
        ClickEditor("Delete"),
        AnswerYes(),
        WaitCount(2),
        Check([] { EXPECT_EQ(Selected(), 1); }),
        ClickEditor("Add"),
        Type("Add a new value", "Add", "", "again"),
        ClickEntry("Add"),
        WaitCount(3),
        Check([] { EXPECT_EQ(Selected(), 2); }),
    });
    EXPECT_EQ(count, 3);
    EXPECT_EQ(TextOf("0"), Stored("a"));
    EXPECT_EQ(TextOf("1"), Stored("again"));
    EXPECT_EQ(TextOf("2"), Stored("c"));
}

TEST_F(StrListEditor, DeletingTheLastItemSelectsTheNewLastAndTheOnlyOneNothing)
{
    SetText("0", "a");
    SetText("1", "b");
    const std::int32_t count = Execute({
        Select(1),
        ClickEditor("Delete"),
        AnswerYes(),
        WaitCount(1),
        Check([] { EXPECT_EQ(Selected(), 0); }),
        ClickEditor("Delete"),
        AnswerYes(),
        WaitCount(0),
        Check([] { EXPECT_EQ(Selected(), -1); }),
        // The enabled states follow once the editor is idle again.
        [] { return !::IsWindowEnabled(Child(Editor(), "Button", "Edit")); },
        Check([] {
            EXPECT_FALSE(::IsWindowEnabled(Child(Editor(), "Button", "Delete")));
            EXPECT_TRUE(::IsWindowEnabled(Child(Editor(), "Button", "Add")));
        }),
    });
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(Scratch.ValueNames(ListKey).empty());
}

TEST_F(StrListEditor, OtherKindsOfValueAreLeftOutAndNotCounted)
{
    SetText("0", "a");
    Scratch.SetInt(ListKey, "1", 7);
    SetText("2", "%PATH%", REG_EXPAND_SZ);
    SetText("Gr\xF6\xDF" "e", "d");
    const std::int32_t count = Execute({
        WaitCount(2),
        Check([] {
            EXPECT_EQ(Selected(), -1);
            EXPECT_FALSE(::IsWindowEnabled(Child(Editor(), "Button", "Edit")));
        }),
    });
    EXPECT_EQ(count, 2);
}

TEST_F(StrListEditor, AMissingKeyGivesAnEmptyListAndWritesNothing)
{
    const std::int32_t count = Execute(
        {
            WaitCount(0),
            ClickEditor("Add"),
            Type("Add a new value", "Add", "", "lost"),
            ClickEntry("Add"),
            WaitEntryClosed(),
            WaitCount(0),
        },
        "Missing");
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(Scratch.HasKey("Missing"));
}

TEST_F(StrListEditor, CancelWritesNothing)
{
    SetText("0", "a");
    const std::int32_t count = Execute({
        ClickEditor("Add"),
        Type("Add a new value", "Add", "", "new"),
        ClickEntry("Cancel"),
        WaitEntryClosed(),
        Select(0),
        ClickEditor("Edit"),
        Type("Edit value", "Confirm", "a", "changed"),
        ClickEntry("Cancel"),
        WaitEntryClosed(),
        WaitCount(1),
    });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(TextOf("0"), Stored("a"));
    EXPECT_EQ(Scratch.ValueNames(ListKey).size(), 1u);
}

// The end of the session ends both loops, the entry dialog's in the editor's, before any window goes.
TEST_F(StrListEditor, ShownModallyOverTheMovedMainWindowUntilTheSessionEnds)
{
    SetText("0", "a");
    Windows->MainForm().Show();
    ::SetWindowPos(Main, nullptr, 300, 200, 600, 400, SWP_NOZORDER);
    DeleteValue(SettingsKey, "MainFormSettings");
    const std::int32_t count = Execute({
        WaitCount(1),
        Check([&] {
            EXPECT_TRUE(FormStrListDialog1().Executing());
            EXPECT_FALSE(::IsWindowEnabled(Main));
            ExpectCentredOverInWorkArea(Editor(), Main);
            EXPECT_EQ(WindowText(Editor()), "Test list");
            EXPECT_THROW(FormStrListDialog1().ExecuteForKey(HKEY_CURRENT_USER, L"Missing"), std::logic_error);
        }),
        ClickEditor("Add"),
        Type("Add a new value", "Add", "", "never written"),
        Check([&] {
            ExpectCentredOverInWorkArea(Entry(), Main);
            EXPECT_FALSE(::IsWindowEnabled(Editor()));
            EXPECT_EQ(::GetFocus(), Child(Entry(), "Edit"));
            ::SendMessageA(::GetWindow(Main, GW_OWNER), WM_ENDSESSION, TRUE, 0);
            EXPECT_TRUE(ReadValue(SettingsKey, "MainFormSettings"));
            EXPECT_FALSE(ReadValue(PostPlatformKey, UserAgentToken().c_str()));
            EXPECT_TRUE(::IsWindow(Main) && ::IsWindowVisible(Entry()));
        }),
    });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(Scratch.ValueNames(ListKey).size(), 1u);
    EXPECT_FALSE(FormStrListDialog1().Executing());
    EXPECT_TRUE(::IsWindowEnabled(Main));
    EXPECT_FALSE(::IsWindowVisible(Editor()));
    EXPECT_EQ(RunMessageLoop(), 0) << "the quit request waits for the outermost loop";
}

TEST_F(StrListEditor, DoubleClickEditsOnlyWithASelection)
{
    SetText("0", "a");
    const std::int32_t count = Execute({
        WaitCount(1),
        DoubleClickFirstItem(),
        Pause(5),
        Check([] { EXPECT_FALSE(::IsWindowVisible(Entry())); }),
        Select(0),
        [] { return ::IsWindowEnabled(Child(Editor(), "Button", "Edit")) != FALSE; },
        DoubleClickFirstItem(),
        Type("Edit value", "Confirm", "a", "b"),
        ClickEntry("Confirm"),
        WaitEntryClosed(),
    });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(TextOf("0"), Stored("b"));
}

// At the screen's DPI as the program makes them, then moved to a monitor of another scale.
TEST_F(StrListEditor, ControlsScaleWithTheDpiInTheMessageFontAndCaptionsFit)
{
    const int dpi = ScreenDpi();
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const int fontHeight = std::abs(metrics.lfMessageFont.lfHeight);
    ExpectLaidOutAt(dpi, fontHeight);

    const int other = dpi == 96 ? 192 : 96;
    for (const HWND form : {Editor(), Entry()}) {
        RECT suggested{};
        ::GetWindowRect(form, &suggested);
        suggested.right = suggested.left + ::MulDiv(suggested.right - suggested.left, other, dpi);
        suggested.bottom = suggested.top + ::MulDiv(suggested.bottom - suggested.top, other, dpi);
        ::SendMessageA(form, WM_DPICHANGED, MAKEWPARAM(other, other), reinterpret_cast<LPARAM>(&suggested));
    }
    ExpectLaidOutAt(other, ::MulDiv(fontHeight, other, dpi));
}

TEST_F(StrListEditor, UnicodeNamesAndTextsAreShownTypedAndWrittenExactly)
{
    const std::wstring name = L"\u041A\u043B\u044E\u0447 \u2605", cyrillic = L"\u0422\u0435\u0441\u0442";
    const std::wstring cjk = L"\u4E2D\u6587 \U0001F600", typed = cjk + L" \u0416";
    Scratch.MakeKey(ListKey);
    Scratch.SetText(ListKey, L"0", cyrillic);
    Scratch.SetText(ListKey, name, cjk);
    const std::int32_t count = Execute({
        WaitCount(2),
        Check([&] { EXPECT_EQ(ItemTexts(), (std::vector<std::wstring>{cyrillic, cjk})); }),
        Select(1),
        ClickEditor("Edit"),
        TypeKeys(cjk, typed),
        ClickEntry("Confirm"),
        WaitEntryClosed(),
        ClickEditor("Add"),
        TypeKeys(L"", cyrillic + cjk),
        ClickEntry("Add"),
        WaitCount(3),
        Select(0),
        ClickEditor("Delete"),
        AnswerYes(),
        WaitCount(2),
        Check([&] { EXPECT_EQ(ItemTexts(), (std::vector<std::wstring>{typed, cyrillic + cjk})); }),
    });
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Scratch.StoredText(ListKey, name), typed + L'\0');
    EXPECT_EQ(Scratch.StoredText(ListKey, L"1"), cyrillic + cjk + L'\0');
    EXPECT_EQ(Scratch.ValueNames(ListKey).size(), 2u);
}
