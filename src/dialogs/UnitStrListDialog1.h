#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

// The registry-backed string list editor: the REG_SZ values named "0", "1", "2", ... of one key,
// listed, added, edited and deleted, each change written at once through SharedRegistry. Names
// and texts are shown and written exactly, whatever their characters. It is
// made once at start-up, after the main window, and lives until the end; it is shown only while
// ExecuteForKey runs.
class TFormStrListDialog1 {
public:
    // Owned by owner, appearing over anchor (both may be null).
    TFormStrListDialog1(HWND owner, HWND anchor);
    ~TFormStrListDialog1();
    TFormStrListDialog1(const TFormStrListDialog1&) = delete;
    TFormStrListDialog1& operator=(const TFormStrListDialog1&) = delete;

    HWND Handle() const;
    void SetCaption(const std::wstring& caption);

    // Loads the key's entries, shows the editor modally and gives the number of entries when the
    // user closes it. A value that cannot be read while loading fails with ERegistryException,
    // and the editor is then not shown.
    std::int32_t ExecuteForKey(HKEY rootKey, const std::wstring& keyPath);

    // True while ExecuteForKey shows the editor.
    bool Executing() const;

private:
    struct TState;
    std::unique_ptr<TState> FState;
};

// The editor and its entry dialog, owned by owner and appearing over anchor: the program makes
// them at start-up (see ProgramWindows.h) and frees them at the end.
void CreateStringListDialogs(HWND owner, HWND anchor);
void FreeStringListDialogs();
// The editor; made at the first use, owned by nobody, where the program did not make it.
TFormStrListDialog1& FormStrListDialog1();
