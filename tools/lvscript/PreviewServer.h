#pragma once

// The page preview: serves the pages over HTTP on the loopback address, each path exactly as
// the program's "tweaks:" handler serves it, and runs the calls of the pages' window.external
// proxies on the real script objects (PreviewCalls.h). Design:
// - One thread, the one that owns the script objects. The sockets report to a message-only
//   window (WSAAsyncSelect), so a page load or a call that comes in while a dialog is open is
//   served from inside the dialog's message loop, as a nested call runs in the program.
// - Only what knows the secret token and names this server as its host is served; a call whose
//   Origin is another site's is refused too. Refusals are 403 and run nothing.
// - Connections stay open between requests; every response is complete before the next
//   request on the same connection is read.
// - Bounded, so that a local program without the token cannot grow it until it fails: a
//   connection whose answers wait unread beyond a small amount is not read any further (its
//   peer's requests wait in the system's buffers), at most MaxConnections are open (a new one
//   takes the place of the one idle longest), and one with nothing moving for the idle time (a
//   minute unless told otherwise) is closed, unless a call of it is running (a dialog may be
//   open for a long time).

// Before anything that includes windows.h, which would bring in the older sockets.
#include <winsock2.h>

#include "PreviewCalls.h"

#include "UniqueHandle.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>

class TFileManager;
struct THttpRequest;

class TPreviewServer {
public:
    static constexpr unsigned DefaultIdleSeconds = 60;

    // Listens on 127.0.0.1 at port, at a free one for 0; fails with Exception.
    TPreviewServer(TFileManager& content, unsigned short port, unsigned idleSeconds = DefaultIdleSeconds);
    ~TPreviewServer();
    TPreviewServer(const TPreviewServer&) = delete;
    TPreviewServer& operator=(const TPreviewServer&) = delete;

    // http://127.0.0.1:PORT/TOKEN/tweaks/start.html
    std::string StartUrl() const;

private:
    static void CloseSocket(SOCKET socket) { ::closesocket(socket); }
    static void DestroyWindowHandle(HWND window) { ::DestroyWindow(window); }
    using UniqueSocket = UniqueHandle<SOCKET, CloseSocket, INVALID_SOCKET>;
    using UniqueWindow = UniqueHandle<HWND, DestroyWindowHandle>;

    struct TWinsock {
        TWinsock();
        ~TWinsock();
        TWinsock(const TWinsock&) = delete;
        TWinsock& operator=(const TWinsock&) = delete;
    };

    struct TConnection {
        UniqueSocket Socket;
        ULONGLONG LastActivity = 0; // GetTickCount64 when bytes last came in or went out
        std::string In;
        std::string Out;
        bool Busy = false;          // a request of it is being answered, maybe in a dialog
        bool PeerDone = false;      // the browser sends nothing more
        bool CloseWhenSent = false;
        bool Closed = false;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnSocket(SOCKET socket, WORD event);
    void CloseIdleConnections();
    void MakeRoomForConnection();
    void Accept();
    void Receive(TConnection& connection);
    void Serve(TConnection& connection);
    void Reply(TConnection& connection, std::string response, bool keepAlive);
    void Send(TConnection& connection);
    void Close(TConnection& connection);

    std::string Respond(const THttpRequest& request);
    std::string Page(const std::string& path, bool keepAlive);
    std::string HostName() const;

    TWinsock FWinsock;
    TFileManager& FContent;
    TPreviewCalls FCalls;
    std::string FToken;
    unsigned short FPort = 0;
    ULONGLONG FIdleTimeoutMs;
    UniqueWindow FWindow;
    UniqueSocket FListener;
    std::map<SOCKET, std::shared_ptr<TConnection>> FConnections;
};
