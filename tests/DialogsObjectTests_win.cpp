// The Dialogs object through the real dispatch: the list editor's count and a second call from
// under the open editor's modal loop, as a page event would make it; the text file dialogs
// answered by typing a name, with the encodings they write and read.
#include "dialogs/MorvaneDialogs_Impl.h"
#include "dialogs/TextFile.h"
#include "dialogs/UnitStrListDialog1.h"
#include "script/MorvaneAutoObj_Impl.h"
#include "script/Registry.h"
#include "support/ScratchKey.h"
#include "support/TempFolder.h"
#include "support/ThreadDialog.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

VARIANT Text(const wchar_t* text)
{
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = ::SysAllocString(text);
    return value;
}

struct TCallOutcome {
    HRESULT Result = E_FAIL;
    std::wstring Description;
    VARIANT Res{};
};

// A method called by name with text arguments, given in the order of the script's call.
TCallOutcome Call(IDialogsAutoObj* dialogs, const wchar_t* method, std::initializer_list<std::wstring> texts)
{
    LPOLESTR name = const_cast<LPOLESTR>(method);
    DISPID id = DISPID_UNKNOWN;
    dialogs->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    std::vector<VARIANT> args;
    for (auto text = std::rbegin(texts); text != std::rend(texts); ++text)
        args.push_back(Text(text->c_str()));
    DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
    TCallOutcome outcome;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    outcome.Result = dialogs->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &outcome.Res,
                                     &exception, &argumentError);
    if (exception.bstrDescription)
        outcome.Description = exception.bstrDescription;
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    for (VARIANT& arg : args)
        ::VariantClear(&arg);
    return outcome;
}

TCallOutcome CallStrListEditor1(IDialogsAutoObj* dialogs, const std::wstring& key, const wchar_t* caption)
{
    return Call(dialogs, L"StrListEditor1", {L"HKCU", key, caption});
}

class DialogsObject : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        CreateSharedRegistry();
        ComPtr<ITweakExternal> root = new TTweakExternal;
        EXPECT_EQ(root->get_Dialogs(Dialogs.GetAddressOf()), E_UNEXPECTED) << "no factory wired in yet";
        SetDialogsObjectFactory(NewDialogsObject);
        ASSERT_EQ(root->get_Dialogs(Dialogs.GetAddressOf()), S_OK);
        Scratch.emplace();
        Scratch->MakeKey("List");
        Scratch->SetValue("List", "0", REG_SZ, "first");
        Scratch->SetValue("List", "1", REG_SZ, "second");
        const std::string path = Scratch->PathOf("List");
        KeyPath.assign(path.begin(), path.end());
    }
    void TearDown() override
    {
        Scratch.reset();
        Dialogs.Reset();
        SetDialogsObjectFactory(nullptr);
        FreeStringListDialogs();
        FreeSharedRegistry();
        ::OleUninitialize();
    }

    ComPtr<IDialogsAutoObj> Dialogs;
    std::optional<TScratchKey> Scratch;
    std::wstring KeyPath;
};

// What the timer does once the editor is open: the nested call, the caption it leaves, the close.
struct TNested {
    IDialogsAutoObj* Dialogs = nullptr;
    std::wstring KeyPath;
    TCallOutcome Outcome;
    std::string CaptionAfter;
    bool Ran = false;
};
TNested* Nested = nullptr;

void CALLBACK CallWhileOpen(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND editor = FormStrListDialog1().Handle();
    if (!::IsWindowVisible(editor))
        return;
    ::KillTimer(nullptr, timer);
    Nested->Outcome = CallStrListEditor1(Nested->Dialogs, Nested->KeyPath + L"\\Other", L"Second");
    char caption[128] = {};
    ::GetWindowTextA(editor, caption, sizeof caption);
    Nested->CaptionAfter = caption;
    Nested->Ran = true;
    ::PostMessageA(editor, WM_CLOSE, 0, 0);
}

