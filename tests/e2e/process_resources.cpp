// Counting another process's resources from outside, in ways that work under
// Wine as well as on Windows where they can:
// - GetGuiResources is a stub under Wine (it answers 0), so GDI objects are
//   counted in the process's own GDI handle table: the table the system
//   publishes in its PEB, one 24-byte entry per handle slot whose type byte is
//   0 when the slot is free.
// - GetProcessHandleCount answers 0 for another process under Wine; the
//   system-wide handle list (SystemHandleInformation) names each handle's
//   owner, so the process's entries are counted there.
// - GetProcessMemoryInfo answers 0 for another process under Wine; under Wine
//   the process is a host process too, so its resident anonymous memory is
//   read from the host's /proc through drive Z:, the process found by its
//   command line. Elsewhere the Windows counter is used.
#include "tests/e2e/process_resources.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

namespace {

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK count_child(HWND, LPARAM lp) {
    ++reinterpret_cast<WindowCount*>(lp)->count;
    return TRUE;
}

BOOL CALLBACK count_top_level(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<WindowCount*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid) {
        ++c->count;
        EnumChildWindows(hwnd, count_child, lp);
    }
    return TRUE;
}

// The PEB field GdiSharedHandleTable, and the table's layout.
#ifdef _WIN64
constexpr SIZE_T kPebGdiTableOffset = 0xF8;
#else
constexpr SIZE_T kPebGdiTableOffset = 0x94;
#endif
constexpr SIZE_T kGdiEntrySize = 24, kGdiTypeOffset = 14, kGdiSlots = 0x10000;

long gdi_objects(HANDLE process) {
    using QueryInformation = NTSTATUS(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info = {};
    if (!query || query(process, ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
    void* table = nullptr;
    SIZE_T got = 0;
    auto* field = reinterpret_cast<const char*>(info.PebBaseAddress) + kPebGdiTableOffset;
    if (!ReadProcessMemory(process, field, &table, sizeof table, &got) || !table) return -1;
    std::vector<unsigned char> entries(kGdiSlots * kGdiEntrySize);
    if (!ReadProcessMemory(process, table, entries.data(), entries.size(), &got) || got != entries.size())
        return -1;
    long live = 0;
    for (SIZE_T i = 0; i < kGdiSlots; ++i)
        if (entries[i * kGdiEntrySize + kGdiTypeOffset] != 0) ++live;
    return live;
}

// SystemHandleInformation's layout.
struct HandleEntry {
    ULONG owner_pid;
    BYTE object_type;
    BYTE flags;
    USHORT value;
    PVOID object;
    ACCESS_MASK access;
};
struct HandleList {
    ULONG count;
    HandleEntry entries[1];
};

long handle_count(DWORD pid) {
    using QuerySystem = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QuerySystem>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
    std::vector<unsigned char> buffer(1 << 16);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        NTSTATUS status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status != 0) return -1;
        const auto* list = reinterpret_cast<const HandleList*>(buffer.data());
        long mine = 0;
        for (ULONG i = 0; i < list->count; ++i)
            if (list->entries[i].owner_pid == pid) ++mine;
        return mine;
    }
    return -1;
}

std::string read_small_file(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string s(8192, '\0');
    DWORD got = 0;
    ReadFile(f, &s[0], static_cast<DWORD>(s.size()), &got, nullptr);
    CloseHandle(f);
    s.resize(got);
    return s;
}

// The host's pid of the one process whose command line starts with exe_path,
// or 0 when there is none or more than one.
unsigned long host_pid_of(const std::wstring& exe_path) {
    std::string wanted;
    for (wchar_t c : exe_path) wanted += static_cast<char>(c < 128 ? c : '?');
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    unsigned long match = 0;
    int matches = 0;
    do {
        wchar_t* end = nullptr;
        unsigned long n = std::wcstoul(found.cFileName, &end, 10);
        if (n == 0 || *end) continue;
        std::string cmdline = read_small_file(L"Z:\\proc\\" + std::wstring(found.cFileName) + L"\\cmdline");
        std::string first = cmdline.substr(0, cmdline.find('\0'));
        if (first.size() == wanted.size() && _stricmp(first.c_str(), wanted.c_str()) == 0) {
            match = n;
            ++matches;
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return matches == 1 ? match : 0;
}

long host_private_kb(const std::wstring& exe_path) {
    unsigned long host_pid = host_pid_of(exe_path);
    if (!host_pid) return -1;
    std::string status = read_small_file(L"Z:\\proc\\" + std::to_wstring(host_pid) + L"\\status");
    size_t at = status.find("RssAnon:");
    return at == std::string::npos ? -1 : std::strtol(status.c_str() + at + 8, nullptr, 10);
}

}  // namespace

ProcessResources process_resources(HANDLE process, DWORD pid, const std::wstring& exe_path) {
    ProcessResources r;
    WindowCount windows{pid, 0};
    EnumWindows(count_top_level, reinterpret_cast<LPARAM>(&windows));
    r.windows = windows.count;
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles) && handles > 0) r.handles = static_cast<long>(handles);
    else r.handles = handle_count(pid);
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc) &&
        pmc.PrivateUsage > 0)
        r.private_kb = static_cast<long>(pmc.PrivateUsage / 1024);
    else
        r.private_kb = host_private_kb(exe_path);
    r.gdi_objects = gdi_objects(process);
    return r;
}

std::string describe(const ProcessResources& r) {
    char s[160];
    std::snprintf(s, sizeof s, "windows %ld, kernel handles %ld, private memory %ld KiB, GDI objects %ld",
                  r.windows, r.handles, r.private_kb, r.gdi_objects);
    return s;
}
