// Version resources as the System Information tool reads a codec's file: the size, the data, the translation
// table and the strings under it. Both sides read the same file: a small PE image with a version resource that
// the probe writes itself (and one without), so nothing depends on the files a system happens to have.
#include "probe.h"

#include <cstring>
#include <string>
#include <vector>

using probe::line;

namespace {

typedef std::basic_string<WCHAR> Text;

struct Bytes
{
    std::vector<BYTE> data;
    void put(const void *p, size_t n)
    {
        data.insert(data.end(), static_cast<const BYTE *>(p), static_cast<const BYTE *>(p) + n);
    }
    void u16(WORD v) { put(&v, 2); }
    void u32(DWORD v) { put(&v, 4); }
    void u64(ULONGLONG v) { put(&v, 8); }
    void text(const WCHAR *s)
    {
        do
            u16(static_cast<WORD>(*s));
        while (*s++);
    }
    void align(size_t to)
    {
        while (data.size() % to)
            data.push_back(0);
    }
    void patch16(size_t at, WORD v) { std::memcpy(&data[at], &v, 2); }
    void patch32(size_t at, DWORD v) { std::memcpy(&data[at], &v, 4); }
};

// A version block: length, value length, type, key; the value and the children follow, 32-bit aligned.
size_t beginBlock(Bytes &b, WORD valueLength, WORD type, const WCHAR *key)
{
    b.align(4);
    const size_t start = b.data.size();
    b.u16(0);
    b.u16(valueLength);
    b.u16(type);
    b.text(key);
    b.align(4);
    return start;
}

void endBlock(Bytes &b, size_t start)
{
    b.patch16(start, static_cast<WORD>(b.data.size() - start));
}

void stringEntry(Bytes &b, const WCHAR *key, const WCHAR *value)
{
    const size_t length = Text(value).size() + 1;
    const size_t start = beginBlock(b, static_cast<WORD>(length), 1, key);
    b.text(value);
    endBlock(b, start);
}

// The resource; with a second translation (German), its own string table follows the first.
std::vector<BYTE> versionResource(bool twoTranslations = false)
{
    Bytes b;
    const size_t root = beginBlock(b, 52, 0, WSTR("VS_VERSION_INFO"));
    const DWORD fixed[13] = {0xFEEF04BD, 0x00010000, 0x00010002, 0x00030004, 0x00050006, 0x00070008, 0x3F,
                             0,          0x00040004, 1,          0,          0,          0};
    b.put(fixed, sizeof fixed);
    const size_t strings = beginBlock(b, 0, 1, WSTR("StringFileInfo"));
    const size_t table = beginBlock(b, 0, 1, WSTR("040904b0"));
    stringEntry(b, WSTR("CompanyName"), WSTR("Hushdeck Probe Makers"));
    stringEntry(b, WSTR("FileDescription"), WSTR("Hushdeck probe codec"));
    stringEntry(b, WSTR("FileVersion"), WSTR("1.2.3.4"));
    endBlock(b, table);
    if (twoTranslations) {
        const size_t german = beginBlock(b, 0, 1, WSTR("040704b0"));
        stringEntry(b, WSTR("FileDescription"), WSTR("Hushdeck Probe-Codec"));
        stringEntry(b, WSTR("FileVersion"), WSTR("1.2.3.4"));
        endBlock(b, german);
    }
    endBlock(b, strings);
    const size_t vars = beginBlock(b, 0, 1, WSTR("VarFileInfo"));
    const size_t translation = beginBlock(b, twoTranslations ? 8 : 4, 0, WSTR("Translation"));
    b.u32(0x04B00409);
    if (twoTranslations)
        b.u32(0x04B00407);
    endBlock(b, translation);
    endBlock(b, vars);
    endBlock(b, root);
    return b.data;
}

// A DLL image, 64-bit (PE32+) or 32-bit (PE32), with one section, .rsrc, holding one resource of the given
// type (id 1, language 0x0409).
std::vector<BYTE> image(DWORD resourceType, bool pe32 = false, bool twoTranslations = false)
{
    const std::vector<BYTE> resource = versionResource(twoTranslations);
    Bytes b;
    b.u16(0x5A4D);
    b.data.resize(0x3C);
    b.u32(0x40);
    b.u32(0x00004550);
    // File header: x64 or x86, one section, the optional header's size, an executable DLL (32-bit words).
    b.u16(pe32 ? 0x014C : 0x8664);
    b.u16(1);
    b.u32(0);
    b.u32(0);
    b.u32(0);
    b.u16(pe32 ? 224 : 240);
    b.u16(pe32 ? 0x2102 : 0x2022);
    // Optional header (PE32 has a base of data and 32-bit image base and sizes).
    const DWORD sectionSize = static_cast<DWORD>((0x58 + resource.size() + 0x1FF) / 0x200 * 0x200);
    b.u16(pe32 ? 0x10B : 0x20B);
    b.u16(0x000E);
    b.u32(0);
    b.u32(sectionSize);
    b.u32(0);
    b.u32(0);
    b.u32(0);
    if (pe32) {
        b.u32(0);
        b.u32(0x10000000);
    } else {
        b.u64(0x180000000ULL);
    }
    b.u32(0x1000);
    b.u32(0x200);
    b.u16(6);
    b.u16(0);
    b.u16(0);
    b.u16(0);
    b.u16(6);
    b.u16(0);
    b.u32(0);
    b.u32(0x1000 + (sectionSize + 0xFFF) / 0x1000 * 0x1000);
    b.u32(0x200);
    b.u32(0);
    b.u16(2);
    b.u16(0x0140);
    for (const DWORD reserve : {0x100000u, 0x1000u, 0x100000u, 0x1000u}) {
        if (pe32)
            b.u32(reserve);
        else
            b.u64(reserve);
    }
    b.u32(0);
    b.u32(16);
    for (int i = 0; i < 16; ++i) {
        b.u32(i == 2 ? 0x1000 : 0);
        b.u32(i == 2 ? static_cast<DWORD>(0x58 + resource.size()) : 0);
    }
    // Section table.
    b.put(".rsrc\0\0\0", 8);
    b.u32(static_cast<DWORD>(0x58 + resource.size()));
    b.u32(0x1000);
    b.u32(sectionSize);
    b.u32(0x200);
    b.u32(0);
    b.u32(0);
    b.u16(0);
    b.u16(0);
    b.u32(0x40000040);
    b.data.resize(0x200);
    // Resource directory: type, name, language, then the data entry and the data.
    const DWORD levels[3][2] = {{resourceType, 0x80000018}, {1, 0x80000030}, {0x0409, 0x48}};
    for (const auto &level : levels) {
        b.u32(0);
        b.u32(0);
        b.u16(0);
        b.u16(0);
        b.u16(0);
        b.u16(1);
        b.u32(level[0]);
        b.u32(level[1]);
    }
    b.u32(0x1000 + 0x58);
    b.u32(static_cast<DWORD>(resource.size()));
    b.u32(0);
    b.u32(0);
    b.put(resource.data(), resource.size());
    b.data.resize(0x200 + sectionSize);
    return b.data;
}

bool writeFile(const Text &path, const std::vector<BYTE> &bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

void query(const char *key, const std::vector<BYTE> &data, const WCHAR *path, bool asText)
{
    LPVOID value = nullptr;
    UINT length = 0;
    SetLastError(0);
    const BOOL ok = VerQueryValueW(data.data(), path, &value, &length);
    if (!ok || !value) {
        line(key, "%s", ok ? "ok without data" : "failed");
        return;
    }
    if (asText)
        line(key, "length %u \"%s\"", length, probe::utf8(static_cast<const WCHAR *>(value)).c_str());
    else
        line(key, "length %u", length);
}

void readFile(const Text &file)
{
    DWORD handle = 0xFFFF;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    line("GetFileVersionInfoSizeW", "%s handle %lu", size >= versionResource().size() ? "holds the resource" : "short",
         static_cast<unsigned long>(handle));
    std::vector<BYTE> data(size + 16, 0xCC);
    probe::ok("GetFileVersionInfoW", GetFileVersionInfoW(file.c_str(), 0, size, data.data()));

    LPVOID root = nullptr;
    UINT rootLength = 0;
    if (VerQueryValueW(data.data(), WSTR("\\"), &root, &rootLength) && root) {
        const DWORD *fixed = static_cast<const DWORD *>(root);
        line("VerQueryValueW.root", "length %u signature %08lX file %08lX.%08lX product %08lX.%08lX", rootLength,
             static_cast<unsigned long>(fixed[0]), static_cast<unsigned long>(fixed[2]),
             static_cast<unsigned long>(fixed[3]), static_cast<unsigned long>(fixed[4]),
             static_cast<unsigned long>(fixed[5]));
    } else {
        line("VerQueryValueW.root", "failed");
    }
    LPVOID translation = nullptr;
    UINT translationBytes = 0;
    if (VerQueryValueW(data.data(), WSTR("\\VarFileInfo\\Translation"), &translation, &translationBytes) &&
        translationBytes >= 4) {
        const WORD *entries = static_cast<const WORD *>(translation);
        line("VerQueryValueW.translation", "bytes %u %04x%04x", translationBytes, entries[0], entries[1]);
    } else {
        line("VerQueryValueW.translation", "failed");
    }
    query("VerQueryValueW.FileDescription", data, WSTR("\\StringFileInfo\\040904b0\\FileDescription"), true);
    query("VerQueryValueW.FileVersion", data, WSTR("\\StringFileInfo\\040904b0\\FileVersion"), true);
    query("VerQueryValueW.CompanyName", data, WSTR("\\StringFileInfo\\040904b0\\CompanyName"), true);
    query("VerQueryValueW.casefold", data, WSTR("\\stringfileinfo\\040904B0\\fileversion"), true);
    query("VerQueryValueW.missingstring", data, WSTR("\\StringFileInfo\\040904b0\\LegalCopyright"), true);
    query("VerQueryValueW.missingtable", data, WSTR("\\StringFileInfo\\040704b0\\FileVersion"), true);
    query("VerQueryValueW.block", data, WSTR("\\StringFileInfo"), false);
}

// The 32-bit image and the one with two translations: the table lists both, and each has its strings.
void readOther(const char *prefix, const Text &file, bool twoTranslations)
{
    const std::string p = prefix;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
    line((p + ".GetFileVersionInfoSizeW").c_str(), "%s",
         size >= versionResource(twoTranslations).size() ? "holds the resource" : "short");
    std::vector<BYTE> data(size + 16, 0xCC);
    probe::ok((p + ".GetFileVersionInfoW").c_str(), GetFileVersionInfoW(file.c_str(), 0, size, data.data()));
    LPVOID translation = nullptr;
    UINT bytes = 0;
    std::string pairs;
    if (VerQueryValueW(data.data(), WSTR("\\VarFileInfo\\Translation"), &translation, &bytes) && translation) {
        const WORD *entries = static_cast<const WORD *>(translation);
        for (UINT i = 0; i + 1 < bytes / 2; i += 2) {
            char one[16];
            snprintf(one, sizeof one, " %04x%04x", entries[i], entries[i + 1]);
            pairs += one;
        }
        line((p + ".translation").c_str(), "bytes %u%s", bytes, pairs.c_str());
    } else {
        line((p + ".translation").c_str(), "failed");
    }
    query((p + ".FileDescription.040904b0").c_str(), data, WSTR("\\StringFileInfo\\040904b0\\FileDescription"), true);
    query((p + ".FileDescription.040704b0").c_str(), data, WSTR("\\StringFileInfo\\040704b0\\FileDescription"), true);
}

} // namespace

int main()
{
    probe::start();
    const Text dir = probe::scratch(WSTR("HushdeckProbeVersion"));
    const Text withVersion = dir + WSTR("codec.dll");
    const Text withoutVersion = dir + WSTR("plain.dll");
    const Text notImage = dir + WSTR("notes.txt");
    const char notes[] = "not an image";
    line("setup", "%s",
         writeFile(withVersion, image(16)) && writeFile(withoutVersion, image(24)) &&
                 writeFile(notImage, std::vector<BYTE>(notes, notes + sizeof notes - 1))
             ? "ok"
             : "failed");
    readFile(withVersion);
    const Text thirtyTwo = dir + WSTR("codec32.dll");
    const Text twoLanguages = dir + WSTR("codec2.dll");
    line("setup.other", "%s",
         writeFile(thirtyTwo, image(16, true)) && writeFile(twoLanguages, image(16, false, true)) ? "ok" : "failed");
    readOther("pe32", thirtyTwo, false);
    readOther("twoTranslations", twoLanguages, true);
    DeleteFileW(thirtyTwo.c_str());
    DeleteFileW(twoLanguages.c_str());

    const struct
    {
        const char *key;
        Text path;
    } failing[] = {
        {"GetFileVersionInfoSizeW.noversion", withoutVersion},
        {"GetFileVersionInfoSizeW.notimage", notImage},
        {"GetFileVersionInfoSizeW.missing", dir + WSTR("missing.dll")},
    };
    for (const auto &f : failing) {
        DWORD handle = 0;
        SetLastError(0);
        const DWORD size = GetFileVersionInfoSizeW(f.path.c_str(), &handle);
        probe::result(f.key, size, size == 0);
    }
    BYTE small[16];
    SetLastError(0);
    probe::ok("GetFileVersionInfoW.noversion", GetFileVersionInfoW(withoutVersion.c_str(), 0, sizeof small, small));

    DeleteFileW(withVersion.c_str());
    DeleteFileW(withoutVersion.c_str());
    DeleteFileW(notImage.c_str());
    RemoveDirectoryW(dir.c_str());
    return probe::end();
}
