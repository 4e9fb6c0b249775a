#include "dialogs/UnitStrListDialog1.h"

#include "Exception.h"
#include "dialogs/FormParts.h"
#include "dialogs/StringListRules.h"
#include "dialogs/UnitAddEditString.h"
#include "script/RegHelpers.h"
#include "store/StringLists.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

constexpr char ClassName[] = "TFormStrListDialog1";
constexpr char DesignCaption[] = "AutoIncrement String List Editor";
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
constexpr int ItemTextIndent = 2;

std::unique_ptr<TFormStrListDialog1> TheForm;

bool OpenForWriting(TRegistry& registry, const std::string& keyPath)
{
    registry.SetAccessMask(KEY_ALL_ACCESS);
    return registry.Open(keyPath, false);
}

// The key's string values in enumeration order; none when the key does not open.
std::pair<std::vector<std::string>, std::vector<std::string>> LoadEntries(HKEY rootKey, const std::string& keyPath)
{
    std::pair<std::vector<std::string>, std::vector<std::string>> entries;
    const TSharedRegistryOperation operation(rootKey);
    TRegistry& registry = operation.Registry();
    if (!registry.OpenForRead(keyPath))
        return entries;
    TStringList names;
    registry.ListValueNames(names);
    for (std::size_t index = 0; index < names.Count(); ++index) {
        const std::string& name = names.Strings(index);
        if (registry.ValueKind(name) != RegValueKind::String)
            continue;
        entries.first.push_back(name);
        entries.second.push_back(registry.GetText(name));
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
    void Load(HKEY rootKey, const std::string& keyPath);
    int SelectedIndex() const;
    void Select(int index);
    void SetItemCount();
    void ListStringsDrawItem(const DRAWITEMSTRUCT& item);
    void ListStringsDblClick();
    void ButtonCloseClick() { FModalResult = IDOK; }
    void UpdateActions();
    void ActionAddExecute();
    void ActionEditExecute();
    void ActionDeleteExecute();
    bool ShowEntryDialog(const char* caption, const char* buttonCaption, const std::string& text);
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
    std::vector<std::string> FEntryNames;
    std::vector<std::string> FEntryTexts;
    HKEY FRootKey = nullptr;
    std::string FKeyPath;
    int FModalResult = 0;
    bool FExecuting = false;
};

TFormStrListDialog1::TState::TState(HWND owner, HWND anchor) : FAnchor(anchor)
{
    RegisterFormClass(ClassName, WindowProc);
    FWindow = UniqueWindow(CreateForm(ClassName, FormStyle, {0, 0, FormWidth, FormHeight}, owner, this));
    FScale.emplace(FWindow.Get());
    PanelLeft = CreatePanel(FWindow.Get());
    const auto makeButton = [this](const char* caption) {
        return CreateControl(PanelLeft, "Button", caption, WS_TABSTOP | BS_PUSHBUTTON, {0, 0, 0, 0});
    };
    ButtonAdd = makeButton("Add");
    ButtonEdit = makeButton("Edit");
    ButtonDelete = makeButton("Delete");
    ButtonClose = makeButton("Close");
    // A virtual list: it keeps only a count and draws each item from FEntryTexts.
    ListStrings = CreateControl(FWindow.Get(), "ListBox", "",
                                WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NODATA | LBS_OWNERDRAWFIXED |
                                    LBS_NOINTEGRALHEIGHT,
                                {0, 0, 0, 0});
    FScale->ApplyFont();
    SetItemHeight();
    FormCreate();
}

TFormStrListDialog1::TState::~TState()
{
    // Messages of the window's own destruction find no form any more.
    ::SetWindowLongPtrA(FWindow.Get(), GWLP_USERDATA, 0);
}

void TFormStrListDialog1::TState::FormCreate()
{
    ::SetWindowTextA(FWindow.Get(), DesignCaption);
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
    ::SendMessageA(ListStrings, LB_SETITEMHEIGHT, 0, height);
}

void TFormStrListDialog1::TState::FormDpiChanged(int dpi, const RECT& suggested)
{
    FScale->Change(dpi);
    SetItemHeight();
    ::SetWindowPos(FWindow.Get(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
}

void TFormStrListDialog1::TState::Load(HKEY rootKey, const std::string& keyPath)
{
    FEntryNames.clear();
    FEntryTexts.clear();
    SetItemCount();
    FRootKey = rootKey;
    FKeyPath = keyPath;
    // Loaded aside first, so that a value that cannot be read leaves the lists empty.
    auto [names, texts] = LoadEntries(rootKey, keyPath);
    FEntryNames = std::move(names);
    FEntryTexts = std::move(texts);
    SetItemCount();
}

int TFormStrListDialog1::TState::SelectedIndex() const
{
    return static_cast<int>(::SendMessageA(ListStrings, LB_GETCURSEL, 0, 0));
}

void TFormStrListDialog1::TState::Select(int index)
{
    ::SendMessageA(ListStrings, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TFormStrListDialog1::TState::SetItemCount()
{
    ::SendMessageA(ListStrings, LB_SETCOUNT, FEntryTexts.size(), 0);
}

void TFormStrListDialog1::TState::ListStringsDrawItem(const DRAWITEMSTRUCT& item)
{
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID < FEntryTexts.size()) {
        const std::string& text = FEntryTexts[item.itemID];
        RECT textBounds = item.rcItem;
        textBounds.left += ItemTextIndent;
        ::SetBkMode(item.hDC, TRANSPARENT);
        ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::DrawTextA(item.hDC, text.c_str(), static_cast<int>(text.size()), &textBounds,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS)
        ::DrawFocusRect(item.hDC, &item.rcItem);
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

bool TFormStrListDialog1::TState::ShowEntryDialog(const char* caption, const char* buttonCaption,
                                                   const std::string& text)
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
    if (!ShowEntryDialog("Add a new value", "Add", ""))
        return;
    const std::string name = SmallestFreeName(FEntryNames);
    const std::string text = FormAddEditString().Text();
    const TSharedRegistryOperation operation(FRootKey);
    if (!OpenForWriting(operation.Registry(), FKeyPath))
        return;
    operation.Registry().PutText(name, text);
    FEntryNames.push_back(name);
    FEntryTexts.push_back(text);
    SetItemCount();
    Select(static_cast<int>(FEntryTexts.size()) - 1);
}

void TFormStrListDialog1::TState::ActionEditExecute()
{
    const int selected = SelectedIndex();
    if (selected < 0 || !ShowEntryDialog("Edit value", "Confirm", FEntryTexts[selected]))
        return;
    const std::string text = FormAddEditString().Text();
    const TSharedRegistryOperation operation(FRootKey);
    if (!OpenForWriting(operation.Registry(), FKeyPath))
        return;
    operation.Registry().PutText(FEntryNames[selected], text);
    FEntryTexts[selected] = text;
    ::InvalidateRect(ListStrings, nullptr, TRUE);
}

void TFormStrListDialog1::TState::ActionDeleteExecute()
{
    const int selected = SelectedIndex();
    if (selected < 0)
        return;
    if (TThreadWindowsDisabled disabled;
        ::MessageBoxA(FWindow.Get(), "Do you really want to delete the selected value?", "Delete confirmation",
                      MB_YESNO) != IDYES)
        return;
    const TSharedRegistryOperation operation(FRootKey);
    if (!OpenForWriting(operation.Registry(), FKeyPath))
        return;
    const LRESULT topIndex = ::SendMessageA(ListStrings, LB_GETTOPINDEX, 0, 0);
    // A value that cannot be removed leaves the list all the same.
    operation.Registry().RemoveValue(FEntryNames[selected]);
    FEntryNames.erase(FEntryNames.begin() + selected);
    FEntryTexts.erase(FEntryTexts.begin() + selected);
    SetItemCount();
    ::SendMessageA(ListStrings, LB_SETTOPINDEX, static_cast<WPARAM>(topIndex), 0);
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
    case WM_DRAWITEM:
        ListStringsDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CLOSE:
        // The close box ends the modal loop like ButtonClose; the window only hides.
        FModalResult = IDCANCEL;
        return 0;
    default:
        return ::DefWindowProcA(FWindow.Get(), message, wParam, lParam);
    }
}

LRESULT CALLBACK TFormStrListDialog1::TState::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = FormOfWindow<TState>(window, message, lParam);
    // Until its controls exist the form has nothing to add to the platform's handling.
    if (!state || !state->ListStrings)
        return ::DefWindowProcA(window, message, wParam, lParam);
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

void TFormStrListDialog1::SetCaption(const std::string& caption)
{
    ::SetWindowTextA(Handle(), caption.c_str());
}

std::int32_t TFormStrListDialog1::ExecuteForKey(HKEY rootKey, const std::string& keyPath)
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
