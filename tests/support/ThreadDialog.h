#pragma once

#include <windows.h>

#include <string>

struct TThreadDialogSearch {
    const wchar_t* Title;
    HWND Found;
};

inline BOOL CALLBACK FindThreadDialog(HWND window, LPARAM search)
{
    auto& wanted = *reinterpret_cast<TThreadDialogSearch*>(search);
    wchar_t text[256] = {};
    if (!::IsWindowVisible(window) || !::GetClassNameW(window, text, 256) || std::wstring(text) != L"#32770")
        return TRUE;
    ::GetWindowTextW(window, text, 256);
    if (wanted.Title && std::wstring(text) != wanted.Title)
        return TRUE;
    wanted.Found = window;
    return FALSE;
}

// A shown dialog of this thread, with the title when one is given. Other test programs may have
// dialogs open on the same desktop at the same time, so a test answers only its own.
inline HWND ThreadDialog(const wchar_t* title = nullptr)
{
    TThreadDialogSearch search{title, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindThreadDialog, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}
