#include "dialogs/MorvaneDialogs_Impl.h"

#include "Exception.h"
#include "dialogs/ColorText.h"
#include "dialogs/FormParts.h"
#include "dialogs/TextFile.h"
#include "dialogs/UnitStrListDialog1.h"
#include "script/Registry.h"
#include "script/RootKeyName.h"
#include "script/OwnerWindow.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

// ChooseColor and GetOpenFileName answer 0 both for a cancel and for a failure.
void CheckCommonDialog(const char* dialog)
{
    if (const DWORD code = ::CommDlgExtendedError())
        throw Exception(std::string(dialog) + " failed with error " + std::to_string(code));
}

// Paths go through the wide functions: a page writes them to the registry as they come, and
// the code page would give "?" for a letter it lacks.
bool FileExists(const std::wstring& name)
{
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& name)
{
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "Description (*.ext)|*.ext" with each "|" a NUL and a second NUL at the end.
std::wstring PlatformFilter(const std::wstring& description, const std::wstring& pattern)
{
    std::wstring filter = description + L" (" + pattern + L")|" + pattern;
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    filter.push_back(L'\0');
    return filter;
}

std::wstring FileNameBuffer(const std::wstring& initial)
{
    std::wstring buffer(MAX_PATH, L'\0');
    if (FileExists(initial))
        initial.copy(buffer.data(), MAX_PATH - 1);
    return buffer;
}

int CALLBACK SelectStartFolder(HWND browser, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED && data)
        ::SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

// No critical-error boxes (an empty removable drive) while the browser looks at drives.
class TCriticalErrorsQuiet {
public:
    TCriticalErrorsQuiet() : FPrevious(::SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~TCriticalErrorsQuiet() { ::SetErrorMode(FPrevious); }
    TCriticalErrorsQuiet(const TCriticalErrorsQuiet&) = delete;
    TCriticalErrorsQuiet& operator=(const TCriticalErrorsQuiet&) = delete;

private:
    UINT FPrevious;
};

struct TShellFree {
    IMalloc* Allocator;
    void operator()(void* block) const { Allocator->Free(block); }
};
template <typename T>
using ShellBlock = std::unique_ptr<T, TShellFree>;

// False on cancel; otherwise the chosen folder's path is in chosen.
bool BrowseForFolder(IMalloc* allocator, const std::wstring& startFolder, std::wstring& chosen)
{
    ShellBlock<wchar_t> displayName(static_cast<wchar_t*>(allocator->Alloc(MAX_PATH * sizeof(wchar_t))),
                                    TShellFree{allocator});
    if (!displayName)
        throw std::bad_alloc();
    BROWSEINFOW browse{};
    browse.hwndOwner = ProgramOwnerWindow();
    browse.pszDisplayName = displayName.get();
    browse.lpszTitle = L"Select Directory";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    if (!startFolder.empty()) {
        browse.lpfn = SelectStartFolder;
        browse.lParam = reinterpret_cast<LPARAM>(startFolder.c_str());
    }
    ShellBlock<ITEMIDLIST> item(nullptr, TShellFree{allocator});
    {
        TCriticalErrorsQuiet quiet;
        TThreadWindowsDisabled disabled;
        item.reset(::SHBrowseForFolderW(&browse));
    }
    // A virtual folder (Libraries, This PC) has no path to give: a cancel, not its display name.
    if (!item || !::SHGetPathFromIDListW(item.get(), displayName.get()))
        return false;
    chosen = displayName.get();
    return true;
}

// "*.reg" gives "reg", which the dialog adds to a name typed without an extension.
std::wstring DefaultExtension(const std::wstring& pattern)
{
    const std::wstring first = pattern.substr(0, pattern.find(L';'));
    const std::size_t dot = first.rfind(L'.');
    if (dot == std::wstring::npos || first.find_first_of(L"*?", dot) != std::wstring::npos)
        return {};
    return first.substr(dot + 1);
}

enum class TFileQuestion { Save, Open };

// The file dialog over the program's windows, with the one filter; false on cancel.
bool ShowFileDialog(OPENFILENAMEW& dialog, TFileQuestion question)
{
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = ProgramOwnerWindow();
    dialog.nFilterIndex = 1;
    BOOL chosen = FALSE;
    {
        TThreadWindowsDisabled disabled;
        chosen = question == TFileQuestion::Save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
    }
    if (!chosen)
        CheckCommonDialog("The file dialog");
    return chosen != FALSE;
}

// The wide dialogs, so that a path in any script works; the buffer holds the longest path
// the system allows. The empty text on cancel.
std::wstring AskFileName(TFileQuestion question, BSTR caption, BSTR typeDescr, BSTR typeExt,
                         const std::wstring& suggestedName)
{
    constexpr DWORD capacity = 32768;
    const std::wstring pattern = WideFromBstr(typeExt);
    const std::wstring filter = PlatformFilter(WideFromBstr(typeDescr), pattern);
    const std::wstring extension = DefaultExtension(pattern);
    const std::wstring title = WideFromBstr(caption);
    std::wstring fileName(capacity, L'\0');
    suggestedName.copy(fileName.data(), capacity - 1);
    OPENFILENAMEW dialog{};
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = capacity;
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST |
                   (question == TFileQuestion::Save ? OFN_OVERWRITEPROMPT | OFN_NOREADONLYRETURN : OFN_FILEMUSTEXIST);
    return ShowFileDialog(dialog, question) ? fileName.c_str() : std::wstring();
}

}

HRESULT TDialogsAutoObj::GetColor(LONG curColor, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const auto table = CustomColors();
        COLORREF custom[16];
        std::copy(table.begin(), table.end(), custom);
        CHOOSECOLORA choose{};
        choose.lStructSize = sizeof choose;
        choose.hwndOwner = ProgramOwnerWindow();
        choose.rgbResult = ColorRefFromScriptColor(curColor);
        choose.lpCustColors = custom;
        choose.Flags = CC_RGBINIT | CC_FULLOPEN;
        if (TThreadWindowsDisabled disabled; ::ChooseColorA(&choose))
            SetResultText(res, ColorResultText(choose.rgbResult));
        else {
            CheckCommonDialog("The colour dialog");
            SetResultBool(res, false);
        }
    });
}