TEST_F(DialogsObject, StrListEditor1GivesTheCountAndRefusesASecondCallWhileTheEditorIsOpen)
{
    TNested nested;
    nested.Dialogs = Dialogs.Get();
    nested.KeyPath = KeyPath;
    Nested = &nested;
    ::SetTimer(nullptr, 0, 50, CallWhileOpen);
    TCallOutcome outcome = CallStrListEditor1(Dialogs.Get(), KeyPath, L"First");
    Nested = nullptr;
    ASSERT_TRUE(nested.Ran);
    EXPECT_EQ(nested.Outcome.Result, DISP_E_EXCEPTION);
    EXPECT_EQ(nested.Outcome.Description, L"The string list editor is already open");
    EXPECT_EQ(V_VT(&nested.Outcome.Res), VT_EMPTY);
    EXPECT_EQ(nested.CaptionAfter, "First");
    EXPECT_EQ(outcome.Result, S_OK);
    EXPECT_EQ(V_VT(&outcome.Res), VT_I4);
    EXPECT_EQ(V_I4(&outcome.Res), 2);
    EXPECT_FALSE(Scratch->HasKey("List\\Other"));
    ::VariantClear(&outcome.Res);
}

// Selects This PC in the open folder browser and confirms it.
void CALLBACK ConfirmThisPc(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND browser = ThreadDialog();
    if (!browser)
        return;
    ::KillTimer(nullptr, timer);
    LPITEMIDLIST computer = nullptr;
    ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
    ::SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
    ::CoTaskMemFree(computer);
    ::PostMessageA(browser, WM_COMMAND, IDOK, 0);
}

TEST_F(DialogsObject, GetDirectoryOnAFolderWithoutAPathIsACancel)
{
    ::SetTimer(nullptr, 0, 50, ConfirmThisPc);
    VARIANT res{};
    EXPECT_EQ(Dialogs->GetDirectory(nullptr, &res), S_OK);
    EXPECT_EQ(V_VT(&res), VT_BOOL) << (V_VT(&res) == VT_BSTR ? V_BSTR(&res) : L"");
    ::VariantClear(&res);
}

// The next file dialog titled Caption gets FileName typed in and OK pressed, or Cancel when
// FileName is empty, once it has settled.
struct TFileAnswer {
    std::wstring Caption;
    std::wstring FileName;
    int Ticks = 0;
};
TFileAnswer FileAnswer;

// The edit control of the file name box, or of the combo box that Wine puts there instead.
HWND FileNameBox(HWND dialog)
{
    HWND control = ::GetDlgItem(dialog, 0x480) ? ::GetDlgItem(dialog, 0x480) : ::GetDlgItem(dialog, 0x47C);
    wchar_t className[16] = {};
    while (control && ::GetClassNameW(control, className, 16) && std::wstring(className) != L"Edit")
        control = ::GetWindow(control, GW_CHILD);
    return control;
}

void CALLBACK AnswerFileDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = ThreadDialog(FileAnswer.Caption.c_str());
    if (!dialog || ++FileAnswer.Ticks < 4)
        return;
    ::KillTimer(nullptr, timer);
    const int button = FileAnswer.FileName.empty() ? IDCANCEL : IDOK;
    if (button == IDOK)
        ::SendMessageW(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(FileAnswer.FileName.c_str()));
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

std::wstring ResultText(const TCallOutcome& outcome)
{
    return V_VT(&outcome.Res) == VT_BSTR ? std::wstring(V_BSTR(&outcome.Res), ::SysStringLen(V_BSTR(&outcome.Res)))
                                         : L"(not a text)";
}

std::string Bytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

// A folder whose name the system's code page cannot hold, so that only a wide path reaches it.
class TextFileDialogs : public DialogsObject {
protected:
    TCallOutcome Answered(const std::wstring& fileName, const wchar_t* method,
                          std::initializer_list<std::wstring> texts)
    {
        FileAnswer = {texts.begin()[0], fileName.empty() ? fileName : (Folder / fileName).wstring()};
        ::SetTimer(nullptr, 0, 100, AnswerFileDialog);
        return Call(Dialogs.Get(), method, texts);
    }
    TCallOutcome Save(const std::wstring& fileName, const std::wstring& text)
    {
        return Answered(fileName, L"SaveTextFile", {L"Save a test file", L"Registry files", L"*.reg", L"", text});
    }
    TCallOutcome Open(const std::wstring& fileName)
    {
        return Answered(fileName, L"OpenTextFile", {L"Open a test file", L"Text files", L"*.*"});
    }

