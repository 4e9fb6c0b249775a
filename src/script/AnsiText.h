#pragma once

// The program's own texts (file names, its settings, messages) are single-byte text in the
// system ANSI code page; the platform's and the scripts' texts are UTF-16.

#include <exception>
#include <string>
#include <string_view>

// A character the code page cannot hold becomes the code page's default character ("?"),
// never a look-alike.
std::string AnsiFromWide(std::wstring_view text);
std::wstring WideFromAnsi(std::string_view text);

// UTF-8, as the pipe to the program started as administrator and the command line's log carry
// text; an ill-formed sequence becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view bytes);

// The failure's message for a person to read: exact when it names a text of the scripts or the
// registry, otherwise its ANSI text converted.
std::wstring WideMessage(const std::exception& failure);
