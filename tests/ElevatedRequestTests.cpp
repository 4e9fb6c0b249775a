// What the copy started as administrator accepts: only setting ids with values, defaults and
// journal entries, in a whole request made for it.
#include "script/ElevatedRequest.h"

#include <gtest/gtest.h>

namespace {

const std::string Nonce = "0123456789abcdef0123456789abcdef";

std::string Request(const std::string& items)
{
    return "LVELEVATE 1\nnonce " + Nonce + "\n" + items + "end\n";
}

}

TEST(ElevatedRequest, ValuesTravelExactly)
{
    const TElevatedRequest request{Nonce,
                                   {{TElevatedAction::Set, "show-extensions", 'b', "false"},
                                    {TElevatedAction::Set, "menu-delay", 'n', "-2147483648"},
                                    {TElevatedAction::Set, "wallpaper", 's', "C:\\Мои фото\\100% 🌄.jpg\t%"},
                                    {TElevatedAction::Restore, "policy:Windows.WindowsCopilot_1", 0, ""},
                                    {TElevatedAction::Undo, "41:mf3k2-1x9a.3", 0, ""}}};
    const std::string text = ElevatedRequestText(request);
    EXPECT_NE(text.find("s:C:\\Мои%20фото\\100%25%20🌄.jpg%09%25\n"), std::string::npos) << text;
    EXPECT_EQ(ReadElevatedRequest(text, Nonce).Items, request.Items);
}

TEST(ElevatedRequest, AnythingElseIsRefusedWhole)
{
    const std::string valid = Request("set a b:true\n");
    ASSERT_EQ(ReadElevatedRequest(valid, Nonce).Items.size(), 1u);
    const std::string refused[] = {
        // Another copy's nonce: a request replayed to a new elevated copy.
        Request("set a b:true\n").replace(18, 1, "1"),
        valid.substr(0, valid.size() - 1),
        valid.substr(0, valid.size() - 4),
        Request(""),
        "LVELEVATE 2\nnonce " + Nonce + "\nset a b:true\nend\n",
        Request("set HKLM\\SOFTWARE\\Run b:true\n"),
        Request("set ../x b:true\n"),
        Request("write HKCU Software x dword:1\n"),
        Request("set a dword:1\n"),
        Request("set a b:yes\n"),
        Request("set a n:2147483648\n"),
        Request("set a n:007\n"),
        Request("set a s:two words\n"),
        Request("set a s:%00\n"),
        Request("set a s:%C0%AF\n"),
        Request("set a s:%4\n"),
        Request("set a\n"),
        Request("restore a b:true\n"),
        Request("undo 41\n"),
        Request("undo 041:x\n"),
        Request("set " + std::string(101, 'a') + " b:true\n"),
        Request("set a s:" + std::string(MostElevatedRequestBytes, 'x') + "\n"),
    };
    for (const std::string& text : refused)
        EXPECT_THROW(ReadElevatedRequest(text, Nonce), EElevatedRequest) << text.substr(0, 200);
    std::string many;
    for (std::size_t i = 0; i <= MostElevatedItems; ++i)
        many += "restore a\n";
    EXPECT_THROW(ReadElevatedRequest(Request(many), Nonce), EElevatedRequest);
    EXPECT_THROW(ReadElevatedItems(many), EElevatedRequest);
    EXPECT_EQ(ReadElevatedItems(many.substr(10)).size(), MostElevatedItems);
}
