#pragma once

#include "Exception.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The text files that pages save and open through the Dialogs object.

// Larger files are refused unread: a settings file is a few kilobytes, and the whole text
// becomes one script string.
constexpr std::size_t TextFileLimit = 4 * 1024 * 1024;

// A file refused for what it holds (too large, or not the text its mark claims), as opposed to
// one that cannot be opened or read.
class ETextFileRefused : public Exception {
public:
    explicit ETextFileRefused(const std::string& message) : Exception(message) {}
};

// Text in UTF-16 LE with a byte-order mark, UTF-8 with or without one, or else the system ANSI
// code page, without its mark; nothing when the mark claims UTF-16 or UTF-8 and the bytes are not.
std::optional<std::wstring> DecodeText(std::string_view bytes);

// The text of a file in UTF-16 LE with a byte-order mark, UTF-8 with or without one, or else
// the system ANSI code page, without its mark. Fails with a clear message for a file above
// TextFileLimit and for one that claims UTF-16 or UTF-8 by its mark but is not.
std::wstring ReadTextFile(const std::wstring& path);

// Writes text as a .reg file is written (UTF-16 LE with a byte-order mark and CRLF line ends)
// when path ends in ".reg", otherwise in UTF-8 without a mark, exactly as given. The text goes
// to a file of its own beside path first, which then replaces path in one step, so a failure
// leaves either the old file or the whole new one.
void WriteTextFile(const std::wstring& path, std::wstring_view text);
