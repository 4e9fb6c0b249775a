// The way to the copy started as administrator, for real: "runas" starts a stand-in for that
// copy, which reads the request through the real connection and says it back.
#include "script/ElevatedChannel.h"
#include "script/ProgramValues.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

std::wstring StandIn()
{
    const std::string path = ProgramFolder() + "elevated_echo.exe";
    return std::wstring(path.begin(), path.end());
}

// What the elevated copy makes of bytes sent on a pipe of the program's name, by a program that
// is not the asking copy.
std::string Connect(const std::string& bytes, const std::string& nonce)
{
    const std::wstring name = L"\\\\.\\pipe\\LumivantaManager.00112233445566778899aabbccddeeff";
    const HANDLE pipe = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
                                           1, 1 << 20, 1 << 20, 0, nullptr);
    EXPECT_NE(pipe, INVALID_HANDLE_VALUE);
    std::string outcome;
    std::thread asker([&] {
        try {
            TElevatedConnection connection(name, nonce);
            outcome = "taken " + connection.Request().Items.front().Subject;
        } catch (const std::exception& e) {
            outcome = e.what();
        }
    });
    DWORD written = 0;
    ::ConnectNamedPipe(pipe, nullptr);
    ::WriteFile(pipe, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    asker.join();
    ::CloseHandle(pipe);
    return outcome;
}

}

TEST(ElevatedChannel, TheStartedCopyTakesTheItemsExactly)
{
    const TElevatedOutcome outcome = RunElevated(StandIn(),
                                                 {{TElevatedAction::Set, "wallpaper", 's', "C:\\Мои фото\\%20 🌄.jpg"},
                                                  {TElevatedAction::Restore, "menu-delay", 0, ""},
                                                  {TElevatedAction::Undo, "7:k2-1x.3", 0, ""}},
                                                 nullptr);
    EXPECT_FALSE(outcome.Declined);
    EXPECT_EQ(outcome.ExitCode, 3u);
    EXPECT_EQ(outcome.Output, "0 wallpaper C:\\Мои фото\\%20 🌄.jpg\n1 menu-delay \n2 7:k2-1x.3 \n");
}

TEST(ElevatedChannel, TheElevatedEndTakesOnlyAWholeRequestMadeForIt)
{
    const std::string nonce = "0123456789abcdef0123456789abcdef";
    const std::string request = "LVELEVATE 1\nnonce " + nonce + "\nset a b:true\nend\n";
    EXPECT_EQ(Connect(request, nonce), "taken a");
    EXPECT_NE(Connect(request, "f123456789abcdef0123456789abcdef").find("not made for this copy"), std::string::npos);
    EXPECT_NE(Connect(request + std::string(MostElevatedRequestBytes, ' '), nonce).find("too large"), std::string::npos);
    EXPECT_THROW(TElevatedConnection(L"\\\\.\\pipe\\other", nonce), EElevatedRequest);
    EXPECT_THROW(TElevatedConnection(L"C:\\request.txt", nonce), EElevatedRequest);
}
