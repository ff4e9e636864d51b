// Started by open_in_browser in the Wine tests in place of a browser: writes
// how it was shown (STARTUPINFO) to its own path plus ".out", then ends.
#include <windows.h>

#include <cstdio>
#include <string>

int main() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    STARTUPINFOA info = {};
    info.cb = sizeof info;
    GetStartupInfoA(&info);
    const std::string out = std::string(path) + ".out";
    const std::string tmp = out + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "w")) {
        std::fprintf(f, "show=%d\n", (info.dwFlags & STARTF_USESHOWWINDOW) ? info.wShowWindow : -1);
        std::fclose(f);
        MoveFileA(tmp.c_str(), out.c_str());
    }
    return 0;
}
