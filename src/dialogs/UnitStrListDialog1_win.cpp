#include "dialogs/UnitStrListDialog1.h"

#include "Exception.h"
#include "dialogs/FormParts.h"
#include "dialogs/StringListRules.h"
#include "dialogs/UnitAddEditString.h"
#include "script/RegHelpers.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t ClassName[] = L"TFormStrListDialog1";
constexpr wchar_t DesignCaption[] = L"AutoIncrement String List Editor";
constexpr DWORD FormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// The layout at 96 DPI.
constexpr int FormWidth = 400;
constexpr int FormHeight = 200;
constexpr int PanelLeftWidth = 89;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr TRect ButtonAddDesign{7, 8, ButtonWidth, ButtonHeight};
constexpr TRect ButtonEditDesign{7, 40, ButtonWidth, ButtonHeight};
constexpr TRect ButtonDeleteDesign{7, 72, ButtonWidth, ButtonHeight};
// ButtonClose keeps its design distance to the bottom of a 173-pixel client area.
constexpr TRect ButtonCloseDesign{7, 142, ButtonWidth, ButtonHeight};
constexpr int ButtonCloseBottomGap = 173 - ButtonCloseDesign.Top;
constexpr int ItemHeight = 16;
// Room above and below an item's text, where the font is taller than the design's.
constexpr int ItemTextMargin = 1;

std::unique_ptr<TFormStrListDialog1> TheForm;

bool OpenForWriting(TRegistry& registry, const std::wstring& keyPath)
{
    registry.SetAccessMask(KEY_ALL_ACCESS);
    return registry.Open(keyPath, false);
}

// The key's string values in enumeration order; none when the key does not open.
std::pair<std::vector<std::wstring>, std::vector<std::wstring>> LoadEntries(HKEY rootKey, const std::wstring& keyPath)
{
    std::pair<std::vector<std::wstring>, std::vector<std::wstring>> entries;
    const TSharedRegistryOperation operation(rootKey);
    TRegistry& registry = operation.Registry();
    if (!registry.OpenForRead(keyPath))
        return entries;
    for (std::wstring& name : registry.ListValueNames()) {
        if (registry.ValueKind(name) != RegValueKind::String)
            continue;
        entries.second.push_back(registry.GetText(name));
        entries.first.push_back(std::move(name));
    }
    return entries;
}

}

struct TFormStrListDialog1::TState {
    TState(HWND owner, HWND anchor);
    ~TState();
    TState(const TState&) = delete;
    TState& operator=(const TState&) = delete;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate();
    void LayOut();
    void SetItemHeight();
    void FormDpiChanged(int dpi, const RECT& suggested);
    void Load(HKEY rootKey, const std::wstring& keyPath);
    int SelectedIndex() const;
    void Select(int index);
    void ShowAllItems();
    void ShowItem(int index);
    void ListStringsDblClick();
    void ButtonCloseClick() { FModalResult = IDOK; }
    void UpdateActions();
    void ActionAddExecute();
    void ActionEditExecute();
    void ActionDeleteExecute();
    bool ShowEntryDialog(const wchar_t* caption, const wchar_t* buttonCaption, const std::wstring& text);
    void Command(HWND control, WORD notification);

    UniqueWindow FWindow;
    std::optional<TFormScale> FScale;
    // The window the editor and its entry dialog appear over: the main window.
    HWND FAnchor;
    HWND PanelLeft = nullptr;
    HWND ButtonAdd = nullptr;
    HWND ButtonEdit = nullptr;
    HWND ButtonDelete = nullptr;
    HWND ButtonClose = nullptr;
    HWND ListStrings = nullptr;
    std::vector<std::wstring> FEntryNames;
    std::vector<std::wstring> FEntryTexts;
    HKEY FRootKey = nullptr;
    std::wstring FKeyPath;
    int FModalResult = 0;
    bool FExecuting = false;
};

