#include "script/ElevatedChannel.h"

#include "Exception.h"
#include "script/Registry.h"
#include "store/FileStream.h"

#include <bcrypt.h>
#include <sddl.h>
#include <shellapi.h>

#include <memory>

namespace {

constexpr wchar_t PipePrefix[] = L"\\\\.\\pipe\\LumivantaManager.";
constexpr std::size_t HexDigits = 32;
// The elevated copy connects as soon as it starts; one that has not after this long never will.
constexpr DWORD AnswerWait = 60 * 1000;
constexpr DWORD EndGrace = 2000;
constexpr std::size_t MostAnswerBytes = 1024 * 1024;

struct TLocalFree {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

[[noreturn]] void Fail(const std::string& what, DWORD error = ::GetLastError())
{
    throw Exception(what + " (" + SystemErrorMessage(static_cast<int>(error)) + ")");
}

std::string RandomHex()
{
    unsigned char bytes[HexDigits / 2];
    if (!BCRYPT_SUCCESS(::BCryptGenRandom(nullptr, bytes, sizeof bytes, BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        Fail("No random number for the request could be made");
    constexpr char Digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes)
        text += {Digits[byte >> 4], Digits[byte & 15]};
    return text;
}

bool IsPipeName(const std::wstring& name)
{
    const std::wstring prefix = PipePrefix;
    if (name.size() != prefix.size() + HexDigits || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < name.size(); ++i) {
        if (!((name[i] >= L'0' && name[i] <= L'9') || (name[i] >= L'a' && name[i] <= L'f')))
            return false;
    }
    return true;
}

std::wstring UserSidOf(HANDLE process)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &token))
        Fail("The program's user could not be found");
    const UniqueKernelHandle owned(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    LPWSTR text = nullptr;
    if (!::GetTokenInformation(token, TokenUser, user.data(), size, &size) ||
        !::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &text))
        Fail("The program's user could not be found");
    const std::unique_ptr<wchar_t, TLocalFree> owner(text);
    return text;
}

// A pipe of one instance that only this user and administrators may open; it fails rather than
// join a pipe of that name that another program made first.
UniqueKernelHandle MakePipe(const std::wstring& name)
{
    const std::wstring sddl = L"D:P(A;;GA;;;" + UserSidOf(::GetCurrentProcess()) + L")(A;;GA;;;BA)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        Fail("The way to the administrator's copy could not be secured");
    const std::unique_ptr<void, TLocalFree> owned(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const HANDLE pipe = ::CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        MostElevatedRequestBytes, MostElevatedRequestBytes, 0, &attributes);
    if (pipe == INVALID_HANDLE_VALUE)
        Fail("The way to the administrator's copy could not be made");
    return UniqueKernelHandle(pipe);
}

// One overlapped operation on the pipe, waited for together with the elevated copy's end. It is
// never left pending: the kernel would write into an OVERLAPPED that is gone.
class TPipeOperation {
public:
    TPipeOperation(HANDLE pipe, HANDLE process) : FPipe(pipe), FProcess(process), FEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        if (!FEvent)
            Fail("The way to the administrator's copy could not be made");
        FOverlapped.hEvent = FEvent.Get();
    }
    TPipeOperation(const TPipeOperation&) = delete;
    TPipeOperation& operator=(const TPipeOperation&) = delete;
    ~TPipeOperation()
    {
        if (FPending) {
            ::CancelIoEx(FPipe, &FOverlapped);
            DWORD ignored = 0;
            ::GetOverlappedResult(FPipe, &FOverlapped, &ignored, TRUE);
        }
    }

    OVERLAPPED* Overlapped() { return &FOverlapped; }

    // started: what the call that began the operation returned. Gives the bytes moved, or
    // the error that ended the operation (ERROR_BROKEN_PIPE once the other end is gone).
    DWORD Finish(BOOL started, DWORD& moved)
    {
        moved = 0;
        const DWORD error = started ? ERROR_SUCCESS : ::GetLastError();
        if (error != ERROR_SUCCESS && error != ERROR_IO_PENDING)
            return error;
        FPending = true;
        const HANDLE waits[] = {FEvent.Get(), FProcess};
        const DWORD woken = ::WaitForMultipleObjects(2, waits, FALSE, AnswerWait);
        // The copy's end may be seen a moment before the pipe notices that its end closed.
        if (woken != WAIT_OBJECT_0 && (woken != WAIT_OBJECT_0 + 1 || ::WaitForSingleObject(FEvent.Get(), EndGrace) != WAIT_OBJECT_0))
            return ERROR_TIMEOUT;
        FPending = false;
        return ::GetOverlappedResult(FPipe, &FOverlapped, &moved, TRUE) ? ERROR_SUCCESS : ::GetLastError();
    }

private:
    HANDLE FPipe;
    HANDLE FProcess;
    UniqueKernelHandle FEvent;
    OVERLAPPED FOverlapped{};
    bool FPending = false;
};

UniqueKernelHandle StartElevated(const std::wstring& program, const std::wstring& parameters, HWND owner, bool& declined)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (::ShellExecuteExW(&info) && info.hProcess)
        return UniqueKernelHandle(info.hProcess);
    const DWORD error = ::GetLastError();
    declined = error == ERROR_CANCELLED;
    if (!declined)
        Fail("The program could not be started as administrator", error);
    return {};
}

