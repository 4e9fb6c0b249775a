#include "PreviewHttp.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace {

char LowerChar(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerChar(x) == LowerChar(y);
           });
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool ParseRequestLine(std::string_view line, THttpRequest& request)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos || first == 0 || second == first + 1)
        return false;
    const std::string_view version = line.substr(second + 1);
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return false;
    request.Method = line.substr(0, first);
    request.Target = line.substr(first + 1, second - first - 1);
    request.KeepAlive = version == "HTTP/1.1";
    return true;
}

bool ParseLength(std::string_view text, std::size_t& length)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), isDigit))
        return false;
    length = static_cast<std::size_t>(std::stoul(std::string(text)));
    return true;
}

// One header line into the request; false for a line no browser sends or a second Host.
bool ParseHeader(std::string_view line, THttpRequest& request, std::size_t& length, bool& hasHost)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return false;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = Trimmed(line.substr(colon + 1));
    if (SameText(name, "host")) {
        if (hasHost)
            return false;
        hasHost = true;
        request.Host = value;
    } else if (SameText(name, "origin"))
        request.Origin = value;
    else if (SameText(name, "content-length"))
        return ParseLength(value, length);
    else if (SameText(name, "transfer-encoding"))
        return false;
    else if (SameText(name, "connection"))
        request.KeepAlive = request.KeepAlive && !SameText(value, "close");
    return true;
}

std::size_t FindNoCase(std::string_view text, std::string_view what, std::size_t from = 0)
{
    auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                             what.begin(), what.end(), [](char x, char y) { return LowerChar(x) == LowerChar(y); });
    return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
}

// Where the tag that begins with opening (as "<head") ends, or npos when there is none.
std::size_t AfterTag(std::string_view page, std::string_view opening)
{
    for (std::size_t at = FindNoCase(page, opening); at != std::string_view::npos;
         at = FindNoCase(page, opening, at + 1)) {
        const std::size_t next = at + opening.size();
        if (next < page.size() && (page[next] == '>' || std::isspace(static_cast<unsigned char>(page[next])))) {
            const std::size_t close = page.find('>', next);
            return close == std::string_view::npos ? close : close + 1;
        }
    }
    return std::string_view::npos;
}

class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : FText(text) {}

    bool Array(std::vector<TJsonScalar>& values)
    {
        if (!Take('['))
            return false;
        if (Take(']'))
            return AtEnd();
        do {
            values.emplace_back();
            if (!Scalar(values.back()))
                return false;
        } while (Take(','));
        return Take(']') && AtEnd();
    }

private:
    void SkipBlanks()
    {
        while (FAt < FText.size() && std::isspace(static_cast<unsigned char>(FText[FAt])))
            ++FAt;
    }
    bool Take(char c)
    {
        SkipBlanks();
        if (FAt >= FText.size() || FText[FAt] != c)
            return false;
        ++FAt;
        return true;
    }
    bool TakeWord(std::string_view word)
    {
        if (FText.substr(FAt, word.size()) != word)
            return false;
        FAt += word.size();
        return true;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return FAt == FText.size();
    }

    bool Scalar(TJsonScalar& value)
    {
        SkipBlanks();
        if (FAt >= FText.size())
            return false;
        if (FText[FAt] == '"') {
            value.Kind = TJsonScalar::TKind::Text;
            return Text(value.Text);
        }
        if (TakeWord("true") || TakeWord("false")) {
            value.Kind = TJsonScalar::TKind::Bool;
            value.Bool = FText[FAt - 4] == 't';
            return true;
        }
        if (TakeWord("null"))
            return true;
        value.Kind = TJsonScalar::TKind::Number;
        return Number(value.Number);
    }

    bool Number(double& number)
    {
        const std::size_t start = FAt;
        while (FAt < FText.size() && std::string_view("+-.eE0123456789").find(FText[FAt]) != std::string_view::npos)
            ++FAt;
        const std::string token(FText.substr(start, FAt - start));
        char* end = nullptr;
        number = std::strtod(token.c_str(), &end);
        return !token.empty() && end == token.c_str() + token.size();
    }

    bool Hex4(char16_t& unit)
    {
        if (FAt + 4 > FText.size())
            return false;
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = FText[FAt++];
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return false;
            unit = static_cast<char16_t>(unit * 16 + (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : LowerChar(c) - 'a' + 10));
        }
        return true;
    }

    bool Escape(std::u16string& text)
    {
        if (FAt >= FText.size())
            return false;
        const char c = FText[FAt++];
        constexpr std::string_view from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
        if (const std::size_t at = from.find(c); at != std::string_view::npos) {
            text += static_cast<char16_t>(to[at]);
            return true;
        }
        char16_t unit = 0;
        if (c != 'u' || !Hex4(unit))
            return false;
        text += unit;
        return true;
    }

    // One character of UTF-8 as UTF-16.
    bool Utf8(std::u16string& text)
    {
        const auto lead = static_cast<unsigned char>(FText[FAt++]);
        const int extra = lead < 0x80 ? 0 : lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
        if (extra < 0 || FAt + static_cast<std::size_t>(extra) > FText.size())
            return false;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int i = 0; i < extra; ++i) {
            const auto next = static_cast<unsigned char>(FText[FAt++]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = code << 6 | (next & 0x3F);
        }
        if (code >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else
            text += static_cast<char16_t>(code);
        return true;
    }

    bool Text(std::u16string& text)
    {
        ++FAt;
        while (FAt < FText.size()) {
            const char c = FText[FAt];
            if (c == '"') {
                ++FAt;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c == '\\') {
                ++FAt;
                if (!Escape(text))
                    return false;
            } else if (!Utf8(text))
                return false;
        }
        return false;
    }

    std::string_view FText;
    std::size_t FAt = 0;
};

}

