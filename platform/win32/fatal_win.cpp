// The fatal error: an ownerless message box titled "错误", then exit code -1
// without running the at_exit routines.
#include <windows.h>

#include <cstdio>

#include "platform/fatal.h"
#include "platform/win32/wide.h"

void fatal_error(int code, const Text& message) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", code);
    Text text = Text("运行时出错!") + "\r\n" + number + " " + message;
    MessageBoxW(nullptr, wide_of(text).c_str(), wide_of("错误").c_str(), MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}
