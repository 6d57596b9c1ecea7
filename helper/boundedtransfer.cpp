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
    HANDLE own = INVALID_HANDLE_VALUE; // the download's own file
    std::vector<char> bytes;           // the start of the resource read by the worker

    std::mutex lock;
    std::condition_variable ended;
    bool finished = false;
    bool abandoned = false;
    HRESULT result = E_FAIL;
};

std::atomic<int> running{0};

// The transfer's answer as a blocking stream; never success without one.
HRESULT openStream(Transfer &t, IStream **stream)
{
    const HRESULT hr = URLOpenBlockingStreamW(nullptr, t.url.data(), stream, 0, &t.callback);
    return SUCCEEDED(hr) && !*stream ? E_FAIL : hr;
}

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
        HRESULT hr = openStream(t, &stream);
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

namespace {

// Whether the open file is a plain file: not a link, not a folder.
bool isPlainFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(file, &info) &&
           !(info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
}

// Marks the open file for deletion and closes it: only the entry that is that file goes.
void removeOwnFile(HANDLE file)
{
    FILE_DISPOSITION_INFO disposition = {TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
    CloseHandle(file);
}

// The download files an earlier program left beside `file` when it ended mid-download: plain files named as
// downloads name theirs, which no download holds open (one that is, shares no deletion, so it stays).
void removeLeftovers(const std::vector<WCHAR> &file)
{
    std::vector<WCHAR> pattern(file.begin(), file.end() - 1);
    for (const char *c = ".download*"; *c; ++c)
        pattern.push_back(WCHAR(*c));
    pattern.push_back(0);
    size_t cut = file.size() - 1;
    while (cut > 0 && file[cut - 1] != WCHAR('\\'))
        --cut;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(pattern.data(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    int looked = 0;
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
            continue;
        std::vector<WCHAR> path(file.begin(), file.begin() + std::ptrdiff_t(cut));
        for (const WCHAR *c = found.cFileName; *c; ++c)
            path.push_back(*c);
        path.push_back(0);
        // Looked at again on its own handle, which deletes it: whatever took the name since is not touched.
        HANDLE leftover =
            CreateFileW(path.data(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (leftover == INVALID_HANDLE_VALUE)
            continue;
        if (isPlainFile(leftover))
            removeOwnFile(leftover);
        else
            CloseHandle(leftover);
    } while (++looked < 256 && FindNextFileW(find, &found));
    FindClose(find);
}

} // namespace

HRESULT downloadToFileWithin(LPCWSTR url, LPCWSTR file, DWORD limitMs, ULONG maxBytes,
                             const std::atomic<bool> *abortFlag, bool (*accept)(HANDLE file), LPCWSTR base)
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
    const std::vector<WCHAR> target = copyOf(file);
    removeLeftovers(target);
    auto transfer = std::make_shared<Transfer>(limitMs);
    transfer->callback.setByteLimit(maxBytes);
    transfer->url = copyOf(url);
    // Each download has a file of its own beside the target, made new here and written, checked and renamed
    // through the handle that made it: its name is never used again, so a link put in its place is never
    // written through. One given up on may still be writing to its own while the next one runs; a name taken
    // by anything else is passed over.
    static std::atomic<unsigned> serial{0};
    for (int tries = 0; tries < 64 && transfer->own == INVALID_HANDLE_VALUE; ++tries) {
        std::vector<WCHAR> name(target.begin(), target.end() - 1);
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".download%u", ++serial);
        for (const char *c = suffix; *c; ++c)
            name.push_back(WCHAR(*c));
        name.push_back(0);
        transfer->own = CreateFileW(name.data(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (transfer->own == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (transfer->own == INVALID_HANDLE_VALUE)
        return STG_E_CANTSAVE;
    // The whole answer is held within maxBytes by the callback, then written through the handle.
    const auto download = [](Transfer &t) {
        IStream *stream = nullptr;
        HRESULT hr = openStream(t, &stream);
        if (FAILED(hr))
            return hr;
        std::vector<char> piece(64 * 1024);
        for (;;) {
            const ULONG got = readStreamStart(stream, piece.data(), ULONG(piece.size()));
            DWORD written = 0;
            if (got > 0 && (!WriteFile(t.own, piece.data(), got, &written, nullptr) || written != got)) {
                hr = STG_E_CANTSAVE;
                break;
            }
            if (got < piece.size())
                break;
        }
        stream->Release();
        return hr;
    };
    const auto discard = [](Transfer &t) { removeOwnFile(t.own); };
    if (!finishedWithin(transfer, limitMs, abortFlag, download, discard))
        return E_ABORT;
    if (FAILED(transfer->result)) {
        discard(*transfer);
        return transfer->result;
    }
    // Checked before the file it replaces is gone: what was there stays when the answer is refused.
    LARGE_INTEGER start = {};
    if (accept && (!SetFilePointerEx(transfer->own, start, nullptr, FILE_BEGIN) || !accept(transfer->own))) {
        discard(*transfer);
        return E_FAIL;
    }
    // Renamed through its handle, over the target.
    const size_t bytes = (target.size() - 1) * sizeof(WCHAR);
    std::vector<unsigned long long> buffer((sizeof(FILE_RENAME_INFO) + bytes) / sizeof(unsigned long long) + 1);
    auto *rename = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = DWORD(bytes);
    std::copy(target.begin(), target.end(), rename->FileName);
    if (!SetFileInformationByHandle(transfer->own, FileRenameInfo, rename,
                                    DWORD(buffer.size() * sizeof(unsigned long long)))) {
        discard(*transfer);
        return STG_E_CANTSAVE;
    }
    CloseHandle(transfer->own);
    return transfer->result;
}

bool readWholeFile(HANDLE file, std::vector<unsigned char> *bytes, size_t largest)
{
    const DWORD chunk = 1 << 20;
    bytes->clear();
    for (;;) {
        const size_t at = bytes->size();
        if (at > largest) {
            bytes->clear();
            return false;
        }
        bytes->resize(at + chunk);
        DWORD got = 0;
        if (!ReadFile(file, bytes->data() + at, chunk, &got, nullptr)) {
            bytes->clear();
            return false;
        }
        bytes->resize(at + got);
        if (got == 0)
            return true;
    }
}

bool readPicture(HANDLE file, std::vector<unsigned char> *bytes)
{
    // The whole file: a picture cut short starts as a whole one does. Downloads are capped well below this.
    return readWholeFile(file, bytes, size_t(64) << 20) && picturecheck::isWholePicture(bytes->data(), bytes->size());
}

bool looksLikePicture(HANDLE file)
{
    std::vector<unsigned char> bytes;
    return readPicture(file, &bytes);
}

bool readWholeFile(LPCWSTR file, size_t largest, std::vector<unsigned char> *bytes)
{
    bytes->clear();
    HANDLE handle =
        CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool read = readWholeFile(handle, bytes, largest);
    CloseHandle(handle);
    return read;
}

bool looksLikePicture(LPCWSTR file)
{
    HANDLE handle =
        CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool picture = looksLikePicture(handle);
    CloseHandle(handle);
    return picture;
}
