#include "dialogs/TextFile.h"

#include "Exception.h"
#include "UniqueKernelHandle.h"
#include "script/AnsiText.h"
#include "script/OleText.h"
#include "store/FileStream.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>

namespace {

std::string NameOf(const std::wstring& path)
{
    return "\"" + AnsiFromWide(path) + "\"";
}

[[noreturn]] void FailOn(const char* action, const std::wstring& path)
{
    throw Exception(std::string("Cannot ") + action + " file " + NameOf(path) + ". " +
                    SystemErrorMessage(static_cast<int>(::GetLastError())));
}

UniqueKernelHandle OpenFile(const std::wstring& path, DWORD access, DWORD disposition)
{
    const HANDLE file = ::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueKernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

bool StartsWith(std::string_view bytes, std::string_view mark)
{
    return bytes.substr(0, mark.size()) == mark;
}

// Nothing when bytes are not valid UTF-8.
std::optional<std::wstring> FromUtf8(std::string_view bytes)
{
    if (bytes.empty())
        return std::wstring();
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), length, text.data(), size);
    return text;
}

std::optional<std::wstring> FromUtf16(std::string_view bytes)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    std::wstring text(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return text;
}

std::string Utf16WithMark(std::wstring_view text)
{
    std::string bytes("\xFF\xFE", 2);
    bytes.reserve(2 + 2 * text.size());
    for (const wchar_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

// Every line break that is a lone LF becomes CRLF, as regedit writes its lines.
std::wstring WithCrlf(std::wstring_view text)
{
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
            result.push_back(L'\r');
        result.push_back(text[i]);
    }
    return result;
}

bool IsRegFile(const std::wstring& path)
{
    return path.size() >= 4 &&
           ::CompareStringOrdinal(path.c_str() + path.size() - 4, 4, L".reg", 4, TRUE) == CSTR_EQUAL;
}

void WriteAll(HANDLE file, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
        done += written;
    }
    if (!::FlushFileBuffers(file))
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category());
}

// A new file beside path, under a name no other file has.
std::pair<std::wstring, UniqueKernelHandle> CreateTemporaryBeside(const std::wstring& path)
{
    for (unsigned attempt = 0;; ++attempt) {
        std::wstring name = path + L"." + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) +
                            L".tmp";
        if (UniqueKernelHandle file = OpenFile(name, GENERIC_WRITE, CREATE_NEW))
            return {std::move(name), std::move(file)};
        if (::GetLastError() != ERROR_FILE_EXISTS || attempt == 100)
            FailOn("write", path);
    }
}

} // namespace

// A file without a mark is UTF-8 when it is valid UTF-8, as an editor saves it today; a text
// in the system code page almost never is.
std::optional<std::wstring> DecodeText(std::string_view bytes)
{
    if (StartsWith(bytes, "\xFF\xFE"))
        return FromUtf16(bytes.substr(2));
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        return FromUtf8(bytes.substr(3));
    if (auto text = FromUtf8(bytes))
        return text;
    return WideFromAnsi(bytes);
}


std::wstring ReadTextFile(const std::wstring& path)
{
    std::string bytes;
    switch (ReadBoundedFile(path, TextFileLimit, bytes)) {
    case TBoundedRead::CannotOpen:
        FailOn("open", path);
    case TBoundedRead::TooLarge:
        throw ETextFileRefused("The file " + NameOf(path) + " is larger than 4 MiB and is not read.");
    case TBoundedRead::CannotRead:
        FailOn("read", path);
    case TBoundedRead::Done:
        break;
    }
    std::optional<std::wstring> text = DecodeText(bytes);
    if (!text)
        throw ETextFileRefused("The file " + NameOf(path) + " is not text: its byte-order mark says UTF-16 or UTF-8, "
                        "but the bytes after it are not.");
    return *text;
}

void WriteTextFile(const std::wstring& path, std::wstring_view text)
{
    const std::string bytes = IsRegFile(path) ? Utf16WithMark(WithCrlf(text)) : Utf8FromWide(text);
    auto [temporary, file] = CreateTemporaryBeside(path);
    try {
        WriteAll(file.Get(), bytes);
    } catch (const std::system_error& failure) {
        file.Reset();
        ::DeleteFileW(temporary.c_str());
        throw Exception("Cannot write file " + NameOf(path) + ". " + SystemErrorMessage(failure.code().value()));
    }
    file.Reset();
    if (!::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        ::SetLastError(error);
        FailOn("write", path);
    }
}
