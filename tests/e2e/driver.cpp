// Shared end-to-end driver code.
#include "tests/e2e/driver.h"

#include <vector>

#include "platform/win32/wide.h"

std::wstring built_program(const wchar_t* name) {
    return std::wstring(TALLOWIN_BUILD_DIR_W) + L"\\" + name;
}

Process::~Process() {
    terminate();
}

bool Process::start(const std::wstring& command_line) {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    std::vector<wchar_t> cmd(command_line.begin(), command_line.end());
    cmd.push_back(L'\0');
    return CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          &info_) != 0;
}

bool Process::wait_exit(DWORD ms, DWORD* exit_code) {
    if (!info_.hProcess) return false;
    if (WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0) return false;
    if (exit_code) GetExitCodeProcess(info_.hProcess, exit_code);
    return true;
}

void Process::terminate() {
    if (info_.hProcess) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
    }
    if (info_.hThread) CloseHandle(info_.hThread);
    info_ = {};
}

bool wait_until(const std::function<bool()>& cond, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (cond()) return true;
        if (GetTickCount() - start >= ms) return cond();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

namespace {
struct FindArgs {
    DWORD pid;
    std::wstring title;
    HWND found;
};

BOOL CALLBACK match_window(HWND hwnd, LPARAM lp) {
    auto* a = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != a->pid || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    if (a->title == text) {
        a->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND find_window_of(DWORD pid, const Text& title) {
    FindArgs a{pid, wide_of(title), nullptr};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&a));
    return a.found;
}

Text window_text(HWND hwnd) {
    wchar_t text[1024] = {};
    int n = GetWindowTextW(hwnd, text, 1024);
    return text_of_wide(text, n);
}

RECT window_rect(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return r;
}

Text list_line(HWND list, int index) {
    LRESULT n = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 0) return Text();
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&s[0]));
    return n < 0 ? Text() : text_of_wide(s.data(), static_cast<int>(n));
}

std::string read_file(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return std::string();
    std::string bytes;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(f);
    return bytes;
}

bool write_file(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(f);
    return ok;
}
