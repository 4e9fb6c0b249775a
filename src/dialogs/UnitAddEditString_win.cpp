#include "dialogs/UnitAddEditString.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

constexpr wchar_t ClassName[] = L"TFormAddEditString";
// No border icons: a caption and a sizing frame without a system menu.
constexpr DWORD FormStyle = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_CLIPCHILDREN;
// The layout at 96 DPI.
constexpr int FormHeight = 130;
constexpr int MinimumWidth = 200;
constexpr int DesignWidth = 564;
constexpr int PanelButtonsHeight = 41;
constexpr TRect EditStringDesign{16, 24, 521, 21};
// EditString keeps its design distance to the right edge of a 556-pixel client area.
constexpr int EditStringRightGap = 19;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int ButtonTop = 8;
constexpr int ButtonGap = 30;
// Room around the edit field's text, inside its border, where the font is taller than the design's.
constexpr int EditStringTextMargin = 3;
constexpr UINT_PTR EditStringSubclass = 1;

std::unique_ptr<TFormAddEditString> TheForm;

}

TFormAddEditString::TFormAddEditString(HWND owner)
{
    RegisterFormClass(ClassName, WindowProc);
    FWindow = UniqueWindow(CreateForm(ClassName, FormStyle, {0, 0, DesignWidth, FormHeight}, owner, this));
    FScale.emplace(Handle());
    PanelClient = CreatePanel(Handle());
    EditString = CreateControl(PanelClient, L"Edit", L"", WS_TABSTOP | ES_AUTOHSCROLL, {0, 0, 0, 0}, WS_EX_CLIENTEDGE);
    ::SetWindowSubclass(EditString, EditStringProc, EditStringSubclass, reinterpret_cast<DWORD_PTR>(this));
    PanelButtons = CreatePanel(Handle());
    ButtonAddEdit = CreateControl(PanelButtons, L"Button", L"Add/Edit", WS_TABSTOP | BS_PUSHBUTTON, {0, 0, 0, 0});
    ButtonCancel = CreateControl(PanelButtons, L"Button", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, {0, 0, 0, 0});
    FScale->ApplyFont();
    ResizeForm(Handle(), FScale->FormSize(DesignWidth, FormHeight));
    LayOut();
}

TFormAddEditString::~TFormAddEditString()
{
    // Messages of the window's own destruction find no form any more.
    ::SetWindowLongPtrW(Handle(), GWLP_USERDATA, 0);
}

void TFormAddEditString::SetCaption(const std::wstring& caption)
{
    ::SetWindowTextW(Handle(), caption.c_str());
}

void TFormAddEditString::SetButtonCaption(const std::wstring& caption)
{
    ::SetWindowTextW(ButtonAddEdit, caption.c_str());
}

std::wstring TFormAddEditString::Text() const
{
    std::vector<wchar_t> text(::GetWindowTextLengthW(EditString) + 1);
    const int length = ::GetWindowTextW(EditString, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data(), length);
}

void TFormAddEditString::SetText(const std::wstring& text)
{
    ::SetWindowTextW(EditString, text.c_str());
}

int TFormAddEditString::ShowModal()
{
    FModalResult = 0;
    const TModalShow shown(Handle());
    FormShow();
    return RunModalLoop(FModalResult, {});
}

void TFormAddEditString::FormShow()
{
    ::SetFocus(EditString);
}

wchar_t TFormAddEditString::EditStringKeyPress(wchar_t key)
{
    if (key != L'\r')
        return key;
    ButtonAddEditClick();
    // Taken here, the key reaches no control that would beep at it.
    return 0;
}

void TFormAddEditString::PanelButtonsResize()
{
    const TFormScale& scale = *FScale;
    const int width = scale(ButtonWidth);
    const TButtonPair pair = CentredButtonPair(ClientBounds(PanelButtons).Width, width, scale(ButtonGap));
    MoveControl(ButtonAddEdit, {pair.FirstLeft, scale(ButtonTop), width, scale(ButtonHeight)});
    MoveControl(ButtonCancel, {pair.SecondLeft, scale(ButtonTop), width, scale(ButtonHeight)});
}

void TFormAddEditString::LayOut()
{
    const TFormScale& scale = *FScale;
    const TRect client = ClientBounds(Handle());
    const int panelButtonsHeight = scale(PanelButtonsHeight);
    const int clientHeight = client.Height - panelButtonsHeight;
    MoveControl(PanelClient, {0, 0, client.Width, clientHeight});
    const int left = scale(EditStringDesign.Left);
    const int editHeight =
        std::max(scale(EditStringDesign.Height), scale.TextHeight() + 2 * scale(EditStringTextMargin));
    MoveControl(EditString, {left, scale(EditStringDesign.Top), client.Width - left - scale(EditStringRightGap),
                             editHeight});
    MoveControl(PanelButtons, {0, clientHeight, client.Width, panelButtonsHeight});
    PanelButtonsResize();
}

void TFormAddEditString::FormDpiChanged(int dpi, const RECT& suggested)
{
    FScale->Change(dpi);
    ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
}

LRESULT TFormAddEditString::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        LayOut();
        return 0;
    case WM_GETMINMAXINFO: {
        const SIZE minimum = FScale->FormSize(MinimumWidth, FormHeight);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {minimum.cx, minimum.cy};
        limits->ptMaxTrackSize.y = minimum.cy;
        return 0;
    }
    case WM_DPICHANGED:
        FormDpiChanged(DpiOfDpiChanged(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == ButtonAddEdit)
            ButtonAddEditClick();
        else if (reinterpret_cast<HWND>(lParam) == ButtonCancel)
            ButtonCancelClick();
        return 0;
    case WM_CLOSE:
        ButtonCancelClick();
        return 0;
    default:
        return ::DefWindowProcW(Handle(), message, wParam, lParam);
    }
}

LRESULT CALLBACK TFormAddEditString::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* form = FormOfWindow<TFormAddEditString>(window, message, lParam);
    // Until its controls exist the form has nothing to add to the platform's handling.
    if (!form || !form->ButtonCancel)
        return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        return form->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& failure) {
        ReportFailure(window, failure);
        return 0;
    } catch (...) {
        return 0;
    }
}

LRESULT CALLBACK TFormAddEditString::EditStringProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                    DWORD_PTR form)
{
    if (message == WM_CHAR) {
        const wchar_t key = reinterpret_cast<TFormAddEditString*>(form)->EditStringKeyPress(static_cast<wchar_t>(wParam));
        return key ? ::DefSubclassProc(edit, message, key, lParam) : 0;
    }
    const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
    // Focus that does not come from a click selects the whole text, so typing replaces it.
    if (message == WM_SETFOCUS && ::GetKeyState(VK_LBUTTON) >= 0)
        ::SendMessageW(edit, EM_SETSEL, 0, -1);
    else if (message == WM_NCDESTROY)
        ::RemoveWindowSubclass(edit, EditStringProc, EditStringSubclass);
    return result;
}

void CreateFormAddEditString(HWND owner)
{
    TheForm = std::make_unique<TFormAddEditString>(owner);
}

void FreeFormAddEditString()
{
    TheForm.reset();
}

TFormAddEditString& FormAddEditString()
{
    if (!TheForm)
        throw std::logic_error("The entry dialog is used outside the program's lifetime");
    return *TheForm;
}