HRESULT TDialogsAutoObj::GetFile(BSTR curFile, BSTR typeDescr, BSTR typeExt, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const std::wstring filter = PlatformFilter(WideFromBstr(typeDescr), WideFromBstr(typeExt));
        std::wstring fileName = FileNameBuffer(WideFromBstr(curFile));
        OPENFILENAMEW open{};
        open.lpstrFilter = filter.c_str();
        open.lpstrFile = fileName.data();
        open.nMaxFile = MAX_PATH;
        open.lpstrTitle = L"Select File";
        open.lpstrDefExt = L"*.*";
        open.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
        if (ShowFileDialog(open, TFileQuestion::Open))
            SetResultText(res, fileName.c_str());
        else
            SetResultBool(res, false);
    });
}

HRESULT TDialogsAutoObj::GetDirectory(BSTR curDir, VARIANT* res)
{
    return ScriptCall(res, [&] {
        std::wstring startFolder = WideFromBstr(curDir);
        if (!FolderExists(startFolder))
            startFolder.clear();
        ComPtr<IMalloc> allocator;
        std::wstring chosen;
        if (SUCCEEDED(::SHGetMalloc(allocator.GetAddressOf())) && BrowseForFolder(allocator.Get(), startFolder, chosen))
            SetResultText(res, chosen);
        else
            SetResultBool(res, false);
    });
}

HRESULT TDialogsAutoObj::StrListEditor1(BSTR rootKey, BSTR key, BSTR caption, VARIANT* res)
{
    return ScriptCall(res, [&] {
        TFormStrListDialog1& editor = FormStrListDialog1();
        // A page event under the editor's modal loop must not reload the open editor.
        if (editor.Executing())
            throw Exception("The string list editor is already open");
        const HKEY hive = HiveKey(RootKeyFromName(AnsiFromBstr(rootKey)));
        editor.SetCaption(WideFromBstr(caption));
        SetResultInt(res, editor.ExecuteForKey(hive, WideFromBstr(key)));
    });
}

HRESULT TDialogsAutoObj::SaveTextFile(BSTR caption, BSTR typeDescr, BSTR typeExt, BSTR suggestedName, BSTR text,
                                      VARIANT* res)
{
    return ScriptCall(res, [&] {
        const std::wstring path =
            AskFileName(TFileQuestion::Save, caption, typeDescr, typeExt, WideFromBstr(suggestedName));
        if (!path.empty())
            WriteTextFile(path, WideFromBstr(text));
        SetResultText(res, path);
    });
}

HRESULT TDialogsAutoObj::OpenTextFile(BSTR caption, BSTR typeDescr, BSTR typeExt, VARIANT* res)
{
    return ScriptCall(res, [&] {
        const std::wstring path = AskFileName(TFileQuestion::Open, caption, typeDescr, typeExt, std::wstring());
        SetResultText(res, path.empty() ? path : ReadTextFile(path));
    });
}

ComPtr<IDialogsAutoObj> NewDialogsObject()
{
    return ComPtr<IDialogsAutoObj>(new TDialogsAutoObj);
}