void AwaitConnection(HANDLE pipe, HANDLE process)
{
    TPipeOperation connecting(pipe, process);
    DWORD moved = 0;
    const DWORD error = connecting.Finish(::ConnectNamedPipe(pipe, connecting.Overlapped()), moved);
    if (error != ERROR_SUCCESS && error != ERROR_PIPE_CONNECTED)
        throw Exception("The copy started as administrator ended without taking the changes.");
    ULONG client = 0;
    if (!::GetNamedPipeClientProcessId(pipe, &client) || client != ::GetProcessId(process))
        throw Exception("Another program answered in place of the copy started as administrator; nothing was asked of it.");
}

void Send(HANDLE pipe, HANDLE process, const std::string& text)
{
    TPipeOperation writing(pipe, process);
    DWORD moved = 0;
    if (writing.Finish(::WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), &moved, writing.Overlapped()), moved) !=
            ERROR_SUCCESS ||
        moved != text.size())
        throw Exception("The copy started as administrator ended without taking the changes.");
}

std::string Answer(HANDLE pipe, HANDLE process)
{
    std::string answer;
    char buffer[4096];
    for (;;) {
        TPipeOperation reading(pipe, process);
        DWORD moved = 0;
        const DWORD error = reading.Finish(::ReadFile(pipe, buffer, sizeof buffer, &moved, reading.Overlapped()), moved);
        answer.append(buffer, moved);
        if (error == ERROR_BROKEN_PIPE)
            return answer;
        if ((error != ERROR_SUCCESS && error != ERROR_MORE_DATA) || answer.size() > MostAnswerBytes)
            throw Exception("The copy started as administrator did not finish its answer.");
    }
}

}

TElevatedOutcome RunElevated(const std::wstring& program, const std::vector<TElevatedItem>& items, HWND owner)
{
    const std::string nonce = RandomHex();
    const std::string request = ElevatedRequestText({nonce, items});
    const std::string pipeHex = RandomHex();
    const std::wstring name = PipePrefix + std::wstring(pipeHex.begin(), pipeHex.end());
    const UniqueKernelHandle pipe = MakePipe(name);
    TElevatedOutcome outcome;
    const std::wstring parameters = L"/elevated " + name + L" " + std::wstring(nonce.begin(), nonce.end());
    const UniqueKernelHandle process = StartElevated(program, parameters, owner, outcome.Declined);
    if (outcome.Declined)
        return outcome;
    AwaitConnection(pipe.Get(), process.Get());
    Send(pipe.Get(), process.Get(), request);
    outcome.Output = Answer(pipe.Get(), process.Get());
    if (::WaitForSingleObject(process.Get(), AnswerWait) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.Get(), &outcome.ExitCode))
        throw Exception("The copy started as administrator did not end.");
    return outcome;
}

TElevatedConnection::TElevatedConnection(const std::wstring& pipeName, const std::string& nonce)
{
    if (!IsPipeName(pipeName))
        throw EElevatedRequest("The request was refused: it did not come from this program.");
    const HANDLE pipe = ::CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        Fail("The asking copy of the program could not be reached");
    FPipe.Reset(pipe);
    DWORD mode = PIPE_READMODE_MESSAGE;
    std::string bytes(MostElevatedRequestBytes + 1, '\0');
    DWORD read = 0;
    if (!::SetNamedPipeHandleState(FPipe.Get(), &mode, nullptr, nullptr))
        Fail("The asking copy of the program could not be read");
    if (!::ReadFile(FPipe.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        if (::GetLastError() == ERROR_MORE_DATA)
            throw EElevatedRequest("The request was refused: it is too large.");
        Fail("The asking copy of the program could not be read");
    }
    bytes.resize(read);
    FRequest = ReadElevatedRequest(bytes, nonce);
}

DWORD TElevatedConnection::AskerProcessId() const
{
    ULONG server = 0;
    if (!::GetNamedPipeServerProcessId(FPipe.Get(), &server))
        Fail("The asking copy of the program could not be named");
    return server;
}

void TElevatedConnection::Say(const std::string& text)
{
    DWORD written = 0;
    if (!::WriteFile(FPipe.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) || written != text.size())
        Fail("The asking copy of the program could not be answered");
}

TAskersHive::TAskersHive(DWORD askerProcessId)
{
    const UniqueKernelHandle asker(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, askerProcessId));
    if (!asker)
        Fail("The asking copy of the program could not be named");
    const std::wstring user = UserSidOf(asker.Get());
    if (user == UserSidOf(::GetCurrentProcess()))
        return;
    HKEY hive = nullptr;
    const LONG opened = ::RegOpenKeyExW(HKEY_USERS, user.c_str(), 0, MAXIMUM_ALLOWED, &hive);
    if (opened != ERROR_SUCCESS)
        Fail("The asking user's settings could not be opened", static_cast<DWORD>(opened));
    const UniqueKey owned(hive);
    const LONG overridden = ::RegOverridePredefKey(HKEY_CURRENT_USER, hive);
    if (overridden != ERROR_SUCCESS)
        Fail("The asking user's settings could not be opened", static_cast<DWORD>(overridden));
    FOverridden = true;
}

TAskersHive::~TAskersHive()
{
    if (FOverridden)
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
}
