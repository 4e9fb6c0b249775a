#include "script/AnsiText.h"

#include "Exception.h"

#include <windows.h>

std::string AnsiFromWide(std::wstring_view text)
{
    if (text.empty())
        return {};
    // No best fit: it would turn a character the code page lacks into a look-alike, a
    // full-width backslash into a key path's separator; such a character becomes the code
    // page's default character instead. UTF-8 holds every character and takes no flags.
    const DWORD flags = ::GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, text.data(), length, ansi.data(), size, nullptr, nullptr);
    return ansi;
}

std::wstring WideFromAnsi(std::string_view text)
{
    if (text.empty())
        return {};
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
    return wide;
}

std::wstring WideMessage(const std::exception& failure)
{
    const auto* own = dynamic_cast<const Exception*>(&failure);
    return own && own->ExactMessage() ? *own->ExactMessage() : WideFromAnsi(failure.what());
}

std::string Utf8FromWide(std::wstring_view text)
{
    const int length = static_cast<int>(text.size());
    const int size = length == 0 ? 0 : ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring WideFromUtf8(std::string_view bytes)
{
    const int length = static_cast<int>(bytes.size());
    const int size = length == 0 ? 0 : ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    if (size > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, text.data(), size);
    return text;
}
