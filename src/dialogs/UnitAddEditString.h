#pragma once

#include "dialogs/FormParts.h"

#include <windows.h>

#include <optional>
#include <string>

// The entry dialog of the string list editor: one line of text, confirmed with ButtonAddEdit
// or the Enter key, or cancelled. The editor sets its captions and text before each use.
class TFormAddEditString {
public:
    explicit TFormAddEditString(HWND owner);
    ~TFormAddEditString();
    TFormAddEditString(const TFormAddEditString&) = delete;
    TFormAddEditString& operator=(const TFormAddEditString&) = delete;

    HWND Handle() const { return FWindow.Get(); }
    void SetCaption(const std::wstring& caption);
    void SetButtonCaption(const std::wstring& caption);
    std::wstring Text() const;
    void SetText(const std::wstring& text);

    // Shows the dialog modally, its owner disabled, and gives IDOK or IDCANCEL.
    int ShowModal();

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EditStringProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR form);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormShow();
    // Gives the character to pass on, 0 for one the dialog has taken.
    wchar_t EditStringKeyPress(wchar_t key);
    void PanelButtonsResize();
    void ButtonAddEditClick() { FModalResult = IDOK; }
    void ButtonCancelClick() { FModalResult = IDCANCEL; }
    void LayOut();
    void FormDpiChanged(int dpi, const RECT& suggested);

    UniqueWindow FWindow;
    std::optional<TFormScale> FScale;
    HWND PanelClient = nullptr;
    HWND EditString = nullptr;
    HWND PanelButtons = nullptr;
    HWND ButtonAddEdit = nullptr;
    HWND ButtonCancel = nullptr;
    int FModalResult = 0;
};

// The one entry dialog, owned by the list editor: made after it and freed before it.
void CreateFormAddEditString(HWND owner);
void FreeFormAddEditString();
TFormAddEditString& FormAddEditString();
