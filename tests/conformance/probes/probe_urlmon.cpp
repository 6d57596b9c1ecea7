// URL monikers as the wallpaper downloads use them: a blocking stream read in pieces and a download to a file,
// each with a status callback like the product's, which sees every progress report and may stop the transfer.
// The server is the probe's own: a loopback HTTP server on a thread, answering a body of known bytes, a
// missing resource, a body cut short of its announced length, and a body that stops half way for a while.
// Windows wants its sockets header before windows.h, which probe.h brings in.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#endif

#include "probe.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
typedef SOCKET Socket;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
typedef int Socket;
#define INVALID_SOCKET (-1)
#define closesocket close
#endif

using probe::line;

namespace {

constexpr int bodySize = 100000;
constexpr int stallMs = 800;

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// When the stalling answer last held back its second half.
std::atomic<long long> stallFrom{0}, stallTo{0};

char bodyByte(int i)
{
    return static_cast<char>('a' + (i * 7) % 26);
}

// The server: one connection at a time, one request each, closed after the answer.
class Server
{
public:
    bool start()
    {
#ifdef _WIN32
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return false;
#endif
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        socklen_t size = sizeof address;
        if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            listen(listener, 8) != 0 || getsockname(listener, reinterpret_cast<sockaddr *>(&address), &size) != 0)
            return false;
        port = ntohs(address.sin_port);
        worker = std::thread([this] { serve(); });
        return true;
    }

    void stop()
    {
        stopping = true;
        // A last connection wakes the accepting thread.
        Socket s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address);
        closesocket(s);
        worker.join();
        closesocket(listener);
#ifdef _WIN32
        WSACleanup();
#endif
    }

    std::basic_string<WCHAR> url(const char *path) const
    {
        const std::string text = "http://127.0.0.1:" + std::to_string(port) + path;
        return std::basic_string<WCHAR>(text.begin(), text.end());
    }

private:
    void serve()
    {
        for (;;) {
            Socket client = accept(listener, nullptr, nullptr);
            if (client == INVALID_SOCKET || stopping) {
                if (client != INVALID_SOCKET)
                    closesocket(client);
                return;
            }
            std::string request;
            char buffer[2048];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int got = static_cast<int>(recv(client, buffer, sizeof buffer, 0));
                if (got <= 0)
                    break;
                request.append(buffer, static_cast<size_t>(got));
            }
            answer(client, request);
            closesocket(client);
        }
    }

    static void sendAll(Socket client, const std::string &bytes)
    {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const int n = static_cast<int>(send(client, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0));
            if (n <= 0)
                return;
            sent += static_cast<size_t>(n);
        }
    }

    static void answer(Socket client, const std::string &request)
    {
        const bool data = request.rfind("GET /data ", 0) == 0;
        const bool cut = request.rfind("GET /cut ", 0) == 0;
        const bool stall = request.rfind("GET /stall ", 0) == 0;
        if (!data && !cut && !stall) {
            const std::string page = "<html><body>Not found</body></html>";
            sendAll(client, "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: " +
                                std::to_string(page.size()) + "\r\nConnection: close\r\n\r\n" + page);
            return;
        }
        std::string body(bodySize, 0);
        for (int i = 0; i < bodySize; ++i)
            body[static_cast<size_t>(i)] = bodyByte(i);
        // The cut answer announces the whole body and sends half of it.
        if (cut)
            body.resize(bodySize / 2);
        const std::string head =
            "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(bodySize) +
            "\r\nConnection: close\r\n\r\n";
        if (stall) {
            // The stalling answer sends half, pauses, then the rest.
            sendAll(client, head + body.substr(0, bodySize / 2));
            stallFrom = nowMs();
            std::this_thread::sleep_for(std::chrono::milliseconds(stallMs));
            stallTo = nowMs();
            sendAll(client, body.substr(bodySize / 2));
            return;
        }
        sendAll(client, head + body);
    }

    Socket listener = INVALID_SOCKET;
    unsigned short port = 0;
    std::atomic<bool> stopping{false};
    std::thread worker;
};

// The product's callback answers OnProgress and GetBindInfo only (and may stop the transfer there); this one also notes
// what it is told: the status codes in order (a run of one code counted once), and the last progress and maximum.
class Callback final : public IBindStatusCallback
{
public:
    explicit Callback(bool stopAtFirst = false) : stop(stopAtFirst) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        if (!object)
            return E_POINTER;
        if (riid == IID_IBindStatusCallback || riid == IID_IUnknown) {
            *object = static_cast<IBindStatusCallback *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG ulProgress, ULONG ulProgressMax, ULONG ulStatusCode, LPCWSTR) override
    {
        // How often data is reported depends on how it arrives, and whether the name is looked up on the
        // resolver's cache: neither the data reports nor the look-up are listed.
        if (ulStatusCode != lastCode && ulStatusCode != BINDSTATUS_DOWNLOADINGDATA &&
            ulStatusCode != BINDSTATUS_FINDINGRESOURCE) {
            codes += (codes.empty() ? "" : " ") + std::to_string(ulStatusCode);
            lastCode = ulStatusCode;
        }
        times.push_back(nowMs());
        if (ulStatusCode == BINDSTATUS_ENDDOWNLOADDATA) {
            endProgress = ulProgress;
            endMax = ulProgressMax;
        }
        return stop ? E_ABORT : S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    // As a caller must answer (the product's answer): a plain GET, the flags the moniker proposes kept.
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD *bindFlags, BINDINFO *bindInfo) override
    {
        if (!bindFlags || !bindInfo || bindInfo->cbSize < sizeof(bindInfo->cbSize))
            return E_INVALIDARG;
        const ULONG size = bindInfo->cbSize;
        std::memset(static_cast<void *>(bindInfo), 0, size);
        bindInfo->cbSize = size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC *, STGMEDIUM *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown *) override { return S_OK; }