TFormStrListDialog1::TState::TState(HWND owner, HWND anchor) : FAnchor(anchor)
{
    RegisterFormClass(ClassName, WindowProc);
    FWindow = UniqueWindow(CreateForm(ClassName, FormStyle, {0, 0, FormWidth, FormHeight}, owner, this));
    FScale.emplace(FWindow.Get());
    PanelLeft = CreatePanel(FWindow.Get());
    const auto makeButton = [this](const wchar_t* caption) {
        return CreateControl(PanelLeft, L"Button", caption, WS_TABSTOP | BS_PUSHBUTTON, {0, 0, 0, 0});
    };
    ButtonAdd = makeButton(L"Add");
    ButtonEdit = makeButton(L"Edit");
    ButtonDelete = makeButton(L"Delete");
    ButtonClose = makeButton(L"Close");
    // The list holds the texts of FEntryTexts as its items, so that a screen reader can read
    // them as well as a person; it shows them in order, unsorted.
    ListStrings = CreateControl(FWindow.Get(), L"ListBox", L"",
                                WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, {0, 0, 0, 0});
    FScale->ApplyFont();
    SetItemHeight();
    FormCreate();
}

TFormStrListDialog1::TState::~TState()
{
    // Messages of the window's own destruction find no form any more.
    ::SetWindowLongPtrW(FWindow.Get(), GWLP_USERDATA, 0);
}

void TFormStrListDialog1::TState::FormCreate()
{
    ::SetWindowTextW(FWindow.Get(), DesignCaption);
    ResizeForm(FWindow.Get(), FScale->FormSize(FormWidth, FormHeight));
    LayOut();
    PlaceOver(FWindow.Get(), FAnchor);
}

void TFormStrListDialog1::TState::LayOut()
{
    const TFormScale& scale = *FScale;
    const TRect client = ClientBounds(FWindow.Get());
    const int panelWidth = scale(PanelLeftWidth);
    MoveControl(PanelLeft, {0, 0, panelWidth, client.Height});
    MoveControl(ButtonAdd, scale(ButtonAddDesign));
    MoveControl(ButtonEdit, scale(ButtonEditDesign));
    MoveControl(ButtonDelete, scale(ButtonDeleteDesign));
    TRect close = scale(ButtonCloseDesign);
    close.Top = client.Height - scale(ButtonCloseBottomGap);
    MoveControl(ButtonClose, close);
    MoveControl(ListStrings, {panelWidth, 0, client.Width - panelWidth, client.Height});
}

void TFormStrListDialog1::TState::SetItemHeight()
{
    const TFormScale& scale = *FScale;
    const int height = std::max(scale(ItemHeight), scale.TextHeight() + 2 * scale(ItemTextMargin));
    ::SendMessageW(ListStrings, LB_SETITEMHEIGHT, 0, height);
}

