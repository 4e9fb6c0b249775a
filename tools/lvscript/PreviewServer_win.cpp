#include "PreviewServer.h"

#include "PreviewHttp.h"

#include "Exception.h"
#include "protocol/MyLVHandler.h"
#include "script/OleText.h"
#include "store/FileManager.h"
#include "store/FileStream.h"
#include "store/Streams.h"

#include <ntsecapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr UINT SocketMessage = WM_APP + 1;
constexpr UINT_PTR IdleTimer = 1;
// The idle connections are looked for this often, or four times within a shorter idle time.
constexpr UINT IdleCheckMs = 5000;
constexpr std::size_t MaxConnections = 32;
// Answers waiting unread beyond this stop the reading of their connection.
constexpr std::size_t MaxQueuedAnswers = 256 * 1024;
constexpr char WindowClassName[] = "TLvPreviewSockets";
// The proxies post here. A hyphen is never in a folder name of the archive, so no entry hides it.
constexpr std::string_view CallPath = "-/call";
// Beyond this a connection is dropped: no browser sends more while it waits for an answer.
constexpr std::size_t MaxBuffered = MaxRequestHeadBytes + MaxRequestBodyBytes + 64 * 1024;

// 128 bits from the system's random source, as hexadecimal digits.
std::string RandomToken()
{
    unsigned char bytes[16];
    if (!::RtlGenRandom(bytes, sizeof bytes))
        throw Exception("The system gives no random numbers for the preview's secret");
    std::string token;
    for (const unsigned char byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        token += digits;
    }
    return token;
}

std::string SocketFailure(const std::string& what)
{
    return "The preview cannot " + what + ": " + SystemErrorMessage(::WSAGetLastError());
}

std::string Refusal(int status, bool keepAlive)
{
    return HttpResponse(status, "text/plain", status == 403 ? "Forbidden" : "Not allowed", keepAlive);
}

}

TPreviewServer::TWinsock::TWinsock()
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw Exception("Windows Sockets cannot start");
}

TPreviewServer::TWinsock::~TWinsock()
{
    ::WSACleanup();
}

TPreviewServer::TPreviewServer(TFileManager& content, unsigned short port, unsigned idleSeconds)
    : FContent(content), FToken(RandomToken()), FIdleTimeoutMs(idleSeconds * 1000ULL)
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = WindowClassName;
    ::RegisterClassA(&windowClass);
    FWindow = UniqueWindow(::CreateWindowExA(0, WindowClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                             windowClass.hInstance, nullptr));
    if (!FWindow)
        throw Exception("The preview cannot make its window: " + SystemErrorMessage(static_cast<int>(::GetLastError())));
    ::SetWindowLongPtrA(FWindow.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    FListener = UniqueSocket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!FListener)
        throw Exception(SocketFailure("make a socket"));
    // No other program may take the same address and port while the preview listens.
    const BOOL exclusive = TRUE;
    ::setsockopt(FListener.Get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive),
                 sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    address.sin_port = ::htons(port);
    int size = sizeof address;
    if (::bind(FListener.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(FListener.Get(), reinterpret_cast<sockaddr*>(&address), &size) != 0)
        throw Exception(SocketFailure("listen at port " + std::to_string(port)));
    FPort = ::ntohs(address.sin_port);
    if (::listen(FListener.Get(), SOMAXCONN) != 0 ||
        ::WSAAsyncSelect(FListener.Get(), FWindow.Get(), SocketMessage, FD_ACCEPT) != 0)
        throw Exception(SocketFailure("listen"));
    ::SetTimer(FWindow.Get(), IdleTimer, static_cast<UINT>(std::min<ULONGLONG>(IdleCheckMs, FIdleTimeoutMs / 4)),
               nullptr);
}

TPreviewServer::~TPreviewServer()
{
    ::SetWindowLongPtrA(FWindow.Get(), GWLP_USERDATA, 0);
}

std::string TPreviewServer::StartUrl() const
{
    return "http://" + HostName() + "/" + FToken + "/tweaks/start.html";
}

std::string TPreviewServer::HostName() const
{
    return ServerAuthority(FPort);
}

LRESULT CALLBACK TPreviewServer::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* server = reinterpret_cast<TPreviewServer*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if ((message != SocketMessage && message != WM_TIMER) || !server)
        return ::DefWindowProcA(window, message, wParam, lParam);
    try {
        if (message == WM_TIMER)
            server->CloseIdleConnections();
        else
            server->OnSocket(static_cast<SOCKET>(wParam), WSAGETSELECTEVENT(lParam));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "lvscript: %s\n", failure.what());
    }
    return 0;
}

void TPreviewServer::OnSocket(SOCKET socket, WORD event)
{
    if (socket == FListener.Get()) {
        Accept();
        return;
    }
    const auto found = FConnections.find(socket);
    if (found == FConnections.end())
        return;
    // Kept alive while its request runs, even when a nested message closes it.
    const std::shared_ptr<TConnection> connection = found->second;
    if (event == FD_WRITE)
        Send(*connection);
    // Not read while its answers wait: the next read event comes only after a read, which
    // sending below the bound brings about here.
    if (!connection->Closed && connection->Out.size() <= MaxQueuedAnswers) {
        Receive(*connection);
        Serve(*connection);
    }
}

void TPreviewServer::CloseIdleConnections()
{
    const ULONGLONG now = ::GetTickCount64();
    std::vector<std::shared_ptr<TConnection>> idle;
    for (const auto& [socket, connection] : FConnections)
        if (!connection->Busy && now - connection->LastActivity > FIdleTimeoutMs)
            idle.push_back(connection);
    for (const std::shared_ptr<TConnection>& connection : idle)
        Close(*connection);
}

