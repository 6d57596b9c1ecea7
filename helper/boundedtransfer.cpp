#include "boundedtransfer.h"

#include "callbackhandler.h"
#include "heldpath.h"
#include "picturecheck.h"
#include "streamread.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

std::vector<WCHAR> copyOf(LPCWSTR text)
{
    size_t n = 0;
    while (text[n])
        ++n;
    return std::vector<WCHAR>(text, text + n + 1);
}

// What the worker and the caller share. The worker holds its own reference, so nothing it uses goes away
// when the caller stops waiting.
struct Transfer
{
    explicit Transfer(DWORD limitMs) : callback(limitMs, &givenUp) {}

    // Raised when the caller stops waiting: the transfer then ends at its next progress report.
    std::atomic<bool> givenUp{false};
    CallbackHandler callback;
    std::vector<WCHAR> url;
    std::vector<WCHAR> file; // the worker's own download file
    std::vector<char> bytes; // the start of the resource read by the worker

    std::mutex lock;
    std::condition_variable ended;
    bool finished = false;
    bool abandoned = false;
    HRESULT result = E_FAIL;
};

std::atomic<int> running{0};

// Runs `call` on a worker thread and waits for it. True when it ended in time (its result is in `transfer`);
// false when the limit passed or the flag was raised first: the worker then runs `discard` when its call ends.
bool finishedWithin(const std::shared_ptr<Transfer> &transfer, DWORD limitMs, const std::atomic<bool> *abortFlag,
                    const std::function<HRESULT(Transfer &)> &call, const std::function<void(Transfer &)> &discard)
{
    // Already raised: nothing is asked of the server at all.
    if (abortFlag && abortFlag->load())
        return false;
    std::thread worker;
    ++running;
    try {
        worker = std::thread([transfer, call, discard] {
            const HRESULT hr = call(*transfer);
            bool keep = false;
            {
                std::lock_guard<std::mutex> guard(transfer->lock);
                transfer->result = hr;
                transfer->finished = true;
                keep = !transfer->abandoned;
            }
            if (keep)
                transfer->ended.notify_all();
            else
                discard(*transfer);
            --running;
        });
    } catch (const std::system_error &) {
        --running;
        // No thread to be had: the transfer fails as one without memory would.
        transfer->result = E_OUTOFMEMORY;
        return true;
    }
    worker.detach();

    const ULONGLONG started = GetTickCount64();
    std::unique_lock<std::mutex> guard(transfer->lock);
    while (!transfer->finished) {
        const ULONGLONG spent = GetTickCount64() - started;
        if ((abortFlag && abortFlag->load()) || spent >= limitMs) {
            transfer->abandoned = true;
            transfer->givenUp = true;
            return false;
        }
        // The flag is raised from elsewhere without a wake-up: look at it again after a short slice.
        const ULONGLONG slice = std::min<ULONGLONG>(limitMs - spent, 50);
        transfer->ended.wait_for(guard, std::chrono::milliseconds(slice));
    }
    return true;
}

} // namespace

int transfersRunning()
{
    return running.load();
}

HRESULT readUrlStartWithin(LPCWSTR url, char *buffer, ULONG capacity, ULONG *count, DWORD limitMs,
                           const std::atomic<bool> *abortFlag)
{
    *count = 0;
    auto transfer = std::make_shared<Transfer>(limitMs);
    transfer->callback.setByteLimit(LargestAnswer);
    transfer->url = copyOf(url);
    transfer->bytes.resize(capacity);
    const auto read = [](Transfer &t) {
        IStream *stream = nullptr;
        HRESULT hr = URLOpenBlockingStreamW(nullptr, t.url.data(), &stream, 0, &t.callback);
        if (SUCCEEDED(hr) && !stream)
            hr = E_FAIL;
        if (FAILED(hr))
            return hr;
        t.bytes.resize(readStreamStart(stream, t.bytes.data(), ULONG(t.bytes.size())));
        stream->Release();
        return hr;
    };
    if (!finishedWithin(transfer, limitMs, abortFlag, read, [](Transfer &) {}))
        return E_ABORT;
    if (FAILED(transfer->result))
        return transfer->result;
    std::copy(transfer->bytes.begin(), transfer->bytes.end(), buffer);
    *count = ULONG(transfer->bytes.size());
    return transfer->result;
}

