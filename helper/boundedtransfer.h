// URL transfers that the caller can walk away from. URL monikers report progress only when the connection
// does something, so a server that stalls holds a blocking call, and with it any abort flag or time limit
// checked from the status callback, until WinINet's own receive time-out. Here the blocking call runs on a
// worker thread and the caller waits for it no longer than the limit, and no longer than the abort flag
// stays clear. A transfer given up on still ends on its own; its worker then throws away what it got.
#pragma once

#include "win32.h"

#include <atomic>
#include <vector>

// Reads the start of the resource at `url`, up to `capacity` bytes, into `buffer`; `*count` is the number
// of bytes read. E_ABORT when the limit passed or the flag was raised before the transfer ended, or when
// the resource is larger than LargestAnswer: a blocking stream holds the whole resource before it can be
// read, so an answer far beyond any real one is refused rather than kept.
const ULONG LargestAnswer = 64 * 1024;
HRESULT readUrlStartWithin(LPCWSTR url, char *buffer, ULONG capacity, ULONG *count, DWORD limitMs,
                           const std::atomic<bool> *abortFlag = nullptr);

// Downloads the resource at `url` into `file`, which is only replaced once the download is complete and
// `accept` (when given) took the downloaded file, read from its start through the download's own handle.
// E_ABORT when the limit passed, the flag was raised before the transfer ended, or the resource grew beyond
// `maxBytes` (the most it holds in memory); E_FAIL when `accept` refused it. With `base`, the file's folder is
// reached from base without a link and held while the file is written and replaced (E_ACCESSDENIED when it
// cannot be). The download's own file beside it is always a new one, written and renamed through the handle
// that made it; those an earlier program left there are removed.
HRESULT downloadToFileWithin(LPCWSTR url, LPCWSTR file, DWORD limitMs, ULONG maxBytes,
                             const std::atomic<bool> *abortFlag = nullptr, bool (*accept)(HANDLE file) = nullptr,
                             LPCWSTR base = nullptr);

// Reads an open file from where it stands to its end into bytes; false when it fails or holds more than largest.
bool readWholeFile(HANDLE file, std::vector<unsigned char> *bytes, size_t largest);

// The transfers whose workers have not ended yet, those given up on included. Tests wait for none before the
// machine they ran on goes: a worker still ends its transfer on the machine it finds then.
int transfersRunning();

// Whether the file holds a whole JPEG, PNG or BMP picture (picturecheck.h): the wallpaper takes nothing else,
// and never a picture cut short.
bool looksLikePicture(LPCWSTR file);
bool looksLikePicture(HANDLE file);
// The same, with the bytes it read, for a caller that goes on to show them.
bool readPicture(HANDLE file, std::vector<unsigned char> *bytes);

// The whole of a file of at most largest bytes, read through its handle (a pipe or device is refused at the
// open, so nothing waits on one); false when it cannot be read or is larger.
bool readWholeFile(LPCWSTR file, size_t largest, std::vector<unsigned char> *bytes);
