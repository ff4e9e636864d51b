// standin_browser: registered as the http handler of the test's Wine prefix
// while the information-window driver runs, in place of a real browser. It
// appends its whole command line, as UTF-8, to the record file the driver
// names in the environment (TALLOWIN_BROWSER_RECORD), then exits.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"TALLOWIN_BROWSER_RECORD", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 2;
    const wchar_t* line = GetCommandLineW();
    int size = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return 3;
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line, -1, &utf8[0], size, nullptr, nullptr);
    utf8.back() = '\n';
    HANDLE f = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 4;
    DWORD written = 0;
    WriteFile(f, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(f);
    return 0;
}