HRESULT downloadToFileWithin(LPCWSTR url, LPCWSTR file, DWORD limitMs, ULONG maxBytes,
                             const std::atomic<bool> *abortFlag, bool (*accept)(LPCWSTR file), LPCWSTR base)
{
    HeldPath held;
    if (base) {
        std::vector<WCHAR> folder = copyOf(file);
        size_t cut = folder.size() - 1; // at its NUL
        while (cut > 0 && folder[cut - 1] != WCHAR('\\'))
            --cut;
        if (cut == 0)
            return E_ACCESSDENIED;
        folder[cut - 1] = 0;
        if (!held.hold(base, folder.data()))
            return E_ACCESSDENIED;
    }
    // Each download has a file of its own beside the target: one given up on may still be writing to it
    // while the next one runs.
    static std::atomic<unsigned> serial{0};
    const unsigned n = ++serial;
    auto transfer = std::make_shared<Transfer>(limitMs);
    transfer->callback.setByteLimit(maxBytes);
    transfer->url = copyOf(url);
    transfer->file = copyOf(file);
    transfer->file.pop_back();
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".download%u", n);
    for (const char *c = suffix; *c; ++c)
        transfer->file.push_back(WCHAR(*c));
    transfer->file.push_back(0);

    // Made new here, so that a name that is taken (by a link too) is never written through.
    HANDLE made =
        CreateFileW(transfer->file.data(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (made == INVALID_HANDLE_VALUE)
        return STG_E_CANTSAVE;
    CloseHandle(made);
    const auto download = [](Transfer &t) {
        return URLDownloadToFileW(nullptr, t.url.data(), t.file.data(), 0, &t.callback);
    };
    const auto discard = [](Transfer &t) { DeleteFileW(t.file.data()); };
    if (!finishedWithin(transfer, limitMs, abortFlag, download, discard))
        return E_ABORT;
    if (FAILED(transfer->result)) {
        discard(*transfer);
        return transfer->result;
    }
    // Checked before the file it replaces is gone: what was there stays when the answer is refused.
    if (accept && !accept(transfer->file.data())) {
        discard(*transfer);
        return E_FAIL;
    }
    if (!MoveFileExW(transfer->file.data(), file, MOVEFILE_REPLACE_EXISTING)) {
        discard(*transfer);
        return STG_E_CANTSAVE;
    }
    return transfer->result;
}

bool readWholeFile(LPCWSTR file, size_t largest, std::vector<unsigned char> *bytes)
{
    bytes->clear();
    HANDLE handle =
        CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const DWORD chunk = 1 << 20;
    bool read = true;
    for (;;) {
        const size_t at = bytes->size();
        if (at > largest) {
            read = false;
            break;
        }
        bytes->resize(at + chunk);
        DWORD got = 0;
        if (!ReadFile(handle, bytes->data() + at, chunk, &got, nullptr)) {
            read = false;
            break;
        }
        bytes->resize(at + got);
        if (got == 0)
            break;
    }
    CloseHandle(handle);
    if (!read)
        bytes->clear();
    return read;
}

bool readPicture(LPCWSTR file, std::vector<unsigned char> *bytes)
{
    // The whole file: a picture cut short starts as a whole one does. Downloads are capped well below this.
    return readWholeFile(file, size_t(64) << 20, bytes) && picturecheck::isWholePicture(bytes->data(), bytes->size());
}

bool looksLikePicture(LPCWSTR file)
{
    std::vector<unsigned char> bytes;
    return readPicture(file, &bytes);
}
