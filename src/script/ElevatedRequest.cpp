#include "script/ElevatedRequest.h"

#include <charconv>
#include <cstdint>

namespace {

constexpr std::string_view Header = "LVELEVATE 1";
constexpr std::string_view End = "end";
constexpr std::size_t NonceDigits = 32;
constexpr std::size_t MostSubjectLength = 100;
constexpr std::size_t MostTokenLength = 64;

[[noreturn]] void Refuse(const std::string& why)
{
    throw EElevatedRequest("The request was refused: " + why + ".");
}

bool IsLowerHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool IsIdChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == ':' || c == '-';
}

bool IsTokenChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

template <typename Predicate>
bool AllOf(std::string_view text, Predicate predicate)
{
    for (char c : text) {
        if (!predicate(c))
            return false;
    }
    return true;
}

bool IsNumberText(std::string_view text, bool mayBeNegative)
{
    if (mayBeNegative && !text.empty() && text.front() == '-')
        text.remove_prefix(1);
    return !text.empty() && AllOf(text, [](char c) { return c >= '0' && c <= '9'; }) &&
           (text.front() != '0' || text.size() == 1);
}

bool IsSubject(std::string_view id)
{
    return !id.empty() && id.size() <= MostSubjectLength && AllOf(id, IsIdChar);
}

// "NUMBER:TOKEN" as the journal names an entry.
bool IsJournalRef(std::string_view ref)
{
    const std::size_t colon = ref.find(':');
    if (colon == std::string_view::npos || colon > 15)
        return false;
    const std::string_view token = ref.substr(colon + 1);
    return IsNumberText(ref.substr(0, colon), false) && !token.empty() && token.size() <= MostTokenLength &&
           AllOf(token, IsTokenChar);
}

bool IsWholeNumber(std::string_view text)
{
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return IsNumberText(text, true) && error == std::errc() && end == text.data() + text.size() && text != "-0";
}

// Well-formed UTF-8 without NUL: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsSoundUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                                 : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (lead == 0 || length == 0 || i + length > text.size())
            return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool MustBeEscaped(unsigned char c)
{
    return c <= 0x20 || c == '%' || c == 0x7F;
}

int HexValue(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::string Unescaped(std::string_view text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            if (MustBeEscaped(static_cast<unsigned char>(text[i])))
                Refuse("a text holds a character that must be escaped");
            result += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        const int low = high < 0 ? -1 : HexValue(text[i + 2]);
        if (low < 0)
            Refuse("a text holds a broken escape");
        result += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (!IsSoundUtf8(result))
        Refuse("a text is not sound UTF-8");
    return result;
}

std::string Escaped(std::string_view text)
{
    constexpr char Digits[] = "0123456789ABCDEF";
    std::string result;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (MustBeEscaped(byte))
            result += {'%', Digits[byte >> 4], Digits[byte & 15]};
        else
            result += c;
    }
    return result;
}

// "b:true", "n:-12" or "s:TEXT" into the item.
void ReadValue(std::string_view text, TElevatedItem& item)
{
    if (text.size() < 2 || text[1] != ':')
        Refuse("a value has no type");
    item.ValueType = text[0];
    const std::string_view data = text.substr(2);
    if (item.ValueType == 'b' && (data == "true" || data == "false"))
        item.Value = data;
    else if (item.ValueType == 'n' && IsWholeNumber(data))
        item.Value = data;
    else if (item.ValueType == 's')
        item.Value = Unescaped(data);
    else
        Refuse("a value is not a switch, a whole number or a text");
}

TElevatedItem ReadItem(std::string_view line)
{
    const std::size_t blank = line.find(' ');
    const std::string_view verb = line.substr(0, blank);
    const std::string_view rest = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
    TElevatedItem item;
    if (verb == "undo") {
        if (!IsJournalRef(rest))
            Refuse("an undo names no entry of the history");
        return {TElevatedAction::Undo, std::string(rest), 0, ""};
    }
    const std::size_t idEnd = verb == "set" ? rest.find(' ') : rest.size();
    if ((verb != "set" && verb != "restore") || idEnd == std::string_view::npos || !IsSubject(rest.substr(0, idEnd)))
        Refuse("a line is no change of a setting");
    item.Action = verb == "set" ? TElevatedAction::Set : TElevatedAction::Restore;
    item.Subject = rest.substr(0, idEnd);
    if (item.Action == TElevatedAction::Set)
        ReadValue(rest.substr(idEnd + 1), item);
    return item;
}

// Compares every digit, so how long a wrong guess took tells nothing of the nonce.
bool SameNonce(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

std::vector<std::string_view> Lines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos)
            Refuse("it is cut short");
        lines.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end + 1);
        if (lines.size() > MostElevatedItems + 3)
            Refuse("it holds too many changes");
    }
    return lines;
}

}

std::vector<TElevatedItem> ReadElevatedItems(std::string_view lines)
{
    if (lines.size() > MostElevatedRequestBytes)
        Refuse("it is too large");
    std::vector<TElevatedItem> items;
    for (std::string_view line : Lines(lines))
        items.push_back(ReadItem(line));
    if (items.empty())
        Refuse("it asks for no change");
    if (items.size() > MostElevatedItems)
        Refuse("it holds too many changes");
    return items;
}

TElevatedRequest ReadElevatedRequest(std::string_view bytes, std::string_view expectedNonce)
{
    if (bytes.size() > MostElevatedRequestBytes)
        Refuse("it is too large");
    const std::vector<std::string_view> lines = Lines(bytes);
    if (lines.empty() || lines.front() != Header)
        Refuse("it is not a request of this program");
    if (lines.size() < 3 || lines.back() != End)
        Refuse("it is cut short");
    const std::string_view nonce = lines[1].substr(0, 6) == "nonce " ? lines[1].substr(6) : std::string_view();
    if (nonce.size() != NonceDigits || !AllOf(nonce, IsLowerHex) || !SameNonce(nonce, expectedNonce))
        Refuse("it was not made for this copy of the program");
    const std::size_t itemsStart = lines[0].size() + lines[1].size() + 2;
    return {std::string(nonce), ReadElevatedItems(bytes.substr(itemsStart, bytes.size() - itemsStart - End.size() - 1))};
}

std::string ElevatedItemLines(const std::vector<TElevatedItem>& items)
{
    std::string text;
    for (const TElevatedItem& item : items) {
        if (item.Action == TElevatedAction::Undo)
            text += "undo " + item.Subject;
        else
            text += (item.Action == TElevatedAction::Set ? "set " : "restore ") + item.Subject;
        if (item.Action == TElevatedAction::Set)
            text += std::string(" ") + item.ValueType + ":" + (item.ValueType == 's' ? Escaped(item.Value) : item.Value);
        text += "\n";
    }
    return text;
}

std::string ElevatedRequestText(const TElevatedRequest& request)
{
    const std::string text = std::string(Header) + "\nnonce " + request.Nonce + "\n" + ElevatedItemLines(request.Items) +
                             std::string(End) + "\n";
    ReadElevatedRequest(text, request.Nonce);
    return text;
}