    TTempFolder Temp{"lv-text-files-"};
    std::filesystem::path Folder = Temp.Path() / L"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1 \u2713";
    void SetUp() override
    {
        DialogsObject::SetUp();
        std::filesystem::create_directory(Folder);
    }
};

std::string Utf16Le(const std::wstring& text)
{
    std::string bytes;
    for (const wchar_t c : text)
        bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

TEST_F(TextFileDialogs, SaveWritesRegFilesAsRegeditDoesAndOtherTextAsGivenInUtf8)
{
    const std::wstring text =
        L"Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Test]\r\n\"\u0395\"=\"\u20ac\"\n";
    const TCallOutcome reg = Save(L"settings", text);
    EXPECT_EQ(ResultText(reg), (Folder / L"settings.reg").wstring());
    EXPECT_EQ(Bytes(Folder / L"settings.reg"),
              "\xFF\xFE" + Utf16Le(L"Windows Registry Editor Version 5.00\r\n\r\n"
                                 L"[HKEY_CURRENT_USER\\Test]\r\n\"\u0395\"=\"\u20ac\"\r\n"));
    Save(L"notes.txt", text);
    EXPECT_EQ(Bytes(Folder / L"notes.txt"), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Test]\r\n"
                                            "\"\xCE\x95\"=\"\xE2\x82\xAC\"\n");
    const TCallOutcome cancelled = Save(L"", text);
    EXPECT_EQ(cancelled.Result, S_OK);
    EXPECT_EQ(ResultText(cancelled), L"");
    // Written again to the same path: the second text.
    WriteTextFile((Folder / L"notes.txt").wstring(), L"second");
    EXPECT_EQ(Bytes(Folder / L"notes.txt"), "second");
    // Nothing else is left beside the files, no temporary one either.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder), {}), 2);
}

TEST_F(TextFileDialogs, GetFileGivesBackAPathTheCodePageCannotHold)
{
    const std::wstring file = (Folder / L"\u03b1.txt").wstring();
    PutBytes(file, "a");
    FileAnswer = {L"Select File", file};
    ::SetTimer(nullptr, 0, 100, AnswerFileDialog);
    EXPECT_EQ(ResultText(Call(Dialogs.Get(), L"GetFile", {file, L"Text files", L"*.txt"})), file);
}

TEST_F(TextFileDialogs, OpenReadsUtf16Utf8AndTheCodePageAndRefusesFilesAbove4MiB)
{
    const std::wstring text = L"\u0395\u20ac caf\u00e9\r\n";
    PutBytes(Folder / L"utf16.reg", "\xFF\xFE" + Utf16Le(text));
    PutBytes(Folder / L"utf8-marked.txt", "\xEF\xBB\xBF\xCE\x95\xE2\x82\xAC caf\xC3\xA9\r\n");
    PutBytes(Folder / L"utf8.txt", "\xCE\x95\xE2\x82\xAC caf\xC3\xA9\r\n");
    PutBytes(Folder / L"ansi.txt", "caf\xE9");
    PutBytes(Folder / L"largest.txt", std::string(TextFileLimit, 'a'));
    PutBytes(Folder / L"too-large.txt", std::string(TextFileLimit + 1, 'a'));
    EXPECT_EQ(ResultText(Open(L"utf16.reg")), text);
    EXPECT_EQ(ResultText(Open(L"utf8-marked.txt")), text);
    EXPECT_EQ(ResultText(Open(L"utf8.txt")), text);
    wchar_t ansi[8] = {};
    ::MultiByteToWideChar(CP_ACP, 0, "caf\xE9", 4, ansi, 8);
    EXPECT_EQ(ResultText(Open(L"ansi.txt")), ansi);
    EXPECT_EQ(ResultText(Open(L"largest.txt")).size(), TextFileLimit);
    const TCallOutcome tooLarge = Open(L"too-large.txt");
    EXPECT_EQ(tooLarge.Result, DISP_E_EXCEPTION);
    EXPECT_NE(tooLarge.Description.find(L"is larger than 4 MiB and is not read."), std::wstring::npos)
        << tooLarge.Description;
    EXPECT_EQ(V_VT(&tooLarge.Res), VT_EMPTY);
    EXPECT_EQ(ResultText(Open(L"")), L"");
}

}