TRequestState ParseRequest(std::string_view data, THttpRequest& request, std::size_t& consumed)
{
    const std::size_t headEnd = data.substr(0, MaxRequestHeadBytes).find("\r\n\r\n");
    if (headEnd == std::string_view::npos)
        return data.size() >= MaxRequestHeadBytes ? TRequestState::HeadTooLarge : TRequestState::Incomplete;
    request = THttpRequest();
    std::string_view head = data.substr(0, headEnd);
    std::size_t lineEnd = head.find("\r\n");
    if (!ParseRequestLine(head.substr(0, lineEnd), request))
        return TRequestState::Malformed;
    std::size_t length = 0;
    bool hasHost = false;
    while (lineEnd != std::string_view::npos) {
        head.remove_prefix(lineEnd + 2);
        lineEnd = head.find("\r\n");
        if (!ParseHeader(head.substr(0, lineEnd), request, length, hasHost))
            return TRequestState::Malformed;
    }
    if (length > MaxRequestBodyBytes)
        return TRequestState::BodyTooLarge;
    const std::size_t bodyStart = headEnd + 4;
    if (data.size() < bodyStart + length)
        return TRequestState::Incomplete;
    request.Body = data.substr(bodyStart, length);
    consumed = bodyStart + length;
    return TRequestState::Complete;
}

std::string ServerAuthority(unsigned short port)
{
    return port == 80 ? "127.0.0.1" : "127.0.0.1:" + std::to_string(port);
}

bool IsServerHost(std::string_view host, unsigned short port)
{
    return host == ServerAuthority(port) || host == "127.0.0.1:" + std::to_string(port);
}

bool IsServerOrigin(std::string_view origin, unsigned short port)
{
    return origin.starts_with("http://") && IsServerHost(origin.substr(7), port);
}

std::string HttpResponse(int status, std::string_view contentType, std::string_view body, bool keepAlive)
{
    const char* reason = status == 200   ? "OK"
                         : status == 400 ? "Bad Request"
                         : status == 403 ? "Forbidden"
                         : status == 404 ? "Not Found"
                         : status == 405 ? "Method Not Allowed"
                         : status == 413 ? "Payload Too Large"
                         : status == 431 ? "Request Header Fields Too Large"
                                         : "Internal Server Error";
    std::string response = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
    if (!contentType.empty())
        response += "Content-Type: " + std::string(contentType) + "\r\n";
    response += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    response += "Cache-Control: no-store\r\nReferrer-Policy: no-referrer\r\n";
    if (status == 405)
        response += "Allow: GET, POST\r\n";
    response += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return response.append(body);
}

std::string ContentTypeOf(std::string_view path)
{
    static constexpr std::string_view types[][2] = {
        {"html", "text/html"},        {"htm", "text/html"},          {"css", "text/css"},
        {"js", "text/javascript"},    {"json", "application/json"},  {"txt", "text/plain"},
        {"png", "image/png"},         {"gif", "image/gif"},          {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},       {"ico", "image/x-icon"},       {"svg", "image/svg+xml"},
        {"bmp", "image/bmp"},         {"xml", "text/xml"},
    };
    const std::size_t dot = path.find_last_of("./\\");
    const std::string_view extension = dot == std::string_view::npos || path[dot] != '.' ? "" : path.substr(dot + 1);
    for (const auto& [known, type] : types)
        if (SameText(extension, known))
            return std::string(type);
    return "application/octet-stream";
}

std::string InjectIntoHead(std::string_view page, std::string_view script)
{
    std::size_t at = AfterTag(page, "<head");
    if (at == std::string_view::npos)
        at = AfterTag(page, "<html");
    if (at == std::string_view::npos)
        at = AfterTag(page, "<!doctype");
    if (at == std::string_view::npos)
        at = 0;
    std::string result(page.substr(0, at));
    return result.append(script).append(page.substr(at));
}

bool ParseJsonScalars(std::string_view text, std::vector<TJsonScalar>& values)
{
    values.clear();
    return TJsonReader(text).Array(values);
}

std::string JsonString(std::u16string_view text)
{
    // Everything outside printable ASCII escaped: the answer is plain ASCII, and a lone
    // surrogate in a registry text still makes valid JSON.
    std::string json = "\"";
    for (const char16_t unit : text) {
        if (unit == u'"' || unit == u'\\') {
            json += '\\';
            json += static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7F)
            json += static_cast<char>(unit);
        else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
            json += escape;
        }
    }
    return json + "\"";
}