void TPreviewServer::MakeRoomForConnection()
{
    std::shared_ptr<TConnection> oldest;
    for (const auto& [socket, connection] : FConnections)
        if (!connection->Busy && (!oldest || connection->LastActivity < oldest->LastActivity))
            oldest = connection;
    if (oldest)
        Close(*oldest);
}

void TPreviewServer::Accept()
{
    UniqueSocket socket(::accept(FListener.Get(), nullptr, nullptr));
    if (!socket)
        return;
    if (FConnections.size() >= MaxConnections)
        MakeRoomForConnection();
    if (FConnections.size() >= MaxConnections ||
        ::WSAAsyncSelect(socket.Get(), FWindow.Get(), SocketMessage, FD_READ | FD_WRITE | FD_CLOSE) != 0)
        return;
    auto connection = std::make_shared<TConnection>();
    connection->LastActivity = ::GetTickCount64();
    const SOCKET handle = socket.Get();
    connection->Socket = std::move(socket);
    FConnections.emplace(handle, std::move(connection));
}

void TPreviewServer::Receive(TConnection& connection)
{
    char buffer[16 * 1024];
    while (!connection.Closed) {
        const int count = ::recv(connection.Socket.Get(), buffer, sizeof buffer, 0);
        if (count > 0) {
            connection.LastActivity = ::GetTickCount64();
            connection.In.append(buffer, static_cast<std::size_t>(count));
            if (connection.In.size() > MaxBuffered)
                Close(connection);
            continue;
        }
        if (count == 0 || ::WSAGetLastError() != WSAEWOULDBLOCK)
            connection.PeerDone = true;
        return;
    }
}

void TPreviewServer::Serve(TConnection& connection)
{
    while (!connection.Busy && !connection.Closed && !connection.CloseWhenSent &&
           connection.Out.size() <= MaxQueuedAnswers) {
        THttpRequest request;
        std::size_t consumed = 0;
        const TRequestState state = ParseRequest(connection.In, request, consumed);
        if (state == TRequestState::Incomplete)
            break;
        if (state != TRequestState::Complete) {
            const int status = state == TRequestState::HeadTooLarge   ? 431
                               : state == TRequestState::BodyTooLarge ? 413
                                                                      : 400;
            Reply(connection, HttpResponse(status, "text/plain", "Refused", false), false);
            return;
        }
        connection.In.erase(0, consumed);
        connection.Busy = true;
        std::string response;
        bool keepAlive = request.KeepAlive;
        try {
            response = Respond(request);
        } catch (const std::exception& failure) {
            keepAlive = false;
            response = HttpResponse(500, "text/plain", failure.what(), keepAlive);
        }
        connection.Busy = false;
        if (connection.Closed)
            return;
        Reply(connection, std::move(response), keepAlive);
    }
    if (connection.PeerDone && !connection.Busy && !connection.Closed && connection.Out.empty())
        Close(connection);
}

void TPreviewServer::Reply(TConnection& connection, std::string response, bool keepAlive)
{
    connection.Out += response;
    connection.CloseWhenSent = connection.CloseWhenSent || !keepAlive;
    Send(connection);
}

void TPreviewServer::Send(TConnection& connection)
{
    while (!connection.Closed && !connection.Out.empty()) {
        const int count = ::send(connection.Socket.Get(), connection.Out.data(),
                                 static_cast<int>(std::min<std::size_t>(connection.Out.size(), 1 << 20)), 0);
        if (count > 0) {
            connection.LastActivity = ::GetTickCount64();
            connection.Out.erase(0, static_cast<std::size_t>(count));
        } else if (::WSAGetLastError() == WSAEWOULDBLOCK)
            return;
        else
            Close(connection);
    }
    if (!connection.Closed && connection.Out.empty() && connection.CloseWhenSent)
        Close(connection);
}

void TPreviewServer::Close(TConnection& connection)
{
    connection.Closed = true;
    ::shutdown(connection.Socket.Get(), SD_SEND);
    FConnections.erase(connection.Socket.Get());
}

std::string TPreviewServer::Respond(const THttpRequest& request)
{
    const std::string root = "/" + FToken + "/";
    if (!IsServerHost(request.Host, FPort) || request.Target.compare(0, root.size(), root) != 0)
        return Refusal(403, request.KeepAlive);
    const std::string path = request.Target.substr(root.size());
    if (path == CallPath) {
        if (request.Method != "POST")
            return Refusal(405, request.KeepAlive);
        if (!request.Origin.empty() && !IsServerOrigin(request.Origin, FPort))
            return Refusal(403, request.KeepAlive);
        return HttpResponse(200, "application/json", FCalls.Call(request.Body), request.KeepAlive);
    }
    if (request.Method != "GET")
        return Refusal(405, request.KeepAlive);
    return Page(path, request.KeepAlive);
}

// The bytes the "tweaks:" handler gives for the same path: the URL it would be asked for, the
// handler's path rule and the content manager; an entry that is missing is empty, as there.
std::string TPreviewServer::Page(const std::string& path, bool keepAlive)
{
    const std::string entry = EntryPathFromUrl(AnsiFromWide(DefaultSchemeName) + "://" + path);
    TMemoryStream content;
    try {
        FContent.GetContent(entry, content);
    } catch (const EFOpenError&) {
        return HttpResponse(404, "text/plain", "Not found", keepAlive);
    } catch (const std::exception& failure) {
        return HttpResponse(500, "text/plain", failure.what(), keepAlive);
    }
    const std::string type = ContentTypeOf(entry);
    if (type != "text/html")
        return HttpResponse(200, type, content.AsString(), keepAlive);
    const std::string script = FCalls.NewPageScript("/" + FToken + "/" + std::string(CallPath));
    return HttpResponse(200, type, InjectIntoHead(content.AsString(), script), keepAlive);
}
