#pragma once

// What the program asks of its own copy started as administrator: setting ids with values,
// defaults to restore, journal entries to undo. Nothing else can be said in it: no registry
// path, type or data, since the elevated copy takes those from its own definitions. The copy
// reads the request from a pipe that the asking user owns, so every byte is untrusted:
// anything malformed, oversized or sent with another nonce is refused whole.
//
// The text, in UTF-8, one item to a line after a header:
//   LVELEVATE 1
//   nonce 0123456789abcdef0123456789abcdef
//   set ID b:true | n:-12 | s:TEXT      (TEXT with %, blanks and control characters as %XX)
//   restore ID
//   undo NUMBER:TOKEN
//   end

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

enum class TElevatedAction { Set, Restore, Undo };

struct TElevatedItem {
    TElevatedAction Action = TElevatedAction::Set;
    std::string Subject; // a setting's id, or the journal reference for undo
    char ValueType = 0;  // for Set: 'b' (true/false), 'n' (a whole number) or 's' (text)
    std::string Value;   // for Set, decoded: "true"/"false", decimal digits, or the text in UTF-8

    bool operator==(const TElevatedItem&) const = default;
};

struct TElevatedRequest {
    std::string Nonce; // 32 lowercase hex digits, fresh for each start of the elevated copy
    std::vector<TElevatedItem> Items;
};

class EElevatedRequest : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::size_t MostElevatedRequestBytes = 64 * 1024;
inline constexpr std::size_t MostElevatedItems = 1000;

// The request, when it is whole, well formed and carries expectedNonce; throws
// EElevatedRequest naming the first fault otherwise.
TElevatedRequest ReadElevatedRequest(std::string_view bytes, std::string_view expectedNonce);

// The items alone, as a page writes them: the lines between a request's nonce and its end.
std::vector<TElevatedItem> ReadElevatedItems(std::string_view lines);

// The items' lines, as ReadElevatedItems reads them.
std::string ElevatedItemLines(const std::vector<TElevatedItem>& items);

// The text ReadElevatedRequest reads back to the same request; throws EElevatedRequest for an
// item that no request may carry (the asking side refuses it before any prompt).
std::string ElevatedRequestText(const TElevatedRequest& request);