    // The codes in order, and the progress and maximum the end of the data came with.
    // A stopped binding prints only the report it was stopped at: how many reports were already on their way
    // when the abort was heard depends on timing (Wine sometimes delivers the next one).
    std::string text() const
    {
        const std::string heard = stop ? codes.substr(0, codes.find(' ')) : codes;
        return "codes \"" + heard + "\" end " + std::to_string(endProgress) + " of " + std::to_string(endMax);
    }

    // Reports heard well inside the server's last pause (its edges left out: data sent just before it may
    // be reported a moment later).
    int reportsWhileStalled() const
    {
        int n = 0;
        for (const long long t : times)
            n += t > stallFrom + 100 && t < stallTo - 100;
        return n;
    }

private:
    bool stop;
    std::string codes;
    ULONG lastCode = 0;
    unsigned long endProgress = 0, endMax = 0;
    std::vector<long long> times;
};

std::string hrText(HRESULT hr)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(static_cast<DWORD>(hr)));
    return text;
}

// One line a case: the result, what the callback heard, and the bytes read from the stream.
void probeStream(const Server &server, const char *path, const char *key, bool stop = false)
{
    Callback callback(stop);
    IStream *stream = nullptr;
    const HRESULT opened = URLOpenBlockingStreamW(nullptr, server.url(path).c_str(), &stream, 0, &callback);
    std::string read = "no stream";
    if (stream) {
        // Read in pieces, as the helper reads an answer into its buffer.
        std::vector<char> buffer(4096);
        long total = 0;
        bool same = true;
        HRESULT hr = S_OK;
        for (;;) {
            ULONG got = 0;
            hr = PROBE_METHOD(stream, Read)(buffer.data(), ULONG(buffer.size()), &got);
            for (ULONG i = 0; i < got; ++i)
                same = same && buffer[i] == bodyByte(int(total + long(i)));
            total += long(got);
            if (FAILED(hr) || got == 0)
                break;
        }
        read = std::to_string(total) + (same ? " bytes as sent" : " bytes changed") + ", last Read " + hrText(hr);
        stream->Release();
    }
    // The stream and what the callback heard, each a line of its own.
    line(key, "hr %s; %s", hrText(opened).c_str(), read.c_str());
    line((std::string(key) + ".reports").c_str(), "%s", callback.text().c_str());
}

void probeDownload(const Server &server, const char *path, const std::basic_string<WCHAR> &file, const char *key,
                   bool stop = false)
{
    Callback callback(stop);
    DeleteFileW(file.c_str());
    const HRESULT hr = URLDownloadToFileW(nullptr, server.url(path).c_str(), file.c_str(), 0, &callback);
    std::string kept = "no file";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        std::vector<char> bytes(bodySize + 16);
        DWORD got = 0;
        ReadFile(h, bytes.data(), DWORD(bytes.size()), &got, nullptr);
        CloseHandle(h);
        bool same = true;
        for (DWORD i = 0; i < got; ++i)
            same = same && bytes[i] == bodyByte(int(i));
        kept = "file of " + std::to_string(got) + (same ? " bytes as sent" : " bytes changed");
        DeleteFileW(file.c_str());
    }
    if (std::strcmp(path, "/stall") == 0)
        kept += "; reports while stalled " + std::to_string(callback.reportsWhileStalled());
    line(key, "hr %s; %s; %s", hrText(hr).c_str(), callback.text().c_str(), kept.c_str());
}

int run()
{
    probe::start();
    Server server;
    if (!server.start()) {
        line("server", "cannot listen");
        return 2;
    }
    const std::basic_string<WCHAR> folder = probe::scratch(WSTR("HushdeckProbeUrlmon"));
    const std::basic_string<WCHAR> file = folder + WSTR("download.bin");

    probeStream(server, "/data", "URLOpenBlockingStreamW");
    probeStream(server, "/missing", "URLOpenBlockingStreamW.missing");
    probeStream(server, "/data", "URLOpenBlockingStreamW.stopped", true);
    probeDownload(server, "/data", file, "URLDownloadToFileW");
    probeDownload(server, "/missing", file, "URLDownloadToFileW.missing");
    probeDownload(server, "/cut", file, "URLDownloadToFileW.cut");
    probeDownload(server, "/stall", file, "URLDownloadToFileW.stalled");
    probeDownload(server, "/data", file, "URLDownloadToFileW.stopped", true);
    const std::basic_string<WCHAR> noFolder = folder + WSTR("no folder\\download.bin");
    probeDownload(server, "/data", noFolder, "URLDownloadToFileW.no folder");
    server.stop();

    RemoveDirectoryW(folder.c_str());
    return probe::end();
}

} // namespace

// On Linux a plain Win32 program starts at wWinMain, where the stand-in has made the application it works in.
#ifdef _WIN32
int main()
{
    return run();
}
#else
extern "C" int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    return run();
}
#endif
