// The page preview's plain-text side: reading requests within their bounds, where the proxy
// script goes into a page, and the JSON of the calls.
#include "PreviewHttp.h"

#include <gtest/gtest.h>

TEST(PreviewRequest, ReadsOneRequestAtATimeWithinItsBounds)
{
    const std::string two = "POST /t/-/call HTTP/1.1\r\nHost: 127.0.0.1:80\r\nOrigin: http://a\r\n"
                            "Content-Length: 3\r\n\r\n[1]GET / HTTP/1.1\r\n\r\n";
    THttpRequest request;
    std::size_t consumed = 0;
    ASSERT_EQ(ParseRequest(two, request, consumed), TRequestState::Complete);
    EXPECT_EQ(request.Method + request.Target + request.Host + request.Origin + request.Body,
              "POST/t/-/call127.0.0.1:80http://a[1]");
    EXPECT_EQ(two.substr(consumed), "GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(ParseRequest(two.substr(0, consumed - 1), request, consumed), TRequestState::Incomplete);
    EXPECT_EQ(ParseRequest("GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", request, consumed), TRequestState::Malformed);
    EXPECT_EQ(ParseRequest("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", request, consumed),
              TRequestState::Malformed);
    EXPECT_EQ(ParseRequest("POST / HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n", request, consumed),
              TRequestState::BodyTooLarge);
    EXPECT_EQ(ParseRequest(std::string(MaxRequestHeadBytes, 'a'), request, consumed), TRequestState::HeadTooLarge);
    ASSERT_EQ(ParseRequest("GET / HTTP/1.0\r\n\r\n", request, consumed), TRequestState::Complete);
    EXPECT_FALSE(request.KeepAlive);
}

TEST(PreviewHost, OnlyTheLoopbackAddressWithItsPortOrPortlessAt80)
{
    EXPECT_TRUE(IsServerHost("127.0.0.1:8080", 8080));
    EXPECT_FALSE(IsServerHost("127.0.0.1", 8080));
    EXPECT_FALSE(IsServerHost("localhost:8080", 8080));
    EXPECT_FALSE(IsServerHost("127.0.0.1:80", 8080));
    EXPECT_TRUE(IsServerHost("127.0.0.1", 80));
    EXPECT_TRUE(IsServerHost("127.0.0.1:80", 80));
    EXPECT_FALSE(IsServerHost("", 80));
    EXPECT_TRUE(IsServerOrigin("http://127.0.0.1", 80));
    EXPECT_TRUE(IsServerOrigin("http://127.0.0.1:8080", 8080));
    EXPECT_FALSE(IsServerOrigin("https://127.0.0.1:8080", 8080));
    EXPECT_FALSE(IsServerOrigin("http://127.0.0.1.example", 80));
    EXPECT_EQ(ServerAuthority(80), "127.0.0.1");
    EXPECT_EQ(ServerAuthority(8080), "127.0.0.1:8080");
}

TEST(PreviewPage, TheScriptGoesFirstIntoTheHeadOrWhereTheDocumentKeepsItsMode)
{
    EXPECT_EQ(InjectIntoHead("<!DOCTYPE html><HTML><Head lang=en><title>", "S"), "<!DOCTYPE html><HTML><Head lang=en>S<title>");
    EXPECT_EQ(InjectIntoHead("<html><header>x</header>", "S"), "<html>S<header>x</header>");
    EXPECT_EQ(InjectIntoHead("<!doctype html>\n<p>", "S"), "<!doctype html>S\n<p>");
    EXPECT_EQ(InjectIntoHead("<p>", "S"), "S<p>");
    EXPECT_EQ(ContentTypeOf("tweaks\\Start.HTM"), "text/html");
    EXPECT_EQ(ContentTypeOf("tweaks.js\\readme"), "application/octet-stream");
}

TEST(PreviewJson, ScalarsInAndTextOut)
{
    std::vector<TJsonScalar> values;
    ASSERT_TRUE(ParseJsonScalars(R"( [1, "HKCU", "a\\b\"\u00e9", true, null, -2.5, "ü😀"] )", values));
    ASSERT_EQ(values.size(), 7u);
    EXPECT_EQ(values[0].Number, 1);
    EXPECT_EQ(values[2].Text, u"a\\b\"\u00e9");
    EXPECT_TRUE(values[3].Bool);
    EXPECT_EQ(values[4].Kind, TJsonScalar::TKind::Null);
    EXPECT_EQ(values[5].Number, -2.5);
    EXPECT_EQ(values[6].Text, u"ü😀");
    for (const char* broken : {"", "[1,]", "[{}]", "[\"a]", "[1] x", "[\"\xC0\xAF\"]", "[tru]"})
        EXPECT_FALSE(ParseJsonScalars(broken, values)) << broken;
    EXPECT_EQ(JsonString(u"a\"\\\n\u00e9\xD800"), R"("a\"\\\u000A\u00E9\uD800")");
}
