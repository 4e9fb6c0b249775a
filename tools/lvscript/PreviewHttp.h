#pragma once

// The plain-text side of the page preview: reading an HTTP request, building a response, the
// content type of an entry, putting the script into a page's head, and the JSON of a call.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A request head of more than this is refused with 431, a body of more with 413; a page call
// carries a few texts, and a registry value is far below it.
inline constexpr std::size_t MaxRequestHeadBytes = 16 * 1024;
inline constexpr std::size_t MaxRequestBodyBytes = 1024 * 1024;

struct THttpRequest {
    std::string Method;
    std::string Target;
    std::string Host;   // empty when the request names none
    std::string Origin; // empty when the browser sent none
    bool KeepAlive = true;
    std::string Body;
};

enum class TRequestState { Incomplete, Complete, HeadTooLarge, BodyTooLarge, Malformed };

// Reads the request at the front of data. On Complete, consumed is the length of the whole
// request (head and body), so that a second one sent on the same connection follows it.
TRequestState ParseRequest(std::string_view data, THttpRequest& request, std::size_t& consumed);

// The address of the server at port on 127.0.0.1 as a browser writes it in a Host header and
// in an Origin (after "http://"): "127.0.0.1:PORT", and without the port when it is HTTP's
// own, 80, which browsers leave out. Only these are the server's own; "localhost" is not.
std::string ServerAuthority(unsigned short port);
bool IsServerHost(std::string_view host, unsigned short port);
bool IsServerOrigin(std::string_view origin, unsigned short port);

// The status line and headers, then the body. Nothing a browser may keep (no-store) and no
// Referer to leave with the secret in it when a page links to another site.
std::string HttpResponse(int status, std::string_view contentType, std::string_view body, bool keepAlive);

// From the extension, as a web server gives it; application/octet-stream for anything unknown.
std::string ContentTypeOf(std::string_view path);

// The page with script right after its opening head tag; without a head, after the opening
// html tag or the doctype, so that the document keeps its standards mode.
std::string InjectIntoHead(std::string_view page, std::string_view script);

// One argument or result of a call, as JSON carries it.
struct TJsonScalar {
    enum class TKind { Null, Bool, Number, Text };
    TKind Kind = TKind::Null;
    bool Bool = false;
    double Number = 0;
    std::u16string Text;
};

// A JSON array of strings, numbers, booleans and nulls; false when text is anything else.
bool ParseJsonScalars(std::string_view text, std::vector<TJsonScalar>& values);

// A JSON string literal of UTF-16 text, as UTF-8.
std::string JsonString(std::u16string_view text);
