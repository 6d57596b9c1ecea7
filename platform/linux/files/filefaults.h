// What the machine says about files beyond what the host has: failures to inject (tests run as root, so
// permissions prove nothing) and attribute marks Linux does not keep.
#pragma once

#include "linux/machine/w32types.h"

#include <QString>
#include <functional>

namespace filefaults {

// fault: "locked" (no writing, deleting or moving), "unreadable" (a folder that cannot be listed, a file that
// cannot be opened), "diskfull" (writes fail), "vanish" (the path behaves as absent); "" removes the fault.
void setFault(const QString &hostPath, const QString &fault);
QString fault(const QString &hostPath);
// HIDDEN, SYSTEM, COMPRESSED, ENCRYPTED, SPARSE_FILE ... marks of a path; read-only is the file's own state.
// A file has the archive mark unless FILE_ATTRIBUTE_NORMAL is among its marks (a folder only when marked).
void setMarks(const QString &hostPath, DWORD attributes);

// Device paths ("\\.\X:") that CreateFileW hands to a module of the stand-in (raw volumes); without one,
// opening a device is refused. Never a host device.
std::function<HANDLE(const QString &devicePath, DWORD access, DWORD flags)> &devicePathHook();

// The folder a host path lies in, as the file functions reach it (a folder this process holds open without
// sharing deletion is reached as it was opened, since Windows lets nothing take its place): a descriptor
// (O_PATH) the caller closes, or -1 with errno set; name: the path's last name in host bytes.
int openParentFolder(const QString &hostPath, QByteArray *name);

// Through a handle opened with delete access: the open file takes the name (host bytes) in the folder of the
// descriptor given, never over an entry. False with the last error set as SetFileInformationByHandle sets it.
bool renameInto(HANDLE file, int folder, const QByteArray &name);

// Makes WriteFile on an open file ask guard first, with the position the write would start at; a non-zero
// answer is the error the write fails with, nothing written.
void guardWrites(HANDLE h, std::function<DWORD(qint64 offset, DWORD size)> guard);

// The host path a file handle was opened on; "" for a handle that is not an open file.
QString pathOfHandle(HANDLE h);
// The descriptor of an open file handle, duplicated (the caller closes it); -1 for any other handle.
int duplicateDescriptor(HANDLE h);

// Tests watch what is written: after each successful WriteFile, on the writing thread, with the position
// the bytes were written at. Set it before the writing starts and clear it after.
std::function<void(const QString &hostPath, qint64 offset, const void *data, DWORD size)> &writeObserver();
// And after each successful FlushFileBuffers, which has put what was written on the disk.
std::function<void(const QString &hostPath)> &flushObserver();

} // namespace filefaults
