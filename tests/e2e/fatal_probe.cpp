// fatal_probe MARKER: misuses the toolkit the way the program's logic never
// does (a control of a window that is not open), which is a fatal error. The
// at_exit routine would create MARKER; a fatal error must not run it.
#include <windows.h>

#include <string>

#include "platform/win32/toolkit.h"

namespace {
std::wstring g_marker;
void write_marker() {
    HANDLE f = CreateFileW(g_marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
}
const WindowDef kNeverOpened = [] {
    WindowDef w;
    w.title = "未打开";
    return w;
}();
}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    g_marker = argv[1];
    init_platform();
    at_exit(write_marker);
    control(kNeverOpened, "标签1");
    run_exit_routines();
    return 0;
}
