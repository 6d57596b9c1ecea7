// Drives and volumes as the product uses them: the drive list and its devices, drive types, volume facts and
// free space of the drive that holds the temporary folder, the volume root of a path, and ntdll's extent
// query looked up by name. The drives of two machines differ; the probe prints what any Windows drive C:
// (which holds the temporary folder) shares, and the rules of each call's buffers and failures.
#include "probe.h"

#include <cstring>
#include <string>

using probe::line;
using probe::ok;

namespace {

typedef std::basic_string<WCHAR> Text;

// An NTSTATUS as its 32 bits (the type is wider on some hosts).
void status(const char *key, NTSTATUS code)
{
    line(key, "status 0x%08lX", static_cast<unsigned long>(static_cast<unsigned long>(code) & 0xFFFFFFFFul));
}

void driveStrings()
{
    // The product reads the list into 512 characters, passing 511.
    WCHAR drives[512] = {};
    const DWORD length = GetLogicalDriveStringsW(511, drives);
    bool wellFormed = length > 0 && length < 511 && drives[length] == 0 && drives[length - 1] == 0;
    bool hasC = false;
    int count = 0;
    for (const WCHAR *d = drives; wellFormed && *d; d += 4, ++count) {
        wellFormed = d[1] == ':' && d[2] == '\\' && d[3] == 0;
        hasC = hasC || d[0] == 'C';
    }
    line("GetLogicalDriveStringsW", "%s, C:\\ %s, length %s", wellFormed ? "X:\\ entries" : "malformed",
         hasC ? "listed" : "missing", length == DWORD(count) * 4 ? "without the last NUL" : "other");
    line("GetLogicalDriveStringsW.size.none", "%s",
         GetLogicalDriveStringsW(0, nullptr) == length + 1 ? "length + 1" : "other");
    WCHAR small[4] = {'x', 'x', 'x', 'x'};
    line("GetLogicalDriveStringsW.size.small", "%s",
         GetLogicalDriveStringsW(3, small) == length + 1 ? "length + 1" : "other");
    line("GetLogicalDriveStringsW.size.exact", "%s",
         GetLogicalDriveStringsW(length + 1, drives) == length ? "length" : "other");
}

void dosDevices()
{
    WCHAR device[512] = {};
    SetLastError(0);
    const DWORD n = QueryDosDeviceW(WSTR("C:"), device, 512);
    DWORD textLength = 0;
    while (textLength < 512 && device[textLength])
        ++textLength;
    if (n == 0)
        line("QueryDosDeviceW", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    else
        line("QueryDosDeviceW", "%s, count %s", device[0] == '\\' ? "a device path" : "other",
             n == textLength + 2 ? "text + 2 NULs" : "other");
    WCHAR small[4] = {};
    SetLastError(0);
    probe::result("QueryDosDeviceW.small", QueryDosDeviceW(WSTR("C:"), small, 3), true);
    SetLastError(0);
    probe::result("QueryDosDeviceW.unknown", QueryDosDeviceW(WSTR("Q:"), device, 512), true);
}

void driveFacts(const Text &root)
{
    line("GetDriveTypeW.C", "%u", GetDriveTypeW(root.c_str()));
    line("GetDriveTypeW.absent", "%u", GetDriveTypeW(WSTR("Q:\\")));
    line("GetDriveTypeW.folder", "%u", GetDriveTypeW(WSTR("C:\\nothing-here\\")));

    // The product's buffers: 510 characters for the label and the file system's name.
    WCHAR label[510] = {0};
    WCHAR fsName[510] = {0};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    if (GetVolumeInformationW(root.c_str(), label, 510, &serial, &maxComponent, &flags, fsName, 510))
        line("GetVolumeInformationW",
             "ok, file system \"%s\", serial %s, longest name %lu, case preserved %s, unicode %s",
             probe::utf8(fsName).c_str(), serial ? "nonzero" : "zero", static_cast<unsigned long>(maxComponent),
             flags & FILE_CASE_PRESERVED_NAMES ? "yes" : "no", flags & FILE_UNICODE_ON_DISK ? "yes" : "no");
    else
        line("GetVolumeInformationW", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    ok("GetVolumeInformationW.absent",
       GetVolumeInformationW(WSTR("Q:\\"), label, 510, &serial, &maxComponent, &flags, fsName, 510));

    ULARGE_INTEGER available = {}, total = {}, totalFree = {};
    if (GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree))
        line("GetDiskFreeSpaceExW", "ok, total %s, free <= total %s, available <= free %s",
             total.QuadPart ? "nonzero" : "zero", totalFree.QuadPart <= total.QuadPart ? "yes" : "no",
             available.QuadPart <= totalFree.QuadPart ? "yes" : "no");
    else
        line("GetDiskFreeSpaceExW", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    ok("GetDiskFreeSpaceExW.absent", GetDiskFreeSpaceExW(WSTR("Q:\\"), &available, &total, &totalFree));

    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
        line("GetDiskFreeSpaceW", "ok, cluster size %s, free clusters <= total %s",
             sectorsPerCluster && bytesPerSector ? "nonzero" : "zero", freeClusters <= totalClusters ? "yes" : "no");
    else
        line("GetDiskFreeSpaceW", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    ok("GetDiskFreeSpaceW.absent",
       GetDiskFreeSpaceW(WSTR("Q:\\"), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
}

// The runs of a file of size bytes, in clusters of the drive: a file of 1 MiB lies outside its file record,
// and its runs, asked for from where the last answer ended, go from VCN 0 to its last cluster, each run
// (its NextVcn less the VCN before it) at least one cluster long.
std::string runsOf(NtFsControlFilePtr control, const Text &file, const Text &root, unsigned long long size)
{
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) ||
        !sectorsPerCluster || !bytesPerSector)
        return "no cluster size";
    const unsigned long long cluster = static_cast<unsigned long long>(sectorsPerCluster) * bytesPerSector;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "not opened";
    alignas(8) unsigned char output[sizeof(RETRIEVAL_POINTERS_BUFFER) * 4] = {};
    auto *answer = reinterpret_cast<RETRIEVAL_POINTERS_BUFFER *>(output);
    const DWORD room = (sizeof output - offsetof(RETRIEVAL_POINTERS_BUFFER, Extents)) / sizeof(answer->Extents[0]);
    long long vcn = 0, first = -1;
    NTSTATUS st = STATUS_BUFFER_OVERFLOW;
    bool positive = true;
    for (int calls = 0; st == STATUS_BUFFER_OVERFLOW && positive && calls < 1000; ++calls) {
        STARTING_VCN_INPUT_BUFFER input = {};
        input.StartingVcn.QuadPart = vcn;
        IO_STATUS_BLOCK io = {};
        st = control(h, nullptr, nullptr, nullptr, &io, FSCTL_GET_RETRIEVAL_POINTERS, &input, sizeof input, output,
                     sizeof output);
        if ((st != STATUS_SUCCESS && st != STATUS_BUFFER_OVERFLOW) || answer->ExtentCount == 0)
            break;
        if (first < 0)
            first = answer->StartingVcn.QuadPart;
        vcn = answer->StartingVcn.QuadPart;
        for (DWORD i = 0; i < answer->ExtentCount && i < room; ++i) {
            positive = positive && answer->Extents[i].NextVcn.QuadPart > vcn;
            vcn = answer->Extents[i].NextVcn.QuadPart;
        }
    }
    CloseHandle(h);
    if (first < 0)
        return "no clusters";
    const unsigned long long clusters = (size + cluster - 1) / cluster;
    return "runs from VCN " + std::to_string(first) +
           (positive ? ", each at least one cluster long, " : ", one shorter than a cluster, ") +
           (static_cast<unsigned long long>(vcn) == clusters ? "to the file's last cluster" : "to another end");
}

// ntdll's extent query, as the shredder reaches it: looked up by name, on a file opened for reading.
void extents(const Text &file, const Text &large, const Text &root, unsigned long long largeSize)
{
    HMODULE ntdll = GetModuleHandleW(WSTR("ntdll.dll"));
    line("GetModuleHandleW.ntdll.dll", "%s", ntdll ? "nonzero" : "null");
    HMODULE shortName = GetModuleHandleW(WSTR("ntdll"));
    line("GetModuleHandleW.ntdll", "%s", shortName && shortName == ntdll ? "same module" : "other");
    SetLastError(0);
    HMODULE missing = GetModuleHandleW(WSTR("hushdeck-no-such-module.dll"));
    line("GetModuleHandleW.missing", "%s error %lu", missing ? "nonzero" : "null",
         static_cast<unsigned long>(GetLastError()));
    line("GetModuleHandleW.self", "%s", GetModuleHandleW(nullptr) ? "nonzero" : "null");
    const NtFsControlFilePtr control =
        reinterpret_cast<NtFsControlFilePtr>(reinterpret_cast<void *>(GetProcAddress(ntdll, "NtFsControlFile")));
    line("GetProcAddress.NtFsControlFile", "%s", control ? "found" : "null");
    line("GetProcAddress.RtlGetVersion", "%s", GetProcAddress(shortName, "RtlGetVersion") ? "found" : "null");
    SetLastError(0);
    const bool unknown = GetProcAddress(ntdll, "HushdeckNoSuchFunction") != nullptr;
    line("GetProcAddress.missing", "%s error %lu", unknown ? "found" : "null",
         static_cast<unsigned long>(GetLastError()));
    if (!control)
        return;

    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        line("CreateFileW", "failed error %lu", static_cast<unsigned long>(GetLastError()));
        return;
    }
    STARTING_VCN_INPUT_BUFFER input = {};
    input.StartingVcn.QuadPart = 0;
    alignas(8) unsigned char output[sizeof(RETRIEVAL_POINTERS_BUFFER) * 4] = {};
    IO_STATUS_BLOCK io = {};
    // Ten bytes stay inside the file's own record: no clusters to report, whether the answer is the end of the
    // file or an empty list (the product overwrites such a file through the file itself either way).
    const NTSTATUS resident = control(h, nullptr, nullptr, nullptr, &io, FSCTL_GET_RETRIEVAL_POINTERS, &input,
                                      sizeof input, output, sizeof output);
    const DWORD count = reinterpret_cast<RETRIEVAL_POINTERS_BUFFER *>(output)->ExtentCount;
    line("NtFsControlFile.resident", "%s",
         (resident != STATUS_SUCCESS && resident != STATUS_BUFFER_OVERFLOW) || count == 0 ? "no clusters" : "clusters");
    status("NtFsControlFile.shortBuffer",
           control(h, nullptr, nullptr, nullptr, &io, FSCTL_GET_RETRIEVAL_POINTERS, &input, sizeof input, output, 8));
    CloseHandle(h);
    line("NtFsControlFile.nonresident", "%s", runsOf(control, large, root, largeSize).c_str());
}

} // namespace

int main()
{
    probe::start();
    const Text folder = probe::scratch(WSTR("HushdeckProbeVolumes"));
    const Text file = folder + WSTR("small.bin");
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, "0123456789", 10, &written, nullptr);
    CloseHandle(h);
    // A mebibyte written out, so that it has its clusters on the volume.
    const Text large = folder + WSTR("large.bin");
    const unsigned long long largeSize = 1 << 20;
    h = CreateFileW(large.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::string block(65536, 'x');
    for (unsigned long long at = 0; at < largeSize; at += block.size())
        WriteFile(h, block.data(), DWORD(block.size()), &written, nullptr);
    FlushFileBuffers(h);
    CloseHandle(h);

    // The volume that holds the scratch folder, as the shredder finds it: MAX_PATH + 1 characters.
    WCHAR volumeRoot[MAX_PATH + 1] = {};
    if (GetVolumePathNameW(file.c_str(), volumeRoot, MAX_PATH + 1))
        probe::text("GetVolumePathNameW", volumeRoot);
    else
        line("GetVolumePathNameW", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    WCHAR folderRoot[MAX_PATH + 1] = {};
    if (GetVolumePathNameW(folder.c_str(), folderRoot, MAX_PATH + 1))
        line("GetVolumePathNameW.folder", "%s", Text(folderRoot) == Text(volumeRoot) ? "same root" : "other root");
    else
        line("GetVolumePathNameW.folder", "failed error %lu", static_cast<unsigned long>(GetLastError()));
    WCHAR rootOfRoot[MAX_PATH + 1] = {};
    if (GetVolumePathNameW(WSTR("C:\\"), rootOfRoot, MAX_PATH + 1))
        probe::text("GetVolumePathNameW.root", rootOfRoot);
    else
        line("GetVolumePathNameW.root", "failed error %lu", static_cast<unsigned long>(GetLastError()));

    // A path below another volume mounted in a folder of Z: (the host's /proc, a mount point of its own).
    WCHAR mounted[MAX_PATH + 1] = {};
    if (GetVolumePathNameW(WSTR("Z:\\proc\\self\\"), mounted, MAX_PATH + 1))
        probe::text("GetVolumePathNameW.mount point", mounted);
    else
        line("GetVolumePathNameW.mount point", "failed error %lu", static_cast<unsigned long>(GetLastError()));

    driveStrings();
    dosDevices();
    driveFacts(Text(volumeRoot));
    extents(file, large, Text(volumeRoot), largeSize);

    DeleteFileW(large.c_str());
    ok("DeleteFileW", DeleteFileW(file.c_str()));
    Text bare = folder;
    bare.pop_back();
    ok("RemoveDirectoryW", RemoveDirectoryW(bare.c_str()));
    return probe::end();
}