void TFormStrListDialog1::TState::FormDpiChanged(int dpi, const RECT& suggested)
{
    FScale->Change(dpi);
    SetItemHeight();
    ::SetWindowPos(FWindow.Get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
}

void TFormStrListDialog1::TState::Load(HKEY rootKey, const std::wstring& keyPath)
{
    FEntryNames.clear();
    FEntryTexts.clear();
    ShowAllItems();
    FRootKey = rootKey;
    FKeyPath = keyPath;
    // Loaded aside first, so that a value that cannot be read leaves the lists empty.
    auto [names, texts] = LoadEntries(rootKey, keyPath);
    FEntryNames = std::move(names);
    FEntryTexts = std::move(texts);
    ShowAllItems();
}

int TFormStrListDialog1::TState::SelectedIndex() const
{
    return static_cast<int>(::SendMessageW(ListStrings, LB_GETCURSEL, 0, 0));
}

void TFormStrListDialog1::TState::Select(int index)
{
    ::SendMessageW(ListStrings, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

// Every entry as an item, nothing selected.
void TFormStrListDialog1::TState::ShowAllItems()
{
    ::SendMessageW(ListStrings, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(ListStrings, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& text : FEntryTexts)
        ::SendMessageW(ListStrings, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(ListStrings, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(ListStrings, nullptr, TRUE);
}

// The item of an entry whose text changed, in its place; the selection stays.
void TFormStrListDialog1::TState::ShowItem(int index)
{
    const int selected = SelectedIndex();
    ::SendMessageW(ListStrings, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    ::SendMessageW(ListStrings, LB_INSERTSTRING, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(FEntryTexts[index].c_str()));
    Select(selected);
}

void TFormStrListDialog1::TState::ListStringsDblClick()
{
    if (::IsWindowEnabled(ButtonEdit))
        ActionEditExecute();
}

void TFormStrListDialog1::TState::UpdateActions()
{
    const BOOL selected = SelectedIndex() >= 0;
    ::EnableWindow(ButtonAdd, TRUE);
    ::EnableWindow(ButtonEdit, selected);
    ::EnableWindow(ButtonDelete, selected);
}

bool TFormStrListDialog1::TState::ShowEntryDialog(const wchar_t* caption, const wchar_t* buttonCaption,
                                                   const std::wstring& text)
{
    TFormAddEditString& entry = FormAddEditString();
    entry.SetCaption(caption);
    entry.SetButtonCaption(buttonCaption);
    entry.SetText(text);
    // The main window may have moved, or been minimised, since the last time.
    PlaceOver(entry.Handle(), FAnchor);
    return entry.ShowModal() == IDOK;
}

void TFormStrListDialog1::TState::ActionAddExecute()
{
    if (!ShowEntryDialog(L"Add a new value", L"Add", L""))
        return;
    const std::wstring name = SmallestFreeName(FEntryNames);
    const std::wstring text = FormAddEditString().Text();
    const TSharedRegistryOperation operation(FRootKey);
    if (!OpenForWriting(operation.Registry(), FKeyPath))
        return;
    operation.Registry().PutText(name, text);
    FEntryNames.push_back(name);
    FEntryTexts.push_back(text);
    ::SendMessageW(ListStrings, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    Select(static_cast<int>(FEntryTexts.size()) - 1);
}

void TFormStrListDialog1::TState::ActionEditExecute()
{
    const int selected = SelectedIndex();
    if (selected < 0 || !ShowEntryDialog(L"Edit value", L"Confirm", FEntryTexts[selected]))
        return;
    const std::wstring text = FormAddEditString().Text();
    const TSharedRegistryOperation operation(FRootKey);
    if (!OpenForWriting(operation.Registry(), FKeyPath))
        return;
    operation.Registry().PutText(FEntryNames[selected], text);
    FEntryTexts[selected] = text;
    ShowItem(selected);
}

void TFormStrListDialog1::TState::ActionDeleteExecute()
{
    const int selected = SelectedIndex();
    if (selected < 0)
        return;
    if (TThreadWindowsDisabled disabled;
        ::MessageBoxW(FWindow.Get(), L"Do you really want to delete the selected value?", L"Delete confirmation",
                      MB_YESNO) != IDYES)
        return;
    const TSharedRegistryOperation operation(FRootKey);
    if (!OpenForWriting(operation.Registry(), FKeyPath))
        return;
    const LRESULT topIndex = ::SendMessageW(ListStrings, LB_GETTOPINDEX, 0, 0);
    // A value that cannot be removed leaves the list all the same.
    operation.Registry().RemoveValue(FEntryNames[selected]);
    FEntryNames.erase(FEntryNames.begin() + selected);
    FEntryTexts.erase(FEntryTexts.begin() + selected);
    ::SendMessageW(ListStrings, LB_DELETESTRING, static_cast<WPARAM>(selected), 0);
    ::SendMessageW(ListStrings, LB_SETTOPINDEX, static_cast<WPARAM>(topIndex), 0);
    Select(SelectionAfterDelete(selected, FEntryTexts.size()));
}

void TFormStrListDialog1::TState::Command(HWND control, WORD notification)
{
    if (control == ListStrings) {
        if (notification == LBN_DBLCLK)
            ListStringsDblClick();
    } else if (notification == BN_CLICKED) {
        if (control == ButtonAdd)
            ActionAddExecute();
        else if (control == ButtonEdit)
            ActionEditExecute();
        else if (control == ButtonDelete)
            ActionDeleteExecute();
        else if (control == ButtonClose)
            ButtonCloseClick();
    }
}

LRESULT TFormStrListDialog1::TState::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        LayOut();
        return 0;
    case WM_GETMINMAXINFO: {
        const SIZE minimum = FScale->FormSize(FormWidth, FormHeight);
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimum.cx, minimum.cy};
        return 0;
    }
    case WM_DPICHANGED:
        FormDpiChanged(DpiOfDpiChanged(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND:
        Command(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        // The close box ends the modal loop like ButtonClose; the window only hides.
        FModalResult = IDCANCEL;
        return 0;
    default:
        return ::DefWindowProcW(FWindow.Get(), message, wParam, lParam);
    }
}

LRESULT CALLBACK TFormStrListDialog1::TState::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = FormOfWindow<TState>(window, message, lParam);
    // Until its controls exist the form has nothing to add to the platform's handling.
    if (!state || !state->ListStrings)
        return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return state->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& failure) {
        ReportFailure(window, failure);
        return 0;
    } catch (...) {
        return 0;
    }
}

TFormStrListDialog1::TFormStrListDialog1(HWND owner, HWND anchor) : FState(std::make_unique<TState>(owner, anchor))
{
}

TFormStrListDialog1::~TFormStrListDialog1() = default;

HWND TFormStrListDialog1::Handle() const
{
    return FState->FWindow.Get();
}

void TFormStrListDialog1::SetCaption(const std::wstring& caption)
{
    ::SetWindowTextW(Handle(), caption.c_str());
}

std::int32_t TFormStrListDialog1::ExecuteForKey(HKEY rootKey, const std::wstring& keyPath)
{
    // The one window cannot show two lists; the open one keeps its entries and key.
    if (FState->FExecuting)
        throw std::logic_error("The string list editor is already open");
    FState->Load(rootKey, keyPath);
    FState->FModalResult = 0;
    FState->FExecuting = true;
    try {
        PlaceOver(Handle(), FState->FAnchor);
        const TModalShow shown(Handle());
        ::SetFocus(FState->ListStrings);
        FState->UpdateActions();
        RunModalLoop(FState->FModalResult, [this] { FState->UpdateActions(); });
    } catch (...) {
        FState->FExecuting = false;
        throw;
    }
    FState->FExecuting = false;
    return static_cast<std::int32_t>(FState->FEntryNames.size());
}

bool TFormStrListDialog1::Executing() const
{
    return FState->FExecuting;
}

void CreateStringListDialogs(HWND owner, HWND anchor)
{
    TheForm = std::make_unique<TFormStrListDialog1>(owner, anchor);
    CreateFormAddEditString(TheForm->Handle());
}

void FreeStringListDialogs()
{
    // The entry dialog first: destroying its owner would destroy it behind its back.
    FreeFormAddEditString();
    TheForm.reset();
}

TFormStrListDialog1& FormStrListDialog1()
{
    // A script runner without the program's windows makes them at the first use, so that a
    // script that only works on the registry needs no display.
    if (!TheForm) {
        // Where no window at all can be made, the process has no display (Wine without one).
        const UniqueWindow probe(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                                   ::GetModuleHandleA(nullptr), nullptr));
        if (!probe)
            throw Exception("The string list editor cannot be opened: there is no display");
        CreateStringListDialogs(nullptr, nullptr);
    }
    return *TheForm;
}
